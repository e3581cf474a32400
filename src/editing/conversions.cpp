#include "conversions.h"

#include "platform/editarea.h"

#include <QHash>
#include <unicode/translit.h>
#include <unicode/uniset.h>
#include <unicode/unistr.h>

#include <memory>

QString ReplaceInText(const QString &text, const QString &find, const QString &replacement,
                      const QString &endDelimiter)
{
    if (find.isEmpty())
        return text;
    QString out;
    qsizetype from = 0;
    qsizetype at = text.indexOf(find, from);
    if (at < 0)
        return text;
    out.reserve(text.size());
    while (at >= 0) {
        qsizetype spanEnd = at + find.size();
        if (!endDelimiter.isEmpty()) {
            const qsizetype close = text.indexOf(endDelimiter, spanEnd);
            if (close < 0)
                break;  // no delimiter follows: the rest stays as it is
            spanEnd = close + endDelimiter.size();
        }
        out += QStringView(text).mid(from, at - from);
        out += replacement;
        from = spanEnd;
        at = text.indexOf(find, from);
    }
    out += QStringView(text).mid(from);
    return out;
}

namespace {

constexpr char16_t IdeographicSpace = 0x3000;
constexpr char16_t HalfVoiced = 0xFF9E;      // ﾞ
constexpr char16_t HalfSemiVoiced = 0xFF9F;  // ﾟ
constexpr char16_t Voiced = 0x309B;          // ゛
constexpr char16_t SemiVoiced = 0x309C;      // ゜

// U+FF61 … U+FF9F in order: half-width punctuation, katakana and the two marks.
constexpr char16_t HalfToFull[] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB,                                  // ｡｢｣､･
    0x30F2,                                                                  // ｦ
    0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9, 0x30E3, 0x30E5, 0x30E7, 0x30C3,  // ｧｨｩｪｫｬｭｮｯ
    0x30FC,                                                                  // ｰ
    0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA,                                  // ｱｲｳｴｵ
    0x30AB, 0x30AD, 0x30AF, 0x30B1, 0x30B3,                                  // ｶｷｸｹｺ
    0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD,                                  // ｻｼｽｾｿ
    0x30BF, 0x30C1, 0x30C4, 0x30C6, 0x30C8,                                  // ﾀﾁﾂﾃﾄ
    0x30CA, 0x30CB, 0x30CC, 0x30CD, 0x30CE,                                  // ﾅﾆﾇﾈﾉ
    0x30CF, 0x30D2, 0x30D5, 0x30D8, 0x30DB,                                  // ﾊﾋﾌﾍﾎ
    0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2,                                  // ﾏﾐﾑﾒﾓ
    0x30E4, 0x30E6, 0x30E8,                                                  // ﾔﾕﾖ
    0x30E9, 0x30EA, 0x30EB, 0x30EC, 0x30ED,                                  // ﾗﾘﾙﾚﾛ
    0x30EF, 0x30F3,                                                          // ﾜﾝ
    Voiced, SemiVoiced,                                                      // ﾞﾟ
};
constexpr char16_t FirstHalf = 0xFF61;
constexpr char16_t LastHalf = 0xFF9F;
static_assert(sizeof(HalfToFull) / sizeof(HalfToFull[0]) == LastHalf - FirstHalf + 1);

// Kana with a voiced (゛) or semi-voiced (゜) form: base -> combined.
char16_t voicedOf(char16_t kana)
{
    switch (kana) {
    case 0x30A6: return 0x30F4;  // ウ -> ヴ
    case 0x30EF: return 0x30F7;  // ワ -> ヷ
    case 0x30F2: return 0x30FA;  // ヲ -> ヺ
    default: break;
    }
    const bool kaToTo = kana >= 0x30AB && kana <= 0x30C8 && kana != 0x30C3
                        && ((kana <= 0x30C2) ? (kana % 2 == 1) : (kana % 2 == 0));
    const bool haToHo = kana >= 0x30CF && kana <= 0x30DB && (kana - 0x30CF) % 3 == 0;
    return (kaToTo || haToHo) ? char16_t(kana + 1) : 0;
}

char16_t semiVoicedOf(char16_t kana)
{
    const bool haToHo = kana >= 0x30CF && kana <= 0x30DB && (kana - 0x30CF) % 3 == 0;
    return haToHo ? char16_t(kana + 2) : 0;
}

struct NarrowForm {
    char16_t kana = 0;
    char16_t mark = 0;  // ﾞ, ﾟ or 0
};

// Full-width katakana and punctuation -> half-width kana and mark.
const QHash<char16_t, NarrowForm> &narrowForms()
{
    static const QHash<char16_t, NarrowForm> forms = [] {
        QHash<char16_t, NarrowForm> h;
        for (char16_t half = FirstHalf; half <= LastHalf; ++half) {
            const char16_t full = HalfToFull[half - FirstHalf];
            h.insert(full, {half, 0});
            if (const char16_t v = voicedOf(full))
                h.insert(v, {half, HalfVoiced});
            if (const char16_t s = semiVoicedOf(full))
                h.insert(s, {half, HalfSemiVoiced});
        }
        return h;
    }();
    return forms;
}

QString viaIcu(const QString &text, const icu::Transliterator *t)
{
    if (!t)
        return text;
    icu::UnicodeString s(reinterpret_cast<const UChar *>(text.utf16()), int32_t(text.size()));
    t->transliterate(s);
    return QString(reinterpret_cast<const QChar *>(s.getBuffer()), s.length());
}

