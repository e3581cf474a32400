#include "encoding.h"

#include "jisx0213.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucnv_err.h>
#include <unicode/ucsdet.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

const qsizetype kDeclarationWindow = 8192;  // where a page's charset declaration is looked for
const qsizetype kDetectorSample = 64 * 1024;

// --- ICU callbacks -------------------------------------------------------------------------

struct ToUContext {
    qsizetype errors = 0;
    bool stop = false;
    const char *base = nullptr;              // with offsets: the start of the bytes converted
    std::vector<qsizetype> *offsets = nullptr;  // where each undecodable sequence starts
    int max = 0;
};

void U_CALLCONV onUndecodable(const void *context, UConverterToUnicodeArgs *args, const char *, int32_t length,
                              UConverterCallbackReason reason, UErrorCode *err)
{
    if (reason > UCNV_IRREGULAR)
        return;  // reset, close or clone: nothing to do
    auto *c = static_cast<ToUContext *>(const_cast<void *>(context));
    ++c->errors;
    if (c->offsets && qsizetype(c->offsets->size()) < c->max)
        c->offsets->push_back(qsizetype(args->source - c->base) - length);
    if (c->stop)
        return;  // *err stays an error: the conversion ends here
    *err = U_ZERO_ERROR;
    static const UChar replacement = 0xFFFD;
    ucnv_cbToUWriteUChars(args, &replacement, 1, 0, err);
}

struct FromUContext {
    qsizetype count = 0;
    bool stop = false;
};

// ICU's own callbacks silently drop unmappable "default ignorable" characters (soft hyphen,
// zero-width joiner, bidi marks, variation selectors); here every unmappable character counts,
// and is written as "&#x…;" through the converter, so a stateful encoding switches to ASCII first.
void U_CALLCONV onUnencodable(const void *context, UConverterFromUnicodeArgs *args, const UChar *, int32_t,
                              UChar32 codePoint, UConverterCallbackReason reason, UErrorCode *err)
{
    if (reason > UCNV_IRREGULAR)
        return;
    auto *c = static_cast<FromUContext *>(const_cast<void *>(context));
    ++c->count;
    if (c->stop)
        return;  // *err stays an error: the conversion ends here
    *err = U_ZERO_ERROR;
    UChar ref[16];
    int len = 0;
    for (const char ch : {'&', '#', 'x'})
        ref[len++] = UChar(ch);
    char hex[12];
    // A lone surrogate is no character: it is written as the replacement character.
    const UChar32 written = (codePoint >= 0xD800 && codePoint <= 0xDFFF) ? 0xFFFD : codePoint;
    std::snprintf(hex, sizeof hex, "%X", unsigned(written));
    for (const char *h = hex; *h; ++h)
        ref[len++] = UChar(*h);
    ref[len++] = UChar(';');
    const UChar *src = ref;
    ucnv_cbFromUWriteUChars(args, &src, ref + len, 0, err);
}

// --- ICU conversion loops ----------------------------------------------------------------------

// One whole conversion to UTF-16 from the converter's reset state. The result goes into *out,
// grown as needed, with the index of the source byte of every unit in *offsets when asked;
// without out, the units go through a scratch buffer only to see whether the bytes convert.
// Returns ICU's final status.
UErrorCode convertToUnicode(UConverter *cnv, ToUContext &ctx, const char *data, qsizetype size, QString *out,
                            std::vector<int32_t> *offsets)
{
    UErrorCode err = U_ZERO_ERROR;
    ucnv_resetToUnicode(cnv);
    ucnv_setToUCallBack(cnv, onUndecodable, &ctx, nullptr, nullptr, &err);
    UChar scratch[16384];
    if (out) {
        out->resize(size + 16);
        if (offsets)
            offsets->resize(size_t(out->size()));
    }
    const char *src = data;
    const char *const srcEnd = data + size;
    qsizetype written = 0;
    for (;;) {
        UChar *const base = out ? reinterpret_cast<UChar *>(out->data()) : scratch;
        UChar *tgt = base + written;
        UChar *const tgtEnd = out ? base + out->size() : scratch + std::size(scratch);
        const qsizetype srcBase = src - data;
        int32_t *offp = offsets ? offsets->data() + written : nullptr;
        err = U_ZERO_ERROR;
        ucnv_toUnicode(cnv, &tgt, tgtEnd, &src, srcEnd, offp, true, &err);
        if (out) {
            const qsizetype now = tgt - base;
            if (offsets) {
                std::vector<int32_t> &off = *offsets;
                for (qsizetype i = written; i < now; ++i) {
                    if (off[size_t(i)] >= 0)
                        off[size_t(i)] += int32_t(srcBase);
                    else
                        off[size_t(i)] = int32_t(i > 0 ? off[size_t(i - 1)] : 0);
                }
            }
            written = now;
        }
        if (err != U_BUFFER_OVERFLOW_ERROR)
            break;
        if (out) {
            out->resize(out->size() + out->size() / 2 + 16);
            if (offsets)
                offsets->resize(size_t(out->size()));
        }
    }
    if (out) {
        out->truncate(written);
        if (offsets)
            offsets->resize(size_t(written));
    }
    return err;
}

