#pragma once
// The image map editor: draw areas on a picture, give each a link, and put the image
// tag with its map into the editing area.
#include "tools/imagemap.h"

#include <QColor>
#include <QDialog>
#include <functional>

class EditArea;
class MapCanvas;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class MapFrm : public QDialog {
    Q_OBJECT
public:
    // Opens the editor modally; OK replaces the selection of edit with the source.
    static void run(EditArea *edit, QWidget *parent);

    explicit MapFrm(EditArea *edit, QWidget *parent = nullptr);

    // Test hook for the colour dialog: returns the chosen colour, or an invalid colour
    // when cancelled. Unset: the system colour dialog.
    using ColorAsker = std::function<QColor(QWidget *parent, const QColor &initial)>;
    static void setColorAsker(ColorAsker asker);

    // Handlers.
    void addRect();
    void addCircle();
    void addPoly();
    void pressOnPicture(QPointF pos);
    void moveOnPicture(QPointF pos);
    void buildMapSource();
    void enableShapeButtons(bool enabled);
    void insertAndClose();
    void pickPicturePath();
    void pickLineColour();
    void openPicture();

    const ImageMap::Drawing &drawing() const { return m_drawing; }
    // Layout scale: pixels per twip.
    double pixelsPerTwipX() const { return m_fx; }
    double pixelsPerTwipY() const { return m_fy; }

    // The picture file filter of the open dialog ("desc|patterns|desc|patterns").
    static QString pictureFilter();

protected:
    void resizeEvent(QResizeEvent *e) override;

private:
    void beginShape(ImageMap::Drawing::Mode mode);
    QString askLink();
    // Twips of the design in pixels at the layout scale.
    int px(double twips) const;
    int py(double twips) const;
    void placeFixed(QWidget *w, int x, int y, int width, int height);
    void stretchToEdges();

    EditArea *m_edit;
    ImageMap::Drawing m_drawing;
    double m_fx = 1.0 / 15;
    double m_fy = 1.0 / 15;
    QString m_pictureFolder;

    QLabel *m_label1, *m_label2, *m_label3;
    QLineEdit *m_pathTxt, *m_mapName, *m_defaultTxt;
    QPushButton *m_command2, *m_openPic, *m_newSource, *m_setColor;
    QPushButton *m_addRect, *m_addCircle, *m_addPoly, *m_command1;
    QPlainTextEdit *m_souceTxt;
    MapCanvas *m_picture1;
};
