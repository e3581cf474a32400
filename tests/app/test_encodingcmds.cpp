// Encodings through the main window: reopening in another encoding, saving with a chosen
// encoding, byte-order mark and line end, converting line ends, the question about characters the
// page's encoding cannot hold, the status-bar buttons and the options for new documents.
#include "app/encodingdialog.h"
#include "app/mainwindow.h"
#include "app/optionsdialog.h"
#include "document/docpaths.h"
#include "platform/appenv.h"
#include "platform/editarea.h"
#include "platform/prompts.h"
#include "platform/shared.h"
#include "testutil.h"
#include "answers.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

// Runs fn on the next modal dialog once it is shown.
void onModal(std::function<void(QWidget *)> fn)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, fn] {
        if (QWidget *w = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            fn(w);
        }
    });
    timer->start();
}

}  // namespace

class TestEncodingCmds : public QObject {
    Q_OBJECT

    std::unique_ptr<TestFolders> folders;
    Answers answers;

    std::unique_ptr<MainWindow> start()
    {
        auto w = std::make_unique<MainWindow>();
        w->startUp(QString());
        return w;
    }
    // Opens a file with the given bytes.
    QString open(MainWindow &w, const QString &name, const QByteArray &bytes)
    {
        const QString path = folders->path(name);
        writeBytes(path, bytes);
        answers.push("open", path);
        w.openDocument();
        return path;
    }

private slots:
    void init()
    {
        folders = std::make_unique<TestFolders>();
        answers = Answers();
        answers.install();
        writeBytes(folders->program + "/tmp.htm", "<html>\r\n<meta charset=\"UTF-8\">\r\n</html>\r\n");
    }
    void cleanup()
    {
        Prompts::setAnswerer({});
        folders.reset();
    }

    void menusAndStatusButtons()
    {
        auto w = start();
        QMenu *file = w->menu("mmFile");
        QMenu *reopen = w->menu("ReopenAs");
        QVERIFY(reopen);
        QCOMPARE(reopen->title(), QString("エンコーディングを指定して開き直す(&E)"));
        QStringList names;
        for (QAction *a : reopen->actions())
            if (!a->isSeparator())
                names << a->objectName();
        QCOMPARE(names, QStringList({"ReopenAs(UTF-8)", "ReopenAs(Shift_JIS)", "ReopenAs(EUC-JP)", "ReopenAs(ISO-2022-JP)",
                                     "ReopenAs(UTF-16LE)", "ReopenAs(UTF-16BE)", "ReopenAs(Shift_JIS-2004)",
                                     "ReopenAs(EUC-JIS-2004)", "ReopenAsOther"}));
        QCOMPARE(w->action("ReopenAsOther")->text(), QString("その他…"));
        QCOMPARE(w->action("SaveAsEncoding")->text(), QString("エンコーディングを指定して保存(&K)…"));
        // In the File menu: reopening after Open, saving with an encoding after Save As.
        const QList<QAction *> items = file->actions();
        QCOMPARE(items.indexOf(reopen->menuAction()), items.indexOf(w->action("FileOpen")) + 1);
        QCOMPARE(items.indexOf(w->action("SaveAsEncoding")), items.indexOf(w->action("FileName")) + 1);

        auto *encoding = w->findChild<QToolButton *>("staEncoding");
        auto *lineEnd = w->findChild<QToolButton *>("staLineEnd");
        QVERIFY(encoding && lineEnd);
        QCOMPARE(encoding->text(), QString("UTF-8"));
        QCOMPARE(lineEnd->text(), QString("CR+LF"));
        open(*w, "bom.htm", "\xEF\xBB\xBF<p>\xE3\x81\x82</p>\n");
        QCOMPARE(encoding->text(), QString("UTF-8 (BOM)"));
        QCOMPARE(lineEnd->text(), QString("LF"));
        // The encoding button opens the ReopenAs menu, the current encoding marked.
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        encoding->click();
        QTRY_VERIFY(reopen->isVisible());
        QVERIFY(w->action("ReopenAs(UTF-8)")->isChecked());
        QVERIFY(!w->action("ReopenAs(Shift_JIS)")->isChecked());
        reopen->close();
        lineEnd->click();
        QMenu *lineEnds = w->findChild<QMenu *>("mnuLineEnd");
        QTRY_VERIFY(lineEnds->isVisible());
        QCOMPARE(lineEnds->actions().size(), 3);
        QVERIFY(w->findChild<QAction *>("LineEndTo(1)")->isChecked());  // the page's LF
        QVERIFY(!w->findChild<QAction *>("LineEndTo(0)")->isChecked());
        lineEnds->close();
    }

