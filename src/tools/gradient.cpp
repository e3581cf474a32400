#include "gradient.h"

#include "platform/colortext.h"

#include <cmath>

int RoundHalfEven(double value)
{
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction > 0.5)
        return int(below) + 1;
    if (fraction < 0.5)
        return int(below);
    return std::fmod(below, 2.0) == 0.0 ? int(below) : int(below) + 1;
}

int InterpolateChannel(int start, int end, int n, int k)
{
    if (n <= 0)
        return start;
    const double step = double(end - start) / double(n);
    return RoundHalfEven(step * double(k) + double(start));
}

Rgb InterpolateColor(const Rgb &start, const Rgb &end, int n, int k)
{
    return {InterpolateChannel(start.red, end.red, n, k), InterpolateChannel(start.green, end.green, n, k),
            InterpolateChannel(start.blue, end.blue, n, k)};
}

std::vector<CharSpan> CharacterSpans(const QString &text)
{
    std::vector<CharSpan> spans;
    spans.reserve(size_t(text.size()));
    for (int i = 0; i < text.size();) {
        const int length = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
        spans.push_back({i, length});
        i += length;
    }
    return spans;
}

std::vector<Rgb> GradientColours(int count, const Rgb &start, const Rgb &end)
{
    std::vector<Rgb> colours;
    colours.reserve(size_t(qMax(0, count)));
    const int n = count - 1;
    for (int k = 0; k < count; ++k)
        colours.push_back(n == 0 ? start : InterpolateColor(start, end, n, k));
    return colours;
}

QString GradientHtml(const QString &text, const Rgb &start, const Rgb &end)
{
    const std::vector<CharSpan> spans = CharacterSpans(text);
    const std::vector<Rgb> colours = GradientColours(int(spans.size()), start, end);
    auto element = [&](size_t k) {
        const Rgb &c = colours[k];
        return QStringLiteral("<font color=") + FormatColorText(c.red, c.green, c.blue) + QLatin1Char('>') +
               text.mid(spans[k].pos, spans[k].length) + QStringLiteral("</font>");
    };
    if (spans.size() == 1)
        return element(0);
    QString html;
    for (size_t k = 0; k < spans.size(); ++k)
        html += element(k) + QLatin1Char('\n');
    return html;
}
