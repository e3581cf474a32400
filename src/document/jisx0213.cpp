#include "jisx0213.h"

#include <QHash>
#include <QSysInfo>

#include <iconv.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>

namespace Jisx0213 {
namespace {

// Combining marks that follow a base letter in the two-character codes.
bool isCombiningSecond(char32_t c)
{
    return c == 0x309A || c == 0x0300 || c == 0x0301 || c == 0x02E5 || c == 0x02E9;
}

quint64 pairKey(char32_t a, char32_t b)
{
    return (quint64(a) << 21) | quint64(b);
}

// Double-byte codes (and, for EUC, three-byte plane-2 codes) and what they stand for.
// Key: the two bytes of a code (lead << 8 | trail); for EUC plane 2, 0x10000 plus the two
// bytes after 0x8F.
struct Table {
    bool ok = false;
    std::vector<char32_t> first, second;  // second is 0 unless the code stands for two characters
    QHash<quint64, quint32> encode;       // pairKey(first, second) -> key
};

// One code through iconv: the characters it gives, or 0 when it is no character.
int iconvOne(iconv_t cd, const unsigned char *in, size_t n, char32_t out[4])
{
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char *ip = reinterpret_cast<char *>(const_cast<unsigned char *>(in));
    size_t il = n;
    char buf[16];
    char *op = buf;
    size_t ol = sizeof buf;
    if (iconv(cd, &ip, &il, &op, &ol) == size_t(-1) || il != 0)
        return 0;
    iconv(cd, nullptr, nullptr, &op, &ol);
    const int count = int((op - buf) / 4);
    std::memcpy(out, buf, size_t(count) * 4);
    return count;
}

std::unique_ptr<Table> build(Form form)
{
    auto t = std::make_unique<Table>();
    const char *name = form == Form::ShiftJis ? "SHIFT_JISX0213" : "EUC-JISX0213";
    const char *internal = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-32LE" : "UTF-32BE";
    iconv_t cd = iconv_open(internal, name);
    if (cd == iconv_t(-1))
        return t;
    const size_t size = form == Form::ShiftJis ? 0x10000 : 0x20000;
    t->first.assign(size, 0);
    t->second.assign(size, 0);
    t->encode.reserve(12000);
    auto add = [&](quint32 key, const unsigned char *bytes, size_t n) {
        char32_t out[4];
        const int count = iconvOne(cd, bytes, n, out);
        if (count < 1 || count > 2 || out[0] < 0x80)
            return;
        t->first[key] = out[0];
        t->second[key] = count == 2 ? out[1] : 0;
        t->encode.insert(pairKey(out[0], count == 2 ? out[1] : 0), key);
    };
    if (form == Form::ShiftJis) {
        for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
            if (lead >= 0xA0 && lead <= 0xDF)
                continue;
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail == 0x7F)
                    continue;
                const unsigned char b[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
                add((lead << 8) | trail, b, 2);
            }
        }
    } else {
        for (unsigned hi = 0xA1; hi <= 0xFE; ++hi) {
            for (unsigned lo = 0xA1; lo <= 0xFE; ++lo) {
                const unsigned char b[3] = {0x8F, static_cast<unsigned char>(hi), static_cast<unsigned char>(lo)};
                add((hi << 8) | lo, b + 1, 2);
                add(0x10000 | (hi << 8) | lo, b, 3);
            }
        }
    }
    iconv_close(cd);
    t->ok = !t->encode.isEmpty();
    return t;
}

const Table &table(Form form)
{
    static const std::unique_ptr<Table> sjis = build(Form::ShiftJis);
    static const std::unique_ptr<Table> euc = build(Form::Euc);
    return form == Form::ShiftJis ? *sjis : *euc;
}

void appendCodePoint(QString &out, char32_t c)
{
    if (c >= 0x10000) {
        out += QChar(QChar::highSurrogate(c));
        out += QChar(QChar::lowSurrogate(c));
    } else {
        out += QChar(char16_t(c));
    }
}

void appendReference(QByteArray &out, char32_t c)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "&#x%X;", unsigned(c));
    out += buf;
}

}  // namespace

bool available(Form form)
{
    return table(form).ok;
}

