#include "about.h"

#include "platform/appenv.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cmath>
#include <functional>

namespace {

// Milliseconds between two steps of a movement: short enough to look like motion,
// long enough for the window manager to show each position.
constexpr int kWindowStepMs = 15;
constexpr int kLabelStepMs = 8;

// Box size and control places, in twips.
constexpr int kBoxWidth = 5880;
constexpr int kBoxHeight = 3540;

}

QFont centuryFont(const QFont &base, int pointSize, bool bold, bool italic)
{
    QFont f = base;
    // A Century-style serif: URW's C059 on Debian, then its relatives, then any serif.
    f.setFamilies({QStringLiteral("C059"), QStringLiteral("Century Schoolbook L"), QStringLiteral("TeX Gyre Schola"),
                   QStringLiteral("Century Schoolbook"), QStringLiteral("New Century Schoolbook"),
                   QStringLiteral("Century"), QStringLiteral("Noto Serif"), QStringLiteral("DejaVu Serif")});
    f.setStyleHint(QFont::Serif);
    f.setPointSize(pointSize);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

void showPicture(QLabel *label, const QString &resource)
{
    QPixmap picture(resource);
    if (picture.isNull())
        return;
    // Drawn at the screen's own pixel density, so it stays sharp on high-density screens.
    const qreal ratio = label->devicePixelRatioF();
    picture = picture.scaled(label->size() * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    picture.setDevicePixelRatio(ratio);
    label->setPixmap(picture);
}

// A label that answers clicks (mouse, or Enter/Space when it has the focus) and drops.
class ClickLabel : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> onClick;
    std::function<void()> onDrop;

protected:
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && onClick)
            onClick();
        QLabel::mouseReleaseEvent(event);
    }
    void keyPressEvent(QKeyEvent *event) override
    {
        if (onClick && (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
            onClick();
            return;
        }
        QLabel::keyPressEvent(event);
    }
    void dragEnterEvent(QDragEnterEvent *event) override
    {
        if (onDrop)
            event->acceptProposedAction();
    }
    void dragMoveEvent(QDragMoveEvent *event) override
    {
        if (onDrop)
            event->acceptProposedAction();
    }
    void dropEvent(QDropEvent *event) override
    {
        if (!onDrop)
            return;
        event->acceptProposedAction();
        onDrop();
    }
};

namespace AboutMotion {

QList<QPoint> slideAway(QPoint start, int screenBottom, double dpiX, double dpiY)
{
    QList<QPoint> path;
    QPoint at = start;
    // Positions are counted in twips from the start so that rounding never adds up.
    for (int n = 1; at.y() <= screenBottom; ++n) {
        at = start + QPoint(Twips::toPixels(500.0 * n, dpiX), Twips::toPixels(500.0 * n, dpiY));
        path << at;
        if (n > 100000)  // a screen no box could cross; never loop for ever
            break;
    }
    return path;
}

QList<QPoint> nudge(QPoint start, double dpiX, double dpiY)
{
    QList<QPoint> path;
    for (int n = 1; n <= 10; ++n)
        path << start - QPoint(Twips::toPixels(100.0 * n, dpiX), Twips::toPixels(100.0 * n, dpiY));
    return path;
}

QList<int> dropShift(int left, double dpiX)
{
    QList<int> path;
    if (left < 0)
        return path;
    for (int n = 1; n <= 100; ++n)
        path << left - Twips::toPixels(n, dpiX);
    return path;
}

}

QPointer<AboutBox> AboutBox::s_open;

