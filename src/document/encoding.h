#pragma once
// Turning a page's bytes into text and back, remembering how it was written.
//
// Encoding names used throughout: "UTF-8", "UTF-16LE", "UTF-16BE", "Shift_JIS" (always the
// Windows variant, code page 932, so that ①, ㈱, ＼ and the NEC/IBM extensions survive),
// "EUC-JP", "ISO-2022-JP", "Shift_JIS-2004", "EUC-JIS-2004" (JIS X 0213), and for pages that declare anything else the IANA name of that
// charset (for example "windows-1252", "KOI8-R").
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

struct UConverter;

struct Decoded {
    QString text;
    QByteArray encoding = "UTF-8";
    bool bom = false;
    bool clean = true;  // false: the bytes are not valid text in any encoding tried (see decodeBytes)
};

// One character encoding, able to decode and encode. UTF-16 is done here by hand so that every
// code unit, even an unpaired surrogate, comes back as it was; the others use ICU converters.
class TextCodec {
public:
    explicit TextCodec(const QByteArray &encoding);  // a canonical name or any label canonicalEncoding() knows
    ~TextCodec();
    TextCodec(const TextCodec &) = delete;
    TextCodec &operator=(const TextCodec &) = delete;

    bool isValid() const { return m_valid; }
    const QByteArray &name() const { return m_name; }
    bool isUtf16() const { return m_utf16 != 0; }
    // ISO-2022-JP and the like: the bytes of a character depend on what came before.
    bool isStateful() const { return m_stateful; }
    bool isSingleByte() const { return m_singleByte; }
    QByteArray byteOrderMark() const;  // "" for encodings without one

    // Decodes. A malformed or unmapped byte sequence becomes U+FFFD and counts in *errors.
    // offsets, when given, receives for every UTF-16 unit of the result the index of the byte
    // it came from.
    QString decode(const char *data, qsizetype size, qsizetype *errors = nullptr,
                   std::vector<qsizetype> *offsets = nullptr);
    // Whether the bytes decode without a single error; stops at the first one.
    bool accepts(const char *data, qsizetype size);
    // Byte offsets of the first max sequences that do not decode; *total gets how many there are.
    std::vector<qsizetype> errorOffsets(const char *data, qsizetype size, int max, qsizetype *total = nullptr);

    // Encodes. A character the encoding cannot hold is written as an HTML character reference
    // ("&#x1F600;"), never as "?", and counted in *unencodable. Best-fit mappings that would read
    // back as another character (¥ as the byte 0x5C, for instance) count as unencodable too.
    QByteArray encode(QStringView text, qsizetype *unencodable = nullptr);
    // Index of the first character that cannot be encoded, or -1.
    qsizetype firstUnencodable(QStringView text);
    // The distinct characters that cannot be encoded, in order of appearance, at most max of them.
    QStringList unencodableCharacters(QStringView text, int max);

private:
    QString decodeUtf16(const char *data, qsizetype size, qsizetype *errors, std::vector<qsizetype> *offsets) const;

    QByteArray m_name;
    UConverter *m_cnv = nullptr;
    int m_utf16 = 0;  // 0: ICU converter, 1: UTF-16LE, 2: UTF-16BE
    int m_jis = 0;    // 0: not JIS X 0213, 1: Shift_JIS-2004, 2: EUC-JIS-2004
    bool m_valid = false;
    bool m_stateful = false;
    bool m_singleByte = false;
    bool m_escapeVendorArea = false;
};

// Chooses the encoding of a file's bytes and decodes them:
// 1. a byte-order mark (UTF-8, UTF-16 LE/BE) decides;
// 2. 7-bit text with ISO-2022-JP escape sequences that decodes cleanly is ISO-2022-JP;
// 3. plain ASCII reads the same in every ASCII-compatible encoding; it takes the charset the page
//    declares (so that Japanese typed later is saved the way the page says), else UTF-8;
// 4. valid UTF-8 is UTF-8;
// 5. the charset declared in the first 8 KB (<meta charset>, <meta http-equiv="Content-Type">,
//    <?xml encoding?>), when the bytes decode cleanly in it;
// 6. otherwise the best of Shift_JIS, EUC-JP (and ISO-2022-JP when escapes are present): the one
//    that decodes cleanly; when both Shift_JIS and EUC-JP do, the text's character classes and ICU's
//    charset detector decide, Shift_JIS winning doubt. Never a Western single-byte charset unless
//    the page declares it.
// 7. when neither Shift_JIS nor EUC-JP reads the page cleanly (or Shift_JIS only through its
//    user-defined area), Shift_JIS-2004 or EUC-JIS-2004 when one of them does (JIS X 0213) and
//    the text is Japanese (kana make up a sixth of it), since they read almost any bytes.
// When no candidate decodes cleanly (a binary file, a damaged page) the one with the fewest errors
// is used (a page that is overwhelmingly UTF-8 stays UTF-8) and clean is false. Text with NUL
// characters is not clean either.
Decoded decodeBytes(const QByteArray &bytes);

// Decodes bytes in a known encoding; *clean tells whether every byte was valid.
QString decodeAs(const QByteArray &bytes, const QByteArray &encoding, bool *clean = nullptr);

// Encodes text, with a byte-order mark when asked and the encoding has one. *clean is false when a
// character cannot be written in the encoding; it is then written as an HTML character reference.
QByteArray encodeText(const QString &text, const QByteArray &encoding, bool bom, bool *clean = nullptr);

// First character the encoding cannot hold, or -1.
int firstUnencodable(const QString &text, const QByteArray &encoding);
// The distinct characters the encoding cannot hold (for telling the user which ones), at most max.
QStringList unencodableCharacters(const QString &text, const QByteArray &encoding, int max = 10);

// The canonical name for a charset label ("shift_jis", "x-sjis", "cp932" → "Shift_JIS"; "latin1",
// "iso-8859-1", "us-ascii" → "windows-1252" as browsers read them), or "" when it is unknown.
QByteArray canonicalEncoding(const QByteArray &label);

// The charset a page declares in its first 8 KB, canonical; "" when none or unknown.
QByteArray declaredCharset(const QByteArray &bytes);

// Where the charset declarations of a page's first 8 KB name their charset (the label's
// position and length in the text), in order.
struct CharsetLabel {
    qsizetype start = 0;
    qsizetype length = 0;
};
std::vector<CharsetLabel> charsetLabels(QStringView html);

// Rewrites every charset declaration in the first 8 KB of a page (the meta tags and an XML
// declaration) to name the given encoding. *changed tells whether anything was rewritten.
QString rewriteMetaCharset(const QString &html, const QByteArray &encoding = "UTF-8", bool *changed = nullptr);
