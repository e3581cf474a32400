// Undo and the ways to lose work, as a user meets them in the main window: loading other
// documents, cancelled pickers, closing the window, Save As.
#include "app/mainwindow.h"
#include "app/undocontroller.h"
#include "document/textfile.h"
#include "platform/editarea.h"
#include "platform/previewpane.h"
#include "platform/prompts.h"
#include "platform/shared.h"
#include "testutil.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QProcess>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QTextBlock>
#include <QTextDocument>
#include <QtTest>
#include <memory>

namespace {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Answers the next modal window by running fn on it, as soon as it is shown.
void whenModal(const std::function<void(QWidget *)> &fn)
{
    auto *timer = new QTimer(qApp);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, fn] {
        if (QWidget *m = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            fn(m);
        }
    });
    timer->start();
}

void rejectModal()
{
    whenModal([](QWidget *m) { static_cast<QDialog *>(m)->reject(); });
}

// The other half of the crash test: a run in a process of its own that types into the untitled
// page, says so on its output and then goes on running until it is killed.
int typingRun(const QString &root, int mode)
{
    AppEnv::setProgramFolder(root + "/prog");
    AppEnv::setSettingsFolder(root + "/config");
    AppEnv::setSetting("main", "ModosuMode", QString::number(mode));
    MainWindow w;
    w.show();
    w.startUp(QString());
    w.edit()->setSelStart(w.edit()->textLength());
    QTest::keyClicks(w.edit(), "typed before the crash");
    QTest::keyClick(w.edit(), Qt::Key_Return);
    QInputMethodEvent conversion;
    conversion.setCommitString(QStringLiteral("日本語"));
    QCoreApplication::sendEvent(w.edit(), &conversion);
    printf("typed\n");
    fflush(stdout);
    return QApplication::exec();
}

}  // namespace

class TestUndo : public QObject {
    Q_OBJECT

    std::unique_ptr<TestFolders> folders;
    QStringList asked;
    QHash<QString, QStringList> answers;

    // A window started as the program starts, in the given undo mode (-1: the stored one).
    std::unique_ptr<MainWindow> start(const QString &commandLine = QString(), int mode = -1)
    {
        if (mode >= 0)
            AppEnv::setSetting("main", "ModosuMode", QString::number(mode));
        auto w = std::make_unique<MainWindow>();
        w->startUp(commandLine);
        return w;
    }
    QString page(const QString &name, const QByteArray &bytes)
    {
        const QString p = folders->path(name);
        writeBytes(p, bytes);
        return p;
    }
    void answer(const QString &kind, const QString &text) { answers[kind] << text; }
    void click(MainWindow &w, const QString &name)
    {
        auto *b = w.findChild<QAbstractButton *>(name);
        QVERIFY2(b, qPrintable(name));
        b->click();
    }

private slots:
    void init()
    {
        folders = std::make_unique<TestFolders>();
        Shared::UndoMode = 1;
        writeBytes(folders->program + "/tmp.htm", "<html>\r\n</html>\r\n");
        asked.clear();
        answers.clear();
        Prompts::setAnswerer([this](const QString &kind, const QString &text) {
            asked << kind + ":" + text;
            QStringList &q = answers[kind];
            return q.isEmpty() ? QString::number(QMessageBox::No) : q.takeFirst();
        });
    }
    void cleanup()
    {
        Prompts::setAnswerer({});
        folders.reset();
    }

