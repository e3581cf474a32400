#include <QtTest>

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

#include "testutil.h"
#include "platform/editarea.h"
#include "platform/pickers.h"
#include "platform/prompts.h"
#include "platform/shared.h"
#include "tools/imagemap.h"
#include "tools/mapcanvas.h"
#include "tools/mapfrm.h"

using ImageMap::Drawing;

namespace {
const QString Q = QStringLiteral("\"");

QString area(const QString &shape, const QString &coords, const QString &href)
{
    return "<area shape=" + Q + shape + Q + " coords=" + Q + coords + Q + " href=" + Q + href + Q + ">\n";
}

// Draws one shape with clicks at the given positions and gives it the link href.
QString drawShape(Drawing &d, Drawing::Mode mode, const QList<QPointF> &clicks, const QString &href = "x.htm")
{
    d.begin(mode);
    for (const QPointF &p : clicks) {
        if (d.click(p).event == Drawing::Event::Finished) {
            d.complete(href);
            break;
        }
    }
    return d.areaText();
}

void sendMouse(QWidget *w, QEvent::Type type, QPointF pos, Qt::MouseButton button = Qt::LeftButton)
{
    const bool move = type == QEvent::MouseMove;
    QMouseEvent ev(type, pos, w->mapToGlobal(pos), move ? Qt::NoButton : button,
                   move ? Qt::MouseButtons() : Qt::MouseButtons(button), Qt::NoModifier);
    QCoreApplication::sendEvent(w, &ev);
}
template <class T> T *child(QWidget &w, const char *name) { return w.findChild<T *>(name); }
}

class TestImageMap : public QObject {
    Q_OBJECT

    QStringList m_messages;  // "kind:text" of every message shown
    QStringList m_links;     // answers of the fake path picker, in turn
    int m_pickerRuns = 0;
    QString m_openAnswer;    // the file the open dialog "chooses"

private slots:
    void init()
    {
        m_messages.clear();
        m_links.clear();
        m_pickerRuns = 0;
        m_openAnswer.clear();
        Prompts::setAnswerer([this](const QString &kind, const QString &text) -> QString {
            m_messages << kind + ":" + text;
            return kind == "open" ? m_openAnswer : QString();
        });
        Pickers::path = [this](QWidget *) {
            ++m_pickerRuns;
            Shared::PickedPath = m_links.isEmpty() ? QString() : m_links.takeFirst();
        };
        MapFrm::setColorAsker({});
    }

    // ---- the logic ----

    void roundPixel()
    {
        const QList<QPair<double, int>> cases = {{7.0, 7}, {2.49, 2}, {2.51, 3}, {2.5, 2}, {3.5, 4},
                                                 {0.5, 0}, {-1.5, -2}, {-0.5, 0}, {-2.7, -3}};
        for (const auto &[v, rounded] : cases)
            QVERIFY2(ImageMap::roundPixel(v) == rounded, qPrintable(QString::number(v)));
    }

    void mapSource()
    {
        QCOMPARE(ImageMap::buildMapSource("p.gif", "m", area("rect", "10,20,110,80", "a.htm"), ""),
                 "<img src=" + Q + "p.gif" + Q + " usemap=" + Q + "#m" + Q + ">\n<map name=" + Q + "m" + Q + ">\n"
                     + area("rect", "10,20,110,80", "a.htm") + "<area shape=" + Q + "default" + Q + " nohref>\n</map>");
        QCOMPARE(ImageMap::buildMapSource("", "", "", "").count('\n'), 3);
        // A default link: "</map>" follows on the same line.
        QVERIFY(ImageMap::buildMapSource("p.gif", "m", "", "top.htm")
                    .endsWith("<area shape=" + Q + "default" + Q + " href=" + Q + "top.htm" + Q + "></map>"));
    }

