// The window gallery: every window and dialog of the program opened in turn on a
// 1024×768 screen, looked at as a careful designer would:
//  - the window fits the screen, and no control sticks out of the widget holding it;
//  - every button, check box, option button, label and tab shows its whole caption
//    (measured with the font's metrics against the room the style gives the text);
//  - every list box shows whole rows, at least three of them (or all, when fewer).
// The same checks run again in a second process at a 1.5 scale factor.
// TARNELL_SCREENSHOTS=folder also writes a PNG of each window there (as the help
// pages and the package's metadata use them).
#include "app/about.h"
#include "app/encodingdialog.h"
#include "app/mainwindow.h"
#include "app/optionsdialog.h"
#include "app/splash.h"
#include "dialogs/bodyfrm.h"
#include "dialogs/colorfrm.h"
#include "dialogs/framefrm.h"
#include "dialogs/hrfrm.h"
#include "dialogs/iframefrm.h"
#include "dialogs/imgform.h"
#include "dialogs/layerfrm.h"
#include "dialogs/marqueefrm.h"
#include "dialogs/rubyfrm.h"
#include "dialogs/stylefrm.h"
#include "dialogs/tabledialogs.h"
#include "dialogs/tablewizard.h"
#include "editing/palette.h"
#include "editing/search.h"
#include "editing/tagfrm.h"
#include "platform/editarea.h"
#include "platform/prompts.h"
#include "platform/shared.h"
#include "testutil.h"
#include "tools/gradfrm.h"
#include "tools/grepfrm.h"
#include "tools/helpviewer.h"
#include "tools/mapfrm.h"
#include "tools/pathfrm.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDockWidget>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryFile>
#include <QTextDocument>
#include <QTimer>
#include <QTranslator>
#include <QTreeView>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

constexpr QSize kScreen(1024, 768);

QString shown(const QString &caption)
{
    // What a caption shows: "&&" is one "&", a single "&" marks the mnemonic.
    QString s;
    for (int i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size())
            ++i;
        s += caption[i];
    }
    return s;
}

QString describe(const QWidget *w)
{
    QString name = w->objectName();
    if (name.isEmpty()) {
        if (auto *b = qobject_cast<const QAbstractButton *>(w))
            name = QLatin1Char('"') + b->text() + QLatin1Char('"');
        else if (auto *l = qobject_cast<const QLabel *>(w))
            name = QLatin1Char('"') + l->text().left(20) + QLatin1Char('"');
    }
    return QString::fromLatin1(w->metaObject()->className()) + QLatin1Char(' ') + name;
}

// Widgets whose children are the toolkit's own business (scrolled contents, the parts of
// a spin box or combo box, a tab bar's scroll arrows).
bool insideToolkitPart(const QWidget *w, const QWidget *top)
{
    for (const QWidget *p = w->parentWidget(); p && p != top; p = p->parentWidget()) {
        if (qobject_cast<const QAbstractScrollArea *>(p) || qobject_cast<const QTabBar *>(p) ||
            p->inherits("QAbstractSpinBox") || p->inherits("QComboBox"))
            return true;
    }
    return false;
}

// The room a button's style leaves for its caption.
int captionRoom(const QAbstractButton *b)
{
    if (auto *push = qobject_cast<const QPushButton *>(b)) {
        QStyleOptionButton opt;
        opt.initFrom(push);
        opt.text = push->text();
        opt.icon = push->icon();
        opt.iconSize = push->iconSize();
        int room = push->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, push).width();
        if (!push->icon().isNull())
            room -= push->iconSize().width() + 4;
        return room;
    }
    QStyleOptionButton opt;
    opt.initFrom(b);
    opt.text = b->text();
    const bool check = qobject_cast<const QCheckBox *>(b);
    const QRect r = b->style()->subElementRect(check ? QStyle::SE_CheckBoxContents : QStyle::SE_RadioButtonContents, &opt, b);
    return r.width();
}

struct Look {
    QStringList faults;
    int checked = 0;  // controls looked at

    void fault(const QString &window, const QWidget *w, const QString &what)
    {
        faults << window + QStringLiteral(": ") + describe(w) + QStringLiteral(": ") + what;
    }