// One whole conversion from UTF-16 from the converter's reset state, into *out (made
// initialSize bytes long first, and grown as needed) or, without out, through a scratch
// buffer only to see whether the text converts. *stoppedAt receives the index of the unit
// the conversion stopped at. Returns ICU's final status.
UErrorCode convertFromUnicode(UConverter *cnv, FromUContext &ctx, QStringView text, QByteArray *out,
                              qsizetype initialSize, qsizetype *stoppedAt)
{
    UErrorCode err = U_ZERO_ERROR;
    ucnv_resetFromUnicode(cnv);
    ucnv_setFromUCallBack(cnv, onUnencodable, &ctx, nullptr, nullptr, &err);
    char scratch[16384];
    if (out)
        out->resize(initialSize);
    const UChar *const begin = reinterpret_cast<const UChar *>(text.data());
    const UChar *src = begin;
    qsizetype written = 0;
    for (;;) {
        char *const base = out ? out->data() : scratch;
        char *tgt = base + written;
        char *const tgtEnd = out ? base + out->size() : scratch + sizeof scratch;
        err = U_ZERO_ERROR;
        ucnv_fromUnicode(cnv, &tgt, tgtEnd, &src, begin + text.size(), nullptr, true, &err);
        if (out)
            written = tgt - base;
        if (err != U_BUFFER_OVERFLOW_ERROR)
            break;
        if (out)
            out->resize(out->size() + out->size() / 2 + 64);
    }
    if (out)
        out->truncate(written);
    if (stoppedAt)
        *stoppedAt = src - begin;
    return err;
}

// --- UTF-8 scanning --------------------------------------------------------------------------

struct Utf8Scan {
    qsizetype multibyte = 0;  // valid sequences of two or more bytes
    qsizetype errors = 0;
};

Utf8Scan scanUtf8(const unsigned char *s, qsizetype n, bool stopAtError)
{
    Utf8Scan r;
    qsizetype i = 0;
    while (i < n) {
        while (i + 8 <= n) {
            quint64 w;
            std::memcpy(&w, s + i, 8);
            if (w & 0x8080808080808080ULL)
                break;
            i += 8;
        }
        if (i >= n)
            break;
        const unsigned c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int len = 0;
        unsigned lo = 0x80, hi = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
        } else if (c == 0xE0) {
            len = 3;
            lo = 0xA0;
        } else if ((c >= 0xE1 && c <= 0xEC) || c == 0xEE || c == 0xEF) {
            len = 3;
        } else if (c == 0xED) {
            len = 3;
            hi = 0x9F;
        } else if (c == 0xF0) {
            len = 4;
            lo = 0x90;
        } else if (c >= 0xF1 && c <= 0xF3) {
            len = 4;
        } else if (c == 0xF4) {
            len = 4;
            hi = 0x8F;
        }
        bool ok = len > 0 && i + len <= n && s[i + 1] >= lo && s[i + 1] <= hi;
        for (int k = 2; ok && k < len; ++k)
            ok = s[i + k] >= 0x80 && s[i + k] <= 0xBF;
        if (ok) {
            ++r.multibyte;
            i += len;
        } else {
            ++r.errors;
            if (stopAtError)
                return r;
            ++i;
        }
    }
    return r;
}

// --- charset declarations --------------------------------------------------------------------

struct Declaration {
    qsizetype start;
    qsizetype length;
};

bool startsWithNoCase(const char *p, qsizetype n, const char *word)
{
    const qsizetype len = qsizetype(std::strlen(word));
    if (n < len)
        return false;
    for (qsizetype i = 0; i < len; ++i) {
        char c = p[i];
        if (c >= 'A' && c <= 'Z')
            c = char(c + 32);
        if (c != word[i])
            return false;
    }
    return true;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isLabelChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_'
           || c == '.' || c == ':';
}

qsizetype find(const char *p, qsizetype from, qsizetype to, const char *what)
{
    const qsizetype len = qsizetype(std::strlen(what));
    for (qsizetype i = from; i + len <= to; ++i) {
        if (std::memcmp(p + i, what, size_t(len)) == 0)
            return i;
    }
    return -1;
}

// The value of key=value (as in charset=Shift_JIS, quoted or not) inside p[from, to).
bool valueOf(const char *p, qsizetype from, qsizetype to, const char *key, Declaration *out)
{
    const qsizetype keyLen = qsizetype(std::strlen(key));
    for (qsizetype i = from; i + keyLen <= to; ++i) {
        if (!startsWithNoCase(p + i, to - i, key))
            continue;
        qsizetype j = i + keyLen;
        while (j < to && isSpace(p[j]))
            ++j;
        if (j >= to || p[j] != '=')
            continue;
        ++j;
        while (j < to && isSpace(p[j]))
            ++j;
        if (j < to && (p[j] == '"' || p[j] == '\''))
            ++j;
        const qsizetype start = j;
        while (j < to && isLabelChar(p[j]))
            ++j;
        if (j > start) {
            *out = {start, j - start};
            return true;
        }
    }
    return false;
}

