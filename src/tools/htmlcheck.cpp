#include "htmlcheck.h"

#include "htmlscan.h"
#include "document/encoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QUrl>

#include <bitset>
#include <memory>

namespace HtmlCheck {

using HtmlScan::Scanner;
using HtmlScan::Token;

QString kindName(Kind kind)
{
    switch (kind) {
    case Kind::Error:
        return QStringLiteral("エラー");
    case Kind::Warning:
        return QStringLiteral("警告");
    case Kind::Info:
        break;
    }
    return QStringLiteral("情報");
}

namespace {

bool cancelled(const std::atomic_bool *cancel)
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

// A piece of the text for a message: at most max characters, one line.
QString quoted(QStringView s, int max = 40)
{
    QString q = s.left(max).toString();
    q.replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (s.size() > max)
        q += QStringLiteral("…");
    return q;
}

}

// ---- Full-width spaces in tags ----

Findings fullWidthSpaces(QStringView text)
{
    Findings out;
    Scanner scanner(text);
    Token t;
    while (scanner.next(t)) {
        if (t.type != Token::StartTag && t.type != Token::EndTag)
            continue;
        if (int(out.size()) >= MaxFindings)
            break;
        size_t next = 0;  // the next attribute whose quoted value is skipped
        for (int p = t.start; p < t.end; ++p) {
            while (next < t.attributes.size() &&
                   (t.attributes[next].quote == 0 ||
                    t.attributes[next].valueStart + t.attributes[next].valueLength < p))
                ++next;
            if (next < t.attributes.size() && t.attributes[next].quote != 0 && p >= t.attributes[next].valueStart) {
                p = t.attributes[next].valueStart + t.attributes[next].valueLength;
                ++next;
                continue;
            }
            if (text[p].unicode() == 0x3000) {
                Finding f;
                f.pos = p;
                f.length = 1;
                f.kind = Kind::Error;
                f.message = QStringLiteral("タグの中に全角スペースがあります");
                f.detail = QStringLiteral("全角スペースはタグの区切りになりません。ブラウザーは前後をつないで一つの名前として読むため、"
                                          "属性が効かなくなります。半角スペースに置き換えてください。");
                f.fix = Fix::HalfWidthSpace;
                out.push_back(f);
            }
        }
    }
    return out;
}

// ---- Half-width katakana ----

Findings halfWidthKatakana(QStringView text)
{
    Findings out;
    const int n = int(text.size());
    for (int i = 0; i < n && int(out.size()) < MaxFindings; ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0xFF61 || c > 0xFF9F)
            continue;
        int j = i + 1;
        while (j < n && text[j].unicode() >= 0xFF61 && text[j].unicode() <= 0xFF9F)
            ++j;
        Finding f;
        f.pos = i;
        f.length = j - i;
        f.kind = Kind::Warning;
        f.message = QStringLiteral("半角カタカナ「%1」があります").arg(quoted(text.mid(i, j - i), 20));
        f.detail = QStringLiteral("半角カタカナは、メールやフォームの送信先、一部の環境で文字化けすることがあります。"
                                  "全角カタカナに直すことをおすすめします。");
        out.push_back(f);
        i = j - 1;
    }
    return out;
}

// ---- Platform-dependent characters ----

bool isLegacyJapanese(const QByteArray &encoding)
{
    const QByteArray e = canonicalEncoding(encoding);
    return e == "Shift_JIS" || e == "EUC-JP" || e == "ISO-2022-JP";
}

namespace {

// The characters of the Windows code page's vendor rows: NEC special characters (lead byte
// 0x87), NEC-selected IBM extensions (0xED, 0xEE) and IBM extensions (0xFA-0xFC). A
// character that also has a standard JIS code is written with that one and is not counted.
const std::bitset<0x10000> &vendorCharacters()
{
    static const std::unique_ptr<std::bitset<0x10000>> set = [] {
        auto s = std::make_unique<std::bitset<0x10000>>();
        TextCodec codec("Shift_JIS");
        for (const int lead : {0x87, 0xED, 0xEE, 0xFA, 0xFB, 0xFC}) {
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail == 0x7F)
                    continue;
                const char bytes[2] = {char(lead), char(trail)};
                qsizetype errors = 0;
                const QString c = codec.decode(bytes, 2, &errors);
                if (errors || c.size() != 1 || c[0] == QChar(0xFFFD))
                    continue;
                const QByteArray back = codec.encode(c);
                if (back.size() == 2 && uchar(back[0]) == lead)
                    s->set(c[0].unicode());
            }
        }
        return s;
    }();
    return *set;
}

}