    void children(const QString &window, QWidget *top)
    {
        const QList<QWidget *> all = top->findChildren<QWidget *>();
        for (QWidget *w : all) {
            if (!w->isVisibleTo(top) || w->isWindow() || insideToolkitPart(w, top))
                continue;
            ++checked;
            const QWidget *p = w->parentWidget();
            if (!p->rect().contains(w->geometry()) && w->width() > 0 && w->height() > 0)
                fault(window, w, QStringLiteral("sticks out of %1 (%2 in %3×%4)")
                                     .arg(describe(p))
                                     .arg(QStringLiteral("%1,%2 %3×%4").arg(w->x()).arg(w->y()).arg(w->width()).arg(w->height()))
                                     .arg(p->width())
                                     .arg(p->height()));
            caption(window, w);
            list(window, w);
        }
    }

    void caption(const QString &window, QWidget *w)
    {
        const QFontMetrics fm = w->fontMetrics();
        if (auto *b = qobject_cast<QAbstractButton *>(w); b && !b->inherits("QToolButton") && !b->text().isEmpty()) {
            const int need = fm.horizontalAdvance(shown(b->text()));
            if (need > captionRoom(b))
                fault(window, w, QStringLiteral("caption needs %1 px, has %2").arg(need).arg(captionRoom(b)));
            if (fm.height() > b->height())
                fault(window, w, QStringLiteral("caption is %1 px high, the button %2").arg(fm.height()).arg(b->height()));
        } else if (auto *l = qobject_cast<QLabel *>(w); l && !l->text().isEmpty() && l->pixmap().isNull()) {
            const QRect room = l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(), -l->margin());
            if (l->wordWrap() || Qt::mightBeRichText(l->text())) {
                const int need = l->heightForWidth(l->width());
                if (need > l->height() + 1)
                    fault(window, w, QStringLiteral("text needs %1 px of height, has %2").arg(need).arg(l->height()));
            } else {
                const QString text = l->buddy() ? shown(l->text()) : l->text();
                const QStringList lines = text.split(QLatin1Char('\n'));
                int need = 0;
                for (const QString &line : lines)
                    need = qMax(need, fm.horizontalAdvance(line));
                if (need > room.width())
                    fault(window, w, QStringLiteral("text needs %1 px, has %2").arg(need).arg(room.width()));
                if (fm.height() * int(lines.size()) > room.height() + 1)
                    fault(window, w, QStringLiteral("text needs %1 px of height, has %2")
                                         .arg(fm.height() * int(lines.size()))
                                         .arg(room.height()));
            }
        } else if (auto *t = qobject_cast<QTabBar *>(w)) {
            const int space = t->style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, t);
            for (int i = 0; i < t->count(); ++i) {
                const int need = fm.horizontalAdvance(shown(t->tabText(i))) + space / 2;
                const QRect r = t->tabRect(i);
                if (r.width() < need || !t->rect().contains(r))
                    fault(window, w, QStringLiteral("tab \"%1\" is cut (%2 px for %3)").arg(t->tabText(i)).arg(r.width()).arg(need));
            }
        } else if (auto *g = qobject_cast<QGroupBox *>(w); g && !g->title().isEmpty()) {
            const int need = fm.horizontalAdvance(shown(g->title())) + 2 * fm.averageCharWidth();
            if (need > g->width())
                fault(window, w, QStringLiteral("title needs %1 px, has %2").arg(need).arg(g->width()));
        }
    }

    // A list box shows whole rows: all of them, or at least three and none cut in half.
    void list(const QString &window, QWidget *w)
    {
        auto *view = qobject_cast<QListView *>(w);
        if (!view || !view->model() || view->model()->rowCount(view->rootIndex()) == 0)
            return;
        const int rows = view->model()->rowCount(view->rootIndex());
        const QRect port = view->viewport()->rect();
        int whole = 0;
        int cut = 0;
        for (int r = 0; r < rows; ++r) {
            const QRect item = view->visualRect(view->model()->index(r, 0, view->rootIndex()));
            if (item.isEmpty() || !port.intersects(item))
                continue;
            if (port.top() <= item.top() && item.bottom() <= port.bottom())
                ++whole;
            else
                ++cut;
        }
        if (whole < qMin(rows, 3))
            fault(window, w, QStringLiteral("shows %1 whole rows of %2").arg(whole).arg(rows));
        // A short list is sized to its rows; a long one scrolls and may cut its last.
        if (cut > 0 && rows <= 12)
            fault(window, w, QStringLiteral("cuts a row in half (%1 whole rows of %2)").arg(whole).arg(rows));
    }

    void window(const QString &name, QWidget *top)
    {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        if (top->width() > screen.width() || top->height() > screen.height())
            fault(name, top, QStringLiteral("%1×%2 is larger than the screen %3×%4")
                                 .arg(top->width()).arg(top->height()).arg(screen.width()).arg(screen.height()));
        children(name, top);
    }
};

}  // namespace