// Charset declarations in the first 8 KB of a page: <meta charset=…>, <meta http-equiv=
// "Content-Type" content="…; charset=…"> and <?xml … encoding="…"?>, outside comments.
std::vector<Declaration> findDeclarations(const char *p, qsizetype n)
{
    n = std::min(n, kDeclarationWindow);
    std::vector<Declaration> found;
    qsizetype i = 0;
    while (i < n) {
        const void *lt = std::memchr(p + i, '<', size_t(n - i));
        if (!lt)
            break;
        i = static_cast<const char *>(lt) - p;
        if (startsWithNoCase(p + i, n - i, "<!--")) {
            const qsizetype end = find(p, i + 4, n, "-->");
            i = end < 0 ? n : end + 3;
            continue;
        }
        if (startsWithNoCase(p + i, n - i, "<meta") && i + 5 < n && (isSpace(p[i + 5]) || p[i + 5] == '/')) {
            const void *gt = std::memchr(p + i, '>', size_t(n - i));
            const qsizetype end = gt ? static_cast<const char *>(gt) - p : n;
            Declaration d;
            if (valueOf(p, i + 5, end, "charset", &d))
                found.push_back(d);
            i = end;
            continue;
        }
        if (startsWithNoCase(p + i, n - i, "<?xml")) {
            qsizetype end = find(p, i, n, "?>");
            if (end < 0)
                end = n;
            Declaration d;
            if (valueOf(p, i + 5, end, "encoding", &d))
                found.push_back(d);
            i = end;
            continue;
        }
        ++i;
    }
    return found;
}

// --- decoding helpers ------------------------------------------------------------------------

// Private-use characters of the vendor area (U+F860…U+F8FF) belong to no encoding handled here.
bool isVendorArea(QChar c)
{
    return c.unicode() >= 0xF860 && c.unicode() <= 0xF8FF;
}

// Characters of the user-defined area of Windows Shift_JIS (lead bytes 0xF0-0xF9).
bool hasUserDefinedArea(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0xE000 && c.unicode() <= 0xE757; });
}

// Japanese prose: hiragana and katakana are at least a sixth of the characters beyond ASCII.
bool looksJapanese(const QString &text)
{
    qsizetype wide = 0, kana = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || QChar::isLowSurrogate(u))
            continue;
        ++wide;
        if ((u >= 0x3041 && u <= 0x30FF) || (u >= 0x31F0 && u <= 0x31FF))
            ++kana;
    }
    return wide > 0 && kana * 6 >= wide;
}

bool hasNul(const QString &text)
{
    return text.contains(QChar(0));
}

qsizetype countC1(const QString &text)
{
    qsizetype n = 0;
    for (QChar c : text) {
        if (c.unicode() >= 0x80 && c.unicode() <= 0x9F)
            ++n;
    }
    return n;
}

Jisx0213::Form jisForm(int jis)
{
    return jis == 1 ? Jisx0213::Form::ShiftJis : Jisx0213::Form::Euc;
}

bool isAsciiCompatible(TextCodec &codec)
{
    if (!codec.isValid() || codec.isUtf16())
        return false;
    static const char probe[] = "<meta charset=\"x\">\r\n\t az-AZ_09;/?";
    return codec.decode(probe, qsizetype(sizeof probe - 1)) == QLatin1String(probe);
}

// Decodes; when an invalid sequence was met, decodes again line by line, so that a broken
// character at a line's end cannot swallow the line end and every line of the text stays the
// line of the file it came from.
QString decodeKeepingLines(TextCodec &codec, const char *p, qsizetype n, qsizetype *errors)
{
    qsizetype e = 0;
    QString text = codec.decode(p, n, &e);
    if (e == 0 || codec.isUtf16()) {
        if (errors)
            *errors = e;
        return text;
    }
    QString out;
    out.reserve(text.size());
    qsizetype total = 0;
    qsizetype i = 0;
    while (i <= n) {
        qsizetype j = i;
        while (j < n && p[j] != '\r' && p[j] != '\n')
            ++j;
        qsizetype lineErrors = 0;
        out += codec.decode(p + i, j - i, &lineErrors);
        total += lineErrors;
        if (j >= n)
            break;
        if (p[j] == '\r' && j + 1 < n && p[j + 1] == '\n') {
            out += QLatin1String("\r\n");
            i = j + 2;
        } else {
            out += QLatin1Char(p[j]);
            i = j + 1;
        }
        if (i == n)
            break;
    }
    if (errors)
        *errors = total;
    return out;
}

struct Attempt {
    QByteArray encoding;
    QString text;
    qsizetype errors = -1;  // -1: not tried
};

Attempt attempt(const QByteArray &encoding, const QByteArray &bytes)
{
    Attempt a;
    a.encoding = encoding;
    TextCodec codec(encoding);
    if (!codec.isValid())
        return a;
    a.text = decodeKeepingLines(codec, bytes.constData(), bytes.size(), &a.errors);
    if (codec.isSingleByte())
        a.errors += countC1(a.text);  // C1 controls in a Western page mean the page is not in that charset
    return a;
}

