#include "tidycheck.h"

#include <tidy/tidy.h>
#include <tidy/tidybuffio.h>

#include <QHash>

#include <mutex>
#include <vector>

namespace TidyCheck {

using HtmlCheck::Finding;
using HtmlCheck::Findings;
using HtmlCheck::Kind;

namespace {

enum class As { Tidy, Info, Drop };  // the kind: the library's level, information, or not shown

struct Entry {
    const char *key;
    As as;
    const char *japanese;  // %1, %2, … are the message's arguments
};

// The messages a page commonly produces. Arguments are element names with or without
// brackets exactly as the English text shows them.
const Entry kTable[] = {
    // Unclosed and mismatched elements
    {"MISSING_ENDTAG_FOR", As::Tidy, "</%1> がありません（閉じていない要素）"},
    {"MISSING_ENDTAG_BEFORE", As::Tidy, "%2 の前に </%1> がありません"},
    {"MISSING_ENDTAG_OPTIONAL", As::Info, "省略できる </%1> が省略されています"},
    {"DISCARDING_UNEXPECTED", As::Tidy, "%1 はここに置けないため無視されます（対応する開始タグがないか、入れ子の誤り）"},
    {"NON_MATCHING_ENDTAG", As::Tidy, "%1 に対応する開始タグがないため、</%2> とみなされます"},
    {"UNEXPECTED_ENDTAG", As::Tidy, "</%1> に対応する開始タグがありません"},
    {"UNEXPECTED_ENDTAG_ERR", As::Tidy, "</%1> に対応する開始タグがありません"},
    {"UNEXPECTED_ENDTAG_IN", As::Tidy, "<%2> の中に、対応する開始タグのない </%1> があります"},
    {"MISSING_STARTTAG", As::Tidy, "<%1> がありません"},
    {"COERCE_TO_ENDTAG", As::Tidy, "<%1> は </%2> の書き誤りと思われます"},
    {"ELEMENT_NOT_EMPTY", As::Tidy, "%1 の中身が空でないか、閉じていません"},
    {"UNEXPECTED_END_OF_FILE", As::Tidy, "%1 の途中でファイルが終わっています"},
    // Misnesting
    {"ILLEGAL_NESTING", As::Tidy, "%1 は入れ子にできません"},
    {"CANT_BE_NESTED", As::Tidy, "%1 は入れ子にできません"},
    {"NESTED_EMPHASIS", As::Tidy, "%1 が二重になっています"},
    {"NESTED_QUOTATION", As::Tidy, "<q> が入れ子になっています"},
    {"TAG_NOT_ALLOWED_IN", As::Tidy, "%1 は <%2> の中に置けません"},
    {"TOO_MANY_ELEMENTS", As::Tidy, "%1 が多すぎます（一つだけにします）"},
    {"TOO_MANY_ELEMENTS_IN", As::Tidy, "<%2> の中の %1 が多すぎます"},
    {"NOFRAMES_CONTENT", As::Tidy, "%1 が <noframes> の外にあります"},
    {"CONTENT_AFTER_BODY", As::Tidy, "</body> のあとに内容があります"},
    {"FOUND_STYLE_IN_BODY", As::Tidy, "<style> が <body> の中にあります（<head> に書きます）"},
    {"REPLACING_ELEMENT", As::Tidy, "%1 は %2 とみなされます"},
    {"REPLACING_UNEX_ELEMENT", As::Tidy, "ここにあるはずのない %1 は %2 とみなされます"},
    {"USING_BR_INPLACE_OF", As::Tidy, "%1 は <br> とみなされます"},
    // Unknown and obsolete elements and attributes
    {"UNKNOWN_ELEMENT", As::Tidy, "%1 は HTML にない要素です"},
    {"UNKNOWN_ELEMENT_LOOKS_CUSTOM", As::Tidy, "%1 は HTML にない要素です"},
    {"PROPRIETARY_ELEMENT", As::Info, "%1 は標準の HTML にない、ブラウザー独自の要素です"},
    {"PROPRIETARY_ATTRIBUTE", As::Tidy, "%1 の属性「%2」は標準の HTML にありません"},
    {"PROPRIETARY_ATTR_VALUE", As::Tidy, "%1 の属性値「%2」は標準の HTML にありません"},
    {"REMOVED_HTML5", As::Info, "%1 は HTML5 で廃止された要素です"},
    {"OBSOLETE_ELEMENT", As::Info, "%1 は古い要素です（%2 が使われます）"},
    {"ELEMENT_VERS_MISMATCH_WARN", As::Info, "%1 は %2 にない要素です"},
    {"ELEMENT_VERS_MISMATCH_ERROR", As::Tidy, "%1 は %2 にない要素です"},
    {"MISMATCHED_ATTRIBUTE_WARN", As::Info, "%1 の属性「%2」は %3 では使えません"},
    {"MISMATCHED_ATTRIBUTE_ERROR", As::Tidy, "%1 の属性「%2」は %3 では使えません"},
    {"BAD_SUMMARY_HTML5", As::Info, "%1 の summary 属性は HTML5 で廃止されました"},
    // Attributes
    {"REPEATED_ATTRIBUTE", As::Tidy, "%1 の属性「%3」が重複しています（値「%2」は無視されます）"},
    {"JOINING_ATTRIBUTE", As::Tidy, "%1 の属性「%2」が重複しています"},
    {"MISSING_ATTRIBUTE", As::Tidy, "%1 に %2 属性がありません"},
    {"MISSING_ATTR_VALUE", As::Tidy, "%1 の属性「%2」に値がありません"},
    {"BAD_ATTRIBUTE_VALUE", As::Tidy, "%1 の属性「%2」の値「%3」は正しくありません"},
    {"BAD_ATTRIBUTE_VALUE_REPLACED", As::Tidy, "%1 の属性「%2」の値「%3」は正しくありません"},
    {"ATTRIBUTE_VALUE_REPLACED", As::Tidy, "%1 の属性「%2」の値「%3」は正しくありません"},
    {"INVALID_ATTRIBUTE", As::Tidy, "%1 の属性名「%2」は正しくありません"},
    {"ANCHOR_NOT_UNIQUE", As::Tidy, "%1 の id / name「%2」は、すでにほかの要素で使われています"},
    {"ID_NAME_MISMATCH", As::Tidy, "%1 の id と name の値が違います"},
    {"XML_ID_SYNTAX", As::Tidy, "%1 の ID「%2」に使えない文字があります"},
    {"MISSING_QUOTEMARK_OPEN", As::Tidy, "属性「%1」の値が引用符で囲まれていません"},
    {"MISSING_QUOTEMARK", As::Tidy, "%1 の属性値を閉じる引用符がありません"},
    {"SUSPECTED_MISSING_QUOTE", As::Tidy, "属性値の引用符が足りないようです"},
    {"UNEXPECTED_QUOTEMARK", As::Tidy, "%1 に余分な引用符があります"},
    {"UNEXPECTED_GT", As::Tidy, "%1 を閉じる「>」がありません"},
    {"UNEXPECTED_EQUALSIGN", As::Tidy, "%1 に余分な「=」があります"},
    {"UNEXPECTED_END_OF_FILE_ATTR", As::Tidy, "%1 の属性の途中でファイルが終わっています"},
    // Addresses
    {"BACKSLASH_IN_URI", As::Tidy, "%1 のアドレスに「\\」が含まれています（「/」で区切ります）"},
    {"FIXED_BACKSLASH", As::Tidy, "%1 のアドレスに「\\」が含まれています（「/」で区切ります）"},
    {"WHITE_IN_URI", As::Tidy, "%1 のアドレスに空白が含まれています"},
    {"NEWLINE_IN_URI", As::Tidy, "%1 のアドレスに改行が含まれています"},
    {"ILLEGAL_URI_REFERENCE", As::Tidy, "%1 のアドレスの書き方が正しくありません"},
    {"ESCAPED_ILLEGAL_URI", As::Tidy, "%1 のアドレスに、そのままでは使えない文字があります"},
    {"ILLEGAL_URI_CODEPOINT", As::Tidy, "%1 のアドレスに、そのままでは使えない文字があります"},
    // Document
    {"MISSING_DOCTYPE", As::Tidy, "<!DOCTYPE> 宣言がありません"},
    {"MALFORMED_DOCTYPE", As::Tidy, "<!DOCTYPE> 宣言の書き方が正しくないため、無視されます"},
    {"DOCTYPE_AFTER_TAGS", As::Tidy, "<!DOCTYPE> 宣言は文書の先頭に書きます"},
    {"MISSING_TITLE_ELEMENT", As::Tidy, "<title> がありません"},
    {"DUPLICATE_FRAMESET", As::Tidy, "<frameset> が二つあります"},
    // Comments, characters and references
    {"MALFORMED_COMMENT", As::Tidy, "コメントの中に「--」があります"},
    {"MALFORMED_COMMENT_WARN", As::Tidy, "コメントの中に「--」があります"},
    {"MALFORMED_COMMENT_DROPPING", As::Tidy, "コメントの始まり「<!--」の「-」が足りません"},
    {"MALFORMED_COMMENT_EOS", As::Tidy, "コメントが閉じられないまま、ファイルが終わっています"},
    {"BAD_CDATA_CONTENT", As::Tidy, "スクリプトの中の「</」は「<\\/」と書きます"},
    {"UNESCAPED_AMPERSAND", As::Tidy, "「&」は「&amp;」と書きます"},
    {"UNKNOWN_ENTITY", As::Tidy, "「%1」は知られていない文字参照です（「&」は「&amp;」と書きます）"},
    {"MISSING_SEMICOLON", As::Tidy, "文字参照「%1」の最後に「;」がありません"},
    {"MISSING_SEMICOLON_NCR", As::Tidy, "文字参照「%1」の最後に「;」がありません"},
    {"APOS_UNDEFINED", As::Tidy, "文字参照 &apos; は HTML4 では使えません"},
    {"INVALID_NCR", As::Tidy, "%1 の数値文字参照 %2 は正しくありません"},
    {"INVALID_SGML_CHARS", As::Tidy, "%1 に使えない文字 %2 があります"},
    {"VENDOR_SPECIFIC_CHARS", As::Tidy, "%1 に使えない文字 %2 があります"},
    {"INVALID_UTF8", As::Tidy, "%1 に、文字として読めないバイト（%2）があります"},
    {"INVALID_UTF16", As::Tidy, "%1 に、文字として読めないサロゲート（%2）があります"},
    // Not shown: consequences of another finding, the library's own summaries and chatter.
    {"INSERTING_TAG", As::Drop, nullptr},
    {"TRIM_EMPTY_ELEMENT", As::Drop, nullptr},
    {"PREVIOUS_LOCATION", As::Drop, nullptr},
    {"XML_DECLARATION_DETECTED", As::Drop, nullptr},
    {"ENCODING_MISMATCH", As::Drop, nullptr},
    {"ADDED_MISSING_CHARSET", As::Drop, nullptr},
    {"INSERTING_AUTO_ATTRIBUTE", As::Drop, nullptr},
    {"CUSTOM_TAG_DETECTED", As::Drop, nullptr},
    {"MOVED_STYLE_TO_HEAD", As::Drop, nullptr},
    {"SPACE_PRECEDING_XMLDECL", As::Drop, nullptr},
};

const Entry *entry(const QString &key)
{
    static const QHash<QString, const Entry *> table = [] {
        QHash<QString, const Entry *> t;
        for (const Entry &e : kTable)
            t.insert(QString::fromLatin1(e.key), &e);
        return t;
    }();
    return table.value(key, nullptr);
}

// Puts the arguments into %1, %2, … in one pass (an argument may itself hold "%2").
bool fill(const QString &format, const QStringList &args, QString *out)
{
    out->clear();
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] == u'%' && i + 1 < format.size() && format[i + 1].isDigit()) {
            const int n = format[i + 1].digitValue();
            if (n < 1 || n > args.size())
                return false;
            *out += args[n - 1];
            ++i;
            continue;
        }
        *out += format[i];
    }
    return true;
}

