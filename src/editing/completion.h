#pragma once
// What the tag completion offers, as plain functions: the table of elements, their
// attributes and the fixed values of attributes (a data file), what is being typed at
// the caret, the choices for it, and the innermost element still open at the caret.
#include "editing/syntax.h"
#include "editing/tagmatch.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>
#include <vector>

namespace Completion {

struct Attribute {
    QString name;
    QStringList values;  // fixed values, in the table's order; empty for free text
    bool bare = false;   // written without a value (controls, defer …)
};

struct Element {
    QString name;
    bool isVoid = false;
    std::vector<Attribute> attributes;
};

class Table {
public:
    // The program's table (resources/data/elements.txt), read once.
    static const Table &html();
    // A table from its text: see the head of elements.txt for the format.
    static Table parse(const QString &text);

    QStringList elementNames() const;  // sorted
    const Element *element(QStringView name) const;
    // An element's own attributes, then those every element takes; sorted by name.
    std::vector<Attribute> attributesOf(QStringView element) const;
    std::optional<Attribute> attribute(QStringView element, QStringView name) const;

private:
    std::vector<Element> m_elements;  // sorted by name
    QHash<QString, int> m_index;
    std::vector<Attribute> m_global;
};

enum class Kind { None, Element, Attribute, Value };

struct Context {
    Kind kind = Kind::None;
    int start = 0;      // where the typed part begins
    QString typed;      // what is typed of the name or value so far
    QString element;    // the tag's element (lower case): Attribute, Value
    QString attribute;  // Value
    bool operator==(const Context &) const = default;
};

// What is being typed at the end of text: an element name after "<", an attribute
// name after a space inside a start tag, a value inside the quotes after "=". The text
// starts in tokenizer state `state` at position `offset` of the document, and should
// start outside any tag (for a tag spread over lines, at the line of its "<").
Context contextAt(QStringView text, int state = Syntax::InitialState, int offset = 0);

// The choices for a context whose names begin with what is typed (letter case aside).
QStringList choices(const Context &context, const Table &table = Table::html());

// Accepting a choice: the text that replaces the typed part, where the caret goes
// within it, and whether a further list follows (an attribute's values).
struct Acceptance {
    QString text;
    int caret = 0;
    bool more = false;
    bool operator==(const Acceptance &) const = default;
};
Acceptance accept(const Context &context, const QString &choice, const Table &table = Table::html());

// The innermost element open at the end of the tags fed to it, last tag first. Void
// elements and "/>" are skipped; an element the browser closes without an end tag (a
// <p> before a <div>, a <li> before the next <li>) counts as closed.
class OpenElement {
public:
    // Feeds the tag before the last one fed; true when the answer is known.
    bool feed(const TagMatch::Tag &tag);
    std::optional<QString> result() const { return m_result; }

private:
    std::vector<QString> m_closed;  // end tags still waiting for their start tags
    std::vector<QString> m_after;   // elements that began and ended at the caret's level
    std::optional<QString> m_result;
};

// The innermost element open at the end of text, which starts in tokenizer state state.
std::optional<QString> innermostOpen(QStringView text, int state = Syntax::InitialState);

}
