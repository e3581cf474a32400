#include "mapfrm.h"

#include "tools/mapcanvas.h"
#include "platform/editarea.h"
#include "platform/pickers.h"
#include "platform/prompts.h"
#include "platform/shared.h"
#include "platform/twips.h"

#include <QColorDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>

#include <algorithm>

namespace {
MapFrm::ColorAsker g_colorAsker;

// Design of the window in twips: client area and the controls that do not follow
// the window's edges.
constexpr int ClientWidth = 9855;
constexpr int ClientHeight = 6345;
constexpr int RowHeight = 300;
constexpr int SourceLeft = 960, SourceTop = 720, SourceWidth = 8835, SourceHeight = 1395;
constexpr int PictureLeft = 960, PictureTop = 2160, PictureWidth = 8835, PictureHeight = 4155;

const QString kLinkPrompt = QStringLiteral("ファイルのパスを指定して下さい");
const QString kBadPicture = QStringLiteral(
    "無効なファイル名です\n(認識されるピクチャ ファイルには、ビットマップ ファイル (.BMP)、アイコン ファイル (.ICO)、"
    "run-length エンコード ファイル (.RLE)、メタファイル (.WMF)、拡張メタファイル (.EMF)、GIF ファイル、"
    "JPEG ファイル (.JPG) などがあります。)");
const QString kBadPictureTitle = QStringLiteral("Fale-Open");

QPushButton *button(QWidget *parent, const char *name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    // Enter in a text box must not press a button of its own accord.
    b->setAutoDefault(false);
    return b;
}

QLabel *label(QWidget *parent, const char *name, const QString &caption)
{
    auto *l = new QLabel(caption, parent);
    l->setObjectName(name);
    return l;
}

QLineEdit *lineEdit(QWidget *parent, const char *name)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(name);
    return e;
}
}

void MapFrm::setColorAsker(ColorAsker asker)
{
    g_colorAsker = std::move(asker);
}

void MapFrm::run(EditArea *edit, QWidget *parent)
{
    MapFrm dlg(edit, parent);
    dlg.exec();
}

QString MapFrm::pictureFilter()
{
    QStringList patterns;
    const QList<QByteArray> formats = QImageReader::supportedImageFormats();
    for (const QByteArray &format : formats)
        patterns << QStringLiteral("*.") + QString::fromLatin1(format).toLower();
    // Run-length encoded bitmaps are bitmaps under another name: the bitmap reader
    // recognises them by their contents.
    if (formats.contains("bmp"))
        patterns << QStringLiteral("*.rle");
    patterns.removeDuplicates();
    patterns.sort();
    return QStringLiteral("ピクチャファイル|") + patterns.join(QLatin1Char(';'))
        + QStringLiteral("|すべてのファイル|*.*");
}