Kind kindOfLevel(int level)
{
    switch (level) {
    case TidyInfo:
        return Kind::Info;
    case TidyWarning:
    case TidyAccess:
        return Kind::Warning;
    default:
        return Kind::Error;
    }
}

struct Source {
    const QByteArray *bytes = nullptr;
    qsizetype pos = 0;
    const std::atomic_bool *cancel = nullptr;
    std::chrono::steady_clock::time_point deadline;
    bool stopped = false;
    bool overBudget = false;

    static int TIDY_CALL getByte(void *data)
    {
        auto *s = static_cast<Source *>(data);
        if (s->stopped || s->pos >= s->bytes->size())
            return int(EndOfStream);
        if ((s->pos & 0xFFFF) == 0) {
            if (s->cancel && s->cancel->load(std::memory_order_relaxed))
                s->stopped = true;
            else if (std::chrono::steady_clock::now() > s->deadline)
                s->stopped = s->overBudget = true;
            if (s->stopped)
                return int(EndOfStream);
        }
        return uchar(s->bytes->at(s->pos++));
    }
    static void TIDY_CALL ungetByte(void *data, byte)
    {
        auto *s = static_cast<Source *>(data);
        if (!s->stopped && s->pos > 0)
            --s->pos;
    }
    static Bool TIDY_CALL eof(void *data)
    {
        auto *s = static_cast<Source *>(data);
        return (s->stopped || s->pos >= s->bytes->size()) ? yes : no;
    }
};

