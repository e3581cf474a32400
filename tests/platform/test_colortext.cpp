#include <QApplication>
#include <QLabel>
#include <QScrollBar>
#include <QtTest>

#include "platform/colortext.h"

class TestColorText : public QObject {
    Q_OBJECT
private slots:
    void colorText_data();
    void colorText();
    void swatchTextColor_data();
    void swatchTextColor();
    void barValueIsTheChannelWhateverTheDrawing();
    void swatchFollowsTheThumbWhileDragged();
    void arrowsAndGrooveFollowTheDrawing();
};

void TestColorText::colorText_data()
{
    QTest::addColumn<int>("r");
    QTest::addColumn<int>("g");
    QTest::addColumn<int>("b");
    QTest::addColumn<QString>("expected");
    QTest::newRow("black") << 0 << 0 << 0 << "#000000";
    QTest::newRow("white") << 255 << 255 << 255 << "#FFFFFF";
    QTest::newRow("leading zero") << 10 << 16 << 255 << "#0A10FF";
    QTest::newRow("15 and 16") << 15 << 16 << 171 << "#0F10AB";
    QTest::newRow("channel order") << 255 << 10 << 0 << "#FF0A00";
    QTest::newRow("upper case letters") << 0xab << 0xcd << 0xef << "#ABCDEF";
}

void TestColorText::colorText()
{
    QFETCH(int, r);
    QFETCH(int, g);
    QFETCH(int, b);
    QFETCH(QString, expected);
    QCOMPARE(FormatColorText(r, g, b), expected);
    QCOMPARE(FormatBareColorText(r, g, b), expected.mid(1));
}

void TestColorText::swatchTextColor_data()
{
    QTest::addColumn<int>("r");
    QTest::addColumn<int>("g");
    QTest::addColumn<int>("b");
    QTest::addColumn<QColor>("expected");
    QTest::newRow("sum 384 is white") << 128 << 128 << 128 << QColor(Qt::white);
    QTest::newRow("sum 385 is black") << 129 << 128 << 128 << QColor(Qt::black);
    QTest::newRow("384 from one channel") << 255 << 129 << 0 << QColor(Qt::white);
    QTest::newRow("black swatch") << 0 << 0 << 0 << QColor(Qt::white);
    QTest::newRow("white swatch") << 255 << 255 << 255 << QColor(Qt::black);
}

void TestColorText::swatchTextColor()
{
    QFETCH(int, r);
    QFETCH(int, g);
    QFETCH(int, b);
    QFETCH(QColor, expected);
    QCOMPARE(SwatchTextColor(r, g, b), expected);
}

void TestColorText::barValueIsTheChannelWhateverTheDrawing()
{
    QWidget owner;
    ChannelMixer across(&owner, Qt::Horizontal, QString(), 255, 1, false);
    ChannelMixer upright(&owner, Qt::Vertical, "(0)", 255, 1, false);
    QScrollBar *h = across.bar(ChannelMixer::Red);
    QScrollBar *v = upright.bar(ChannelMixer::Blue);
    QVERIFY(h->invertedAppearance());
    QVERIFY(v->invertedAppearance());

    // Right and Down move away from the 255 end, darkening the channel.
    QTest::keyClick(h, Qt::Key_Right);
    QCOMPARE(h->value(), 254);
    QCOMPARE(across.red(), 254);
    QTest::keyClick(v, Qt::Key_Down);
    QCOMPARE(v->value(), 254);
    QTest::keyClick(v, Qt::Key_Up);
    QCOMPARE(v->value(), 255);
    QTest::keyClick(v, Qt::Key_PageDown);
    QCOMPARE(v->value(), 254);
    QTest::keyClick(h, Qt::Key_End);
    QCOMPARE(h->value(), 0);
    QTest::keyClick(h, Qt::Key_Home);
    QCOMPARE(h->value(), 255);

    // Turning the wheel towards the user moves the thumb down or right, towards 0.
    for (QScrollBar *bar : {h, v}) {
        bar->resize(bar->orientation() == Qt::Vertical ? QSize(20, 200) : QSize(200, 20));
        const int before = bar->value();
        QWheelEvent down(QPointF(10, 10), bar->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120), Qt::NoButton,
                         Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(bar, &down);
        QVERIFY(bar->value() < before);
    }
}

void TestColorText::swatchFollowsTheThumbWhileDragged()
{
    QWidget owner;
    ChannelMixer mixer(&owner, Qt::Horizontal, QString(), 255, 1, true);
    QScrollBar *bar = mixer.bar(ChannelMixer::Green);
    bar->setSliderDown(true);
    bar->setSliderPosition(10);
    QCOMPARE(mixer.green(), 10);
    QCOMPARE(mixer.swatch()->text(), QString("#FF0AFF"));
    QCOMPARE(mixer.channelLabel(ChannelMixer::Green)->palette().color(QPalette::Window), QColor(0, 10, 0));
    bar->setSliderDown(false);
}

void TestColorText::arrowsAndGrooveFollowTheDrawing()
{
    QWidget owner;
    ChannelMixer across(&owner, Qt::Horizontal, QString(), 128, 16, false);
    ChannelMixer upright(&owner, Qt::Vertical, "(0)", 128, 16, false);
    QScrollBar *h = across.bar(ChannelMixer::Green);
    QScrollBar *v = upright.bar(ChannelMixer::Green);
    h->setGeometry(0, 0, 200, 20);
    v->setGeometry(0, 30, 20, 200);
    for (QScrollBar *bar : {h, v}) {
        const bool horizontal = bar->orientation() == Qt::Horizontal;
        auto at = [horizontal](int along) { return horizontal ? QPoint(along, 10) : QPoint(10, along); };
        // The arrow at the 255 end and the groove on that side brighten; the far ones darken.
        bar->setValue(128);
        QTest::mouseClick(bar, Qt::LeftButton, {}, at(3));
        QCOMPARE(bar->value(), 129);
        QTest::mouseClick(bar, Qt::LeftButton, {}, at(197));
        QTest::mouseClick(bar, Qt::LeftButton, {}, at(197));
        QCOMPARE(bar->value(), 127);
        QTest::mouseClick(bar, Qt::LeftButton, {}, at(30));
        QCOMPARE(bar->value(), 143);
        QTest::mouseClick(bar, Qt::LeftButton, {}, at(170));
        QCOMPARE(bar->value(), 127);
        // Keys stay as they were after the pointer is released.
        QTest::keyClick(bar, horizontal ? Qt::Key_Right : Qt::Key_Down);
        QCOMPARE(bar->value(), 126);
    }
    QCOMPARE(across.green(), 126);
}

QTEST_MAIN(TestColorText)
#include "test_colortext.moc"