MapFrm::MapFrm(EditArea *edit, QWidget *parent) : QDialog(parent), m_edit(edit)
{
    setObjectName("mapfrm");
    setWindowTitle(QStringLiteral("<map>"));
    setModal(true);

    m_label1 = label(this, "Label1", QStringLiteral("画像パス"));
    m_pathTxt = lineEdit(this, "PathTxt");
    m_command2 = button(this, "Command2", QStringLiteral("参照"));
    m_label3 = label(this, "Label3", QStringLiteral("マップの名前"));
    m_mapName = lineEdit(this, "MapName");
    m_label2 = label(this, "Label2", QStringLiteral("指定区域外のリンク先"));
    m_defaultTxt = lineEdit(this, "DefaultTxt");
    m_openPic = button(this, "OpenPic", QStringLiteral("画像の表示"));
    m_newSource = button(this, "NewSource", QStringLiteral("ソースの更新"));
    m_setColor = button(this, "SetColor", QStringLiteral("線の色の設定"));
    m_addRect = button(this, "AddRect", QStringLiteral("長方形"));
    m_addCircle = button(this, "AddCircle", QStringLiteral("円"));
    m_addPoly = button(this, "AddPoly", QStringLiteral("多角形"));
    m_command1 = button(this, "Command1", QStringLiteral("OK"));
    m_souceTxt = new QPlainTextEdit(this);
    m_souceTxt->setObjectName("SouceTxt");
    m_picture1 = new MapCanvas(this);

    m_label1->setBuddy(m_pathTxt);
    m_label2->setBuddy(m_defaultTxt);
    m_label3->setBuddy(m_mapName);
    m_souceTxt->setTabChangesFocus(true);

    // Fixed controls: (widget, left, top, width, height) in twips.
    struct Fixed {
        QWidget *w;
        int x, y, width, height;
    };
    const Fixed fixed[] = {
        {m_label1, 60, 120, 1680, 240},      {m_pathTxt, 1800, 60, 1740, RowHeight},
        {m_command2, 3600, 60, 780, RowHeight}, {m_label3, 4440, 60, 1080, 240},
        {m_mapName, 5580, 0, 2040, RowHeight},  {m_label2, 60, 360, 1680, RowHeight},
        {m_defaultTxt, 1800, 360, 2580, RowHeight}, {m_openPic, 4440, 360, 1380, RowHeight},
        {m_newSource, 5880, 360, 1320, RowHeight},  {m_setColor, 7260, 360, 1380, RowHeight},
        {m_addRect, 0, 720, 915, 435},      {m_addCircle, 0, 1200, 915, 435},
        {m_addPoly, 0, 1680, 915, 435},     {m_command1, 0, 2340, 915, 435},
    };

    // The design assumes a small system font: grow it until every caption fits and
    // a text box has room for a line of the current font.
    double fx = Twips::DesignDpi / Twips::PerInch, fy = fx;
    for (const Fixed &f : fixed) {
        int need = 0;
        if (auto *l = qobject_cast<QLabel *>(f.w))
            need = l->fontMetrics().horizontalAdvance(l->text()) + 4;
        else if (auto *b = qobject_cast<QPushButton *>(f.w))
            need = b->fontMetrics().horizontalAdvance(b->text()) + 14;
        fx = std::max(fx, double(need) / f.width);
    }
    fy = std::max(fy, double(m_pathTxt->sizeHint().height()) / RowHeight);
    fy = std::max(fy, double(m_addRect->sizeHint().height()) / 435);
    m_fx = fx;
    m_fy = fy;
    for (const Fixed &f : fixed)
        placeFixed(f.w, f.x, f.y, f.width, f.height);
    m_label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label2->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_souceTxt->setGeometry(px(SourceLeft), py(SourceTop), px(SourceWidth), py(SourceHeight));
    m_picture1->setGeometry(px(PictureLeft), py(PictureTop), px(PictureWidth), py(PictureHeight));

    // Keep the fixed controls in view; the text and the picture take what is left.
    setMinimumSize(px(7260 + 1380 + 60), py(2340 + 435 + 60));
    resize(px(ClientWidth), py(ClientHeight));

    setTabOrder(m_pathTxt, m_command2);
    setTabOrder(m_command2, m_mapName);
    setTabOrder(m_mapName, m_defaultTxt);
    setTabOrder(m_defaultTxt, m_openPic);
    setTabOrder(m_openPic, m_newSource);
    setTabOrder(m_newSource, m_setColor);
    setTabOrder(m_setColor, m_addRect);
    setTabOrder(m_addRect, m_addCircle);
    setTabOrder(m_addCircle, m_addPoly);
    setTabOrder(m_addPoly, m_command1);
    setTabOrder(m_command1, m_souceTxt);

    connect(m_addRect, &QPushButton::clicked, this, &MapFrm::addRect);
    connect(m_addCircle, &QPushButton::clicked, this, &MapFrm::addCircle);
    connect(m_addPoly, &QPushButton::clicked, this, &MapFrm::addPoly);
    connect(m_command1, &QPushButton::clicked, this, &MapFrm::insertAndClose);
    connect(m_command2, &QPushButton::clicked, this, &MapFrm::pickPicturePath);
    connect(m_newSource, &QPushButton::clicked, this, &MapFrm::buildMapSource);
    connect(m_setColor, &QPushButton::clicked, this, &MapFrm::pickLineColour);
    connect(m_openPic, &QPushButton::clicked, this, &MapFrm::openPicture);
    connect(m_picture1, &MapCanvas::mouseDown, this, &MapFrm::pressOnPicture);
    connect(m_picture1, &MapCanvas::mouseMoved, this, &MapFrm::moveOnPicture);
}

int MapFrm::px(double twips) const
{
    return Twips::toPixels(twips, m_fx * Twips::PerInch);
}

int MapFrm::py(double twips) const
{
    return Twips::toPixels(twips, m_fy * Twips::PerInch);
}