// An ICU transliterator restricted to the characters of a set; nullptr if ICU lacks it.
std::unique_ptr<icu::Transliterator> makeTransliterator(const char *id, const char16_t *set)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> t(
        icu::Transliterator::createInstance(icu::UnicodeString(id, -1, US_INV), UTRANS_FORWARD, status));
    if (U_FAILURE(status) || !t)
        return nullptr;
    auto *filter = new icu::UnicodeSet(icu::UnicodeString(set), status);
    if (U_FAILURE(status)) {
        delete filter;
        return nullptr;
    }
    t->adoptFilter(filter);
    return t;
}

// The half-width forms outside ASCII and katakana (¢ £ ¬ ¯ ¦ ¥ ₩, half-width hangul
// and symbols) are left to ICU's width transliterators. Arrows, box lines and
// shapes are kept out: their half-width forms cannot be saved in Shift_JIS.
const icu::Transliterator *icuWide()
{
    static const auto t = makeTransliterator(
        "Halfwidth-Fullwidth", u"[\u00A2\u00A3\u00A5\u00A6\u00AC\u00AF\u20A9\uFFA0-\uFFDC\uFFE8-\uFFEE]");
    return t.get();
}

const icu::Transliterator *icuNarrow()
{
    static const auto t = makeTransliterator("Fullwidth-Halfwidth", u"[\u3131-\u318E\uFFE0-\uFFE6]");
    return t.get();
}

// ぁ…ゔ and ゝゞ <-> ァ…ヴ and ヽヾ. ICU's own sets reach further (they also turn
// half-width kana and squared words into katakana), so each is held to the kana block.
const icu::Transliterator *icuKatakana()
{
    static const auto t = makeTransliterator("Hiragana-Katakana", u"[\u3041-\u3094\u309D\u309E]");
    return t.get();
}

const icu::Transliterator *icuHiragana()
{
    static const auto t = makeTransliterator("Katakana-Hiragana", u"[\u30A1-\u30F4\u30FD\u30FE]");
    return t.get();
}

}  // namespace

namespace Conversion {

QString upper(const QString &text)
{
    return text.toUpper();
}

QString lower(const QString &text)
{
    return text.toLower();
}

QString wide(const QString &text)
{
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u' ') {
            out += QChar(IdeographicSpace);
        } else if (c >= 0x21 && c <= 0x7E) {
            out += QChar(char16_t(c + 0xFEE0));
        } else if (c >= FirstHalf && c <= LastHalf) {
            const char16_t full = HalfToFull[c - FirstHalf];
            const char16_t next = i + 1 < n ? text.at(i + 1).unicode() : 0;
            char16_t merged = 0;
            if (next == HalfVoiced)
                merged = voicedOf(full);
            else if (next == HalfSemiVoiced)
                merged = semiVoicedOf(full);
            if (merged) {
                out += QChar(merged);
                ++i;
            } else {
                out += QChar(full);
            }
        } else {
            out += QChar(c);
        }
    }
    return viaIcu(out, icuWide());
}

QString narrow(const QString &text)
{
    const auto &forms = narrowForms();
    QString out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == IdeographicSpace) {
            out += QLatin1Char(' ');
        } else if (c >= 0xFF01 && c <= 0xFF5E) {
            out += QChar(char16_t(c - 0xFEE0));
        } else if (const auto it = forms.constFind(c); it != forms.cend()) {
            out += QChar(it->kana);
            if (it->mark)
                out += QChar(it->mark);
        } else {
            out += ch;
        }
    }
    return viaIcu(out, icuNarrow());
}

QString katakana(const QString &text)
{
    QString out = viaIcu(text, icuKatakana());
    for (QChar &c : out) {
        if (c.unicode() == 0x3095 || c.unicode() == 0x3096)  // ゕ ゖ
            c = QChar(char16_t(c.unicode() + 0x60));
    }
    return out;
}

QString hiragana(const QString &text)
{
    QString out = viaIcu(text, icuHiragana());
    for (QChar &c : out) {
        if (c.unicode() == 0x30F5 || c.unicode() == 0x30F6)  // ヵ ヶ
            c = QChar(char16_t(c.unicode() - 0x60));
    }
    return out;
}

char16_t fullWidthKana(char16_t half)
{
    return half >= FirstHalf && half <= LastHalf ? HalfToFull[half - FirstHalf] : 0;
}

char16_t withSoundMark(char16_t kana, char16_t mark)
{
    const bool voiced = mark == Voiced || mark == HalfVoiced || mark == 0x3099;
    const bool semi = mark == SemiVoiced || mark == HalfSemiVoiced || mark == 0x309A;
    if (!voiced && !semi)
        return 0;
    // Hiragana go through their katakana (ゔ is the only voiced hiragana outside the pattern).
    const bool hira = kana >= 0x3041 && kana <= 0x3096;
    if (hira && kana == 0x3046)
        return voiced ? 0x3094 : 0;
    const char16_t k = hira ? char16_t(kana + 0x60) : kana;
    if (hira && (k == 0x30EF || k == 0x30F2))  // ヷ and ヺ have no hiragana
        return 0;
    const char16_t r = voiced ? voicedOf(k) : semiVoicedOf(k);
    if (!r)
        return 0;
    return hira ? char16_t(r - 0x60) : r;
}

QString removeTags(const QString &text)
{
    return ReplaceInText(text, QStringLiteral("<"), QString(), QStringLiteral(">"));
}

QString markLineBreaks(const QString &text)
{
    return ReplaceInText(text, QStringLiteral("\n"), QStringLiteral("<br>\n"), QString());
}

}  // namespace Conversion

void runConversion(EditArea *edit, Conversion::Converter convert)
{
    if (!edit || !convert || edit->selLength() == 0)
        return;
    const QString selected = edit->selText();
    const QString converted = convert(selected);
    if (converted == selected) {
        edit->setSelStart(edit->selStart() + int(selected.size()));
        return;
    }
    edit->insert(converted);
}