Decoded finish(Attempt a, bool bom = false)
{
    Decoded d;
    d.encoding = a.encoding;
    d.bom = bom;
    d.clean = a.errors == 0 && !hasNul(a.text);
    d.text = std::move(a.text);
    return d;
}

Decoded decodeFrom(const QByteArray &encoding, const QByteArray &bytes, qsizetype skip, bool bom)
{
    return finish(attempt(encoding, skip ? bytes.mid(skip) : bytes), bom);
}

// Both Shift_JIS and EUC-JP read the bytes without an error (short pages do). ICU's detector
// decides where the sample is long enough for it to be confident; otherwise the character
// classes: Japanese prose in EUC-JP is rich in hiragana, katakana and punctuation (rows 1, 4 and
// 5), while Shift_JIS bytes that happen to be valid EUC-JP are half-width katakana and rarer
// kanji, which read as EUC-JP give characters from arbitrary rows.
bool looksLikeEucJp(const QByteArray &bytes)
{
    const qsizetype n = std::min(bytes.size(), kDetectorSample);
    int sjisConfidence = 0, eucConfidence = 0;
    UErrorCode err = U_ZERO_ERROR;
    UCharsetDetector *det = ucsdet_open(&err);
    if (U_SUCCESS(err)) {
        ucsdet_setText(det, bytes.constData(), int32_t(n), &err);
        ucsdet_enableInputFilter(det, true);
        int32_t count = 0;
        const UCharsetMatch **matches = ucsdet_detectAll(det, &count, &err);
        for (int32_t i = 0; U_SUCCESS(err) && i < count; ++i) {
            const char *name = ucsdet_getName(matches[i], &err);
            const int conf = ucsdet_getConfidence(matches[i], &err);
            if (name && std::strcmp(name, "Shift_JIS") == 0)
                sjisConfidence = std::max(sjisConfidence, conf);
            else if (name && std::strcmp(name, "EUC-JP") == 0)
                eucConfidence = std::max(eucConfidence, conf);
        }
        ucsdet_close(det);
    }
    if (eucConfidence >= 50 && eucConfidence > sjisConfidence + 10)
        return true;
    if (sjisConfidence >= 50 && sjisConfidence > eucConfidence + 10)
        return false;

    const auto *s = reinterpret_cast<const unsigned char *>(bytes.constData());
    qsizetype pairs = 0, kana = 0, userDefined = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned c = s[i];
        if (c == 0x8E) {
            i += 1;
        } else if (c == 0x8F) {
            i += 2;
        } else if (c >= 0xA1 && c <= 0xFE && i + 1 < n) {
            ++pairs;
            if (c == 0xA1 || c == 0xA4 || c == 0xA5)
                ++kana;
            else if (c >= 0xF5)
                ++userDefined;
            ++i;
        }
    }
    return pairs > 0 && kana * 4 >= pairs && userDefined == 0;
}

}  // namespace

// --- TextCodec -------------------------------------------------------------------------------

TextCodec::TextCodec(const QByteArray &encoding)
{
    const QByteArray canon = canonicalEncoding(encoding);
    if (canon.isEmpty())
        return;
    m_name = canon;
    if (canon == "UTF-16LE" || canon == "UTF-16BE") {
        m_utf16 = canon == "UTF-16LE" ? 1 : 2;
        m_valid = true;
        return;
    }
    if (canon == "Shift_JIS-2004" || canon == "EUC-JIS-2004") {
        m_jis = canon == "Shift_JIS-2004" ? 1 : 2;
        m_escapeVendorArea = false;
        m_valid = Jisx0213::available(m_jis == 1 ? Jisx0213::Form::ShiftJis : Jisx0213::Form::Euc);
        return;
    }
    const char *icuName = canon == "Shift_JIS" ? "windows-31j" : canon.constData();
    UErrorCode err = U_ZERO_ERROR;
    m_cnv = ucnv_open(icuName, &err);
    if (U_FAILURE(err) || !m_cnv) {
        m_cnv = nullptr;
        return;
    }
    ucnv_setFallback(m_cnv, false);
    switch (ucnv_getType(m_cnv)) {
    case UCNV_SBCS:
    case UCNV_DBCS:
    case UCNV_MBCS:
    case UCNV_LATIN_1:
    case UCNV_UTF8:
    case UCNV_US_ASCII:
    case UCNV_CESU8:
        m_stateful = false;
        break;
    default:
        m_stateful = true;
        break;
    }
    m_singleByte = ucnv_getMaxCharSize(m_cnv) == 1;
    m_escapeVendorArea = !canon.startsWith("UTF-");
    m_valid = true;
}

TextCodec::~TextCodec()
{
    if (m_cnv)
        ucnv_close(m_cnv);
}