    void reopenInAnotherEncoding()
    {
        auto w = start();
        // Hiragana in EUC-JP that Shift_JIS reads too: detected as EUC-JP.
        const QByteArray bytes = "<p>\xA4\xCF\xA4\xA4\xA1\xA2\xA4\xBD\xA4\xA6\xA4\xC7\xA4\xB9</p>\r\n";
        const QString path = open(*w, "page.htm", bytes);
        QCOMPARE(w->documentFormat().encoding, QByteArray("EUC-JP"));
        const QString caption = w->windowTitle();
        w->action("ReopenAs(Shift_JIS)")->trigger();
        QCOMPARE(w->documentFormat().encoding, QByteArray("Shift_JIS"));
        QCOMPARE(w->edit()->text(), QString("<p>､ﾏ､､｡｢､ｽ､ｦ､ﾇ､ｹ</p>"));
        QCOMPARE(w->findChild<QToolButton *>("staEncoding")->text(), QString("Shift_JIS"));
        QCOMPARE(w->windowTitle(), caption);
        QCOMPARE(Shared::DocumentPath, path);
        QVERIFY(!w->isModified());
        // The reopened text is the history's base: an edit undone is no change.
        w->edit()->setSelStart(3);
        w->edit()->insert("x");
        QVERIFY(w->isModified());
        w->undo();
        QCOMPARE(w->edit()->text(), QString("<p>､ﾏ､､｡｢､ｽ､ｦ､ﾇ､ｹ</p>"));
        QVERIFY(!w->isModified());
        // Saved unedited, the bytes do not change.
        QVERIFY(w->save());
        QCOMPARE(readBytes(path), bytes);

        // A modified document asks first; Cancel keeps it.
        w->edit()->setText("edited");
        answers.push("ask", QString::number(QMessageBox::Cancel));
        w->action("ReopenAs(EUC-JP)")->trigger();
        QVERIFY(answers.asked.last().startsWith("ask:"));
        QCOMPARE(w->edit()->text(), QString("edited"));
        QCOMPARE(w->documentFormat().encoding, QByteArray("Shift_JIS"));
        // No: the edit is dropped and the file read again.
        answers.push("ask", QString::number(QMessageBox::No));
        w->action("ReopenAs(EUC-JP)")->trigger();
        QCOMPARE(w->edit()->text(), QString("<p>はい、そうです</p>"));
        QCOMPARE(readBytes(path), bytes);

        // Any other encoding from the full list.
        onModal([](QWidget *dlg) {
            QCOMPARE(dlg->objectName(), QString("frmOtherEncoding"));
            auto *list = child<QListWidget>(dlg, "lstEncoding");
            QVERIFY(list->count() > 20);
            QCOMPARE(list->currentItem()->text(), QString("EUC-JP"));
            list->setCurrentItem(list->findItems("windows-1252", Qt::MatchExactly).value(0));
            child<QPushButton>(dlg, "Command1")->click();
        });
        w->action("ReopenAsOther")->trigger();
        QCOMPARE(w->documentFormat().encoding, QByteArray("windows-1252"));
        QVERIFY(w->edit()->text().startsWith(QString::fromUtf8("<p>\xC2\xA4\xC3\x8F")));

        // Yes: the edit is saved first, then what was saved is read in the new encoding.
        w->edit()->setText("<p>x</p>");
        answers.push("ask", QString::number(QMessageBox::Yes));
        w->action("ReopenAs(Shift_JIS)")->trigger();
        QCOMPARE(readBytes(path), QByteArray("<p>x</p>\r\n"));
        QCOMPARE(w->documentFormat().encoding, QByteArray("Shift_JIS"));
        QCOMPARE(w->edit()->text(), QString("<p>x</p>"));
        QVERIFY(!w->isModified());
    }