class TestGallery : public QObject {
    Q_OBJECT

    std::unique_ptr<TestFolders> folders;
    std::unique_ptr<MainWindow> main;
    Look look;
    QStringList seen;

    bool scaled() const { return qEnvironmentVariableIsSet("TARNELL_GALLERY_SCALED"); }

    // Shows a window, lets it lay itself out, checks it and keeps a picture of it.
    void visit(const QString &name, QWidget *w)
    {
        if (!w->isVisible())
            w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCoreApplication::processEvents();
        seen << QStringLiteral("%1 (%2, %3×%4)").arg(name, w->objectName()).arg(w->width()).arg(w->height());
        look.window(name, w);
        const QString folder = qEnvironmentVariable("TARNELL_SCREENSHOTS");
        if (!folder.isEmpty() && !scaled()) {
            QDir().mkpath(folder);
            QVERIFY(w->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png")));
        }
    }

    // A modal dialog, made directly and looked at without running it.
    template <class Dialog, class... Args>
    void dialog(const QString &name, Args &&...args)
    {
        Dialog d(std::forward<Args>(args)...);
        visit(name, &d);
        d.close();
    }

private slots:
    void initTestCase()
    {
        // The offscreen screen cannot pass size hints on to a window manager; that is no fault.
        static const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext &context, const QString &message) {
                if (!message.contains(QLatin1String("does not support propagateSizeHints")) &&
                    !message.contains(QLatin1String("does not support raise")))
                    previous(type, context, message);
            });
        // The screen the windows are checked on.
        const QScreen *screen = QGuiApplication::primaryScreen();
        if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
            QCOMPARE(screen->geometry().size(), kScreen);
            QCOMPARE(screen->devicePixelRatio(), scaled() ? 1.5 : 1.0);
        }
        folders = std::make_unique<TestFolders>();
        Prompts::setAnswerer([](const QString &, const QString &) { return QString(); });
        QFile::copy(QStringLiteral(TARNELL_SOURCE_DIR "/resources/tmp.htm"), folders->program + "/tmp.htm");
        QDir().mkpath(folders->program + "/help");
        for (const QString &f : QDir(QStringLiteral(TARNELL_SOURCE_DIR "/resources/help")).entryList(QDir::Files))
            QFile::copy(QStringLiteral(TARNELL_SOURCE_DIR "/resources/help/") + f, folders->program + "/help/" + f);
        QFile page(folders->path("page.htm"));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<html>\n<head>\n<title>見本</title>\n</head>\n<body>\n<p>こんにちは</p>\n</body>\n</html>\n");
        page.close();
        main = std::make_unique<MainWindow>();
        main->resize(kScreen);
        main->show();
        main->startUp(folders->path("page.htm"));
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
    }

    void cleanupTestCase()
    {
        qInfo().noquote() << QStringLiteral("windows checked (%1 controls):\n  ").arg(look.checked) + seen.join("\n  ");
        main.reset();
        Prompts::setAnswerer({});
        folders.reset();
    }

    void mainWindowOnEveryPaletteTab()
    {
        auto *tabs = child<QTabWidget>(main.get(), "SSTab1");
        const QStringList names = {"palette-1", "palette-2", "palette-3", "palette-4",
                                   "palette-5", "palette-6", "palette-7", "palette-8", "palette-9"};
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            QCoreApplication::processEvents();
            visit(i == 0 ? QStringLiteral("mainwindow") : names[i], main.get());
        }
        // With the HTML check pane open below the editor.
        auto *pane = child<QDockWidget>(main.get(), "CheckPane");
        const bool wasOpen = pane->isVisible();
        pane->show();
        QCoreApplication::processEvents();
        visit(QStringLiteral("checkpane"), main.get());
        pane->setVisible(wasOpen);
        QCoreApplication::processEvents();
        // The palette alone, for its help page.
        const QString folder = qEnvironmentVariable("TARNELL_SCREENSHOTS");
        if (!folder.isEmpty() && !scaled()) {
            tabs->setCurrentIndex(0);
            QCoreApplication::processEvents();
            auto *bar = child<QWidget>(main.get(), "AttributeBar");
            const QPoint top = tabs->mapTo(main.get(), QPoint(0, 0));
            const QPoint bottom = bar->mapTo(main.get(), QPoint(0, bar->height()));
            QVERIFY(main->grab(QRect(top, QSize(main->width() - 2 * top.x(), bottom.y() - top.y())))
                        .save(folder + QStringLiteral("/palette.png")));
        }
        tabs->setCurrentIndex(0);
    }

    void startAndAbout()
    {
        dialog<SplashWindow>("splash");
        AboutBox *about = AboutBox::showAbout(main.get());
        visit("about", about);
        about->close();
        delete about;
        dialog<OptionsDialog>("option", main->edit(), main.get());
    }

    void searchWindows()
    {
        dialog<FindInput>("find", main.get(), main->edit());
        TikanFrm *replace = TikanFrm::open(main->edit(), main.get());
        visit("replace", replace);
        replace->close();
        dialog<GrepFrm>("grep", main.get(), folders->dir.path());
    }

    void tagDialogs()
    {
        EditArea *edit = main->edit();
        QWidget *parent = main.get();
        dialog<TagFrm>("tagdef", edit, parent);
        dialog<ColorFrm>("color", parent);
        dialog<BodyFrm>("body", edit, parent);
        dialog<HyouFrm>("table", edit, parent);
        dialog<TdFrm>("cell", edit, parent);
        dialog<FrameFrm>("frame", edit, parent);
        dialog<StyleFrm>("style", parent);
        dialog<HrFrm>("hr", edit, parent);
        dialog<MarqueeFrm>("marquee", edit, parent);
        dialog<ImgFrm>("img", edit, parent);
        dialog<IframeFrm>("iframe", edit, parent);
        dialog<LayerFrm>("layer", edit, parent);
    }

    void tableWizard()
    {
        dialog<Wiz1Frm>("wizard1", main.get());
        TableSpec chosen;
        chosen.columns = 4;
        chosen.rows = 3;
        chosen.startTag = QStringLiteral("<table>");
        dialog<Wiz2Frm>("wizard2", chosen, main.get());
        // Step 3 with a few cells filled in, as the user sees it half-way.
        Wiz3Frm step3(chosen, main.get());
        child<QLineEdit>(&step3, "Text1")->setText(QStringLiteral("品名"));
        child<QRadioButton>(&step3, "sel2")->setChecked(true);
        step3.selectCell(gridIndex(1, 0));
        child<QLineEdit>(&step3, "Text1")->setText(QStringLiteral("価格（税込）"));
        child<QRadioButton>(&step3, "sel2")->setChecked(true);
        child<QCheckBox>(&step3, "chkAlign")->setChecked(true);
        child<QListWidget>(&step3, "lstAlign")->setCurrentRow(1);
        step3.selectCell(gridIndex(0, 1));
        child<QLineEdit>(&step3, "Text1")->setText(QStringLiteral("りんご（青森県産、10個入り）"));
        step3.selectCell(gridIndex(1, 1));
        child<QLineEdit>(&step3, "Text1")->setText(QStringLiteral("1,200円"));
        step3.selectCell(gridIndex(1, 0));
        visit("wizard3", &step3);
    }

    void tools()
    {
        EditArea *edit = main->edit();
        QWidget *parent = main.get();
        dialog<PathFrm>("path", parent);
        dialog<MapFrm>("imagemap", edit, parent);
        dialog<GradFrm>("gradient", edit, parent);
        dialog<RubyFrm>("ruby", edit, parent);
        dialog<EncodingDialog>("encoding", QByteArray("Shift_JIS"), false, LineEnd::CRLF, parent);
        dialog<OtherEncodingDialog>("otherencoding", QByteArray("UTF-8"), parent);
        HelpViewer *help = HelpViewer::showHelp(parent);
        QVERIFY(help);
        visit("help", help);
        help->close();
    }

    void fileDialogs()
    {
        // A folder of pages with sizes and dates as the user has them.
        QDir().mkpath(folders->path("pages"));
        for (int i = 1; i <= 3; ++i) {
            QFile f(folders->path(QStringLiteral("pages/ページ%1.htm").arg(i)));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(i * 7000, 'x'));
            f.close();
            f.open(QIODevice::ReadWrite);
            f.setFileTime(QDateTime(QDate(2026, 1, 15), QTime(10, 0)), QFileDevice::FileModificationTime);
        }
        const QString filter = QStringLiteral("HTMLファイル|*.htm;*.html|テキストファイル|*.txt|すべてのファイル|*.*");
        for (bool save : {false, true}) {
            std::unique_ptr<QFileDialog> d(Prompts::makeFileDialog(main.get(), save, filter, folders->path("pages")));
            d->setOption(QFileDialog::DontUseNativeDialog);
            d->setViewMode(QFileDialog::Detail);
            visit(save ? "save" : "open", d.get());
            // Every column of the file list shows its widest entry.
            auto *files = d->findChild<QTreeView *>("treeView");
            QVERIFY(files);
            QTRY_VERIFY(files->model()->rowCount(files->rootIndex()) > 0);
            const auto cut = [files] {
                QStringList cut;
                for (int c = 1; c < files->header()->count(); ++c) {
                    const int need = static_cast<QAbstractItemView *>(files)->sizeHintForColumn(c);
                    if (!files->header()->isSectionHidden(c) && files->header()->sectionSize(c) < need)
                        cut << QStringLiteral("column %1: %2 px for %3").arg(c).arg(files->header()->sectionSize(c)).arg(need);
                }
                return cut.join(", ");
            };
            QTRY_VERIFY2(cut().isEmpty(), qPrintable(cut()));
            QVERIFY(files->viewport()->rect().contains(files->visualRect(files->model()->index(0, files->header()->count() - 1, files->rootIndex()))));
            d->reject();
        }
        // The size the user leaves a file dialog at is the size the next one opens at.
        std::unique_ptr<QFileDialog> first(Prompts::makeFileDialog(main.get(), false, filter, folders->path("pages")));
        first->setOption(QFileDialog::DontUseNativeDialog);
        QTimer::singleShot(0, first.get(), [&first] {
            first->resize(700, 420);
            first->reject();
        });
        QCOMPARE(Prompts::runFileDialog(first.get()), QString());
        std::unique_ptr<QFileDialog> next(Prompts::makeFileDialog(main.get(), true, filter, folders->path("pages")));
        QCOMPARE(next->size(), QSize(700, 420));
    }

    // The palette is as high as the tab shown needs: a tab with one row of buttons
    // leaves the rest to the editor.
    void paletteFollowsItsTab()
    {
        auto *tabs = child<QTabWidget>(main.get(), "SSTab1");
        tabs->setCurrentIndex(0);  // two rows of buttons
        QCoreApplication::processEvents();
        const int twoRows = tabs->height();
        tabs->setCurrentIndex(2);  // one row
        QCoreApplication::processEvents();
        const int oneRow = tabs->height();
        QVERIFY2(oneRow < twoRows - 10, qPrintable(QStringLiteral("%1 px against %2").arg(oneRow).arg(twoRows)));
        const int button = child<QPushButton>(main.get(), "Command1(3)")->height();
        QVERIFY2(oneRow <= tabs->tabBar()->height() + button + 16, qPrintable(QString::number(oneRow)));
        // In an 800×600 window the editor keeps most of the height.
        main->resize(800, 600);
        QCoreApplication::processEvents();
        const int lineSpacing = main->edit()->fontMetrics().lineSpacing();
        const int linesOneRow = main->edit()->viewport()->height() / lineSpacing;
        tabs->setCurrentIndex(1);  // the tallest tab, with its lists
        QCoreApplication::processEvents();
        const int linesTallest = main->edit()->viewport()->height() / lineSpacing;
        main->resize(kScreen);
        tabs->setCurrentIndex(0);
        QCoreApplication::processEvents();
        qInfo("palette %d px (one-row tab), %d px (two rows); editor lines at 800×600: %d (one-row tab), %d (tallest tab)",
              oneRow, twoRows, linesOneRow, linesTallest);
        QVERIFY2(linesOneRow >= 18 && linesTallest >= 15, qPrintable(QStringLiteral("%1, %2").arg(linesOneRow).arg(linesTallest)));
    }

    // The checks themselves find the faults they are for.
    void checksFindFaults()
    {
        QDialog d;
        d.setObjectName("faulty");
        d.resize(300, 200);
        auto *button = new QPushButton(QStringLiteral("とても長いボタンの文字"), &d);
        button->setGeometry(10, 10, 60, 30);
        auto *label = new QLabel(QStringLiteral("切れているラベルの文字"), &d);
        label->setGeometry(10, 50, 50, 20);
        auto *list = new QListWidget(&d);
        list->addItems({"left", "right", "all"});
        list->setGeometry(10, 80, 80, list->sizeHintForRow(0) * 5 / 2 + 2 * list->frameWidth());
        auto *outside = new QPushButton(QStringLiteral("OK"), &d);
        outside->setGeometry(260, 170, 80, 30);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        Look probe;
        probe.window("faulty", &d);
        const QString all = probe.faults.join('\n');
        QVERIFY2(probe.faults.size() >= 4, qPrintable(all));
        for (const char *what : {"QPushButton \"とても長いボタンの文字\": caption needs", "QLabel \"切れているラベルの文字\": text needs",
                                 "cuts a row in half", "QPushButton \"OK\": sticks out"})
            QVERIFY2(all.contains(QString::fromUtf8(what)), qPrintable(all));
    }

    // Collected over every window above.
    void everyWindowIsTidy()
    {
        QVERIFY(seen.size() >= 30);
        QVERIFY2(look.faults.isEmpty(), qPrintable(QLatin1Char('\n') + look.faults.join(QLatin1Char('\n'))));
    }

    // The same gallery at a 1.5 scale factor, in a process of its own (the factor is
    // read when the application starts).
    void atScaleOneAndAHalf()
    {
        if (scaled())
            QSKIP("this is the scaled run");
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TARNELL_GALLERY_SCALED", "1");
        env.insert("QT_SCALE_FACTOR", "1.5");
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(p.waitForFinished(120000));
        const QString out = QString::fromUtf8(p.readAll());
        QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0, qPrintable(out));
        qInfo().noquote() << "at scale 1.5:" << out.section("windows checked", 1).section("Totals", 0, 0);
    }
};