bool isPlatformDependent(char32_t c)
{
    if ((c >= 0xE000 && c <= 0xF8FF) || c >= 0xF0000)
        return true;  // private use: characters made up on one system
    if (c > 0xFFFF)
        return false;
    return vendorCharacters().test(c);
}

Findings platformDependentCharacters(QStringView text, const QByteArray &encoding)
{
    Findings out;
    if (!isLegacyJapanese(encoding))
        return out;
    const QString name = QString::fromLatin1(canonicalEncoding(encoding));
    const int n = int(text.size());
    for (int i = 0; i < n && int(out.size()) < MaxFindings; ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x2000)
            continue;  // nothing below is a vendor character
        char32_t cp = c;
        int len = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(text[i + 1].unicode())) {
            cp = QChar::surrogateToUcs4(c, text[i + 1].unicode());
            len = 2;
        }
        if (!isPlatformDependent(cp)) {
            i += len - 1;
            continue;
        }
        Finding f;
        f.pos = i;
        f.length = len;
        f.kind = Kind::Warning;
        f.message = QStringLiteral("機種依存文字「%1」があります").arg(text.mid(i, len).toString());
        f.detail = QStringLiteral("この文字は Windows の拡張文字（または外字）で、%1 のページでは、"
                                  "ほかの環境で別の文字に化けたり表示されなかったりします。"
                                  "「(1)」「(株)」のような書き方に置き換えてください。")
                       .arg(name);
        out.push_back(f);
        i += len - 1;
    }
    return out;
}

// ---- Charset declarations ----

namespace {

bool isUtf16(const QByteArray &canonical)
{
    return canonical == "UTF-16LE" || canonical == "UTF-16BE";
}

}

Findings charsetDeclaration(QStringView text, const QByteArray &encoding)
{
    Findings out;
    const QByteArray saved = canonicalEncoding(encoding);
    const QString savedName = QString::fromLatin1(saved.isEmpty() ? encoding : saved);
    const std::vector<CharsetLabel> labels = charsetLabels(text);
    for (const CharsetLabel &l : labels) {
        const QStringView label = text.mid(l.start, l.length);
        const QByteArray canon = canonicalEncoding(label.toLatin1());
        if (canon == saved || (isUtf16(canon) && isUtf16(saved)))
            continue;
        Finding f;
        f.pos = int(l.start);
        f.length = int(l.length);
        f.kind = Kind::Error;
        if (canon.isEmpty()) {
            f.message = QStringLiteral("文字コードの指定「%1」は、知られている文字コードの名前ではありません").arg(label.toString());
            f.detail = QStringLiteral("ファイルは %1 で保存されます。指定を「%1」にしてください。").arg(savedName);
        } else {
            f.message = QStringLiteral("文字コードの指定「%1」が、保存する文字コード（%2）と違います").arg(label.toString(), savedName);
            f.detail = QStringLiteral("ブラウザーは指定に従って %1 として読むため、日本語が文字化けします。"
                                      "指定を「%2」に直すか、ファイルを %1 で保存してください。")
                           .arg(QString::fromLatin1(canon), savedName);
        }
        out.push_back(f);
    }
    if (labels.empty() && !isUtf16(saved)) {
        // Point at the head, where the declaration belongs.
        int pos = 0;
        Scanner scanner(text);
        Token t;
        while (scanner.next(t)) {
            if (t.type == Token::StartTag && HtmlScan::nameIs(text, t, QLatin1StringView("head"))) {
                pos = t.end;
                break;
            }
            if (t.type == Token::StartTag && HtmlScan::nameIs(text, t, QLatin1StringView("body")))
                break;
        }
        Finding f;
        f.pos = pos;
        f.length = 0;
        f.kind = Kind::Warning;
        f.message = QStringLiteral("文字コードの指定がありません");
        f.detail = QStringLiteral("<head> の先頭に <meta charset=\"%1\"> を書いてください。"
                                  "指定がないと、ブラウザーが文字コードを推測し、文字化けすることがあります。")
                       .arg(savedName);
        out.push_back(f);
    }
    return out;
}

