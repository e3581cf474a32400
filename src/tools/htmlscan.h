#pragma once
// A small, forgiving HTML tokenizer for the page checks: tags with their attributes,
// comments, declarations and the text between them, each with its position in the text.
// It never fails and never looks back: any text, however damaged, is read once from
// start to end (unterminated tags, quotes and comments simply run to the end).
//
// Inside a tag a full-width space (U+3000) separates attributes as a space would: that is
// what the author meant, so the checks see the attributes the author wrote (the full-width
// space itself is reported by its own check).
#include <QString>
#include <QStringView>
#include <vector>

namespace HtmlScan {

struct Attribute {
    int nameStart = 0;
    int nameLength = 0;
    int valueStart = -1;   // -1: no value ("<input checked>")
    int valueLength = 0;
    char16_t quote = 0;    // '"', '\'' or 0 for an unquoted value
};

struct Token {
    enum Type { Text, StartTag, EndTag, Comment, Declaration };
    Type type = Text;
    int start = 0;         // [start, end) in the text
    int end = 0;
    bool closed = true;    // false: the tag, comment or declaration ran to the end of the text
    bool rawText = false;  // Text inside <script>, <style>, <textarea>, <title> or <xmp>
    int nameStart = 0;     // tags: the element name
    int nameLength = 0;
    std::vector<Attribute> attributes;  // start tags
};

class Scanner {
public:
    explicit Scanner(QStringView text) : m_text(text) {}
    // The next token; false at the end of the text.
    bool next(Token &token);

private:
    void readTag(Token &token, int lt, bool end);
    QStringView m_text;
    int m_pos = 0;
    QString m_rawEnd;  // inside a raw-text element: its name, lower case
};

// Case-insensitive comparison of a piece of the text with an ASCII lower-case word.
bool equals(QStringView text, int start, int length, QLatin1StringView lower);
inline bool nameIs(QStringView text, const Token &t, QLatin1StringView lower)
{
    return equals(text, t.nameStart, t.nameLength, lower);
}
// The attribute of a start tag with the given lower-case name, or nullptr.
const Attribute *attribute(QStringView text, const Token &t, QLatin1StringView lower);
inline QStringView value(QStringView text, const Attribute &a)
{
    return a.valueStart < 0 ? QStringView() : text.mid(a.valueStart, a.valueLength);
}
// Lower-case element name of a tag.
QString lowerName(QStringView text, const Token &t);

// How deep elements nest, roughly as a browser would build them: void elements do not
// nest, paragraphs, list items, cells and options close their open siblings, an end tag
// closes up to its element when that is among the innermost open ones. Used to keep
// pathological pages away from checks whose cost grows with the depth.
int nestingDepth(QStringView text);

}