void MapFrm::placeFixed(QWidget *w, int x, int y, int width, int height)
{
    w->setGeometry(px(x), py(y), px(width), py(height));
}

void MapFrm::stretchToEdges()
{
    // The source box and the picture reach the right edge, the picture the bottom
    // edge; a window smaller than their offsets leaves them empty, never negative.
    const int w = width(), h = height();
    const QRect s = m_souceTxt->geometry();
    m_souceTxt->setGeometry(s.x(), s.y(), std::max(0, w - s.x()), s.height());
    const QRect p = m_picture1->geometry();
    m_picture1->setGeometry(p.x(), p.y(), std::max(0, w - p.x()), std::max(0, h - p.y()));
}

void MapFrm::resizeEvent(QResizeEvent *e)
{
    QDialog::resizeEvent(e);
    stretchToEdges();
}

void MapFrm::enableShapeButtons(bool enabled)
{
    m_addRect->setEnabled(enabled);
    m_addCircle->setEnabled(enabled);
    m_addPoly->setEnabled(enabled);
}

void MapFrm::beginShape(ImageMap::Drawing::Mode mode)
{
    m_drawing.begin(mode);
    enableShapeButtons(false);
}

void MapFrm::addRect()
{
    beginShape(ImageMap::Drawing::Rect);
}

void MapFrm::addCircle()
{
    beginShape(ImageMap::Drawing::Circle);
}

void MapFrm::addPoly()
{
    beginShape(ImageMap::Drawing::Polygon);
}

QString MapFrm::askLink()
{
    Prompts::info(this, kLinkPrompt);
    // A picker closed without an answer leaves no stale path from an earlier use.
    Shared::PickedPath.clear();
    return Pickers::pickPath(this);
}

void MapFrm::pressOnPicture(QPointF pos)
{
    using Ev = ImageMap::Drawing::Event;
    const ImageMap::Drawing::Mode mode = m_drawing.mode();
    const ImageMap::Drawing::Step step = m_drawing.click(pos);
    switch (step.event) {
    case Ev::None:
    case Ev::Started:
        break;
    case Ev::VertexAdded:
        m_picture1->drawTransient(step.outline);
        break;
    case Ev::Finished:
        if (mode == ImageMap::Drawing::Polygon) {
            enableShapeButtons(true);
            m_picture1->clearTransient();
            m_picture1->drawPersistent(step.outline);
            m_drawing.complete(askLink());
            buildMapSource();
        } else {
            m_drawing.complete(askLink());
            buildMapSource();
            enableShapeButtons(true);
            m_picture1->clearTransient();
            m_picture1->drawPersistent(step.outline);
        }
        break;
    }
}

void MapFrm::moveOnPicture(QPointF pos)
{
    if (!m_drawing.started() || m_drawing.awaitingLink())
        return;
    m_picture1->clearTransient();
    m_picture1->drawTransient(m_drawing.rubberBand(pos));
}

void MapFrm::buildMapSource()
{
    m_souceTxt->setPlainText(ImageMap::buildMapSource(m_pathTxt->text(), m_mapName->text(),
                                                      m_drawing.areaText(), m_defaultTxt->text()));
}

void MapFrm::insertAndClose()
{
    if (m_edit)
        m_edit->insert(m_souceTxt->toPlainText());
    accept();
}

void MapFrm::pickPicturePath()
{
    // A cancelled picker keeps the address the user had typed.
    if (Pickers::choosePath(this))
        m_pathTxt->setText(Shared::PickedPath);
}

void MapFrm::pickLineColour()
{
    const QColor initial = m_picture1->drawColor();
    const QColor chosen = g_colorAsker ? g_colorAsker(this, initial)
                                       : QColorDialog::getColor(initial, this, QStringLiteral("色の設定"));
    if (chosen.isValid())
        m_picture1->setDrawColor(chosen);
}

void MapFrm::openPicture()
{
    QString folder = m_pictureFolder;
    if (folder.isEmpty() && !Shared::DocumentPath.isEmpty())
        folder = QFileInfo(Shared::DocumentPath).absolutePath();
    const QString file = Prompts::openFile(this, pictureFilter(), folder);
    if (file.isEmpty())
        return;
    if (!m_picture1->loadPicture(file)) {
        Prompts::error(this, kBadPicture, kBadPictureTitle);
        return;
    }
    m_pictureFolder = QFileInfo(file).absolutePath();
}