    void aLoadStartsAFreshHistory()
    {
        // Open, Open recent and New alike, in the file and the memory mode.
        for (int mode : {1, 2}) {
            auto w = start(QString(), mode);
            const QString a = page("a.htm", "page A\r\n");
            const QString b = page("b.htm", "B\r\n");
            answer("open", a);
            w->openDocument();
            w->edit()->setSelStart(6);
            w->edit()->insert("!");
            w->edit()->insert("?");
            answer("open", b);
            w->openDocument();  // "いいえ" to saving A
            QCOMPARE(w->edit()->text(), QString("B"));
            QVERIFY(!w->action("Modosu")->isEnabled());
            w->undo();
            QCOMPARE(w->edit()->text(), QString("B"));
            QVERIFY(!w->action("ModoYarinao")->isEnabled());
            // Saving now writes B's own text.
            QVERIFY(w->save());
            QCOMPARE(readTextFile(b).text, QString("B"));

            // An undo before the load leaves no redo that brings A back under B's name.
            w->openRecent(2);  // A again
            w->edit()->insert("x");
            w->undo();
            QVERIFY(w->action("ModoYarinao")->isEnabled());
            w->openRecent(2);  // B
            QCOMPARE(w->edit()->text(), QString("B"));
            QVERIFY(!w->action("ModoYarinao")->isEnabled());
            w->redo();
            QCOMPARE(w->edit()->text(), QString("B"));

            // The first change after a load is undone back to the loaded text.
            w->edit()->insert("1");
            QVERIFY(w->action("Modosu")->isEnabled());
            w->undo();
            QCOMPARE(w->edit()->text(), QString("B"));
            w->newDocument();
            QCOMPARE(w->edit()->text(), QString("<html>\n</html>"));
            w->undo();
            QCOMPARE(w->edit()->text(), QString("<html>\n</html>"));
            QVERIFY(w->shutDown());
        }
        // In the file mode the files hold the loaded text alone.
        auto w = start(QString(), 1);
        w->edit()->insert("x");
        w->edit()->insert("y");
        answer("open", page("c.htm", "C\r\n"));
        w->openDocument();
        w->history().flush();
        QCOMPARE(readTextFile(w->history().filePath(0)).text, QString("C"));
        for (int i = 1; i < 4; ++i)
            QVERIFY(!QFile::exists(w->history().filePath(i)));
    }

    void aLoadIsTheHistorysBaseInEveryMode()
    {
        // The history takes a loaded text whole, also where the editor breaks lines that the
        // file does not (U+2029, U+FDD0); the history files follow a load by themselves.
        const QString p = page("p.htm", "<p>a\xE2\x80\xA9" "b\xEF\xB7\x90" "c</p>\r\n");
        for (int mode : {0, 1, 2, 3}) {
            auto w = start(QString(), mode);
            answer("open", p);
            w->openDocument();
            const QString loaded = QStringLiteral("<p>a\nb\nc</p>");
            QCOMPARE(w->edit()->text(), loaded);
            QVERIFY(!w->isModified());
            QVERIFY(!w->action("Modosu")->isEnabled());
            if (mode == 1 || mode == 3)
                QTRY_COMPARE(readTextFile(w->history().filePath(0)).text, loaded);
            w->edit()->setSelStart(5);
            w->edit()->insert("x");
            QVERIFY(w->isModified());
            if (mode != 0) {
                w->undo();
                QCOMPARE(w->edit()->text(), loaded);
                QVERIFY(!w->isModified());
            }
            // The loaded text is black, as after a colour reset.
            for (QTextBlock b = w->edit()->document()->firstBlock(); b.isValid(); b = b.next())
                for (auto it = b.begin(); !it.atEnd(); ++it)
                    QCOMPARE(it.fragment().charFormat().foreground().color(), QColor(Qt::black));
            QVERIFY(w->shutDown());
        }
    }

    void cancelledPickersLeaveTextAndSelection()
    {
        auto w = start();
        w->show();
        EditArea *e = w->edit();
        const QString text = "line one\nline two\nline three\n";
        e->setText(text);
        auto check = [&](const char *button) {
            e->select(9, 18);
            rejectModal();
            click(*w, button);
            QCOMPARE(e->text(), text);
            QCOMPARE(e->selStart(), 9);
            QCOMPARE(e->selLength(), 18);
        };
        check("Command32");  // style dialog, Escape
        check("Command37");  // path picker, Cancel
        check("Command24");  // colour picker, closed before any colour was confirmed

        // A colour confirmed at an earlier opening is not inserted by a later cancel.
        e->select(0, 4);
        whenModal([](QWidget *m) { m->findChild<QAbstractButton *>("Command1")->click(); });
        click(*w, "Command24");
        QCOMPARE(e->text(), "#FFFFFF one\nline two\nline three\n");
        const QString confirmed = Shared::ChosenColor;
        e->select(0, 7);
        rejectModal();
        click(*w, "Command24");
        QCOMPARE(e->text(), "#FFFFFF one\nline two\nline three\n");
        QCOMPARE(e->selLength(), 7);
        QCOMPARE(Shared::ChosenColor, confirmed);
        QVERIFY(w->shutDown());
    }