struct Collector {
    std::vector<Message> messages;
    std::vector<std::pair<int, int>> positions;  // line, column
    static constexpr size_t kMax = HtmlCheck::MaxFindings;
};

Bool TIDY_CALL onMessage(TidyMessage m)
{
    auto *c = static_cast<Collector *>(tidyGetAppData(tidyGetMessageDoc(m)));
    if (!c || c->messages.size() >= Collector::kMax)
        return no;
    Message msg;
    msg.key = QString::fromUtf8(tidyGetMessageKey(m));
    msg.english = QString::fromUtf8(tidyGetMessageDefault(m)).trimmed();
    msg.level = int(tidyGetMessageLevel(m));
    TidyIterator it = tidyGetMessageArguments(m);
    while (it) {
        TidyMessageArgument arg = tidyGetNextMessageArgument(m, &it);
        switch (tidyGetArgType(m, &arg)) {
        case tidyFormatType_STRING:
            msg.arguments << QString::fromUtf8(tidyGetArgValueString(m, &arg));
            break;
        case tidyFormatType_UINT:
            msg.arguments << QString::number(tidyGetArgValueUInt(m, &arg));
            break;
        case tidyFormatType_INT:
            msg.arguments << QString::number(tidyGetArgValueInt(m, &arg));
            break;
        case tidyFormatType_DOUBLE:
            msg.arguments << QString::number(tidyGetArgValueDouble(m, &arg));
            break;
        default:
            msg.arguments << QString();
            break;
        }
    }
    c->messages.push_back(std::move(msg));
    c->positions.emplace_back(tidyGetMessageLine(m), tidyGetMessageColumn(m));
    return no;  // nothing goes to the library's own output
}

