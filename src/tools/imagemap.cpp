#include "imagemap.h"

#include <QStringList>
#include <cmath>

namespace ImageMap {

namespace {
const QChar Q = QLatin1Char('"');

QList<QLineF> boxSides(QPointF a, QPointF b)
{
    const QPointF c(b.x(), a.y());
    const QPointF d(a.x(), b.y());
    return {QLineF(a, c), QLineF(c, b), QLineF(b, d), QLineF(d, a)};
}

double distance(QPointF a, QPointF b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}
}

int roundPixel(double v)
{
    // Positions are a few thousand pixels at most; keep absurd values inside int.
    if (!(v > -1e9))
        v = -1e9;
    if (v > 1e9)
        v = 1e9;
    const double f = std::floor(v);
    const double frac = v - f;
    double r = f;
    if (frac > 0.5)
        r = f + 1;
    else if (frac == 0.5)
        r = std::fmod(f, 2.0) == 0 ? f : f + 1;
    return int(r);
}

QString areaLine(const QString &shape, const QList<int> &coords, const QString &href)
{
    QStringList values;
    for (int v : coords)
        values << QString::number(v);
    return QStringLiteral("<area shape=") + Q + shape + Q + QStringLiteral(" coords=") + Q
        + values.join(QLatin1Char(',')) + Q + QStringLiteral(" href=") + Q + href + Q + QStringLiteral(">\n");
}

QString buildMapSource(const QString &picturePath, const QString &mapName, const QString &areaText,
                       const QString &defaultLink)
{
    QString s = QStringLiteral("<img src=") + Q + picturePath + Q + QStringLiteral(" usemap=") + Q
        + QLatin1Char('#') + mapName + Q + QStringLiteral(">\n");
    s += QStringLiteral("<map name=") + Q + mapName + Q + QStringLiteral(">\n");
    s += areaText;
    if (!defaultLink.isEmpty())
        s += QStringLiteral("<area shape=") + Q + QStringLiteral("default") + Q + QStringLiteral(" href=") + Q
            + defaultLink + Q + QLatin1Char('>');
    else
        s += QStringLiteral("<area shape=") + Q + QStringLiteral("default") + Q + QStringLiteral(" nohref>\n");
    s += QStringLiteral("</map>");
    return s;
}

void Drawing::begin(Mode mode)
{
    m_mode = mode;
}

Drawing::Step Drawing::finish(const QString &shape, const QList<int> &coords, const Outline &outline)
{
    m_pendingShape = shape;
    m_pendingCoords = coords;
    m_pending = true;
    return {Event::Finished, outline};
}

Drawing::Step Drawing::click(QPointF pos)
{
    if (m_pending || m_mode == Idle)
        return {};
    const int x = roundPixel(pos.x());
    const int y = roundPixel(pos.y());
    bool &started = m_mode == Rect ? m_rectStarted : m_mode == Circle ? m_circleStarted : m_polyStarted;
    if (!started) {
        started = true;
        if (m_mode == Rect) {
            m_rectPt[0] = x;
            m_rectPt[1] = y;
        } else if (m_mode == Circle) {
            m_circlePt[0] = x;
            m_circlePt[1] = y;
        } else {
            m_polyPt = {x, y};
        }
        return {Event::Started, {}};
    }

    Outline outline;
    switch (m_mode) {
    case Rect:
        m_rectPt[2] = x;
        m_rectPt[3] = y;
        outline.lines = boxSides(QPointF(m_rectPt[0], m_rectPt[1]), QPointF(x, y));
        return finish(QStringLiteral("rect"), {m_rectPt[0], m_rectPt[1], x, y}, outline);
    case Circle:
        outline.hasCircle = true;
        outline.centre = QPointF(m_circlePt[0], m_circlePt[1]);
        outline.radius = distance(outline.centre, pos);
        m_circlePt[2] = roundPixel(outline.radius);
        return finish(QStringLiteral("circle"), {m_circlePt[0], m_circlePt[1], m_circlePt[2]}, outline);
    default:
        if (distance(QPointF(m_polyPt[0], m_polyPt[1]), pos) < CloseDistance) {
            // The closing click stands for the first vertex, so the list ends where
            // it began.
            m_polyPt << m_polyPt[0] << m_polyPt[1];
            outline.lines = polygonSegments();
            return finish(QStringLiteral("polygon"), m_polyPt, outline);
        }
        outline.lines = polygonSegments();
        m_polyPt << x << y;
        return {Event::VertexAdded, outline};
    }
}

QList<QLineF> Drawing::polygonSegments() const
{
    QList<QLineF> lines;
    for (qsizetype i = 0; i + 3 < m_polyPt.size(); i += 2)
        lines << QLineF(m_polyPt[i], m_polyPt[i + 1], m_polyPt[i + 2], m_polyPt[i + 3]);
    return lines;
}

Outline Drawing::rubberBand(QPointF mouse) const
{
    Outline o;
    if (m_pending)
        return o;
    if (m_rectStarted) {
        o.lines = boxSides(QPointF(m_rectPt[0], m_rectPt[1]), mouse);
    } else if (m_circleStarted) {
        o.hasCircle = true;
        o.centre = QPointF(m_circlePt[0], m_circlePt[1]);
        o.radius = distance(o.centre, mouse);
    } else if (m_polyStarted && m_polyPt.size() >= 2) {
        o.lines = polygonSegments();
        const qsizetype n = m_polyPt.size();
        o.lines << QLineF(QPointF(m_polyPt[n - 2], m_polyPt[n - 1]), mouse);
    }
    return o;
}

void Drawing::complete(const QString &href)
{
    if (!m_pending)
        return;
    m_areaText += areaLine(m_pendingShape, m_pendingCoords, href);
    m_pending = false;
    m_pendingShape.clear();
    m_pendingCoords.clear();
    m_rectStarted = m_circleStarted = m_polyStarted = false;
    m_mode = Idle;
}

}
