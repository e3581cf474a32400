#include "mapcanvas.h"

#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

MapCanvas::MapCanvas(QWidget *parent) : QAbstractScrollArea(parent)
{
    setObjectName("Picture1");
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::CrossCursor);
    viewport()->setBackgroundRole(QPalette::Window);
    horizontalScrollBar()->setSingleStep(16);
    verticalScrollBar()->setSingleStep(16);
}

bool MapCanvas::loadPicture(const QString &fileName)
{
    QImageReader reader(fileName);
    // Show the picture upright, as browsers do with rotated camera pictures.
    reader.setAutoTransform(true);
    const QImage img = reader.read();
    if (img.isNull())
        return false;
    setPicture(img);
    return true;
}

void MapCanvas::setPicture(const QImage &picture)
{
    m_picture = picture;
    // One picture pixel is one position, whatever the picture says about its scale.
    m_picture.setDevicePixelRatio(1.0);
    updateScrollBars();
    viewport()->update();
}

void MapCanvas::setDrawColor(const QColor &color)
{
    if (color.isValid())
        m_color = color;
}

void MapCanvas::drawPersistent(const ImageMap::Outline &outline)
{
    if (outline.isEmpty())
        return;
    m_persistent.append({outline, m_color});
    viewport()->update();
}

void MapCanvas::clearTransient()
{
    if (m_transient.isEmpty())
        return;
    m_transient.clear();
    viewport()->update();
}

void MapCanvas::drawTransient(const ImageMap::Outline &outline)
{
    if (outline.isEmpty())
        return;
    m_transient.append({outline, m_color});
    viewport()->update();
}

QPointF MapCanvas::toPicture(QPointF viewportPos) const
{
    return viewportPos + QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void MapCanvas::paintEvent(QPaintEvent *)
{
    QPainter p(viewport());
    p.translate(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    if (!m_picture.isNull())
        p.drawImage(QPointF(0, 0), m_picture);
    auto draw = [&p](const QList<Item> &items) {
        for (const Item &item : items) {
            QPen pen(item.color, 0);
            p.setPen(pen);
            p.setBrush(Qt::NoBrush);
            for (const QLineF &l : item.outline.lines)
                p.drawLine(l);
            if (item.outline.hasCircle)
                p.drawEllipse(item.outline.centre, item.outline.radius, item.outline.radius);
        }
    };
    draw(m_persistent);
    draw(m_transient);
}

void MapCanvas::resizeEvent(QResizeEvent *e)
{
    QAbstractScrollArea::resizeEvent(e);
    updateScrollBars();
}

void MapCanvas::scrollContentsBy(int, int)
{
    viewport()->update();
}

void MapCanvas::mousePressEvent(QMouseEvent *e)
{
    // Every button counts as a click.
    emit mouseDown(toPicture(e->position()));
}

void MapCanvas::mouseMoveEvent(QMouseEvent *e)
{
    emit mouseMoved(toPicture(e->position()));
}

void MapCanvas::updateScrollBars()
{
    const QSize view = viewport()->size();
    const QSize pic = m_picture.isNull() ? QSize(0, 0) : m_picture.size();
    horizontalScrollBar()->setRange(0, qMax(0, pic.width() - view.width()));
    horizontalScrollBar()->setPageStep(qMax(1, view.width()));
    verticalScrollBar()->setRange(0, qMax(0, pic.height() - view.height()));
    verticalScrollBar()->setPageStep(qMax(1, view.height()));
}