AboutBox::AboutBox(QWidget *parent) : QDialog(parent)
{
    setObjectName("frmAbout");
    setWindowTitle(QStringLiteral("バージョン情報"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    buildControls();

    m_windowTimer = new QTimer(this);
    m_windowTimer->setInterval(kWindowStepMs);
    connect(m_windowTimer, &QTimer::timeout, this, &AboutBox::windowStep);
    m_labelTimer = new QTimer(this);
    m_labelTimer->setInterval(kLabelStepMs);
    connect(m_labelTimer, &QTimer::timeout, this, &AboutBox::labelStep);
}

AboutBox::~AboutBox() = default;

double AboutBox::dpiX() const
{
    return screen() ? screen()->logicalDotsPerInchX() : 96.0;
}

double AboutBox::dpiY() const
{
    return screen() ? screen()->logicalDotsPerInchY() : 96.0;
}

void AboutBox::buildControls()
{
    const double dx = dpiX();
    const double dy = dpiY();
    auto px = [dx](double t) { return Twips::toPixels(t, dx); };
    auto py = [dy](double t) { return Twips::toPixels(t, dy); };

    m_image = new QLabel(this);
    m_image->setObjectName("Image1");
    m_image->setGeometry(px(300), py(300), px(960), py(960));
    m_image->setAlignment(Qt::AlignCenter);
    showPicture(m_image, QStringLiteral(":/pictures/tarnell-256.png"));

    // The title and, one step down and right behind it, its shadow.
    const QFont tf = centuryFont(font(), 30, true, false);
    m_titleShadow = new QLabel(QStringLiteral("Tarnell"), this);
    m_titleShadow->setObjectName("Label1");
    m_titleShadow->setFont(tf);
    m_titleShadow->setStyleSheet(QStringLiteral("color: #b8c2cc;"));
    m_title = new QLabel(QStringLiteral("Tarnell"), this);
    m_title->setObjectName("lblTitle");
    m_title->setFont(tf);
    m_title->setStyleSheet(QStringLiteral("color: #1f4e79;"));
    m_title->adjustSize();
    m_title->move(px(1500), py(240));
    m_titleShadow->adjustSize();
    m_titleShadow->move(m_title->pos() + QPoint(px(40), py(40)));
    m_titleShadow->lower();

    const QFont small = centuryFont(font(), 13, false, true);
    m_forNote = new QLabel(QStringLiteral("for NOTE"), this);
    m_forNote->setObjectName("Label6");
    m_forNote->setFont(small);
    m_forNote->setStyleSheet(QStringLiteral("color: #1f4e79;"));
    m_forNote->adjustSize();
    m_forNote->move(m_title->geometry().right() - m_forNote->width(), m_title->geometry().bottom() + py(20));

    m_version = new QLabel(AppEnv::versionText(), this);
    m_version->setObjectName("lblVersion");
    m_version->adjustSize();
    m_version->move(m_forNote->geometry().right() + 1 - m_version->width(), m_forNote->geometry().bottom() + py(120));

    auto *rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    const int ruleTop = std::max(py(1860), m_version->geometry().bottom() + py(120));
    rule->setGeometry(px(240), ruleTop, px(kBoxWidth - 480), py(30));

    m_name = new ClickLabel(QStringLiteral("制作：Tarnell 開発チーム"), this);
    m_name->setObjectName("Label3");
    m_name->adjustSize();
    m_name->move(px(300), ruleTop + py(210));
    m_name->onClick = [this] { nudge(); };

    m_contact = new ClickLabel(QStringLiteral("ご意見・ご要望をお待ちしています"), this);
    m_contact->setObjectName("Label4");
    m_contact->setAutoFillBackground(true);
    m_contact->setContentsMargins(2, 1, 2, 1);
    m_contact->adjustSize();
    m_contact->move(px(300), m_name->geometry().bottom() + py(90));
    m_contact->onClick = [this] { flashContact(); };

    m_ok = new ClickLabel(QStringLiteral("OK"), this);
    m_ok->setObjectName("Label2");
    m_ok->setAlignment(Qt::AlignCenter);
    m_ok->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_ok->setLineWidth(2);
    m_ok->setCursor(Qt::PointingHandCursor);
    m_ok->setFocusPolicy(Qt::StrongFocus);
    m_ok->setAcceptDrops(true);
    m_ok->setToolTip(QStringLiteral("閉じる"));
    const QSize okSize(std::max(px(1215), m_ok->sizeHint().width()), std::max(py(405), m_ok->sizeHint().height()));
    m_ok->resize(okSize);
    m_ok->onClick = [this] { slideAway(); };
    m_ok->onDrop = [this] { Label2_DragDrop(); };

    // The box keeps its designed size unless a large font needs more room.
    int width = px(kBoxWidth);
    int height = py(kBoxHeight);
    width = std::max(width, m_contact->geometry().right() + px(300));
    width = std::max(width, m_forNote->geometry().right() + px(300));
    const int contentBottom = m_contact->geometry().bottom();
    height = std::max(height, contentBottom + py(180) + okSize.height() + py(240));
    m_ok->move(width - px(300) - okSize.width(), height - py(240) - okSize.height());
    setFixedSize(width, height);
    m_ok->setFocus();
}

AboutBox *AboutBox::showAbout(QWidget *parent)
{
    if (s_open && !s_open->isLeaving()) {
        s_open->show();
        s_open->setWindowState(s_open->windowState() & ~Qt::WindowMinimized);
        s_open->raise();
        s_open->activateWindow();
        return s_open;
    }
    auto *box = new AboutBox(parent);
    s_open = box;
    box->show();
    return box;
}

bool AboutBox::isMoving() const
{
    return m_windowTimer->isActive() || m_labelTimer->isActive();
}

void AboutBox::playWindowPath(const QList<QPoint> &path)
{
    m_windowPath = path;
    if (m_windowPath.isEmpty()) {
        m_windowTimer->stop();
        windowStep();  // nothing to move: finish at once
        return;
    }
    m_windowTimer->start();
}

void AboutBox::windowStep()
{
    if (!m_windowPath.isEmpty()) {
        move(m_windowPath.takeFirst());
        if (!m_windowPath.isEmpty())
            return;
    }
    m_windowTimer->stop();
    if (m_leaving)
        close();
}

void AboutBox::slideAway()
{
    if (m_leaving)
        return;
    m_leaving = true;
    const QRect screenRect = screen() ? screen()->geometry() : QRect(0, 0, 1024, 768);
    playWindowPath(AboutMotion::slideAway(frameGeometry().topLeft(), screenRect.y() + screenRect.height(), dpiX(), dpiY()));
}

void AboutBox::nudge()
{
    if (m_leaving)
        return;
    // A nudge while one is still playing goes on from where the first one ends.
    const QPoint from = m_windowPath.isEmpty() ? frameGeometry().topLeft() : m_windowPath.last();
    m_windowPath += AboutMotion::nudge(from, dpiX(), dpiY());
    m_windowTimer->start();
}

void AboutBox::flashContact()
{
    const bool blue = ++m_contactClicks % 2 == 0;
    QPalette p = m_contact->palette();
    p.setColor(QPalette::Window, blue ? QColor(0, 0, 255) : QColor(255, 255, 255));
    // Keep the line readable on blue.
    p.setColor(QPalette::WindowText, blue ? QColor(255, 255, 255) : QColor(0, 0, 0));
    m_contact->setPalette(p);
}

void AboutBox::Label2_DragDrop()
{
    const int from = m_labelPath.isEmpty() ? m_ok->x() : m_labelPath.last();
    const QList<int> more = AboutMotion::dropShift(from, dpiX());
    if (more.isEmpty())
        return;
    m_labelPath += more;
    m_labelTimer->start();
}

void AboutBox::labelStep()
{
    if (m_labelPath.isEmpty()) {
        m_labelTimer->stop();
        return;
    }
    m_ok->move(m_labelPath.takeFirst(), m_ok->y());
}

void AboutBox::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        close();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        slideAway();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}