    void rectanglesAndSeveralAreas()
    {
        Drawing d;
        // Corners in click order, not reordered.
        QCOMPARE(drawShape(d, Drawing::Rect, {{110, 80}, {10, 20}}, "a.htm"), area("rect", "110,80,10,20", "a.htm"));
        QCOMPARE(d.mode(), Drawing::Idle);
        // Idle: clicks do nothing, no outline follows the mouse.
        QCOMPARE(d.click({5, 5}).event, Drawing::Event::None);
        QVERIFY(d.rubberBand({50, 50}).isEmpty());
        // Later areas follow in the order they were finished; a cancelled link is empty.
        drawShape(d, Drawing::Circle, {{50, 50}, {50, 60}}, "");
        drawShape(d, Drawing::Polygon, {{0, 0}, {9, 0}, {0, 9}, {0, 1}}, "p.htm");
        QCOMPARE(d.areaText(), area("rect", "110,80,10,20", "a.htm") + area("circle", "50,50,10", "")
                                   + area("polygon", "0,0,9,0,0,9,0,0", "p.htm"));
    }

    void circle()
    {
        struct Case { QPointF centre, edge; QString coords; };
        const QList<Case> cases = {
            {{10, 10}, {13, 14}, "10,10,5"},
            {{0, 0}, {3, 3}, "0,0,4"},      // 4.24
            {{0, 0}, {2.5, 0}, "0,0,2"},    // tie to even
            // The centre is a whole pixel; the radius runs to the unrounded click.
            {{10.5, 9.5}, {10, 16.4}, "10,10,6"},
        };
        for (const Case &c : cases) {
            Drawing d;
            d.begin(Drawing::Circle);
            QCOMPARE(d.click(c.centre).event, Drawing::Event::Started);
            const Drawing::Step step = d.click(c.edge);
            QCOMPARE(step.event, Drawing::Event::Finished);
            // The circle on the picture keeps the unrounded radius.
            QCOMPARE(step.outline.radius, QLineF(step.outline.centre, c.edge).length());
            d.complete("c.htm");
            QCOMPARE(d.areaText(), area("circle", c.coords, "c.htm"));
        }
    }

    void polygon()
    {
        QList<QPointF> many;
        QStringList manyCoords;
        for (int i = 0; i < 40; ++i) {
            many << QPointF(10 + 10 * i, (i % 2) * 50 + 20);
            manyCoords << QString::number(10 + 10 * i) << QString::number((i % 2) * 50 + 20);
        }
        many << QPointF(11, 21);
        manyCoords << "10" << "20";
        const QList<QPair<QList<QPointF>, QString>> cases = {
            {{{0, 0}, {100, 0}, {100, 100}, {2, 3}}, "0,0,100,0,100,100,0,0"},
            {{{50, 50}, {52, 51}}, "50,50,50,50"},  // one vertex
            {{{0, 0}, {100, 0}, {3, 4}}, ""},       // exactly 5 away: stays open
            // (3.5, 3.4) is 4.88 away, although its pixel (4, 3) is 5 away.
            {{{0, 0}, {100, 0}, {3.5, 3.4}}, "0,0,100,0,0,0"},
            {many, manyCoords.join(',')},           // no limit on the vertices
        };
        for (const auto &[clicks, coords] : cases) {
            Drawing d;
            const QString text = drawShape(d, Drawing::Polygon, clicks, "p.htm");
            QCOMPARE(text, coords.isEmpty() ? QString() : area("polygon", coords, "p.htm"));
            QCOMPARE(d.started(), coords.isEmpty());
        }
    }

    void polygonOutlines()
    {
        Drawing d;
        d.begin(Drawing::Polygon);
        d.click({0, 0});
        // A vertex click adds the segments between the vertices before it.
        QVERIFY(d.click({100, 0}).outline.isEmpty());
        QCOMPARE(d.click({100, 100}).outline.lines, QList<QLineF>{QLineF(0, 0, 100, 0)});
        // The rubber band: all segments, then on to the (unrounded) mouse.
        QCOMPARE(d.rubberBand({40.5, 60}).lines,
                 (QList<QLineF>{QLineF(0, 0, 100, 0), QLineF(100, 0, 100, 100), QLineF(100, 100, 40.5, 60)}));
        // Closing: every segment, the last one back to the first vertex.
        const Drawing::Step closing = d.click({1, 1});
        QCOMPARE(closing.outline.lines.size(), 3);
        QCOMPARE(closing.outline.lines.last(), QLineF(100, 100, 0, 0));
    }