    void reopenReportsBytesThatDoNotDecode()
    {
        auto w = start();
        // EUC-JIS-2004 with a plane-2 character, opened as EUC-JP.
        const QByteArray bytes = "<p>\xA4\xA2\xA4\xF3</p>\r\n<p>\xA4\xA4\x8F\xA1\xA2</p>\r\n";
        open(*w, "x0213.htm", bytes);
        QCOMPARE(w->documentFormat().encoding, QByteArray("EUC-JIS-2004"));
        QCOMPARE(w->edit()->text(), QString("<p>あん</p>\n<p>い丂</p>"));
        w->edit()->setText("edited");
        answers.asked.clear();
        w->action("ReopenAs(EUC-JP)")->trigger();
        // Reported with line and column before anything is asked; the document is kept.
        QCOMPARE(answers.asked.size(), 1);
        QVERIFY(answers.asked[0].startsWith("error:"));
        QVERIFY2(answers.asked[0].contains("2 行 5 桁目: 8F A1 A2"), qPrintable(answers.asked[0]));
        QCOMPARE(w->edit()->text(), QString("edited"));
        QCOMPARE(w->documentFormat().encoding, QByteArray("EUC-JIS-2004"));

        // UTF-16 with an odd number of bytes.
        answers.push("ask", QString::number(QMessageBox::No));
        open(*w, "odd.htm", QByteArray("<\0p\0>\0!", 7));
        answers.asked.clear();
        w->action("ReopenAs(UTF-16LE)")->trigger();
        QVERIFY(answers.asked.value(0).startsWith("error:"));
        QVERIFY(answers.asked.value(0).contains("1 行 4 桁目: 21"));
        // An untitled document reopens its template.
        w->newDocument();
        w->action("ReopenAs(Shift_JIS)")->trigger();
        QVERIFY(DocPaths::isUntitled(Shared::DocumentPath));
        QCOMPARE(w->documentFormat().encoding, QByteArray("Shift_JIS"));
        QCOMPARE(w->windowTitle(), QString("無題-Tarnell for NOTE"));
    }