// ---- Local links ----

namespace {

bool hasScheme(QStringView v, int *schemeLength)
{
    int i = 0;
    while (i < v.size()) {
        const char16_t c = v[i].unicode();
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        if (letter || (i > 0 && other)) {
            ++i;
            continue;
        }
        break;
    }
    *schemeLength = i;
    return i > 0 && i < v.size() && v[i] == u':';
}

// Resolves paths below a folder, with a cache, exactly and ignoring case.
class PathResolver {
public:
    bool exists(const QString &path)
    {
        auto it = m_exists.constFind(path);
        if (it != m_exists.cend())
            return *it;
        const bool e = QFileInfo::exists(path);
        m_exists.insert(path, e);
        return e;
    }

    // The existing path that differs from a missing one only in letter case, or "".
    QString caseVariant(const QString &root, const QString &relative)
    {
        QString dir = root;
        const QStringList parts = relative.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        for (const QString &part : parts) {
            if (part == QLatin1String("."))
                continue;
            if (part == QLatin1String("..")) {
                dir = QFileInfo(dir).path();
                continue;
            }
            const QString found = entryIgnoringCase(dir, part);
            if (found.isEmpty())
                return {};
            dir = dir + QLatin1Char('/') + found;
        }
        return dir;
    }

private:
    QString entryIgnoringCase(const QString &dir, const QString &name)
    {
        auto it = m_listings.find(dir);
        if (it == m_listings.end()) {
            QHash<QString, QString> byLower;
            const QStringList entries = QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
            for (const QString &e : entries)
                byLower.insert(e.toLower(), e);
            it = m_listings.insert(dir, byLower);
        }
        return it->value(name.toLower());
    }

    QHash<QString, bool> m_exists;
    QHash<QString, QHash<QString, QString>> m_listings;
};

struct LinkChecker {
    QStringView text;
    QString folder;
    PathResolver resolver;
    Findings out;

    void check(int start, int length)
    {
        QStringView v = text.mid(start, length);
        // Leading and trailing spaces are dropped by browsers.
        while (!v.isEmpty() && v.front().isSpace()) {
            v = v.mid(1);
            ++start;
        }
        while (!v.isEmpty() && v.back().isSpace())
            v.chop(1);
        length = int(v.size());
        const qsizetype cut = std::min<qsizetype>(v.indexOf(u'#') < 0 ? v.size() : v.indexOf(u'#'),
                                                  v.indexOf(u'?') < 0 ? v.size() : v.indexOf(u'?'));
        const QStringView path = v.left(cut);
        if (path.isEmpty())
            return;  // "#top", "?page=2": this page
        if (path.startsWith(u'/') || path.contains(u'<') || path.contains(u'{') || path.contains(QChar(0)))
            return;  // site-absolute, or made by a script or template
        int schemeLength = 0;
        if (hasScheme(path, &schemeLength)) {
            if (schemeLength == 1) {
                Finding f = finding(start, length);
                f.message = QStringLiteral("リンク先「%1」はパソコンの中のファイルを指しています").arg(quoted(v));
                f.detail = QStringLiteral("ドライブ名から始まるパスは、公開したページからは開けません。"
                                          "このページからの相対パスにしてください。");
                out.push_back(f);
            }
            return;
        }
        QString rel = path.toString();
        if (rel.contains(u'%'))
            rel = QUrl::fromPercentEncoding(rel.toUtf8());
        const QString full = QDir::cleanPath(folder + QLatin1Char('/') + rel);
        if (resolver.exists(full))
            return;
        Finding f = finding(start, length);
        f.message = QStringLiteral("リンク先「%1」が見つかりません").arg(quoted(v));
        if (rel.contains(u'\\')) {
            QString slashed = rel;
            slashed.replace(u'\\', u'/');
            if (resolver.exists(QDir::cleanPath(folder + QLatin1Char('/') + slashed))) {
                f.message = QStringLiteral("リンク先「%1」の区切りに「\\」が使われています").arg(quoted(v));
                f.detail = QStringLiteral("ウェブのパスは「/」で区切ります。「%1」と書いてください。").arg(slashed);
                out.push_back(f);
                return;
            }
        }
        const QString variant = resolver.caseVariant(folder, rel);
        if (!variant.isEmpty()) {
            f.message = QStringLiteral("リンク先「%1」が見つかりません（大文字と小文字の違い）").arg(quoted(v));
            f.detail = QStringLiteral("大文字と小文字だけが違う「%1」があります。Linux のウェブサーバーでは別のファイルとして扱われ、"
                                      "リンクが切れます。")
                           .arg(QDir(folder).relativeFilePath(variant));
        } else {
            f.detail = QStringLiteral("このページのフォルダ「%1」から見て、そのファイルがありません。"
                                      "ファイル名（大文字と小文字も）とフォルダを確かめてください。")
                           .arg(QDir::toNativeSeparators(folder));
        }
        out.push_back(f);
    }