QByteArray TextCodec::byteOrderMark() const
{
    if (m_utf16 == 1)
        return QByteArray("\xFF\xFE", 2);
    if (m_utf16 == 2)
        return QByteArray("\xFE\xFF", 2);
    if (m_name == "UTF-8")
        return QByteArray("\xEF\xBB\xBF", 3);
    return {};
}

QString TextCodec::decodeUtf16(const char *data, qsizetype size, qsizetype *errors,
                               std::vector<qsizetype> *offsets) const
{
    const qsizetype units = size / 2;
    QString out(units + (size & 1), Qt::Uninitialized);
    QChar *o = out.data();
    const auto *s = reinterpret_cast<const unsigned char *>(data);
    const bool le = m_utf16 == 1;
    qsizetype bad = 0;
    for (qsizetype i = 0; i < units; ++i) {
        const char16_t u = le ? char16_t(s[2 * i] | (s[2 * i + 1] << 8)) : char16_t((s[2 * i] << 8) | s[2 * i + 1]);
        o[i] = QChar(u);
    }
    // An unpaired surrogate is kept as it is (so that it is written back unchanged) but is not text.
    for (qsizetype i = 0; i < units; ++i) {
        if (o[i].isHighSurrogate() && i + 1 < units && o[i + 1].isLowSurrogate())
            ++i;
        else if (o[i].isSurrogate())
            ++bad;
    }
    if (size & 1) {
        o[units] = QChar(0xFFFD);
        ++bad;
    }
    if (offsets) {
        offsets->resize(size_t(out.size()));
        for (qsizetype i = 0; i < out.size(); ++i)
            (*offsets)[size_t(i)] = 2 * i;
    }
    if (errors)
        *errors = bad;
    return out;
}

QString TextCodec::decode(const char *data, qsizetype size, qsizetype *errors, std::vector<qsizetype> *offsets)
{
    if (errors)
        *errors = 0;
    if (!m_valid)
        return {};
    if (m_utf16)
        return decodeUtf16(data, size, errors, offsets);
    if (m_jis)
        return Jisx0213::decode(jisForm(m_jis), data, size, errors, offsets);

    ToUContext ctx;
    QString out;
    std::vector<int32_t> off;
    const UErrorCode err = convertToUnicode(m_cnv, ctx, data, size, &out, offsets ? &off : nullptr);
    if (offsets)
        offsets->assign(off.begin(), off.end());
    if (errors)
        *errors = ctx.errors + (U_FAILURE(err) ? 1 : 0);
    return out;
}

bool TextCodec::accepts(const char *data, qsizetype size)
{
    if (!m_valid)
        return false;
    if (m_utf16) {
        qsizetype errors = 0;
        decodeUtf16(data, size, &errors, nullptr);
        return errors == 0;
    }
    if (m_jis) {
        qsizetype errors = 0;
        Jisx0213::decode(jisForm(m_jis), data, size, &errors, nullptr, nullptr, true);
        return errors == 0;
    }
    ToUContext ctx;
    ctx.stop = true;
    const UErrorCode err = convertToUnicode(m_cnv, ctx, data, size, nullptr, nullptr);
    return U_SUCCESS(err) && ctx.errors == 0;
}

std::vector<qsizetype> TextCodec::errorOffsets(const char *data, qsizetype size, int max, qsizetype *total)
{
    std::vector<qsizetype> found;
    qsizetype count = 0;
    if (!m_valid) {
        count = size > 0 ? 1 : 0;
        if (count && max > 0)
            found.push_back(0);
    } else if (m_utf16) {
        const auto *s = reinterpret_cast<const unsigned char *>(data);
        const bool le = m_utf16 == 1;
        const qsizetype units = size / 2;
        auto unit = [&](qsizetype i) {
            return le ? char16_t(s[2 * i] | (s[2 * i + 1] << 8)) : char16_t((s[2 * i] << 8) | s[2 * i + 1]);
        };
        auto note = [&](qsizetype at) {
            ++count;
            if (qsizetype(found.size()) < max)
                found.push_back(at);
        };
        for (qsizetype i = 0; i < units; ++i) {
            const char16_t u = unit(i);
            if (QChar::isHighSurrogate(u) && i + 1 < units && QChar::isLowSurrogate(unit(i + 1)))
                ++i;
            else if (QChar::isSurrogate(u))
                note(2 * i);
        }
        if (size & 1)
            note(size - 1);
    } else if (m_jis) {
        std::vector<qsizetype> all;
        Jisx0213::decode(jisForm(m_jis), data, size, &count, nullptr, &all);
        found.assign(all.begin(), all.begin() + std::min<qsizetype>(qsizetype(all.size()), max));
    } else {
        ToUContext ctx;
        ctx.base = data;
        ctx.offsets = &found;
        ctx.max = max;
        convertToUnicode(m_cnv, ctx, data, size, nullptr, nullptr);
        count = ctx.errors;
    }
    if (total)
        *total = count;
    return found;
}