    void saveWithEncodingBomAndLineEnds()
    {
        auto w = start();
        const QString path = open(*w, "sjis.htm", "<meta charset=\"Shift_JIS\">\r\n<p>\x93\xFA\x96\x7B</p>\r\n");
        QCOMPARE(w->documentFormat().encoding, QByteArray("Shift_JIS"));
        onModal([](QWidget *dlg) {
            QCOMPARE(dlg->objectName(), QString("frmEncoding"));
            auto *encoding = child<QComboBox>(dlg, "cboEncoding");
            auto *bom = child<QCheckBox>(dlg, "chkBom");
            auto *lineEnd = child<QComboBox>(dlg, "cboLineEnd");
            QCOMPARE(encoding->currentText(), QString("Shift_JIS"));
            QCOMPARE(bom->text(), QString("BOM を付ける"));
            QVERIFY(!bom->isEnabled());  // Shift_JIS has none
            QCOMPARE(lineEnd->count(), 3);
            QCOMPARE(lineEnd->itemText(0), QString("CR+LF"));
            QCOMPARE(lineEnd->currentText(), QString("CR+LF"));
            encoding->setCurrentIndex(encoding->findText("UTF-16LE"));
            QVERIFY(bom->isEnabled());
            bom->setChecked(true);
            lineEnd->setCurrentIndex(lineEnd->findText("LF"));
            child<QPushButton>(dlg, "Command1")->click();
        });
        answers.push("ask", QString::number(QMessageBox::Yes));  // rewrite the declaration
        w->action("SaveAsEncoding")->trigger();
        QVERIFY(answers.asked.last().contains("Shift_JIS"));
        const QString expected = QString("<meta charset=\"UTF-16LE\">\n<p>日本</p>\n");
        QByteArray utf16("\xFF\xFE", 2);
        for (QChar c : expected) {
            utf16 += char(c.unicode() & 0xFF);
            utf16 += char(c.unicode() >> 8);
        }
        QCOMPARE(readBytes(path), utf16);
        QCOMPARE(w->documentFormat().encoding, QByteArray("UTF-16LE"));
        QVERIFY(w->documentFormat().bom);
        QCOMPARE(w->documentFormat().lineEnd, LineEnd::LF);
        QVERIFY(!w->isModified());
        // The rewritten declaration is one change, undone in one step.
        w->undo();
        QCOMPARE(w->edit()->text(), QString("<meta charset=\"Shift_JIS\">\n<p>日本</p>"));

        // Cancel in the dialog changes nothing; "No" to the declaration keeps it as it is.
        onModal([](QWidget *dlg) { child<QPushButton>(dlg, "Command2")->click(); });
        w->action("SaveAsEncoding")->trigger();
        QCOMPARE(w->documentFormat().encoding, QByteArray("UTF-16LE"));
        onModal([](QWidget *dlg) {
            auto *encoding = child<QComboBox>(dlg, "cboEncoding");
            encoding->setCurrentIndex(encoding->findText("EUC-JP"));
            QVERIFY(!child<QCheckBox>(dlg, "chkBom")->isEnabled());
            child<QPushButton>(dlg, "Command1")->click();
        });
        answers.push("ask", QString::number(QMessageBox::No));
        w->action("SaveAsEncoding")->trigger();
        QCOMPARE(readBytes(path), QByteArray("<meta charset=\"Shift_JIS\">\n<p>\xC6\xFC\xCB\xDC</p>\n"));

        // An untitled page goes through Save As, which asks about the declaration once.
        w->newDocument();
        onModal([](QWidget *dlg) {
            auto *encoding = child<QComboBox>(dlg, "cboEncoding");
            encoding->setCurrentIndex(encoding->findText("Shift_JIS"));
            child<QPushButton>(dlg, "Command1")->click();
        });
        const QString named = folders->path("named.htm");
        answers.push("save", named);
        answers.push("ask", QString::number(QMessageBox::Yes));
        answers.asked.clear();
        w->action("SaveAsEncoding")->trigger();
        QCOMPARE(answers.asked.filter(QRegularExpression("^ask:")).size(), 1);
        QCOMPARE(readBytes(named), QByteArray("<html>\r\n<meta charset=\"Shift_JIS\">\r\n</html>\r\n"));
        QCOMPARE(w->documentPath(), named);
    }

    void convertingLineEnds()
    {
        auto w = start();
        // Mixed line ends and a byte sequence that the encoding reads like another (NEC/IBM).
        const QString path = open(*w, "mixed.htm", "<p>\xED\x40</p>\r\n<p>\xFA\x5C</p>\n<p>x</p>\r\n");
        QCOMPARE(w->documentFormat().lineEnd, LineEnd::CRLF);
        QVERIFY(!w->isModified());
        w->findChild<QAction *>("LineEndTo(1)")->trigger();  // LF
        QCOMPARE(w->findChild<QToolButton *>("staLineEnd")->text(), QString("LF"));
        QVERIFY(w->isModified());  // to be saved, though the text is the same
        QVERIFY(w->save());
        QCOMPARE(readBytes(path), QByteArray("<p>\xED\x40</p>\n<p>\xFA\x5C</p>\n<p>x</p>\n"));
        QVERIFY(!w->isModified());
        w->findChild<QAction *>("LineEndTo(2)")->trigger();  // CR
        QVERIFY(w->save());
        QCOMPARE(readBytes(path), QByteArray("<p>\xED\x40</p>\r<p>\xFA\x5C</p>\r<p>x</p>\r"));
    }