    // Every url(...) of a piece of CSS.
    void checkCss(int start, int length)
    {
        const QStringView css = text.mid(start, length);
        qsizetype i = 0;
        while ((i = css.indexOf(QLatin1StringView("url("), i, Qt::CaseInsensitive)) >= 0) {
            qsizetype p = i + 4;
            while (p < css.size() && css[p].isSpace())
                ++p;
            QChar quote;
            if (p < css.size() && (css[p] == u'"' || css[p] == u'\''))
                quote = css[p++];
            qsizetype q = p;
            while (q < css.size() && (quote.isNull() ? (css[q] != u')' && !css[q].isSpace()) : css[q] != quote) &&
                   css[q] != u'\n')
                ++q;
            if (q > p)
                check(start + int(p), int(q - p));
            i = q;
        }
    }

    Finding finding(int start, int length) const
    {
        Finding f;
        f.pos = start;
        f.length = length;
        f.kind = Kind::Warning;
        return f;
    }
};

}

Findings localLinks(QStringView text, const QString &folder, const std::atomic_bool *cancel)
{
    LinkChecker links{text, folder, {}, {}};
    static const char *const kLinkAttributes[] = {"href", "src", "background", "data", "lowsrc"};
    Scanner scanner(text);
    Token t;
    bool inStyle = false;
    while (scanner.next(t)) {
        if (cancelled(cancel) || int(links.out.size()) >= MaxFindings)
            break;
        if (t.type == Token::Text) {
            if (t.rawText && inStyle)
                links.checkCss(t.start, t.end - t.start);
            continue;
        }
        if (t.type != Token::StartTag)
            continue;
        inStyle = HtmlScan::nameIs(text, t, QLatin1StringView("style"));
        if (HtmlScan::nameIs(text, t, QLatin1StringView("base")) &&
            HtmlScan::attribute(text, t, QLatin1StringView("href")))
            break;  // every later link resolves against another address
        for (const HtmlScan::Attribute &a : t.attributes) {
            if (a.valueStart < 0)
                continue;
            if (HtmlScan::equals(text, a.nameStart, a.nameLength, QLatin1StringView("style"))) {
                links.checkCss(a.valueStart, a.valueLength);
                continue;
            }
            for (const char *name : kLinkAttributes) {
                if (HtmlScan::equals(text, a.nameStart, a.nameLength, QLatin1StringView(name))) {
                    links.check(a.valueStart, a.valueLength);
                    break;
                }
            }
        }
    }
    return std::move(links.out);
}

// ---- Targets and image maps ----

namespace {

QStringList namesOf(QStringView text, std::initializer_list<const char *> elements,
                    std::initializer_list<const char *> attributes)
{
    QStringList names;
    Scanner scanner(text);
    Token t;
    while (scanner.next(t)) {
        if (t.type != Token::StartTag)
            continue;
        bool wanted = false;
        for (const char *e : elements)
            wanted = wanted || HtmlScan::nameIs(text, t, QLatin1StringView(e));
        if (!wanted)
            continue;
        for (const char *a : attributes)
            if (const HtmlScan::Attribute *at = HtmlScan::attribute(text, t, QLatin1StringView(a)))
                names << HtmlScan::value(text, *at).trimmed().toString();
    }
    return names;
}

QString sameIgnoringCase(const QSet<QString> &names, const QString &name)
{
    for (const QString &n : names)
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return n;
    return {};
}

}

QStringList frameNames(QStringView text)
{
    return namesOf(text, {"frame", "iframe"}, {"name"});
}

