#pragma once
// The one colour notation written into HTML ("#" and two upper-case hexadecimal digits
// for red, green and blue), the contrast rule for text drawn on a colour swatch, and
// the red/green/blue mixer (three channel bars, their labels and the mixed swatch)
// that the colour picker, the body dialog and the gradient tool share.
#include <QColor>
#include <QObject>
#include <QString>

class QLabel;
class QScrollBar;
class QWidget;

// Two upper-case hexadecimal digits of a channel 0..255: 10 -> "0A", 171 -> "AB".
QString ChannelDigits(int value);
// "#0A10FF" for red 10, green 16, blue 255.
QString FormatColorText(int red, int green, int blue);
// The same six digits without "#".
QString FormatBareColorText(int red, int green, int blue);
// Colour of text written on a swatch of (red, green, blue): black when the channel
// sum exceeds 384, white otherwise.
QColor SwatchTextColor(int red, int green, int blue);

// Paints a label as a swatch: background colour and text colour.
void PaintSwatch(QLabel *label, const QColor &back, const QColor &text = QColor(Qt::black));

// Three channel bars with their labels and the swatch of the mix. Every bar runs
// from 255 at its left or top end to 0 at its right or bottom end, and its value is
// the channel value. Moving a bar (by click, key, wheel or drag, or by setValue)
// repaints the channel label and the swatch at once.
class ChannelMixer : public QObject {
    Q_OBJECT
public:
    enum Channel { Red = 0, Green = 1, Blue = 2 };

    // nameSuffix is appended to every object name ("" or "(0)", "(1)", ...).
    // captionOnSwatch: the swatch shows the colour text in the contrast colour.
    ChannelMixer(QWidget *owner, Qt::Orientation orientation, const QString &nameSuffix,
                 int initial, int pageStep, bool captionOnSwatch);

    QScrollBar *bar(Channel c) const { return m_bars[c]; }
    QLabel *channelLabel(Channel c) const { return m_labels[c]; }
    QLabel *swatch() const { return m_swatch; }

    int red() const { return m_values[Red]; }
    int green() const { return m_values[Green]; }
    int blue() const { return m_values[Blue]; }
    QColor color() const { return QColor(red(), green(), blue()); }
    QString colorText() const { return FormatColorText(red(), green(), blue()); }
    QString bareColorText() const { return FormatBareColorText(red(), green(), blue()); }

    // "反転": green, then red, then blue become 255 minus their value.
    void invert();

signals:
    void colorChanged();

private:
    void channelChanged(Channel c, int value);
    void paintSwatch();

    QScrollBar *m_bars[3] = {};
    QLabel *m_labels[3] = {};
    QLabel *m_swatch = nullptr;
    int m_values[3] = {};
    bool m_captionOnSwatch = false;
};