// Text positions of the library's lines and columns. Columns count characters (a
// character outside the BMP is one column), a tab one column with a tab size of 1.
class Positions {
public:
    explicit Positions(const QString &text) : m_text(text)
    {
        m_lineStarts.push_back(0);
        for (qsizetype i = 0; i < text.size(); ++i)
            if (text[i] == u'\n')
                m_lineStarts.push_back(int(i) + 1);
    }
    int at(int line, int column) const
    {
        if (line < 1)
            return 0;
        if (line > int(m_lineStarts.size()))
            return int(m_text.size());
        int p = m_lineStarts[size_t(line - 1)];
        for (int c = 1; c < column && p < m_text.size() && m_text[p] != u'\n'; ++c)
            p += (m_text[p].isHighSurrogate() && p + 1 < m_text.size()) ? 2 : 1;
        return p;
    }

private:
    const QString &m_text;
    std::vector<int> m_lineStarts;
};

}

bool translate(const Message &m, Finding *finding)
{
    if (m.key.startsWith(QLatin1String("STRING_")) || m.key.startsWith(QLatin1String("FILE_")) ||
        m.level < TidyInfo || m.level > TidyFatal || m.level == TidyConfig)
        return false;
    const Entry *e = entry(m.key);
    if (e && e->as == As::Drop)
        return false;
    finding->kind = (e && e->as == As::Info) ? Kind::Info : kindOfLevel(m.level);
    finding->detail = m.english;
    QString text;
    if (e && fill(QString::fromUtf8(e->japanese), m.arguments, &text))
        finding->message = text;
    else
        finding->message = m.english;  // not in the table: kept as the library says it
    return true;
}