QStringList frameNamesInFolder(const QString &folder, const QString &exceptFile, const std::atomic_bool *cancel)
{
    QStringList names;
    if (folder.isEmpty())
        return names;
    QDir dir(folder);
    const QFileInfoList files =
        dir.entryInfoList({QStringLiteral("*.htm"), QStringLiteral("*.html")}, QDir::Files | QDir::CaseSensitive | QDir::Readable);
    const QString except = QFileInfo(exceptFile).fileName();
    int read = 0;
    for (const QFileInfo &fi : files) {
        if (cancelled(cancel) || read >= 300)
            break;
        if (fi.fileName() == except || fi.size() > 4 * 1024 * 1024)
            continue;
        QFile f(fi.filePath());
        if (!f.open(QIODevice::ReadOnly))
            continue;
        ++read;
        // Frame names are ASCII in every encoding a page is written in.
        const QString text = QString::fromLatin1(f.readAll());
        if (text.contains(QLatin1StringView("<frame"), Qt::CaseInsensitive) ||
            text.contains(QLatin1StringView("<iframe"), Qt::CaseInsensitive))
            names << frameNames(text);
    }
    return names;
}

Findings targetsAndMaps(QStringView text, const QStringList &knownFrames)
{
    Findings out;
    QSet<QString> frames(knownFrames.cbegin(), knownFrames.cend());
    for (const QString &n : frameNames(text))
        frames.insert(n);
    const QStringList mapList = namesOf(text, {"map"}, {"name", "id"});
    const QSet<QString> maps(mapList.cbegin(), mapList.cend());

    Scanner scanner(text);
    Token t;
    while (scanner.next(t) && int(out.size()) < MaxFindings) {
        if (t.type != Token::StartTag)
            continue;
        if (const HtmlScan::Attribute *a = HtmlScan::attribute(text, t, QLatin1StringView("target"))) {
            const QString name = HtmlScan::value(text, *a).trimmed().toString();
            if (!name.isEmpty() && !name.startsWith(u'_') && !frames.contains(name)) {
                Finding f;
                f.pos = a->valueStart;
                f.length = a->valueLength;
                f.kind = Kind::Warning;
                f.message = QStringLiteral("ターゲット「%1」という名前のフレームがありません").arg(quoted(name));
                const QString other = sameIgnoringCase(frames, name);
                f.detail = other.isEmpty()
                               ? QStringLiteral("このページにも、同じフォルダのほかのページにも、name=\"%1\" のフレームがありません。"
                                                "リンクは新しいウィンドウで開きます。")
                                     .arg(name)
                               : QStringLiteral("フレーム「%1」とは大文字と小文字だけが違います。フレームの名前は大文字と小文字を区別します。")
                                     .arg(other);
                out.push_back(f);
            }
        }
        if (const HtmlScan::Attribute *a = HtmlScan::attribute(text, t, QLatin1StringView("usemap"))) {
            const QString value = HtmlScan::value(text, *a).trimmed().toString();
            if (value.isEmpty())
                continue;
            Finding f;
            f.pos = a->valueStart;
            f.length = a->valueLength;
            f.kind = Kind::Warning;
            if (!value.startsWith(u'#')) {
                f.message = QStringLiteral("usemap「%1」の先頭に「#」がありません").arg(quoted(value));
                f.detail = QStringLiteral("usemap=\"#%1\" のように、マップの名前の前に「#」を付けてください。").arg(value);
                out.push_back(f);
                continue;
            }
            const QString name = value.mid(1);
            if (maps.contains(name))
                continue;
            f.message = QStringLiteral("usemap「%1」の名前のイメージマップ（<map>）がありません").arg(quoted(value));
            const QString other = sameIgnoringCase(maps, name);
            f.detail = other.isEmpty()
                           ? QStringLiteral("このページに <map name=\"%1\"> がないため、画像はクリックできません。").arg(name)
                           : QStringLiteral("<map name=\"%1\"> とは大文字と小文字だけが違います。名前は大文字と小文字を区別します。")
                                 .arg(other);
            out.push_back(f);
        }
    }
    return out;
}

LineColumn lineColumn(QStringView text, int pos)
{
    pos = std::clamp(pos, 0, int(text.size()));
    LineColumn lc;
    int lineStart = 0;
    for (int i = 0; i < pos; ++i) {
        if (text[i] == u'\n') {
            ++lc.line;
            lineStart = i + 1;
        }
    }
    lc.column = pos - lineStart + 1;
    return lc;
}

}
