#pragma once
// The picture of the image map editor: a picture shown at its natural size, a
// persistent layer of finished shapes and a transient layer for the outline that
// follows the mouse. Positions are picture pixels measured from the picture's
// top-left corner; a picture larger than the box scrolls.
#include "tools/imagemap.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QImage>
#include <QList>

class MapCanvas : public QAbstractScrollArea {
    Q_OBJECT
    Q_PROPERTY(QColor drawColor READ drawColor WRITE setDrawColor)
public:
    explicit MapCanvas(QWidget *parent = nullptr);

    // Loads a picture file; false (and the previous picture kept) when it does not load.
    bool loadPicture(const QString &fileName);
    void setPicture(const QImage &picture);
    QImage picture() const { return m_picture; }

    QColor drawColor() const { return m_color; }
    void setDrawColor(const QColor &color);

    // Persistent layer: kept until the window closes.
    void drawPersistent(const ImageMap::Outline &outline);
    // Transient layer: the rubber-band outline.
    void clearTransient();
    void drawTransient(const ImageMap::Outline &outline);

    int persistentCount() const { return int(m_persistent.size()); }
    int transientCount() const { return int(m_transient.size()); }

    // Viewport position -> picture position (unrounded).
    QPointF toPicture(QPointF viewportPos) const;

signals:
    void mouseDown(QPointF pos);
    void mouseMoved(QPointF pos);

protected:
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    struct Item {
        ImageMap::Outline outline;
        QColor color;
    };
    void updateScrollBars();

    QImage m_picture;
    QColor m_color = Qt::black;
    QList<Item> m_persistent;
    QList<Item> m_transient;
};