int main(int argc, char *argv[])
{
    // A 1024×768 screen (1536×1152 device pixels at scale 1.5, the same logical size).
    QTemporaryFile screens;
    const bool offscreen = qEnvironmentVariable("QT_QPA_PLATFORM").startsWith(QLatin1String("offscreen"));
    if (offscreen && screens.open()) {
        const double scale = qEnvironmentVariableIsSet("TARNELL_GALLERY_SCALED") ? 1.5 : 1.0;
        screens.write(QStringLiteral("{\"screens\": [{\"name\": \"gallery\", \"x\": 0, \"y\": 0, \"width\": %1, "
                                     "\"height\": %2, \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}")
                          .arg(int(kScreen.width() * scale))
                          .arg(int(kScreen.height() * scale))
                          .toUtf8());
        screens.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName().toLocal8Bit());
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("tarnell");
    // As the program starts: Japanese standard dialogs and one font for all captions.
    QTranslator qtJapanese;
    if (qtJapanese.load(QLocale(QLocale::Japanese), "qt", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtJapanese);
    if (QFontDatabase::hasFamily(QStringLiteral("Noto Sans CJK JP"))) {
        QFont font(QStringLiteral("Noto Sans CJK JP"));
        font.setPointSizeF(QApplication::font().pointSizeF());
        QApplication::setFont(font);
    }
    TestGallery test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_gallery.moc"
