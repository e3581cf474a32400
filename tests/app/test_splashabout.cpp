// The splash window during a real start-up, and the About box with its movements.
#include "app/about.h"
#include "app/mainwindow.h"
#include "app/splash.h"
#include "document/textfile.h"
#include "platform/prompts.h"
#include "testutil.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QMimeData>
#include <QScreen>
#include <QtTest>
#include <memory>

namespace {

// Counts the distinct positions a widget is moved through.
struct MoveRecorder : QObject {
    QList<QPoint> positions;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Move)
            positions << static_cast<QWidget *>(watched)->pos();
        return false;
    }
};

QLabel *label(QWidget *w, const char *name)
{
    return w->findChild<QLabel *>(QString::fromLatin1(name));
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}

class TestSplashAbout : public QObject {
    Q_OBJECT

private slots:
    void splashFollowsStartUp_data();
    void splashFollowsStartUp();
    void splashControls();
    void aboutControls();
    void aboutColourToggle();
    void aboutNudge();
    void aboutSlideAway();
    void aboutSlideNearBottom();
    void aboutDropOnOk();
    void aboutOnlyOneAndEscape();
};

void TestSplashAbout::splashFollowsStartUp_data()
{
    QTest::addColumn<bool>("withFile");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("untitled") << false
                              << QStringList{"最近使ったﾌｧｲﾙの読み取り中", "ｶｽﾀﾏｲｽﾞﾀｸﾞの読み取り中",
                                             "ﾀｸﾞの定義中", "空のﾌｧｲﾙを作成中", ""};
    QTest::newRow("command line") << true
                                  << QStringList{"最近使ったﾌｧｲﾙの読み取り中", "ｶｽﾀﾏｲｽﾞﾀｸﾞの読み取り中",
                                                 "ﾀｸﾞの定義中", "ｺﾏﾝﾄﾞﾌｧｲﾙの読み取り中", ""};
}

void TestSplashAbout::splashFollowsStartUp()
{
    QFETCH(bool, withFile);
    QFETCH(QStringList, expected);
    TestFolders folders;
    QVERIFY(writeTextFile(folders.program + "/tmp.htm", "<html></html>"));
    const QString page = folders.path("page.htm");
    QVERIFY(writeTextFile(page, "<p>x</p>"));

    // Start-up asks nothing of a person here.
    Prompts::setAnswerer([](const QString &kind, const QString &) {
        return kind == "ask" ? QString::number(QMessageBox::No) : QString();
    });
    QPointer<SplashWindow> splash = new SplashWindow;
    splash->show();
    const auto report = splash->progress();
    QStringList shown;
    QList<bool> visible;
    auto progress = [&](const QString &text, bool yield) {
        report(text, yield);
        QVERIFY(splash);
        shown << splash->progressText();
        visible << splash->isVisible();
    };

    auto w = std::make_unique<MainWindow>();
    w->show();
    w->startUp(withFile ? page : QString(), progress);

    QCOMPARE(shown, expected);
    QCOMPARE(visible.count(true), expected.size() - 1);
    QVERIFY(!visible.last());  // the final, empty text closed the window
    flushDeletes();
    QVERIFY(splash.isNull());
    report(QStringLiteral("late"), true);  // a report after the window has gone is harmless
    w.reset();
    Prompts::setAnswerer({});
}

void TestSplashAbout::splashControls()
{
    TestFolders folders;
    auto *splash = new SplashWindow;
    QCOMPARE(splash->objectName(), QString("frmSplash"));
    QCOMPARE(label(splash, "Label1")->text(), QString("フォームの読み込み中"));
    QCOMPARE(label(splash, "lblVersion")->text(), QString("Ver. 1.0.0"));
    QCOMPARE(label(splash, "Label2")->text(), QString("for NOTE"));
    QCOMPARE(label(splash, "Label3")->text(), QString("for NOTE"));
    QVERIFY(!label(splash, "lblCopyright")->text().isEmpty());
    QLabel *logo = label(splash, "imgLogo");
    QCOMPARE(logo->parentWidget()->objectName(), QString("Frame1"));

    // Everything lies inside the window, nothing cut off.
    splash->show();
    for (QLabel *l : splash->findChildren<QLabel *>()) {
        const QRect r(l->mapTo(splash, QPoint(0, 0)), l->size());
        QVERIFY2(splash->rect().contains(r), qPrintable(l->objectName()));
        if (!l->text().isEmpty())
            QVERIFY2(l->width() >= l->sizeHint().width(), qPrintable(l->objectName()));
    }
    splash->close();
    flushDeletes();
}

