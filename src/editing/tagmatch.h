#pragma once
// Matching start and end tags, and matching brackets in CSS and JavaScript. Tags are
// read with the colouring tokenizer, so tags inside comments, attribute values and
// script or style code do not count. Void elements (<br>, <img> …) and "/>" have no
// partner; a <p>, <li>, <td> … left open is closed where a browser closes it.
#include "editing/syntax.h"

#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

namespace TagMatch {

struct Tag {
    int start = 0;       // "<"
    int end = 0;         // after ">"
    int nameStart = 0;
    int nameEnd = 0;
    bool closing = false;      // </name>
    bool selfClosing = false;  // <name/> or a void element
    QString name;              // lower case
};

// The complete tags of text, which starts in the tokenizer state `state`; positions are
// offset by `offset`. endState receives the state at the text's end.
std::vector<Tag> scanTags(QStringView text, int state = Syntax::InitialState, int offset = 0,
                          int *endState = nullptr);

// Finds the end tag of a start tag, fed the tags after it in order.
class Forward {
public:
    explicit Forward(QStringView name);  // the start tag's name
    // Feeds the next tag; true when the search is over (see result()).
    bool feed(const Tag &t);
    std::optional<Tag> result() const { return m_result; }

private:
    std::vector<QString> m_stack;
    std::optional<Tag> m_result;
};

// Finds the start tag of an end tag, fed the tags before it in reverse order.
class Backward {
public:
    explicit Backward(QStringView name);
    bool feed(const Tag &t);
    std::optional<Tag> result() const { return m_result; }

private:
    std::vector<QString> m_stack;
    std::optional<Tag> m_result;
};

bool isVoid(QStringView name);
// Elements whose end tag may be left out (p, li, td …).
bool optionalEnd(const QString &name);
// Whether a start tag `incoming` closes an open element `open` that left out its end.
bool impliedEnd(const QString &open, const QString &incoming);

struct Pair {
    Tag at;       // the tag under the caret
    Tag partner;
};

// On a whole text: the tag that holds the caret (from its "<" up to its ">") and its
// partner; nullopt when the caret is on no tag or the tag has none.
std::optional<Pair> matchTag(QStringView text, int caret);

// The tag of tags that holds pos, or -1.
int tagAt(const std::vector<Tag> &tags, int pos);

// A bracket of CSS/JavaScript code just after or just before the caret, and its
// partner: {bracket position, partner position}; nullopt when there is none.
std::optional<std::pair<int, int>> matchBracket(QStringView text, int caret);

// Positions of the bracket tokens of a text that starts in state `state`, offset by
// `offset`; -1 where code ends (a tag), since brackets never match across it.
std::vector<int> bracketPositions(QStringView text, int state, int offset);
// Index of the partner of brackets[index], or -1; text starts at position offset.
int bracketPartner(QStringView text, int offset, const std::vector<int> &brackets, int index);

}