QString decode(Form form, const char *data, qsizetype size, qsizetype *errors, std::vector<qsizetype> *offsets,
               std::vector<qsizetype> *errorOffsets, bool stopAtError)
{
    const Table &t = table(form);
    const auto *s = reinterpret_cast<const unsigned char *>(data);
    QString out;
    out.reserve(size);
    if (offsets) {
        offsets->clear();
        offsets->reserve(size_t(size));
    }
    qsizetype bad = 0;
    auto put = [&](char32_t c, qsizetype at) {
        const qsizetype before = out.size();
        appendCodePoint(out, c);
        if (offsets)
            offsets->insert(offsets->end(), size_t(out.size() - before), at);
    };
    auto fail = [&](qsizetype at) {
        ++bad;
        if (errorOffsets)
            errorOffsets->push_back(at);
        put(0xFFFD, at);
    };
    // A code of the table, starting at byte at.
    auto code = [&](quint32 key, qsizetype at) {
        if (!t.ok || !t.first[key]) {
            fail(at);
            return;
        }
        put(t.first[key], at);
        if (t.second[key])
            put(t.second[key], at);
    };
    qsizetype i = 0;
    while (i < size) {
        // ASCII runs are copied as they are.
        if (s[i] < 0x80) {
            qsizetype j = i;
            while (j < size && s[j] < 0x80)
                ++j;
            const qsizetype at = out.size();
            out.resize(at + (j - i));
            QChar *o = out.data() + at;
            for (qsizetype k = i; k < j; ++k)
                *o++ = QChar(char16_t(s[k]));
            if (offsets)
                for (qsizetype k = i; k < j; ++k)
                    offsets->push_back(k);
            i = j;
            continue;
        }
        if (stopAtError && bad)
            break;
        const unsigned c = s[i];
        if (form == Form::ShiftJis) {
            if (c >= 0xA1 && c <= 0xDF) {
                put(0xFF61 + (c - 0xA1), i);
                ++i;
                continue;
            }
            const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
            if (lead && i + 1 < size) {
                const unsigned trail = s[i + 1];
                if (trail >= 0x40 && trail <= 0xFC && trail != 0x7F) {
                    code((c << 8) | trail, i);
                    i += 2;
                    continue;
                }
            }
            fail(i);
            ++i;
            continue;
        }
        // EUC
        if (c == 0x8E) {
            if (i + 1 < size && s[i + 1] >= 0xA1 && s[i + 1] <= 0xDF) {
                put(0xFF61 + (s[i + 1] - 0xA1), i);
                i += 2;
            } else {
                fail(i);
                ++i;
            }
            continue;
        }
        const bool plane2 = c == 0x8F;
        const qsizetype first = plane2 ? i + 1 : i;
        if ((plane2 || (c >= 0xA1 && c <= 0xFE)) && first + 1 < size && s[first] >= 0xA1 && s[first] <= 0xFE
            && s[first + 1] >= 0xA1 && s[first + 1] <= 0xFE) {
            code((plane2 ? 0x10000u : 0u) | (unsigned(s[first]) << 8) | s[first + 1], i);
            i = first + 2;
            continue;
        }
        fail(i);
        ++i;
    }
    if (errors)
        *errors = bad;
    return out;
}

QByteArray encode(Form form, QStringView text, qsizetype *unencodable, qsizetype *firstUnencodable)
{
    const Table &t = table(form);
    QByteArray out;
    out.reserve(text.size() * 2);
    qsizetype bad = 0, firstBad = -1;
    const qsizetype n = text.size();
    const char16_t *u = reinterpret_cast<const char16_t *>(text.data());
    qsizetype i = 0;
    while (i < n) {
        if (u[i] < 0x80) {
            out += char(u[i]);
            ++i;
            continue;
        }
        char32_t c = u[i];
        qsizetype len = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(u[i + 1])) {
            c = QChar::surrogateToUcs4(char16_t(c), u[i + 1]);
            len = 2;
        }
        if (c >= 0xFF61 && c <= 0xFF9F) {
            if (form == Form::Euc)
                out += char(0x8E);
            out += char(0xA1 + (c - 0xFF61));
            i += len;
            continue;
        }
        quint32 key = 0;
        bool found = false;
        if (t.ok && i + len < n && isCombiningSecond(u[i + len])) {
            auto it = t.encode.constFind(pairKey(c, u[i + len]));
            if (it != t.encode.cend()) {
                key = *it;
                found = true;
                ++len;
            }
        }
        if (!found && t.ok) {
            auto it = t.encode.constFind(pairKey(c, 0));
            if (it != t.encode.cend()) {
                key = *it;
                found = true;
            }
        }
        if (!found) {
            if (firstBad < 0)
                firstBad = i;
            if (firstUnencodable && !unencodable)
                break;  // only the first one was asked for
            ++bad;
            appendReference(out, QChar::isSurrogate(c) ? char32_t(0xFFFD) : c);
        } else {
            if (key & 0x10000)
                out += char(0x8F);
            out += char((key >> 8) & 0xFF);
            out += char(key & 0xFF);
        }
        i += len;
    }
    if (unencodable)
        *unencodable = bad;
    if (firstUnencodable)
        *firstUnencodable = firstBad;
    return out;
}

}  // namespace Jisx0213
