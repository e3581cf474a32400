// Buttons that ask before they insert: the texts they make, the asking, what an empty
// answer does, and where the focus goes. Which button asks what is checked on the real
// palette in test_mainwindow.
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
    void tagTexts();
    void askingInsertsWhatTheAnswersMake();
    void emptyAnswerInsertsNothing_data();
    void emptyAnswerInsertsNothing();
    void linkAsksThePathPicker();
    void pickerButtons();
};

void TestPrompted::tagTexts()
{
    using namespace Prompted;
    const auto replacing = [](const char *t) { return Insertion::replacing(QString::fromUtf8(t)); };
    QCOMPARE(formTag("a@b.jp"), Insertion::wrapping("<form method=post action=\"mailto:a@b.jp\">", "</form>"));
    // Leaving the form's default answer as it stands gives "mailto:" twice.
    QCOMPARE(formTag("mailto:").start, QString("<form method=post action=\"mailto:mailto:\">"));
    QCOMPARE(checkboxTag("c"), replacing("<input type=Checkbox name=\"c\">"));
    QCOMPARE(radioTag("r", "v"), replacing("<input type=Radio name=\"r\" value=\"v\" > "));
    QCOMPARE(submitTag("送る"), replacing("<input type=Submit value=\"送る\">"));
    QCOMPARE(resetTag("消す"), replacing("<input type=Reset value=\"消す\">"));
    QCOMPARE(textareaTag("t", "5", "40"), Insertion::wrapping("<textarea name=\"t\" rows=5 cols=40 > ", "</textarea>"));
    QCOMPARE(selectTag("s"), replacing("<select name=\"s\">"));
    QCOMPARE(optionTag("一"), replacing("<option=\"一\">"));
    QCOMPARE(textFieldTag("f", "abc"), replacing("<input name=\"f\" size=abc > "));
    QCOMPARE(anchorNameTag("top"), Insertion::wrapping("<a name=\"top\">", "</a>"));
    QCOMPARE(linkTag("sub/a.htm"), Insertion::wrapping("<a href=\"sub/a.htm\">", "</a>"));
    QCOMPARE(fontColorTag("#0A10FF"), Insertion::wrapping("<font color=\"#0A10FF\">", "</font>"));
    QCOMPARE(spanStyleTag("\"color:red;\""), Insertion::wrapping("<span style=\"color:red;\">", "</span>"));
}

void TestPrompted::askingInsertsWhatTheAnswersMake()
{
    Window w;
    Answers a({"t", "5", "40"});
    const std::vector<Prompted::Question> questions = {{"一", {}}, {"二", "mailto:"}, {"三", {}}};
    QStringList received;
    Prompted::ask(&w.window, w.edit, questions, [&](const QStringList &answers) {
        received = answers;
        return Prompted::textareaTag(answers[0], answers[1], answers[2]);
    });
    QCOMPARE(a.asked, QStringList({"一", "二", "三"}));
    QCOMPARE(received, QStringList({"t", "5", "40"}));
    QCOMPARE(w.edit->text(), QString("[<textarea name=\"t\" rows=5 cols=40 > sel</textarea>]"));
    QCOMPARE(w.edit->selLength(), 0);
    QVERIFY(w.editHasFocus());
}

void TestPrompted::emptyAnswerInsertsNothing_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<int>("questions");
    QTest::newRow("cancelled at the third") << QStringList{"t", "5", ""} << 3;
    QTest::newRow("cancelled at the first") << QStringList{""} << 1;
    QTest::newRow("cancelled at the second") << QStringList{"f", ""} << 2;
}

void TestPrompted::emptyAnswerInsertsNothing()
{
    QFETCH(QStringList, answers);
    QFETCH(int, questions);
    Window w;
    Answers a(answers);
    bool composed = false;
    Prompted::ask(&w.window, w.edit, {{"一", {}}, {"二", {}}, {"三", {}}}, [&](const QStringList &) {
        composed = true;
        return Insertion::replacing("x");
    });
    QCOMPARE(a.asked.size(), questions);
    QVERIFY(!composed);
    QCOMPARE(w.edit->text(), QString("[sel]"));
    QCOMPARE(w.edit->selText(), QString("sel"));
    QVERIFY(w.editHasFocus());
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
        Prompted::link(w.edit, &w.window);
        Pickers::path = nullptr;
        QCOMPARE(runs, 1);
        // A cancelled picker still links, with an empty target.
        QCOMPARE(w.edit->text(), "[<a href=\"" + path + "\">sel</a>]");
        QVERIFY(w.editHasFocus());
    }
}

void TestPrompted::pickerButtons()
{
    Pickers::colour = [](QWidget *) { Shared::ChosenColor = "#0A10FF"; };
    Pickers::style = [](QWidget *) { Shared::ChosenStyle = "\"color:red;\""; };
    Pickers::path = [](QWidget *) { Shared::PickedPath = "../a.htm"; };
    {
        // Font colour and span style wrap the selection and leave the focus where it was.
        Window w;
        Prompted::fontColour(w.edit, &w.window);
        QCOMPARE(w.edit->text(), QString("[<font color=\"#0A10FF\">sel</font>]"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.other));
    }
    {
        Window w;
        Prompted::spanStyle(w.edit, &w.window);
        QCOMPARE(w.edit->text(), QString("[<span style=\"color:red;\">sel</span>]"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.other));
    }
    {
        // The bare answers replace the selection; colour and style take the focus, the path not.
        Window w;
        Prompted::colourText(w.edit, &w.window);
        QCOMPARE(w.edit->text(), QString("[#0A10FF]"));
        QVERIFY(w.editHasFocus());
        w.other->setFocus();
        Prompted::styleAttribute(w.edit, &w.window);
        QCOMPARE(w.edit->text(), QString("[#0A10FFstyle=\"color:red;\"]"));
        QVERIFY(w.editHasFocus());
        w.other->setFocus();
        Prompted::pathText(w.edit, &w.window);
        QCOMPARE(w.edit->text(), QString("[#0A10FFstyle=\"color:red;\"../a.htm]"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.other));
    }
    Pickers::colour = nullptr;
    Pickers::style = nullptr;
    Pickers::path = nullptr;
}

QTEST_MAIN(TestPrompted)
#include "test_prompted.moc"