Findings check(const QString &text, const std::atomic_bool *cancel, std::chrono::milliseconds budget, bool *stopped)
{
    // The library keeps some state of its own between documents (its language among
    // others): one run at a time.
    static std::mutex oneAtATime;
    std::lock_guard lock(oneAtATime);

    const QByteArray bytes = text.toUtf8();
    Source source;
    source.bytes = &bytes;
    source.cancel = cancel;
    source.deadline = std::chrono::steady_clock::now() + budget;
    Collector collector;

    TidyDoc doc = tidyCreate();
    tidySetAppData(doc, &collector);
    tidySetMessageCallback(doc, onMessage);
    TidyBuffer errors;
    tidyBufInit(&errors);
    tidySetErrorBuffer(doc, &errors);
    tidySetCharEncoding(doc, "utf8");
    tidyOptSetBool(doc, TidyShowWarnings, yes);
    tidyOptSetBool(doc, TidyShowInfo, yes);
    tidyOptSetBool(doc, TidyQuiet, yes);
    tidyOptSetInt(doc, TidyShowErrors, int(Collector::kMax));
    tidyOptSetInt(doc, TidyTabSize, 1);

    TidyInputSource input;
    tidyInitSource(&input, &source, &Source::getByte, &Source::ungetByte, &Source::eof);
    tidyParseSource(doc, &input);
    // The repair pass reports what is obsolete in the document's HTML version.
    if (!source.stopped)
        tidyCleanAndRepair(doc);
    tidyRelease(doc);
    tidyBufFree(&errors);

    if (stopped)
        *stopped = source.stopped;
    Findings out;
    if (source.stopped && !source.overBudget)
        return out;  // cancelled: nobody wants the result
    const Positions positions(text);
    for (size_t i = 0; i < collector.messages.size(); ++i) {
        Finding f;
        if (!translate(collector.messages[i], &f))
            continue;
        f.pos = positions.at(collector.positions[i].first, collector.positions[i].second);
        f.length = 0;
        if (f.pos < text.size() && text[f.pos] == u'<') {
            // Point at the whole tag the message is about.
            const qsizetype gt = text.indexOf(u'>', f.pos);
            const qsizetype nextLt = text.indexOf(u'<', f.pos + 1);
            if (gt > 0 && (nextLt < 0 || gt < nextLt))
                f.length = int(gt - f.pos) + 1;
        }
        out.push_back(std::move(f));
    }
    if (source.overBudget) {
        Finding f;
        f.pos = int(QString::fromUtf8(bytes.left(source.pos)).size());  // where reading stopped
        f.kind = Kind::Info;
        f.message = QStringLiteral("時間がかかりすぎるため、構造のチェックをここで打ち切りました");
        f.detail = QStringLiteral("これより後ろの要素の閉じ忘れや入れ子は調べていません。");
        out.push_back(f);
    }
    return out;
}

}
