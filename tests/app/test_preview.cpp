// Preview, printing, the undo history through the window, and the options dialog.
#include "app/mainwindow.h"
#include "app/optionsdialog.h"
#include "platform/browserview.h"
#include "platform/editarea.h"
#include "platform/previewpane.h"
#include "platform/printing.h"
#include "platform/prompts.h"
#include "platform/shared.h"
#include "testutil.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QtTest>
#include <memory>

class TestPreview : public QObject {
    Q_OBJECT

    std::unique_ptr<TestFolders> folders;

    std::unique_ptr<MainWindow> start(const QString &commandLine = QString())
    {
        auto w = std::make_unique<MainWindow>();
        w->startUp(commandLine);
        return w;
    }

private slots:
    void init()
    {
        folders = std::make_unique<TestFolders>();
        Shared::UndoMode = 1;
        QFile f(folders->program + "/tmp.htm");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<html>\r\n</html>\r\n");
    }
    void cleanup()
    {
        Prompts::setAnswerer({});
        Printing::setChooser({});
        folders.reset();
    }

#ifdef TARNELL_WEBENGINE
    void previewRendersThePageBesideTheDocument()
    {
        const QString site = folders->path("site");
        QDir().mkpath(site);
        QImage pic(7, 5, QImage::Format_RGB32);
        pic.fill(Qt::red);
        QVERIFY(pic.save(site + "/pic.png"));
        const QString page = site + "/index.htm";
        QFile f(page);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<html><body><p id=t>見出し</p><img src=\"pic.png\"></body></html>\r\n");
        f.close();

        auto w = start(page);
        QVERIFY(!w->preview()->hasBrowser());  // start-up does not pay for the browser
        w->resize(800, 600);
        w->show();
        w->edit()->setText(w->edit()->text() + "<b>new</b>");
        QSignalSpy loaded(w->preview(), &PreviewPane::loadFinished);
        w->viewTabs()->setCurrentIndex(1);
        QVERIFY(QFile::exists(page + "$.tmp"));
        QVERIFY(QFile(page + "$.tmp").size() > 0);
        QVERIFY(loaded.wait(30000) || loaded.count() > 0);
        QCOMPARE(loaded.first().first().toBool(), true);
        auto *view = w->findChild<BrowserView *>("WebBrowser1");
        QVERIFY(view->hasEngine());
        QVERIFY(view);

        // Rendered as HTML from the preview file's folder: the relative picture loads.
        QVariant result;
        bool done = false;
        view->runJavaScript(
            "document.getElementById('t').textContent + '|' + document.images[0].naturalWidth + '|' + "
            "document.getElementsByTagName('b').length",
            [&](const QVariant &v) { result = v; done = true; });
        QTRY_VERIFY_WITH_TIMEOUT(done, 20000);
        QCOMPARE(result.toString(), QString("見出し|7|1"));

        // New windows are refused: a link with a target of its own and window.open open
        // nothing, and the preview stays on the page.
        const int windows = int(QApplication::topLevelWidgets().size());
        const QUrl url = view->url();
        done = false;
        view->runJavaScript(
            "var a = document.createElement('a'); a.href = 'pic.png'; a.target = '_blank';"
            "document.body.appendChild(a); a.click(); window.open('pic.png', 'other'); 1",
            [&](const QVariant &) { done = true; });
        QTRY_VERIFY_WITH_TIMEOUT(done, 20000);
        QTest::qWait(300);
        QCOMPARE(int(QApplication::topLevelWidgets().size()), windows);
        QCOMPARE(view->url(), url);
        QCOMPARE(w->findChildren<BrowserView *>().size(), 1);

        // Typing switches back to the editing tab.
        w->edit()->insert("x");
        QCOMPARE(w->viewTabs()->currentIndex(), 0);
    }

    void firstSwitchKeepsTheNativeWindow()
    {
        // Keys typed while a window gets a new native window are lost; the first switch to
        // the preview must not cause one. Only a real windowing system shows it: a headless run
        // runs this case again under Xvfb.
        if (QGuiApplication::platformName() != "xcb") {
            if (QStandardPaths::findExecutable("xvfb-run").isEmpty())
                QSKIP("needs xvfb-run");
            QProcess child;
            child.setProcessChannelMode(QProcess::MergedChannels);
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.remove("QT_QPA_PLATFORM");
            child.setProcessEnvironment(env);
            child.start("xvfb-run", {"-a", "-s", "-screen 0 1024x768x24", QCoreApplication::applicationFilePath(),
                                     "-platform", "xcb", "firstSwitchKeepsTheNativeWindow"});
            QVERIFY(child.waitForFinished(120000));
            const QByteArray out = child.readAll();
            QVERIFY2(child.exitCode() == 0 && out.contains("PASS   : TestPreview::firstSwitchKeepsTheNativeWindow"),
                     out.constData());
            return;
        }
        auto w = start();
        w->resize(800, 600);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        const WId before = w->winId();
        QSignalSpy loaded(w->preview(), &PreviewPane::loadFinished);
        w->viewTabs()->setCurrentIndex(1);
        QVERIFY(loaded.wait(60000) || loaded.count() > 0);
        QTest::qWait(200);
        QCOMPARE(w->winId(), before);
        // Back in the editing tab the keys arrive, and the window stays the same through
        // further switches.
        w->viewTabs()->setCurrentIndex(0);
        w->edit()->setFocus();
        QTest::keyClicks(w->edit(), "qzq");
        QVERIFY(w->edit()->text().contains("qzq"));
        w->viewTabs()->setCurrentIndex(1);
        QTest::qWait(200);
        QCOMPARE(w->winId(), before);
    }
