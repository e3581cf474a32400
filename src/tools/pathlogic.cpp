#include "pathlogic.h"

#include "document/textfile.h"

#include <QDir>
#include <QFile>
#include <QImageReader>

namespace PathLogic {

namespace {

const QChar kSlash = QLatin1Char('/');

// The folder part of a path: everything before the last "/", or the root "/".
QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(kSlash);
    if (slash <= 0)
        return QString(kSlash);
    return path.left(slash);
}

}

Folders foldersOf(const QString &documentPath, const QString &workingFolder)
{
    QString path = documentPath;
    if (!QDir::isAbsolutePath(path))
        path = joinPath(QDir::isAbsolutePath(workingFolder) ? workingFolder : QDir::rootPath(), path);
    path = QDir::cleanPath(path);

    Folders f;
    f.current = folderOf(path);
    if (f.current != QString(kSlash))
        f.upper = folderOf(f.current);
    return f;
}

QString joinPath(const QString &folder, const QString &name)
{
    if (folder.endsWith(kSlash))
        return folder + name;
    return folder + kSlash + name;
}

QString composePath(Mode mode, const Texts &t)
{
    switch (mode) {
    case Mode::Same: return t[1];
    case Mode::Sub: return t[2] + kSlash + t[3];
    case Mode::Parent: return QStringLiteral("../") + t[4];
    case Mode::Sibling: return QStringLiteral("../") + t[5] + kSlash + t[6];
    case Mode::Absolute: return QStringLiteral("http:") + t[7];
    }
    return QString();
}

std::optional<QString> listFolder(Mode mode, const Folders &folders, const Texts &t)
{
    switch (mode) {
    case Mode::Same:
        return folders.current;
    case Mode::Sub:
        if (t[2].isEmpty())
            return std::nullopt;
        return joinPath(folders.current, t[2]);
    case Mode::Parent:
        if (!folders.hasUpper())
            return std::nullopt;
        return folders.upper;
    case Mode::Sibling:
        if (t[5].isEmpty() || !folders.hasUpper())
            return std::nullopt;
        return joinPath(folders.upper, t[5]);
    case Mode::Absolute:
        break;
    }
    return std::nullopt;
}

std::array<bool, 8> enabledTexts(Mode mode)
{
    std::array<bool, 8> on{};
    switch (mode) {
    case Mode::Same: on[1] = true; break;
    case Mode::Sub: on[2] = on[3] = true; break;
    case Mode::Parent: on[4] = true; break;
    case Mode::Sibling: on[5] = on[6] = true; break;
    case Mode::Absolute: on[7] = true; break;
    }
    return on;
}

int fileNameBox(Mode mode)
{
    switch (mode) {
    case Mode::Same: return 1;
    case Mode::Sub: return 3;
    case Mode::Parent: return 4;
    case Mode::Sibling: return 6;
    case Mode::Absolute: return 7;
    }
    return 1;
}

QStringList filterPatterns(int filter)
{
    switch (filter) {
    case 1: return {QStringLiteral("*.jpg"), QStringLiteral("*.gif"), QStringLiteral("*.jpeg")};
    case 2: return {QStringLiteral("*.htm"), QStringLiteral("*.html")};
    default: return {QStringLiteral("*")};
    }
}

QString kilobytesText(qint64 bytes)
{
    const qint64 n = qMax<qint64>(bytes, 0);
    const QString whole = QString::number(n / 1000);

    QString grouped;
    for (qsizetype i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0)
            grouped += QLatin1Char(',');
        grouped += whole[i];
    }

    QString fraction = QStringLiteral("%1").arg(n % 1000, 3, 10, QLatin1Char('0'));
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);

    QString out = grouped;
    if (!fraction.isEmpty())
        out += QLatin1Char('.') + fraction;
    return out;
}

QString sizeLabel(qint64 bytes)
{
    return QStringLiteral("ﾌｧｲﾙｻｲｽﾞ＝\n") + kilobytesText(bytes) + QStringLiteral("ｷﾛﾊﾞｲﾄ");
}

PreviewKind previewKindOf(const QString &fileName)
{
    const QString end = fileName.right(3).toLower();
    if (end == QLatin1String("htm") || end == QLatin1String("tml"))
        return PreviewKind::Page;
    static const QStringList pictureEnds = {QStringLiteral("jpg"), QStringLiteral("peg"), QStringLiteral("gif"),
                                            QStringLiteral("bmp"), QStringLiteral("ico"), QStringLiteral("wmf")};
    if (pictureEnds.contains(end))
        return PreviewKind::Picture;
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) {
        const QByteArray suffix = fileName.mid(dot + 1).toLower().toLatin1();
        if (!suffix.isEmpty() && QImageReader::supportedImageFormats().contains(suffix))
            return PreviewKind::Picture;
    }
    return PreviewKind::Text;
}

QString firstLines(const QString &text, int maxLines)
{
    qsizetype pos = 0;
    for (int line = 1; line < maxLines; ++line) {
        const qsizetype br = text.indexOf(QLatin1Char('\n'), pos);
        if (br < 0)
            return text;
        pos = br + 1;
    }
    const qsizetype br = text.indexOf(QLatin1Char('\n'), pos);
    return br < 0 ? text : text.left(br);
}

QString textPreview(const QString &path)
{
    // Fifteen lines of any sensible text fit well inside this; a huge or binary file
    // costs no more than its start.
    constexpr qint64 kMostBytes = 64 * 1024;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray bytes = file.read(kMostBytes);
    if (bytes.isEmpty() && file.error() != QFileDevice::NoError)
        return QString();
    return firstLines(decodeTextFile(bytes).text);
}

}