    void charactersTheEncodingCannotHold()
    {
        auto w = start();
        const QString path = open(*w, "sjis.htm", "<meta charset=Shift_JIS>\r\n<p>\x93\xFA</p>\r\n");
        w->edit()->setText(QString("<meta charset=Shift_JIS>\n<p>日🍣</p>"));
        answers.push("choose", "1");
        QVERIFY(w->save());
        QCOMPARE(readBytes(path), QByteArray("<meta charset=Shift_JIS>\r\n<p>\x93\xFA&#x1F363;</p>\r\n"));
        QCOMPARE(w->edit()->text(), QString("<meta charset=Shift_JIS>\n<p>日&#x1F363;</p>"));
        QCOMPARE(w->documentFormat().encoding, QByteArray("Shift_JIS"));
        QVERIFY(!answers.asked.last().contains("<script>"));
        // One change: one undo step brings the character back.
        w->undo();
        QCOMPARE(w->edit()->text(), QString("<meta charset=Shift_JIS>\n<p>日🍣</p>"));

        // Inside a script the characters are named in the question.
        w->edit()->setText(QString("<p>🍣</p><script>alert('😀')</script>"));
        answers.push("choose", "2");  // cancel
        QVERIFY(!w->save());
        const QString question = answers.asked.last();
        QVERIFY(question.startsWith("choose:"));
        QVERIFY2(question.contains("<script> や <style> の中の文字") && question.contains("😀"), qPrintable(question));
        QCOMPARE(readBytes(path), QByteArray("<meta charset=Shift_JIS>\r\n<p>\x93\xFA&#x1F363;</p>\r\n"));
    }

    void optionsForNewDocuments()
    {
        auto w = start();
        {
            OptionsDialog dlg(w->edit());
            auto *tabs = child<QTabWidget>(&dlg, "SSTab1");
            QCOMPARE(tabs->count(), 3);
            QCOMPARE(tabs->tabText(2), QString("ファイル"));
            auto *encoding = child<QComboBox>(&dlg, "cboNewEncoding");
            auto *lineEnd = child<QComboBox>(&dlg, "cboNewLineEnd");
            QCOMPARE(encoding->currentText(), QString("UTF-8"));
            QCOMPARE(lineEnd->currentText(), QString("CR+LF"));
            // OK without a change stores nothing.
            child<QPushButton>(&dlg, "Command1")->click();
        }
        QCOMPARE(AppEnv::setting("main", "NewEncoding", "none"), QString("none"));
        {
            OptionsDialog dlg(w->edit());
            auto *encoding = child<QComboBox>(&dlg, "cboNewEncoding");
            encoding->setCurrentIndex(encoding->findText("Shift_JIS"));
            child<QComboBox>(&dlg, "cboNewLineEnd")->setCurrentIndex(1);
            child<QPushButton>(&dlg, "Command1")->click();
        }
        QCOMPARE(AppEnv::setting("main", "NewEncoding", ""), QString("Shift_JIS"));
        QCOMPARE(AppEnv::setting("main", "NewLineEnd", ""), QString("LF"));
        w->newDocument();
        QCOMPARE(w->documentFormat().encoding, QByteArray("Shift_JIS"));
        QCOMPARE(w->documentFormat().lineEnd, LineEnd::LF);
        QVERIFY(!w->isModified());  // New right after New asks nothing
        // Its first save offers to make the template's declaration say Shift_JIS.
        w->edit()->setSelStart(w->edit()->textLength());
        w->edit()->insert("\n日本");
        const QString path = folders->path("new.htm");
        answers.push("save", path);
        answers.push("ask", QString::number(QMessageBox::Yes));
        QVERIFY(w->saveAs());
        QCOMPARE(readBytes(path), QByteArray("<html>\n<meta charset=\"Shift_JIS\">\n</html>\n\x93\xFA\x96\x7B\n"));
        {
            OptionsDialog dlg(w->edit());
            QCOMPARE(child<QComboBox>(&dlg, "cboNewEncoding")->currentText(), QString("Shift_JIS"));
            QCOMPARE(child<QComboBox>(&dlg, "cboNewLineEnd")->currentText(), QString("LF"));
        }
    }
};

QTEST_MAIN(TestEncodingCmds)
#include "test_encodingcmds.moc"
