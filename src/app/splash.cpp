#include "splash.h"

#include "about.h"
#include "platform/appenv.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>

namespace {
// Window size and control places, in twips.
constexpr int kWidth = 7200;
constexpr int kHeight = 4320;
}

SplashWindow::SplashWindow(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName("frmSplash");
    setWindowTitle(QStringLiteral("Tarnell"));
    setAttribute(Qt::WA_DeleteOnClose);

    QScreen *scr = screen() ? screen() : QGuiApplication::primaryScreen();
    const double dx = scr ? scr->logicalDotsPerInchX() : 96.0;
    const double dy = scr ? scr->logicalDotsPerInchY() : 96.0;
    auto px = [dx](double t) { return Twips::toPixels(t, dx); };
    auto py = [dy](double t) { return Twips::toPixels(t, dy); };

    const int width = px(kWidth);
    const int height = py(kHeight);
    setFixedSize(width, height);

    m_frame = new QFrame(this);
    m_frame->setObjectName("Frame1");
    m_frame->setGeometry(px(60), py(60), width - 2 * px(60), height - 2 * py(60));
    m_frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_frame->setStyleSheet(QStringLiteral("QFrame#Frame1 { background: #ffffff; border: 1px solid #1f4e79; }"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0x1f, 0x4e, 0x79));
    setPalette(pal);

    m_logo = new QLabel(m_frame);
    m_logo->setObjectName("imgLogo");
    m_logo->setGeometry(px(300), py(300), px(5100), py(1650));
    m_logo->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    showPicture(m_logo, QStringLiteral(":/pictures/logo.png"));

    const QFont note = centuryFont(font(), 16, false, true);
    // "for NOTE" twice: a soft shadow one step down and right, the text above it.
    m_forNoteShadow = new QLabel(QStringLiteral("for NOTE"), m_frame);
    m_forNoteShadow->setObjectName("Label3");
    m_forNoteShadow->setFont(note);
    m_forNoteShadow->setStyleSheet(QStringLiteral("color: #c3ccd6; background: transparent;"));
    m_forNote = new QLabel(QStringLiteral("for NOTE"), m_frame);
    m_forNote->setObjectName("Label2");
    m_forNote->setFont(note);
    m_forNote->setStyleSheet(QStringLiteral("color: #1f4e79; background: transparent;"));
    m_forNote->adjustSize();
    m_forNoteShadow->adjustSize();
    // Under the end of the name in the logo.
    const int noteRight = std::min(m_frame->width() - px(300), m_logo->x() + m_logo->width() * 29 / 30);
    m_forNote->move(noteRight - m_forNote->width(), m_logo->geometry().bottom() + py(60));
    m_forNoteShadow->move(m_forNote->pos() + QPoint(px(30), py(30)));
    m_forNoteShadow->lower();

    m_version = new QLabel(AppEnv::versionText(), m_frame);
    m_version->setObjectName("lblVersion");
    m_version->setStyleSheet(QStringLiteral("color: #333333; background: transparent;"));
    m_version->adjustSize();
    m_version->move(noteRight - m_version->width(), m_forNote->geometry().bottom() + py(150));

    m_progress = new QLabel(QStringLiteral("フォームの読み込み中"), m_frame);
    m_progress->setObjectName("Label1");
    m_progress->setStyleSheet(QStringLiteral("color: #1f4e79; background: transparent;"));
    m_progress->setGeometry(px(300), m_frame->height() - py(780), m_frame->width() - px(600),
                            std::max(py(300), m_progress->sizeHint().height()));

    QFont tiny = font();
    tiny.setPointSizeF(std::max(7.0, tiny.pointSizeF() * 0.85));
    m_copyright = new QLabel(QStringLiteral("© Tarnell 開発チーム"), m_frame);
    m_copyright->setObjectName("lblCopyright");
    m_copyright->setFont(tiny);
    m_copyright->setStyleSheet(QStringLiteral("color: #666666; background: transparent;"));
    m_copyright->adjustSize();
    m_copyright->move(m_frame->width() - px(300) - m_copyright->width(),
                      m_frame->height() - py(180) - m_copyright->height());
}

void SplashWindow::showEvent(QShowEvent *event)
{
    // Centred on the screen it opens on.
    if (QScreen *scr = screen() ? screen() : QGuiApplication::primaryScreen()) {
        const QRect area = scr->availableGeometry();
        move(area.center() - rect().center());
    }
    QWidget::showEvent(event);
}

QString SplashWindow::progressText() const
{
    return m_progress->text();
}

void SplashWindow::showProgress(const QString &text, bool)
{
    // Repainting is left to the caller's yield, which lets pending events run.
    m_progress->setText(text);
    if (text.isEmpty())
        close();
}

std::function<void(const QString &, bool)> SplashWindow::progress()
{
    QPointer<SplashWindow> self(this);
    return [self](const QString &text, bool yield) {
        if (self)
            self->showProgress(text, yield);
    };
}