    void saveAsProposesTheDocumentsNameAndFolder()
    {
        auto w = start();
        answer("save", "");
        QVERIFY(!w->saveAs());
        // Untitled: its folder, no name.
        QVERIFY(asked.last().endsWith("\n" + folders->program + "/"));
        QDir().mkpath(folders->path("sub dir 日本"));
        const QString a = page("sub dir 日本/a.htm", "A\r\n");
        answer("open", a);
        w->openDocument();
        answer("save", "");
        QVERIFY(!w->saveAs());
        QVERIFY(asked.last().endsWith("\n" + a));
        QVERIFY(w->shutDown());
    }

    void deepUndoWalksStepsAndRedoHasItsKeys()
    {
        auto w = start(QString(), 3);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        qint64 now = 0;
        w->undoController()->setClock([&] { return now; });
        EditArea *e = w->edit();
        e->setFocus();
        const QString base = e->text();
        e->setSelStart(e->textLength());
        QVERIFY(!w->action("Modosu")->isEnabled());
        QTest::keyClicks(e, "hello world");
        click(*w, "Command1(0)");  // <b></b>, the caret between
        QTest::keyClicks(e, "xyz");
        now += 1500;  // a pause
        QTest::keyClicks(e, "!");
        QCOMPARE(e->text(), base + "hello world<b>xyz!</b>");
        const QStringList back = {base + "hello world<b>xyz</b>", base + "hello world<b></b>", base + "hello world",
                                  base + "hello ", base};
        for (const QString &t : back) {
            QVERIFY(w->action("Modosu")->isEnabled());
            QTest::keyClick(e, Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(e->text(), t);
        }
        QCOMPARE(e->selStart(), base.size());  // where the typing began
        QVERIFY(!w->action("Modosu")->isEnabled());
        QTest::keyClick(e, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(e->text(), back[3]);
        QTest::keyClick(e, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(e->text(), back[2]);
        QCOMPARE(e->selStart(), back[2].size());
        w->redo();
        QCOMPARE(e->text(), back[1]);
        QCOMPARE(e->selStart(), back[1].size() - 4);  // the caret inside the tag pair again
        // A new change ends the redo steps.
        QTest::keyClicks(e, "new");
        QVERIFY(!w->action("ModoYarinao")->isEnabled());
        QTest::keyClick(e, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(e->text(), base + "hello world<b>new</b>");
        // The newest text reaches the recovery file.
        QTRY_COMPARE_WITH_TIMEOUT(readTextFile(w->history().filePath(0)).text, e->text(), 2000);
        QVERIFY(w->shutDown());
    }

    void undoPutsTheCaretWhereTheTextChangedAndShowsIt()
    {
        QString big;
        for (int i = 0; i < 16000; ++i)
            big += QStringLiteral("<p>行 %1</p>\r\n").arg(i);
        const QString path = page("big.htm", big.toUtf8());
        for (int mode : {1, 2, 3}) {
            auto w = start(path, mode);
            w->resize(800, 600);
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()));
            EditArea *e = w->edit();
            e->setFocus();
            const QString loaded = e->text();
            const int at = int(loaded.indexOf("行 15000"));
            e->setSelStart(at);
            QTest::keyClicks(e, "abc");
            QTest::keyClick(e, Qt::Key_H, Qt::ControlModifier);  // to the top
            QCOMPARE(e->selStart(), 0);
            QTest::keyClick(e, Qt::Key_Z, Qt::ControlModifier);
            // The deep mode takes back the typed word, the others the last key.
            QCOMPARE(e->text(), mode == 3 ? loaded : loaded.left(at) + "ab" + loaded.mid(at));
            QVERIFY2(e->selStart() >= at && e->selStart() <= at + 2, qPrintable(QString::number(mode)));
            QVERIFY(e->viewport()->rect().contains(e->cursorRect().center()));
            QVERIFY(w->shutDown());
        }
    }

    void modesOneAndTwoKeepTheirFourSnapshots()
    {
        for (int mode : {1, 2}) {
            auto w = start(QString(), mode);
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()));
            EditArea *e = w->edit();
            const QString base = e->text();
            e->setSelStart(0);
            QTest::keyClicks(e, "abcde");  // a burst: one snapshot per key as before
            QTest::keyClick(e, Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(e->text(), "abcd" + base);
            w->undo();
            w->undo();
            QCOMPARE(e->text(), "ab" + base);
            QVERIFY(!w->action("Modosu")->isEnabled());
            QVERIFY(w->action("ModoYarinao")->isEnabled());
            QTest::keyClick(e, Qt::Key_Y, Qt::ControlModifier);  // the one redo
            QCOMPARE(e->text(), "abc" + base);
            QVERIFY(!w->action("ModoYarinao")->isEnabled());
            QVERIFY(!w->action("Modosu")->isEnabled());
            if (mode == 1) {
                w->history().flush();
                for (int i = 0; i < 4; ++i)
                    QVERIFY(!QFile::exists(w->history().filePath(i)));
            }
            QVERIFY(w->shutDown());
        }
    }

    void undoingBackToTheSavedTextIsUnmodified()
    {
        for (int mode : {1, 3}) {
            auto w = start(QString(), mode);
            const QString a = page("a.htm", "A\r\n");
            answer("open", a);
            w->openDocument();
            auto *label = w->findChild<QLabel *>("ModifiedLabel");
            QVERIFY(label);
            QVERIFY(label->isHidden());
            EditArea *e = w->edit();
            e->setSelStart(1);
            QTest::keyClicks(e, "x");
            QVERIFY(w->isModified());
            QVERIFY(!label->isHidden());
            QCOMPARE(label->text(), QString("変更あり"));
            w->undo();
            QVERIFY(!w->isModified());
            QVERIFY(label->isHidden());
            // Saved later: that text is the unmodified one.
            QTest::keyClicks(e, "y");
            QVERIFY(w->save());
            QVERIFY(label->isHidden());
            QTest::keyClicks(e, "z");
            QVERIFY(w->isModified());
            w->undo();
            QVERIFY(!w->isModified());
            asked.clear();
            QVERIFY(w->shutDown());
            QVERIFY(asked.filter("ask:").isEmpty());  // nothing to save
        }
    }

    void damagedOrUnwritableHistoryFilesNeverCostTheText()
    {
        auto w = start();
        EditArea *e = w->edit();
        const QString base = e->text();
        e->setSelStart(0);
        QTest::keyClicks(e, "ab");
        w->history().flush();
        // Another program truncates the earlier snapshot and fills the newest with bytes that
        // are no text: undo still gives back exactly the text before the last key.
        writeBytes(w->history().filePath(1), "<ht");
        writeBytes(w->history().filePath(0), "\xff\xfe\x00garbage");
        w->undo();
        QCOMPARE(e->text(), "a" + base);

        // The files cannot be written: said once in the status bar, and typing goes on.
        w->history().setFolder(folders->path("gone"));
        QTest::keyClicks(e, "cd");
        w->history().flush();
        QTRY_VERIFY(w->statusBar()->currentMessage().contains("書き込めません"));
        w->statusBar()->clearMessage();
        QTest::keyClicks(e, "e");
        w->history().flush();
        QTest::qWait(50);
        QVERIFY(w->statusBar()->currentMessage().isEmpty());
        QCOMPARE(e->text(), "acde" + base);
        w->undo();
        QCOMPARE(e->text(), "acd" + base);
        QVERIFY(w->shutDown());
    }

    void deepModeIsTheFourthOption()
    {
        auto w = start();
        whenModal([](QWidget *m) {
            auto *deep = m->findChild<QRadioButton *>("Option4");
            QVERIFY(deep);
            QCOMPARE(deep->text(), QString("何度でも元に戻す（メモリ）"));
            QVERIFY(m->findChild<QRadioButton *>("Option2")->isChecked());  // the default
            deep->setChecked(true);
            m->findChild<QAbstractButton *>("Command1")->click();
        });
        w->action("mmOption")->trigger();
        QCOMPARE(Shared::UndoMode, 3);
        QVERIFY(w->shutDown());
        QCOMPARE(AppEnv::setting("main", "ModosuMode", ""), QString("3"));
        Shared::UndoMode = 1;
        auto again = start();
        QCOMPARE(Shared::UndoMode, 3);
        whenModal([](QWidget *m) {
            QVERIFY(m->findChild<QRadioButton *>("Option4")->isChecked());
            static_cast<QDialog *>(m)->reject();
        });
        again->action("mmOption")->trigger();
        QVERIFY(again->shutDown());
    }

    void aRunKilledAfterTypingOffersTheTypedText_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("files") << 1;
        QTest::newRow("deep") << 3;
    }
    void aRunKilledAfterTypingOffersTheTypedText()
    {
        QFETCH(int, mode);
        QProcess run;
        run.start(QCoreApplication::applicationFilePath(), {"--typing-run", folders->dir.path(), QString::number(mode)});
        QVERIFY(run.waitForStarted());
        QVERIFY(run.waitForReadyRead(60000));
        QCOMPARE(run.readLine().trimmed(), QByteArray("typed"));
        QTest::qWait(2000);  // the history files follow within a second
        run.kill();
        QVERIFY(run.waitForFinished());

        answer("confirm", "1");
        auto w = start();
        QVERIFY(asked.filter("confirm:").size() == 1);
        QCOMPARE(w->edit()->text(), QString("<html>\n</html>typed before the crash\n日本語"));
        QVERIFY(w->isModified());
        QVERIFY(w->shutDown());
    }