void TestSplashAbout::aboutControls()
{
    QPointer<AboutBox> box = AboutBox::showAbout(nullptr);
    QCOMPARE(box->objectName(), QString("frmAbout"));
    QCOMPARE(box->windowTitle(), QString("バージョン情報"));
    QVERIFY(!box->isModal());
    QCOMPARE(label(box, "lblTitle")->text(), QString("Tarnell"));
    QCOMPARE(label(box, "Label1")->text(), QString("Tarnell"));
    QCOMPARE(label(box, "Label6")->text(), QString("for NOTE"));
    QCOMPARE(label(box, "lblVersion")->text(), QString("Ver. 1.0.0"));
    QCOMPARE(label(box, "Label2")->text(), QString("OK"));
    QVERIFY(!label(box, "Label3")->text().isEmpty());
    QVERIFY(!label(box, "Label4")->text().isEmpty());
    QVERIFY(label(box, "Image1"));
    // The title is set in a Century-style face where one is installed.
    if (QFontDatabase::families().contains("C059"))
        QCOMPARE(QFontInfo(label(box, "lblTitle")->font()).family(), QString("C059"));
    for (QLabel *l : box->findChildren<QLabel *>())
        QVERIFY2(box->rect().contains(l->geometry()), qPrintable(l->objectName()));

    box->close();
    flushDeletes();
    QVERIFY(box.isNull());  // discarded when it closes
}

void TestSplashAbout::aboutColourToggle()
{
    for (int opening = 0; opening < 2; ++opening) {  // each opening starts afresh
        QPointer<AboutBox> box = AboutBox::showAbout(nullptr);
        QLabel *contact = label(box, "Label4");
        const QColor white(255, 255, 255), blue(0, 0, 255);
        for (const QColor &expected : {white, blue, white, blue}) {
            QTest::mouseClick(contact, Qt::LeftButton);
            QCOMPARE(contact->palette().color(QPalette::Window), expected);
        }
        box->close();
        flushDeletes();
    }
}

void TestSplashAbout::aboutNudge()
{
    // Ten visible steps of 100 twips up and left: 1000 twips in all.
    const QList<QPoint> at96 = AboutMotion::nudge(QPoint(500, 400), 96, 96);
    QCOMPARE(at96.size(), 10);
    QCOMPARE(at96.last(), QPoint(500 - 67, 400 - 67));
    QPoint before(500, 400);
    for (const QPoint &p : at96) {
        QVERIFY(p.x() < before.x() && p.y() < before.y());
        before = p;
    }
    QCOMPARE(AboutMotion::nudge(QPoint(500, 400), 144, 144).last(), QPoint(400, 300));

    QPointer<AboutBox> box = AboutBox::showAbout(nullptr);
    box->move(300, 300);
    const QPoint start = box->pos();
    MoveRecorder moves;
    box->installEventFilter(&moves);
    QTest::mouseClick(label(box, "Label3"), Qt::LeftButton);
    QVERIFY(box->isMoving());
    QTRY_VERIFY(!box->isMoving());
    const double dx = box->screen()->logicalDotsPerInchX(), dy = box->screen()->logicalDotsPerInchY();
    QCOMPARE(box->pos(), start - QPoint(Twips::toPixels(1000, dx), Twips::toPixels(1000, dy)));
    QCOMPARE(moves.positions.size(), 10);  // shown as motion, not a jump
    QVERIFY(box->isVisible());
    box->close();
    flushDeletes();
}

