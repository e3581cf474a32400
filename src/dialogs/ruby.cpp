#include "ruby.h"

#include <QRegularExpression>
#include <QTextBoundaryFinder>

namespace Ruby {

QStringList readingParts(const QString &reading)
{
    static const QRegularExpression spaces(QStringLiteral("[ \\t\\x{3000}]+"));
    return reading.split(spaces, Qt::SkipEmptyParts);
}

QStringList baseCharacters(const QString &base)
{
    QStringList out;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, base);
    qsizetype from = 0;
    for (qsizetype to = finder.toNextBoundary(); to >= 0; to = finder.toNextBoundary()) {
        if (to > from)
            out << base.mid(from, to - from);
        from = to;
    }
    return out;
}

bool fitsEach(const QString &base, const QString &reading)
{
    const qsizetype parts = readingParts(reading).size();
    return parts > 1 && parts == baseCharacters(base).size();
}

std::vector<std::pair<QString, QString>> pairs(const QString &base, const QString &reading, Form form)
{
    std::vector<std::pair<QString, QString>> out;
    if (form == Form::Each) {
        if (fitsEach(base, reading)) {
            const QStringList chars = baseCharacters(base);
            const QStringList parts = readingParts(reading);
            for (qsizetype i = 0; i < chars.size(); ++i)
                out.emplace_back(chars[i], parts[i]);
            return out;
        }
        out.emplace_back(base, readingParts(reading).join(QString()));
        return out;
    }
    out.emplace_back(base, reading.trimmed());
    return out;
}

QString markup(const QString &base, const QString &reading, Form form, bool rp)
{
    QString s = QStringLiteral("<ruby>");
    for (const auto &[b, r] : pairs(base, reading, form)) {
        s += b;
        if (rp)
            s += QStringLiteral("<rp>（</rp><rt>") + r + QStringLiteral("</rt><rp>）</rp>");
        else
            s += QStringLiteral("<rt>") + r + QStringLiteral("</rt>");
    }
    return s + QStringLiteral("</ruby>");
}

}