    void theEventLoopEndsSoonAfterTheWindowCloses_data()
    {
        QTest::addColumn<int>("preview");
        // The application's end is announced once per run of the loop: the browser goes first.
        QTest::newRow("preview loading a large page") << 1;
        QTest::newRow("preview never loaded") << 0;
    }
    void theEventLoopEndsSoonAfterTheWindowCloses()
    {
        QFETCH(int, preview);
        auto w = start();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        if (preview) {
            QString big;
            for (int i = 0; i < 60000; ++i)
                big += QStringLiteral("<p>行 %1 の文章</p>\n").arg(i);
            w->edit()->setText(big);
        }
        w->edit()->insert("x");  // modified: the close asks, and "いいえ" goes on
        QElapsedTimer clock;
        QTimer::singleShot(0, w.get(), [&] {
            if (preview)
                w->viewTabs()->setCurrentIndex(1);
            clock.start();
            w->close();
        });
        QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(7); });  // the safety net
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(clock.elapsed() < 3000);
        QVERIFY(!w->isVisible());
        QVERIFY(asked.last().startsWith("ask:"));
        // The shut-down ran: history files and the instance lock are gone.
        QVERIFY(!QFile::exists(w->history().filePath(0)));
        QVERIFY(QDir(w->history().folder()).entryList({"tarnell-run-*.lock"}, QDir::Files | QDir::Hidden).isEmpty());
    }
};

int main(int argc, char **argv)
{
    PreviewPane::registerScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);  // as main() does, for the browser module
    QApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--typing-run") == 0)
        return typingRun(QString::fromLocal8Bit(argv[2]), atoi(argv[3]));
    TestUndo test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_undo.moc"
