#include "colortext.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
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
// drawing: Up, Page Up, Home and turning the wheel away move towards 255. So do the
// mouse and the bar's context menu: the scroll bar steps towards its minimum from the
// arrow and the groove at its left or top end whatever the drawing, so those steps
// are turned round (the left arrow moves the thumb left, towards 255).
class ChannelBar : public QScrollBar {
public:
    ChannelBar(Qt::Orientation orientation, QWidget *parent) : QScrollBar(orientation, parent)
    {
        setInvertedAppearance(true);
        // Arrow keys of a horizontal bar already follow the drawing only with inverted
        // controls; the wheel is turned round below for it.
        setInvertedControls(orientation == Qt::Horizontal);
        connect(this, &QAbstractSlider::actionTriggered, this, [this](int action) { followDrawing(action); });
    }

protected:
    void mousePressEvent(QMouseEvent *e) override
    {
        m_pointer = true;
        QScrollBar::mousePressEvent(e);
    }

    void mouseReleaseEvent(QMouseEvent *e) override
    {
        QScrollBar::mouseReleaseEvent(e);
        m_pointer = false;
    }

    void contextMenuEvent(QContextMenuEvent *e) override
    {
        m_pointer = true;
        QScrollBar::contextMenuEvent(e);
        m_pointer = false;
    }

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

private:
    // Runs while an action of the pointer is applied: the value still holds the old
    // position, the slider position the new one.
    void followDrawing(int action)
    {
        if (!m_pointer)
            return;
        const int from = value();
        switch (action) {
        case SliderSingleStepAdd: setSliderPosition(from - singleStep()); break;
        case SliderSingleStepSub: setSliderPosition(from + singleStep()); break;
        case SliderPageStepAdd: setSliderPosition(from - pageStep()); break;
        case SliderPageStepSub: setSliderPosition(from + pageStep()); break;
        case SliderToMinimum: setSliderPosition(maximum()); break;
        case SliderToMaximum: setSliderPosition(minimum()); break;
        default: break;
        }
    }

    bool m_pointer = false;
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
