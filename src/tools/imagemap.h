#pragma once
// Client-side image maps: the drawing state machine behind the map editor's picture,
// the text of one area and of the whole map. No widgets here: the window feeds mouse
// positions in and draws the outlines it is handed back.
#include <QLineF>
#include <QList>
#include <QPointF>
#include <QString>

namespace ImageMap {

// A mouse position (in pixels, possibly fractional on scaled screens) as a whole
// pixel: rounded to nearest, ties to even (2.5 -> 2, 3.5 -> 4).
int roundPixel(double v);

// "<area shape="rect" coords="1,2,3,4" href="a.htm">" and a line break.
QString areaLine(const QString &shape, const QList<int> &coords, const QString &href);

// The image tag and the map: img tag, map start, the area lines, the area for the
// rest of the picture (a link when defaultLink is not empty, nohref otherwise), map end.
QString buildMapSource(const QString &picturePath, const QString &mapName, const QString &areaText,
                       const QString &defaultLink);

// Lines and circles to draw for a shape, in picture pixels.
struct Outline {
    QList<QLineF> lines;
    bool hasCircle = false;
    QPointF centre;
    double radius = 0;

    bool isEmpty() const { return lines.isEmpty() && !hasCircle; }
};

// The shapes being drawn on the picture and the areas finished so far.
class Drawing {
public:
    enum Mode { Idle = 0, Rect = 1, Circle = 2, Polygon = 3 };

    enum class Event {
        None,         // idle: the click does nothing
        Started,      // first click of a shape
        VertexAdded,  // a polygon vertex that does not close the polygon
        Finished,     // the shape is complete; its link is asked for next (complete())
    };

    struct Step {
        Event event = Event::None;
        // VertexAdded: segments to add to the transient outline (not cleared first).
        // Finished: the shape as it is kept on the picture.
        Outline outline;
    };

    // A shape button: start drawing a shape of this kind.
    void begin(Mode mode);
    // A click on the picture at a mouse position (unrounded).
    Step click(QPointF pos);
    // The outline that follows the mouse while a shape has been started; empty otherwise.
    Outline rubberBand(QPointF mouse) const;
    // After Event::Finished: records the area with its link and returns to idle.
    void complete(const QString &href);

    Mode mode() const { return m_mode; }
    bool started() const { return m_rectStarted || m_circleStarted || m_polyStarted; }
    bool awaitingLink() const { return m_pending; }
    QString areaText() const { return m_areaText; }
    // The polygon's vertices so far (x0, y0, x1, y1, ...).
    const QList<int> &polygonPoints() const { return m_polyPt; }

    // A polygon closes on a click closer than this to its first vertex.
    static constexpr double CloseDistance = 5.0;

private:
    QList<QLineF> polygonSegments() const;
    Step finish(const QString &shape, const QList<int> &coords, const Outline &outline);

    Mode m_mode = Idle;
    bool m_rectStarted = false;
    bool m_circleStarted = false;
    bool m_polyStarted = false;
    int m_rectPt[4] = {0, 0, 0, 0};
    int m_circlePt[3] = {0, 0, 0};
    QList<int> m_polyPt;
    QString m_areaText;

    bool m_pending = false;  // a finished shape waits for its link
    QString m_pendingShape;
    QList<int> m_pendingCoords;
};

}