QByteArray TextCodec::encode(QStringView text, qsizetype *unencodable)
{
    if (unencodable)
        *unencodable = 0;
    if (!m_valid)
        return {};
    if (m_utf16) {
        QByteArray out(text.size() * 2, Qt::Uninitialized);
        auto *o = reinterpret_cast<unsigned char *>(out.data());
        const bool le = m_utf16 == 1;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t u = text[i].unicode();
            o[2 * i + (le ? 0 : 1)] = static_cast<unsigned char>(u & 0xFF);
            o[2 * i + (le ? 1 : 0)] = static_cast<unsigned char>(u >> 8);
        }
        return out;
    }
    if (m_jis)
        return Jisx0213::encode(jisForm(m_jis), text, unencodable);
    FromUContext ctx;
    QString escaped;
    if (m_escapeVendorArea && std::any_of(text.begin(), text.end(), isVendorArea)) {
        // ICU maps some of these one way only (U+F86F is written as the byte pair of №).
        escaped.reserve(text.size() + 64);
        for (QChar c : text) {
            if (isVendorArea(c)) {
                escaped += QStringLiteral("&#x%1;").arg(QString::number(c.unicode(), 16).toUpper());
                ++ctx.count;
            } else {
                escaped += c;
            }
        }
        text = escaped;
    }
    QByteArray out;
    const UErrorCode err =
        convertFromUnicode(m_cnv, ctx, text, &out, text.size() * (m_singleByte ? 1 : 2) + 64, nullptr);
    if (unencodable)
        *unencodable = ctx.count + (U_FAILURE(err) ? 1 : 0);
    return out;
}

qsizetype TextCodec::firstUnencodable(QStringView text)
{
    if (!m_valid || m_utf16)
        return -1;
    if (m_jis) {
        qsizetype first = -1;
        Jisx0213::encode(jisForm(m_jis), text, nullptr, &first);
        return first;
    }
    if (m_escapeVendorArea) {
        const auto v = std::find_if(text.begin(), text.end(), isVendorArea);
        if (v != text.end()) {
            const qsizetype k = v - text.begin();
            const qsizetype before = firstUnencodable(text.left(k));
            return before >= 0 ? before : k;
        }
    }
    FromUContext ctx;
    ctx.stop = true;
    qsizetype stoppedAt = 0;
    const UErrorCode err = convertFromUnicode(m_cnv, ctx, text, nullptr, 0, &stoppedAt);
    if (U_SUCCESS(err))
        return -1;
    UChar invalid[8];
    int8_t len = 8;
    UErrorCode e2 = U_ZERO_ERROR;
    ucnv_getInvalidUChars(m_cnv, invalid, &len, &e2);
    if (U_FAILURE(e2))
        len = 1;
    return std::max<qsizetype>(0, stoppedAt - len);
}

QStringList TextCodec::unencodableCharacters(QStringView text, int max)
{
    QStringList found;
    qsizetype from = 0;
    while (found.size() < max && from < text.size()) {
        const qsizetype i = firstUnencodable(text.mid(from));
        if (i < 0)
            break;
        const qsizetype at = from + i;
        const qsizetype len = text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate() ? 2 : 1;
        const QString ch = text.mid(at, len).toString();
        if (!found.contains(ch))
            found << ch;
        from = at + len;
    }
    return found;
}

// --- detection -------------------------------------------------------------------------------