void TestSplashAbout::aboutSlideAway()
{
    const QList<QPoint> path = AboutMotion::slideAway(QPoint(100, 100), 768, 96, 96);
    QVERIFY(path.size() > 10);
    QVERIFY(path.last().y() > 768);
    QVERIFY(path[path.size() - 2].y() <= 768);
    QCOMPARE(path.first(), QPoint(133, 133));  // 500 twips at 96 dots per inch
    QCOMPARE(path[2], QPoint(200, 200));       // 1500 twips: no rounding drift

    QPointer<AboutBox> box = AboutBox::showAbout(nullptr);
    box->move(100, 100);
    MoveRecorder moves;
    box->installEventFilter(&moves);
    QTest::mouseClick(label(box, "Label2"), Qt::LeftButton);
    QTest::mouseClick(label(box, "Label2"), Qt::LeftButton);  // a second click changes nothing
    QTRY_VERIFY(box.isNull());
    QVERIFY(moves.positions.size() > 3);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QVERIFY(moves.positions.last().y() > screen.y() + screen.height());
}

void TestSplashAbout::aboutSlideNearBottom()
{
    QVERIFY(AboutMotion::slideAway(QPoint(0, 769), 768, 96, 96).isEmpty());
    QCOMPARE(AboutMotion::slideAway(QPoint(0, 768), 768, 96, 96).size(), 1);
    QCOMPARE(AboutMotion::slideAway(QPoint(0, 760), 768, 96, 96).size(), 1);
    QCOMPARE(AboutMotion::slideAway(QPoint(0, 730), 768, 96, 96).size(), 2);

    // Already below the screen: closes without a step.
    QPointer<AboutBox> box = AboutBox::showAbout(nullptr);
    const QRect screen = box->screen()->geometry();
    box->move(0, screen.y() + screen.height() + 10);
    box->slideAway();
    flushDeletes();
    QVERIFY(box.isNull());
}

void TestSplashAbout::aboutDropOnOk()
{
    const QList<int> path = AboutMotion::dropShift(100, 96);
    QCOMPARE(path.size(), 100);
    QCOMPARE(path.last(), 93);  // 100 twips
    QCOMPARE(AboutMotion::dropShift(0, 96).size(), 100);
    QVERIFY(AboutMotion::dropShift(-1, 96).isEmpty());

    QPointer<AboutBox> box = AboutBox::showAbout(nullptr);
    QLabel *ok = label(box, "Label2");
    const QPoint start = ok->pos();
    QMimeData data;
    data.setText("abc");
    const QPointF centre = QRectF(ok->rect()).center();
    QDragEnterEvent enter(centre.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(ok, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(ok, &drop);
    QVERIFY(box->isMoving());
    QTRY_VERIFY(!box->isMoving());
    const double dx = box->screen()->logicalDotsPerInchX();
    QCOMPARE(ok->pos(), start - QPoint(Twips::toPixels(100, dx), 0));

    // Left of 0 the label stays where it is.
    ok->move(-1, ok->y());
    box->Label2_DragDrop();
    QVERIFY(!box->isMoving());
    QCOMPARE(ok->x(), -1);
    box->close();
    flushDeletes();
}

void TestSplashAbout::aboutOnlyOneAndEscape()
{
    QPointer<AboutBox> box = AboutBox::showAbout(nullptr);
    QCOMPARE(AboutBox::showAbout(nullptr), box.data());
    QTest::keyClick(box, Qt::Key_Escape);
    flushDeletes();
    QVERIFY(box.isNull());
    QPointer<AboutBox> again = AboutBox::showAbout(nullptr);
    QVERIFY(again);
    QTest::keyClick(again, Qt::Key_Return);  // Enter works as OK: slides away
    QVERIFY(again->isLeaving());
    QTRY_VERIFY(again.isNull());
}

QTEST_MAIN(TestSplashAbout)
#include "test_splashabout.moc"