    // ---- the window ----

    void namesAndLayout()
    {
        MapFrm f(nullptr);
        QCOMPARE(f.objectName(), "mapfrm");
        QCOMPARE(f.windowTitle(), "<map>");
        const QList<QPair<const char *, QString>> captions = {
            {"Label1", "画像パス"},   {"Label3", "マップの名前"}, {"Label2", "指定区域外のリンク先"},
            {"Command2", "参照"},     {"OpenPic", "画像の表示"},  {"NewSource", "ソースの更新"},
            {"SetColor", "線の色の設定"}, {"AddRect", "長方形"}, {"AddCircle", "円"},
            {"AddPoly", "多角形"},    {"Command1", "OK"}};
        for (const auto &[name, caption] : captions) {
            QWidget *w = child<QWidget>(f, name);
            QVERIFY2(w && w->isEnabled(), name);
            auto *l = qobject_cast<QLabel *>(w);
            const QString text = l ? l->text() : qobject_cast<QPushButton *>(w)->text();
            QCOMPARE(text, caption);
            // Every caption fits.
            QVERIFY2(w->fontMetrics().horizontalAdvance(text) < w->width(), name);
        }
        for (const char *name : {"PathTxt", "MapName", "DefaultTxt"})
            QVERIFY(child<QLineEdit>(f, name)->text().isEmpty());
        QVERIFY(child<QPlainTextEdit>(f, "SouceTxt")->toPlainText().isEmpty());
        QCOMPARE(child<MapCanvas>(f, "Picture1")->drawColor(), QColor(Qt::black));

        // The source and the picture reach the right edge, the picture the bottom.
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QWidget *src = child<QWidget>(f, "SouceTxt"), *pic = child<QWidget>(f, "Picture1");
        QVERIFY(qAbs(f.width() - 9855 * f.pixelsPerTwipX()) <= 0.5);
        for (int grow : {0, 150}) {
            f.resize(f.width() + grow, f.height() + grow);
            QCOMPARE(src->geometry().right() + 1, f.width());
            QCOMPARE(pic->geometry().right() + 1, f.width());
            QCOMPARE(pic->geometry().bottom() + 1, f.height());
        }
        // Smaller than their offsets: empty, never negative.
        f.setMinimumSize(0, 0);
        f.resize(40, 30);
        QCOMPARE(QList<int>({pic->width(), pic->height(), src->width()}), QList<int>({0, 0, 0}));
    }