Decoded decodeBytes(const QByteArray &bytes)
{
    const char *p = bytes.constData();
    const qsizetype n = bytes.size();
    const auto *u = reinterpret_cast<const unsigned char *>(p);

    if (n >= 3 && u[0] == 0xEF && u[1] == 0xBB && u[2] == 0xBF)
        return decodeFrom("UTF-8", bytes, 3, true);
    if (n >= 2 && u[0] == 0xFF && u[1] == 0xFE)
        return decodeFrom("UTF-16LE", bytes, 2, true);
    if (n >= 2 && u[0] == 0xFE && u[1] == 0xFF)
        return decodeFrom("UTF-16BE", bytes, 2, true);

    bool high = false, escape = false;
    for (qsizetype i = 0; i < n; ++i) {
        if (u[i] >= 0x80) {
            high = true;
            break;
        }
        if (u[i] == 0x1B && i + 1 < n && (p[i + 1] == '$' || p[i + 1] == '('))
            escape = true;
    }
    const QByteArray declared = declaredCharset(bytes);

    if (!high) {
        if (escape) {
            Attempt iso = attempt("ISO-2022-JP", bytes);
            if (iso.errors == 0)
                return finish(std::move(iso));
        }
        // Plain ASCII reads the same in every ASCII-compatible charset: keep the declared one, so
        // that Japanese typed later is saved the way the page says it is.
        if (!declared.isEmpty()) {
            TextCodec codec(declared);
            if (isAsciiCompatible(codec)) {
                Attempt a = attempt(declared, bytes);
                if (a.errors == 0)
                    return finish(std::move(a));
            }
        }
        return decodeFrom("UTF-8", bytes, 0, false);
    }

    const Utf8Scan utf8 = scanUtf8(u, n, false);
    if (utf8.errors == 0)
        return decodeFrom("UTF-8", bytes, 0, false);

    Attempt declaredAttempt;
    if (!declared.isEmpty() && declared != "UTF-8") {
        TextCodec codec(declared);
        if (isAsciiCompatible(codec)) {
            declaredAttempt = attempt(declared, bytes);
            if (declaredAttempt.errors == 0)
                return finish(std::move(declaredAttempt));
        }
    }

    // A UTF-8 page with a few damaged bytes stays UTF-8: text in other encodings never forms
    // valid multi-byte UTF-8 sequences this consistently.
    if (utf8.multibyte >= 8 * utf8.errors)
        return decodeFrom("UTF-8", bytes, 0, false);
    // A page that says it is UTF-8 needs less evidence: more valid sequences than twice the
    // damaged bytes (text in Shift_JIS or EUC-JP forms valid sequences only now and then).
    if (declared == "UTF-8" && utf8.multibyte >= 2 * utf8.errors)
        return decodeFrom("UTF-8", bytes, 0, false);

    Attempt sjis = attempt("Shift_JIS", bytes);
    TextCodec eucCodec("EUC-JP");
    const bool eucClean = eucCodec.accepts(p, n);
    // JIS X 0213 only where neither JIS X 0208 form reads the page: characters beyond JIS X 0208
    // are errors in both, and plane-2 codes of Shift_JIS-2004 (lead bytes 0xF0-0xF9) read in the
    // Windows variant as its user-defined area. Pages in plain JIS X 0208 never get here.
    // Both read almost any bytes, so the text they give must also look like Japanese.
    if (!eucClean && (sjis.errors != 0 || hasUserDefinedArea(sjis.text))) {
        Attempt sjis2004 = attempt("Shift_JIS-2004", bytes);
        Attempt euc2004 = attempt("EUC-JIS-2004", bytes);
        const bool sjisOk = sjis2004.errors == 0 && looksJapanese(sjis2004.text);
        const bool eucOk = euc2004.errors == 0 && looksJapanese(euc2004.text);
        if (sjisOk && eucOk && looksLikeEucJp(bytes))
            return finish(std::move(euc2004));
        if (sjisOk)
            return finish(std::move(sjis2004));
        if (eucOk)
            return finish(std::move(euc2004));
    }
    if (sjis.errors == 0 && eucClean) {
        if (looksLikeEucJp(bytes))
            return decodeFrom("EUC-JP", bytes, 0, false);
        return finish(std::move(sjis));
    }
    if (sjis.errors == 0)
        return finish(std::move(sjis));
    if (eucClean)
        return decodeFrom("EUC-JP", bytes, 0, false);

    // Valid in no candidate: the one with the fewest errors, and the caller is told.
    Attempt best = std::move(declaredAttempt);
    auto consider = [&best](Attempt a) {
        if (a.errors >= 0 && (best.errors < 0 || a.errors < best.errors))
            best = std::move(a);
    };
    consider(std::move(sjis));
    consider(attempt("EUC-JP", bytes));
    if (best.errors < 0 || utf8.errors < best.errors)
        best = attempt("UTF-8", bytes);
    if (escape)
        consider(attempt("ISO-2022-JP", bytes));
    Decoded d = finish(std::move(best));
    d.clean = false;
    return d;
}

QString decodeAs(const QByteArray &bytes, const QByteArray &encoding, bool *clean)
{
    TextCodec codec(encoding);
    if (!codec.isValid()) {
        if (clean)
            *clean = false;
        return QString::fromLatin1(bytes);
    }
    qsizetype errors = 0;
    QString text = decodeKeepingLines(codec, bytes.constData(), bytes.size(), &errors);
    if (clean)
        *clean = errors == 0;
    return text;
}

QByteArray encodeText(const QString &text, const QByteArray &encoding, bool bom, bool *clean)
{
    TextCodec codec(encoding);
    if (!codec.isValid()) {
        if (clean)
            *clean = false;
        return {};
    }
    qsizetype bad = 0;
    QByteArray out = codec.encode(text, &bad);
    if (bom)
        out.prepend(codec.byteOrderMark());
    if (clean)
        *clean = bad == 0;
    return out;
}

int firstUnencodable(const QString &text, const QByteArray &encoding)
{
    TextCodec codec(encoding);
    if (!codec.isValid())
        return text.isEmpty() ? -1 : 0;
    return int(codec.firstUnencodable(text));
}

QStringList unencodableCharacters(const QString &text, const QByteArray &encoding, int max)
{
    TextCodec codec(encoding);
    return codec.unencodableCharacters(text, max);
}

