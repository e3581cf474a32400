#include "colortext.h"

#include <QKeyEvent>
#include <QWheelEvent>
#include <QLabel>
#include <QScrollBar>

QString ChannelDigits(int value)
{
    return QStringLiteral("%1").arg(qBound(0, value, 255), 2, 16, QLatin1Char('0')).toUpper();
}

QString FormatBareColorText(int red, int green, int blue)
{
    return ChannelDigits(red) + ChannelDigits(green) + ChannelDigits(blue);
}

QString FormatColorText(int red, int green, int blue)
{
    return QLatin1Char('#') + FormatBareColorText(red, green, blue);
}

QColor SwatchTextColor(int red, int green, int blue)
{
    return red + green + blue > 384 ? QColor(Qt::black) : QColor(Qt::white);
}

void PaintSwatch(QLabel *label, const QColor &back, const QColor &text)
{
    QPalette p = label->palette();
    p.setColor(QPalette::Window, back);
    p.setColor(QPalette::WindowText, text);
    label->setPalette(p);
    label->setAutoFillBackground(true);
}

namespace {
const char *const kChannelNames[3] = {"red", "green", "blue"};

QColor pureChannel(ChannelMixer::Channel c, int value)
{
    return QColor(c == ChannelMixer::Red ? value : 0, c == ChannelMixer::Green ? value : 0,
                  c == ChannelMixer::Blue ? value : 0);
}

// A channel bar drawn with 255 at its left or top end. Keys and the wheel follow the
// drawing: Up, Page Up, Home and turning the wheel away move towards 255.
class ChannelBar : public QScrollBar {
public:
    ChannelBar(Qt::Orientation orientation, QWidget *parent) : QScrollBar(orientation, parent)
    {
        setInvertedAppearance(true);
        // Arrow keys of a horizontal bar already follow the drawing only with inverted
        // controls; the wheel is turned round below for it.
        setInvertedControls(orientation == Qt::Horizontal);
    }

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        if (e->key() == Qt::Key_Home || e->key() == Qt::Key_End) {
            triggerAction(e->key() == Qt::Key_Home ? SliderToMaximum : SliderToMinimum);
            e->accept();
            return;
        }
        QScrollBar::keyPressEvent(e);
    }

    void wheelEvent(QWheelEvent *e) override
    {
        if (orientation() == Qt::Vertical) {
            QScrollBar::wheelEvent(e);
            return;
        }
        QWheelEvent turned(e->position(), e->globalPosition(), -e->pixelDelta(), -e->angleDelta(), e->buttons(),
                           e->modifiers(), e->phase(), e->inverted(), e->source());
        QScrollBar::wheelEvent(&turned);
        e->setAccepted(turned.isAccepted());
    }
};

QLabel *borderedLabel(QWidget *owner, const QString &name)
{
    auto *label = new QLabel(owner);
    label->setObjectName(name);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setLineWidth(1);
    label->setAlignment(Qt::AlignCenter);
    return label;
}
}

ChannelMixer::ChannelMixer(QWidget *owner, Qt::Orientation orientation, const QString &nameSuffix,
                           int initial, int pageStep, bool captionOnSwatch)
    : QObject(owner), m_captionOnSwatch(captionOnSwatch)
{
    m_swatch = borderedLabel(owner, QStringLiteral("alllbl") + nameSuffix);
    for (int i = 0; i < 3; ++i) {
        const auto c = Channel(i);
        const QString channel = QString::fromLatin1(kChannelNames[i]);
        m_labels[i] = borderedLabel(owner, channel + QStringLiteral("lbl") + nameSuffix);

        auto *bar = new ChannelBar(orientation, owner);
        bar->setObjectName(channel + QStringLiteral("scr") + nameSuffix);
        bar->setRange(0, 255);
        bar->setSingleStep(1);
        bar->setPageStep(pageStep);
        bar->setValue(initial);
        m_bars[i] = bar;
        m_values[i] = initial;
        PaintSwatch(m_labels[i], pureChannel(c, initial));

        // valueChanged fires for every move, also while the thumb is dragged.
        connect(bar, &QScrollBar::valueChanged, this, [this, c](int v) { channelChanged(c, v); });
    }
    paintSwatch();
}

void ChannelMixer::channelChanged(Channel c, int value)
{
    m_values[c] = value;
    PaintSwatch(m_labels[c], pureChannel(c, value));
    paintSwatch();
    emit colorChanged();
}

void ChannelMixer::paintSwatch()
{
    if (m_captionOnSwatch) {
        PaintSwatch(m_swatch, color(), SwatchTextColor(red(), green(), blue()));
        m_swatch->setText(colorText());
    } else {
        PaintSwatch(m_swatch, color());
    }
}

void ChannelMixer::invert()
{
    for (Channel c : {Green, Red, Blue})
        m_bars[c]->setValue(255 - m_bars[c]->value());
}