    void drawingWithTheMouse()
    {
        MapFrm f(nullptr);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        auto *canvas = child<MapCanvas>(f, "Picture1");
        QWidget *view = canvas->viewport();
        auto *source = child<QPlainTextEdit>(f, "SouceTxt");
        const QList<QPushButton *> shapeButtons = {child<QPushButton>(f, "AddRect"), child<QPushButton>(f, "AddCircle"),
                                                   child<QPushButton>(f, "AddPoly")};
        const auto shapeButtonsEnabled = [&](bool on) {
            return std::all_of(shapeButtons.begin(), shapeButtons.end(), [on](auto *b) { return b->isEnabled() == on; });
        };
        m_links << "p.gif";
        QTest::mouseClick(child<QPushButton>(f, "Command2"), Qt::LeftButton);
        QCOMPARE(child<QLineEdit>(f, "PathTxt")->text(), "p.gif");
        child<QLineEdit>(f, "MapName")->setText("m");

        // Idle: clicks and moves on the picture do nothing.
        sendMouse(view, QEvent::MouseButtonPress, {20, 20});
        sendMouse(view, QEvent::MouseMove, {40, 40});
        QCOMPARE(canvas->transientCount(), 0);

        // A rectangle: fractional positions become whole pixels, ties to even; any
        // mouse button is a click.
        QTest::mouseClick(shapeButtons[0], Qt::LeftButton);
        QVERIFY(shapeButtonsEnabled(false));
        m_links << "a.htm";
        sendMouse(view, QEvent::MouseButtonPress, {10.5, 20.5});
        sendMouse(view, QEvent::MouseMove, {60, 50});
        sendMouse(view, QEvent::MouseMove, {70, 55});
        QCOMPARE(canvas->transientCount(), 1);  // cleared before each outline
        sendMouse(view, QEvent::MouseButtonPress, {111.5, 79.5}, Qt::RightButton);
        QCOMPARE(m_messages, QStringList{"info:ファイルのパスを指定して下さい"});
        QCOMPARE(m_pickerRuns, 2);
        QCOMPARE(source->toPlainText(), ImageMap::buildMapSource("p.gif", "m", area("rect", "10,20,112,80", "a.htm"), ""));
        QVERIFY(shapeButtonsEnabled(true));
        QCOMPARE(canvas->persistentCount(), 1);

        // A hand edit stays until the source is rebuilt; the next shape rebuilds it,
        // and a cancelled link still records the area.
        source->setPlainText("hand");
        child<QLineEdit>(f, "DefaultTxt")->setText("top.htm");
        QTest::mouseClick(shapeButtons[2], Qt::LeftButton);
        for (const QPointF p : {QPointF(0, 0), QPointF(30, 0), QPointF(30, 30)})
            sendMouse(view, QEvent::MouseButtonPress, p);
        QCOMPARE(source->toPlainText(), "hand");
        sendMouse(view, QEvent::MouseButtonPress, {1, 1});
        QVERIFY(source->toPlainText().contains(area("polygon", "0,0,30,0,30,30,0,0", "")));
        QVERIFY(source->toPlainText().endsWith("href=" + Q + "top.htm" + Q + "></map>"));
        QCOMPARE(canvas->persistentCount(), 2);

        // A large picture scrolls; positions stay picture pixels.
        QImage big(3000, 2000, QImage::Format_RGB32);
        big.fill(Qt::gray);
        canvas->setPicture(big);
        canvas->horizontalScrollBar()->setValue(1000);
        canvas->verticalScrollBar()->setValue(500);
        QTest::mouseClick(shapeButtons[1], Qt::LeftButton);
        sendMouse(view, QEvent::MouseButtonPress, {10, 10});
        sendMouse(view, QEvent::MouseButtonPress, {10, 30});
        QVERIFY(f.drawing().areaText().endsWith(area("circle", "1010,510,20", "")));
    }

    void okInsertsTheSourceAsItStands()
    {
        EditArea edit;
        edit.setText("abcSELdef");
        edit.select(3, 3);
        {
            MapFrm f(&edit);
            QTest::mouseClick(child<QPushButton>(f, "NewSource"), Qt::LeftButton);
            child<QPlainTextEdit>(f, "SouceTxt")->appendPlainText("<!-- typed -->");
            QTest::mouseClick(child<QPushButton>(f, "Command1"), Qt::LeftButton);
            QCOMPARE(f.result(), int(QDialog::Accepted));
        }
        QCOMPARE(edit.text(), "abc" + ImageMap::buildMapSource("", "", "", "") + "\n<!-- typed -->def");

        // Closing the window inserts nothing; the next opening starts without areas.
        edit.setText("keep");
        edit.select(0, 4);
        MapFrm g(&edit);
        g.show();
        QVERIFY(g.drawing().areaText().isEmpty());
        QTest::mouseClick(child<QPushButton>(g, "NewSource"), Qt::LeftButton);
        g.close();
        QCOMPARE(edit.text(), "keep");
    }