#endif

    void previewThatCannotBeWrittenSaysSo()
    {
        auto w = start(folders->path("missing-folder/page.htm"));
        w->viewTabs()->setCurrentIndex(1);
        auto *msg = w->findChild<QLabel *>("PreviewMessage");
        QVERIFY(msg);
        QVERIFY(msg->isVisibleTo(w->preview()));
        QVERIFY(msg->text().contains("表示できません"));
    }

    void printingTheSelectionPrintsJustThat()
    {
        auto w = start();
        w->edit()->setText("first line\nsecond line\nthird line");
        w->edit()->select(11, 11);
        const QString pdf = folders->path("out.pdf");
        bool offeredSelection = false;
        Printing::setChooser([&](QPrinter &p) {
            offeredSelection = p.printRange() == QPrinter::Selection;
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(pdf);
            return true;
        });
        std::unique_ptr<QTextDocument> doc(Printing::documentToPrint(w->edit()));
        QCOMPARE(doc->toPlainText(), QString("second line"));
        w->printText();
        QVERIFY(offeredSelection);
        QVERIFY(QFileInfo(pdf).size() > 0);
        const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
        if (!pdftotext.isEmpty()) {
            QProcess p;
            p.start(pdftotext, {pdf, "-"});
            QVERIFY(p.waitForFinished(20000));
            const QString text = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
            // The page carries its number; the text is just the selection.
            QVERIFY2(text.startsWith("second line"), qPrintable(text));
            QVERIFY(!text.contains("first") && !text.contains("third"));
        }
        // No selection: the whole text.
        w->edit()->setSelStart(0);
        doc.reset(Printing::documentToPrint(w->edit()));
        QCOMPARE(doc->toPlainText(), w->edit()->text());
        // A cancelled dialog prints nothing.
        QFile::remove(pdf);
        Printing::setChooser([](QPrinter &) { return false; });
        w->printText();
        QVERIFY(!QFile::exists(pdf));
    }

    void undoThroughTheWindowInEachMode()
    {
        for (int mode : {1, 2}) {
            auto w = start();
            w->setUndoMode(mode);
            const QString before = w->edit()->text();
            w->edit()->insert("A");
            w->edit()->insert("B");
            w->refreshEditMenu();
            QVERIFY(w->action("Modosu")->isEnabled());
            QVERIFY(!w->action("ModoYarinao")->isEnabled());
            w->undo();
            QCOMPARE(w->edit()->text(), QString("A") + before);
            w->refreshEditMenu();
            QVERIFY(w->action("ModoYarinao")->isEnabled());
            w->redo();
            QCOMPARE(w->edit()->text(), QString("AB") + before);
            Prompts::setAnswerer([](const QString &, const QString &) { return QString::number(QMessageBox::No); });
            QVERIFY(w->shutDown());
            Prompts::setAnswerer({});
        }
    }

    void modeOffDisablesUndoAndWritesNothing()
    {
        auto w = start();
        w->setUndoMode(0);
        QFile::remove(folders->program + "/modo0.tmp");
        w->edit()->insert("x");
        QVERIFY(!QFile::exists(folders->program + "/modo0.tmp"));
        w->refreshEditMenu();
        QVERIFY(!w->action("Modosu")->isEnabled());
        QVERIFY(!w->action("ModoYarinao")->isEnabled());
    }

    void ctrlZInTheEditorRunsTheHistory()
    {
        auto w = start();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->edit()->setFocus();
        const QString before = w->edit()->text();
        w->edit()->select(0, 0);
        QTest::keyClicks(w->edit(), "q");
        QCOMPARE(w->edit()->text(), "q" + before);
        QTest::keyClick(w->edit(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w->edit()->text(), before);
        // With no earlier snapshot, undo keeps the text.
        QTest::keyClick(w->edit(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w->edit()->text(), before);
    }

    void displayFormattingTakesNoSnapshotAndALoadStartsAfresh()
    {
        auto w = start();
        const QString base = readTextFile(folders->program + "/modo0.tmp").text;
        w->edit()->select(0, 3);
        w->edit()->setSelectionColor(Qt::blue);
        QVERIFY(!QFile::exists(folders->program + "/modo1.tmp"));
        QVERIFY(!w->isModified());
        QFile other(folders->path("o.htm"));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write("other\r\n");
        other.close();
        Prompts::setAnswerer([&](const QString &kind, const QString &) {
            return kind == "open" ? folders->path("o.htm") : QString::number(QMessageBox::No);
        });
        w->openDocument();
        QCOMPARE(w->edit()->text(), QString("other"));
        w->history().flush();
        QCOMPARE(readTextFile(folders->program + "/modo0.tmp").text, QString("other"));
        QVERIFY(!QFile::exists(folders->program + "/modo1.tmp"));
        w->undo();  // nothing earlier: never the previous document's text
        QCOMPARE(w->edit()->text(), QString("other"));
    }

    void optionsDialog()
    {
        auto w = start();
        QFont f = w->edit()->font();
        f.setPointSizeF(9.75);
        w->edit()->setFont(f);
        Shared::UndoMode = 1;
        {
            OptionsDialog dlg(w->edit());
            QCOMPARE(dlg.objectName(), QString("frmOption"));
            QCOMPARE(dlg.windowTitle(), QString("OPTION"));
            QCOMPARE(dlg.findChild<QLabel *>("Label1")->text(), QString("フォントサイズ=9.75"));
            QCOMPARE(dlg.findChild<QSpinBox *>("UpDown1")->value(), 9);
            QVERIFY(dlg.findChild<QRadioButton *>("Option2")->isChecked());
            dlg.findChild<QSpinBox *>("UpDown1")->setValue(12);
            QCOMPARE(dlg.findChild<QLabel *>("Label1")->text(), QString("フォントサイズ=12"));
            dlg.findChild<QSpinBox *>("UpDown1")->setValue(9);
            dlg.findChild<QCheckBox *>("Check1")->setChecked(true);
            dlg.findChild<QRadioButton *>("Option3")->setChecked(true);
            dlg.applyAndClose();
            QCOMPARE(dlg.undoMode(), 2);
        }
        QCOMPARE(w->edit()->font().pointSizeF(), 9.0);
        QVERIFY(w->edit()->font().bold());
        QCOMPARE(Shared::UndoMode, 2);
        {
            OptionsDialog dlg(w->edit());
            dlg.findChild<QRadioButton *>("Option1")->setChecked(true);
            dlg.findChild<QPushButton *>("Command2")->click();  // cancel changes nothing
            QCOMPARE(dlg.undoMode(), 2);
        }
        QCOMPARE(Shared::UndoMode, 2);
        {
            // The controls as they open; a stored mode that is none of the three selects no
            // option, and OK then keeps it.
            Shared::UndoMode = 7;
            OptionsDialog dlg(w->edit());
            auto *tabs = dlg.findChild<QTabWidget *>("SSTab1");
            QCOMPARE(tabs->count(), 3);
            QCOMPARE(tabs->tabText(0), QString("編集"));
            QCOMPARE(tabs->tabText(1), QString("UNDO"));
            QCOMPARE(tabs->tabText(2), QString("ファイル"));
            auto *size = dlg.findChild<QSpinBox *>("UpDown1");
            QCOMPARE(size->minimum(), 8);
            QCOMPARE(size->maximum(), 72);
            QCOMPARE(size->singleStep(), 1);
            QCOMPARE(dlg.findChild<QLabel *>("Label1")->text(), QString("フォントサイズ=9"));
            QCOMPARE(dlg.findChild<QCheckBox *>("Check1")->text(), QString("太字"));
            QVERIFY(dlg.findChild<QCheckBox *>("Check1")->isChecked());
            const QStringList captions = {"元に戻す機能を使わない", "ファイルを使って元に戻す機能を使用",
                                          "メモリを使って元に戻す機能を使用"};
            for (int i = 0; i < 3; ++i) {
                auto *o = dlg.findChild<QRadioButton *>(QString("Option%1").arg(i + 1));
                QCOMPARE(o->text(), captions[i]);
                QVERIFY(!o->isChecked());
            }
            QCOMPARE(dlg.findChild<QPushButton *>("Command1")->text(), QString("OK"));
            QCOMPARE(dlg.findChild<QPushButton *>("Command2")->text(), QString("キャンセル"));
            QTest::mouseClick(dlg.findChild<QPushButton *>("Command1"), Qt::LeftButton);
            QCOMPARE(Shared::UndoMode, 7);
            Shared::UndoMode = 2;
        }
        Prompts::setAnswerer([](const QString &, const QString &) { return QString::number(QMessageBox::No); });
        QVERIFY(w->shutDown());
        auto w2 = start();
        QCOMPARE(Shared::UndoMode, 2);  // the mode survives a restart, the font does not
        QVERIFY(!w2->edit()->font().bold());
    }
};

int main(int argc, char *argv[])
{
    PreviewPane::registerScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestPreview t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_preview.moc"