QByteArray canonicalEncoding(const QByteArray &label)
{
    const QByteArray l = label.trimmed().toLower();
    if (l.isEmpty())
        return {};
    static const struct {
        const char *label;
        const char *name;
    } known[] = {
        {"utf-8", "UTF-8"},           {"utf8", "UTF-8"},           {"unicode-1-1-utf-8", "UTF-8"},
        {"utf-16le", "UTF-16LE"},     {"utf-16", "UTF-16LE"},      {"unicode", "UTF-16LE"},
        {"ucs-2", "UTF-16LE"},        {"utf-16be", "UTF-16BE"},    {"unicodefffe", "UTF-16BE"},
        {"shift_jis", "Shift_JIS"},   {"shift-jis", "Shift_JIS"},  {"sjis", "Shift_JIS"},
        {"x-sjis", "Shift_JIS"},      {"ms_kanji", "Shift_JIS"},   {"csshiftjis", "Shift_JIS"},
        {"windows-31j", "Shift_JIS"}, {"cp932", "Shift_JIS"},      {"ms932", "Shift_JIS"},
        {"x-ms-cp932", "Shift_JIS"},  {"ibm-943", "Shift_JIS"},    {"x-shift_jis", "Shift_JIS"},
        {"euc-jp", "EUC-JP"},         {"eucjp", "EUC-JP"},         {"x-euc-jp", "EUC-JP"},
        {"x-euc", "EUC-JP"},          {"ujis", "EUC-JP"},          {"cseucpkdfmtjapanese", "EUC-JP"},
        {"shift_jis-2004", "Shift_JIS-2004"}, {"shift_jisx0213", "Shift_JIS-2004"}, {"sjis-2004", "Shift_JIS-2004"},
        {"x-sjis-2004", "Shift_JIS-2004"}, {"shift-jis-2004", "Shift_JIS-2004"}, {"shiftjisx0213", "Shift_JIS-2004"},
        {"euc-jis-2004", "EUC-JIS-2004"}, {"euc-jisx0213", "EUC-JIS-2004"}, {"x-euc-jisx0213", "EUC-JIS-2004"},
        {"eucjis2004", "EUC-JIS-2004"}, {"euc-jis2004", "EUC-JIS-2004"},
        {"iso-2022-jp", "ISO-2022-JP"}, {"csiso2022jp", "ISO-2022-JP"}, {"jis", "ISO-2022-JP"},
        {"windows-1252", "windows-1252"}, {"cp1252", "windows-1252"}, {"x-cp1252", "windows-1252"},
        {"iso-8859-1", "windows-1252"}, {"iso8859-1", "windows-1252"}, {"iso_8859-1", "windows-1252"},
        {"latin1", "windows-1252"},   {"l1", "windows-1252"},      {"us-ascii", "windows-1252"},
        {"ascii", "windows-1252"},    {"cp819", "windows-1252"},   {"ibm819", "windows-1252"},
        {"csisolatin1", "windows-1252"}, {"iso-ir-100", "windows-1252"},
    };
    for (const auto &k : known) {
        if (l == k.label)
            return k.name;
    }
    // Anything else ICU knows, under its MIME (or IANA) name.
    UErrorCode err = U_ZERO_ERROR;
    UConverter *cnv = ucnv_open(l.constData(), &err);
    if (U_FAILURE(err) || !cnv)
        return {};
    const char *icuName = ucnv_getName(cnv, &err);
    QByteArray name;
    for (const char *standard : {"MIME", "IANA"}) {
        UErrorCode e = U_ZERO_ERROR;
        const char *s = ucnv_getStandardName(icuName, standard, &e);
        if (U_SUCCESS(e) && s) {
            name = s;
            break;
        }
    }
    if (name.isEmpty() && U_SUCCESS(err) && icuName)
        name = icuName;
    ucnv_close(cnv);
    return name;
}

QByteArray declaredCharset(const QByteArray &bytes)
{
    for (const Declaration &d : findDeclarations(bytes.constData(), bytes.size())) {
        const QByteArray canon = canonicalEncoding(bytes.mid(d.start, d.length));
        if (canon.isEmpty())
            continue;
        // A page whose bytes are ASCII-compatible cannot be UTF-16, whatever it says.
        if (canon == "UTF-16LE" || canon == "UTF-16BE")
            return "UTF-8";
        return canon;
    }
    return {};
}

std::vector<CharsetLabel> charsetLabels(QStringView html)
{
    // One byte per UTF-16 unit, so that positions carry over to the text.
    const QByteArray head = html.left(kDeclarationWindow).toLatin1();
    std::vector<CharsetLabel> labels;
    for (const Declaration &d : findDeclarations(head.constData(), head.size()))
        labels.push_back({d.start, d.length});
    return labels;
}

QString rewriteMetaCharset(const QString &html, const QByteArray &encoding, bool *changed)
{
    if (changed)
        *changed = false;
    // One byte per UTF-16 unit, so that positions carry over to the text.
    const QByteArray head = QStringView(html).left(kDeclarationWindow).toLatin1();
    const std::vector<Declaration> found = findDeclarations(head.constData(), head.size());
    const QByteArray wanted = canonicalEncoding(encoding);
    QString out = html;
    for (auto it = found.rbegin(); it != found.rend(); ++it) {
        if (!wanted.isEmpty() && canonicalEncoding(head.mid(it->start, it->length)) == wanted)
            continue;
        out.replace(it->start, it->length, QString::fromLatin1(encoding));
        if (changed)
            *changed = true;
    }
    return out;
}
