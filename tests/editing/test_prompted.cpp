// Buttons that ask before they insert: the texts they make, the order of their
// questions, what an empty answer does, and where the focus goes.
#include "editing/prompted.h"
#include "platform/editarea.h"
#include "platform/pickers.h"
#include "platform/prompts.h"
#include "platform/shared.h"

#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

namespace {

// Answers the input boxes from a list and records what was asked.
struct Answers {
    QStringList asked;
    QStringList infos;
    explicit Answers(QStringList answers)
    {
        Prompts::setAnswerer([this, answers](const QString &kind, const QString &text) mutable {
            if (kind == "info") {
                infos << text;
                return QString();
            }
            asked << text;
            return answers.isEmpty() ? QString() : answers.takeFirst();
        });
    }
    ~Answers() { Prompts::setAnswerer(nullptr); }
};

// An editing area holding "[sel]" with "sel" selected, and another control that has
// the focus before a button runs.
struct Window {
    QWidget window;
    EditArea *edit = new EditArea;
    QLineEdit *other = new QLineEdit;
    Window()
    {
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(edit);
        layout->addWidget(other);
        edit->setText("[sel]");
        edit->select(1, 3);
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            qWarning("the window did not become active");
        other->setFocus();
    }
    bool editHasFocus() const { return QApplication::focusWidget() == edit; }
};

}

class TestPrompted : public QObject {
    Q_OBJECT
private slots:
    void everyInputButton_data();
    void everyInputButton();
    void emptyAnswerInsertsNothing_data();
    void emptyAnswerInsertsNothing();
    void formKeepsItsDefaultAnswer();
    void linkAsksThePathPicker();
    void colourAndStyleLeaveTheFocus();
};

void TestPrompted::everyInputButton_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("prompts");
    QTest::addColumn<QString>("result");
    const QString name = "名前を入力して下さい";
    const QString caption = "キャプションを入力して下さい";
    QTest::newRow("form") << "Command11" << QStringList{"a@b.jp"} << QStringList{"e-mailアドレスを入力して下さい"}
                          << "[<form method=post action=\"mailto:a@b.jp\">sel</form>]";
    QTest::newRow("check box") << "Command12" << QStringList{"c"} << QStringList{name}
                               << "[<input type=Checkbox name=\"c\">]";
    QTest::newRow("radio") << "Command13" << QStringList{"r", "v"} << QStringList{name, "変数名を入力して下さい"}
                           << "[<input type=Radio name=\"r\" value=\"v\" > ]";
    QTest::newRow("submit") << "Command14" << QStringList{"送る"} << QStringList{caption}
                            << "[<input type=Submit value=\"送る\">]";
    QTest::newRow("reset") << "Command15" << QStringList{"消す"} << QStringList{caption}
                           << "[<input type=Reset value=\"消す\">]";
    QTest::newRow("text area") << "Command16" << QStringList{"t", "5", "40"}
                               << QStringList{name, "縦の列の数を入力して下さい", "横の列の数を入力して下さい"}
                               << "[<textarea name=\"t\" rows=5 cols=40 > sel</textarea>]";
    QTest::newRow("select") << "Command17" << QStringList{"s"} << QStringList{name} << "[<select name=\"s\">]";
    QTest::newRow("option") << "Command18" << QStringList{"一"} << QStringList{"項目名を入力して下さい"}
                            << "[<option=\"一\">]";
    QTest::newRow("text field") << "Command19" << QStringList{"f", "abc"}
                                << QStringList{name, "サイズを入力して下さい"} << "[<input name=\"f\" size=abc > ]";
    QTest::newRow("anchor") << "Command27" << QStringList{"top"} << QStringList{"名前を入れて下さい"}
                            << "[<a name=\"top\">sel</a>]";
}

void TestPrompted::everyInputButton()
{
    QFETCH(QString, button);
    QFETCH(QStringList, answers);
    QFETCH(QStringList, prompts);
    QFETCH(QString, result);
    QVERIFY(Prompted::handles(button));
    Window w;
    Answers a(answers);
    runPromptedTag(&w.window, w.edit, button);
    QCOMPARE(a.asked, prompts);
    QCOMPARE(w.edit->text(), result);
    QCOMPARE(w.edit->selLength(), 0);
    QVERIFY(w.editHasFocus());
}

void TestPrompted::emptyAnswerInsertsNothing_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<int>("questions");
    QTest::newRow("text area cancelled at the third") << "Command16" << QStringList{"t", "5", ""} << 3;
    QTest::newRow("radio cancelled at the first") << "Command13" << QStringList{""} << 1;
    QTest::newRow("form emptied") << "Command11" << QStringList{""} << 1;
    QTest::newRow("text field without size") << "Command19" << QStringList{"f", ""} << 2;
}

void TestPrompted::emptyAnswerInsertsNothing()
{
    QFETCH(QString, button);
    QFETCH(QStringList, answers);
    QFETCH(int, questions);
    Window w;
    Answers a(answers);
    runPromptedTag(&w.window, w.edit, button);
    QCOMPARE(a.asked.size(), questions);
    QCOMPARE(w.edit->text(), QString("[sel]"));
    QCOMPARE(w.edit->selText(), QString("sel"));
    QVERIFY(w.editHasFocus());
}

void TestPrompted::formKeepsItsDefaultAnswer()
{
    const Prompted::InputCommand *form = Prompted::inputCommand("Command11");
    QVERIFY(form);
    QCOMPARE(form->questions[0].defaultAnswer, QString("mailto:"));
    // Leaving the default as it stands gives the address "mailto:" twice.
    Window w;
    Answers a({"mailto:"});
    runPromptedTag(&w.window, w.edit, "Command11");
    QCOMPARE(w.edit->text(), QString("[<form method=post action=\"mailto:mailto:\">sel</form>]"));
}

void TestPrompted::linkAsksThePathPicker()
{
    for (const QString &path : {QString("sub/a.htm"), QString()}) {
        Window w;
        Answers a({});
        int runs = 0;
        Pickers::path = [&](QWidget *) {
            ++runs;
            QCOMPARE(a.infos, QStringList{"リンク先のパスを指定して下さい"});  // the note comes first
            Shared::PickedPath = path;
        };
        runPromptedTag(&w.window, w.edit, "Command9");
        Pickers::path = nullptr;
        QCOMPARE(runs, 1);
        // A cancelled picker still links, with an empty target.
        QCOMPARE(w.edit->text(), "[<a href=\"" + path + "\">sel</a>]");
        QVERIFY(w.editHasFocus());
    }
}

void TestPrompted::colourAndStyleLeaveTheFocus()
{
    {
        Window w;
        Pickers::colour = [](QWidget *) { Shared::ChosenColor = "#0A10FF"; };
        runPromptedTag(&w.window, w.edit, "Command38");
        Pickers::colour = nullptr;
        QCOMPARE(w.edit->text(), QString("[<font color=\"#0A10FF\">sel</font>]"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.other));
    }
    {
        Window w;
        Pickers::style = [](QWidget *) { Shared::ChosenStyle = "\"color:red;\""; };
        runPromptedTag(&w.window, w.edit, "Command34");
        Pickers::style = nullptr;
        QCOMPARE(w.edit->text(), QString("[<span style=\"color:red;\">sel</span>]"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.other));
    }
    QVERIFY(!Prompted::handles("Command10"));
}

QTEST_MAIN(TestPrompted)
#include "test_prompted.moc"
