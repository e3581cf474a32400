#pragma once
// The HTML colouring tokenizer: one line at a time, with the whole context at the line's
// start packed into one int (so an editor can keep it per line and resume anywhere).
// It knows tags and attributes, comments, declarations, character references, the CSS
// of <style> blocks and style="…" attributes, the JavaScript of <script> blocks and
// server-side blocks (<?…?>, <%…%>). Like a browser, it ends a script at "</script"
// even inside a JavaScript string or comment.
#include <QStringView>
#include <cstdint>
#include <vector>

namespace Syntax {

enum class Kind : std::uint8_t {
    Plain,
    Tag,          // "<", "</", ">", "/>"
    TagName,
    AttrName,
    AttrValue,
    Comment,      // HTML, CSS and JavaScript comments
    Doctype,      // <!DOCTYPE …> and other <!…> declarations
    CharRef,      // &amp; &#12354; &#x3042;
    Server,       // <?php … ?> and <% … %>
    CssSelector,
    CssProperty,
    CssValue,
    JsKeyword,
    JsString,
    JsNumber,
    Bracket,      // ( ) [ ] { } of CSS and JavaScript code
    Count
};

struct Token {
    int start = 0;
    int length = 0;
    Kind kind = Kind::Plain;
    bool operator==(const Token &) const = default;
};

// The state at the start of a document.
constexpr int InitialState = 0;

// Tokenizes one line (without its line break) that starts in `state`; appends the
// coloured tokens (never Plain, never overlapping, in order) to out when it is not null
// and returns the state at the line's end. States are small non-negative ints (< 2^28).
int tokenizeLine(QStringView line, int state, std::vector<Token> *out);

// Whether a state lies inside <script> or <style> code (where brackets are matched).
bool isCodeState(int state);

// Where a state lies, in the words an editor's completion needs.
enum class Place {
    Text,         // between tags
    Comment,      // <!-- … -->
    Declaration,  // <!DOCTYPE …>
    InTag,        // inside a tag, between its name or attributes
    AfterEquals,  // after "=", before the value
    QuotedValue,  // inside a quoted attribute value
    Script,       // <script> code
    Style,        // <style> code
    Server,       // <?…?>, <%…%>
};
Place placeOf(int state);

}