    void openPicture()
    {
        TestFolders folders;
        QImage png(120, 80, QImage::Format_RGB32);
        png.fill(Qt::yellow);
        QVERIFY(png.save(folders.path("a.png")));
        QVERIFY(png.scaled(64, 48).save(folders.path("b.jpg"), "JPEG"));
        QFile bad(folders.path("bad.gif"));
        QVERIFY(bad.open(QIODevice::WriteOnly) && bad.write("not a picture") > 0);
        bad.close();

        MapFrm f(nullptr);
        auto *canvas = child<MapCanvas>(f, "Picture1");
        const auto open = [&](const QString &answer) {
            m_messages.clear();
            m_openAnswer = answer;
            QTest::mouseClick(child<QPushButton>(f, "OpenPic"), Qt::LeftButton);
            QVERIFY(m_messages.value(0).startsWith("open:ピクチャファイル|"));
        };
        for (const char *pattern : {"*.png", "*.jpg", "*.gif", "*.bmp", "*.rle"})
            QVERIFY2(MapFrm::pictureFilter().section('|', 1, 1).split(';').contains(pattern), pattern);
        open(folders.path("a.png"));
        QCOMPARE(canvas->picture().size(), QSize(120, 80));
        // A run-length encoded bitmap (.rle): 4 x 2 pixels, one run per row.
        QFile rle(folders.path("c.rle"));
        QVERIFY(rle.open(QIODevice::WriteOnly));
        rle.write(QByteArray::fromHex("424d48000000000000003e000000"  // file header
                                      // 4 x 2, 8 bits, run-length encoded, two colours
                                      "28000000040000000200000001000800010000000a000000130b0000130b0000"
                                      "0200000000000000"
                                      "000000000000ff00"                // black, red
                                      "04010000" "04000000" "0001"));   // two rows, end of bitmap
        rle.close();
        open(folders.path("c.rle"));
        QCOMPARE(canvas->picture().size(), QSize(4, 2));
        QCOMPARE(m_messages.size(), 1);
        open(folders.path("b.jpg"));
        QCOMPARE(canvas->picture().size(), QSize(64, 48));
        QVERIFY(child<QLineEdit>(f, "PathTxt")->text().isEmpty());
        // A file that does not load: the message, and the picture stays.
        open(folders.path("bad.gif"));
        QCOMPARE(m_messages.size(), 2);
        QVERIFY(m_messages[1].startsWith("error:無効なファイル名です\n(認識されるピクチャ ファイルには、"));
        QCOMPARE(canvas->picture().size(), QSize(64, 48));
        // Cancel: nothing happens.
        open(QString());
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(canvas->picture().size(), QSize(64, 48));
    }

    void drawnInTheChosenColour()
    {
        MapFrm f(nullptr);
        auto *canvas = child<MapCanvas>(f, "Picture1");
        QImage white(200, 150, QImage::Format_RGB32);
        white.fill(Qt::white);
        canvas->setPicture(white);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));

        MapFrm::setColorAsker([](QWidget *, const QColor &initial) {
            return initial == Qt::black ? QColor(Qt::red) : QColor(Qt::green);
        });
        QTest::mouseClick(child<QPushButton>(f, "SetColor"), Qt::LeftButton);
        QCOMPARE(canvas->drawColor(), QColor(Qt::red));
        MapFrm::setColorAsker([](QWidget *, const QColor &) { return QColor(); });  // cancelled
        QTest::mouseClick(child<QPushButton>(f, "SetColor"), Qt::LeftButton);
        QCOMPARE(canvas->drawColor(), QColor(Qt::red));

        f.addRect();
        f.pressOnPicture({20, 20});
        f.moveOnPicture({80, 60});
        f.pressOnPicture({80, 60});
        QCOMPARE(canvas->transientCount(), 0);
        const QImage shown = canvas->viewport()->grab().toImage();
        QCOMPARE(shown.pixelColor(50, 20), QColor(Qt::red));
        QCOMPARE(shown.pixelColor(80, 40), QColor(Qt::red));
        QCOMPARE(shown.pixelColor(50, 40), QColor(Qt::white));
    }
};

QTEST_MAIN(TestImageMap)
#include "test_imagemap.moc"
