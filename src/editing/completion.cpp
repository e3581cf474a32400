#include "completion.h"

#include <QFile>

#include <algorithm>

namespace Completion {

namespace {

bool isNameChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '-' || u == '_' ||
           u == ':';
}

bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

Attribute parseAttribute(const QString &word, const QHash<QString, QStringList> &lists)
{
    Attribute a;
    const qsizetype eq = word.indexOf(QLatin1Char('='));
    if (eq < 0) {
        a.bare = word.endsWith(QLatin1Char('!'));
        a.name = a.bare ? word.chopped(1) : word;
        return a;
    }
    a.name = word.left(eq);
    const QString values = word.mid(eq + 1);
    a.values = values.startsWith(QLatin1Char('@')) ? lists.value(values.mid(1)) : values.split(QLatin1Char('|'));
    return a;
}

void sortByName(std::vector<Attribute> &v)
{
    std::sort(v.begin(), v.end(), [](const Attribute &a, const Attribute &b) { return a.name < b.name; });
}

}

Table Table::parse(const QString &text)
{
    Table t;
    QHash<QString, QStringList> lists;
    for (const QString &raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const QString head = words.takeFirst();
        if (head.startsWith(QLatin1Char('@'))) {
            lists.insert(head.mid(1), words.value(0).split(QLatin1Char('|')));
            continue;
        }
        std::vector<Attribute> attributes;
        for (const QString &w : words)
            attributes.push_back(parseAttribute(w, lists));
        sortByName(attributes);
        if (head == QLatin1String("*")) {
            t.m_global = std::move(attributes);
            continue;
        }
        Element e;
        e.isVoid = head.endsWith(QLatin1Char('/'));
        e.name = e.isVoid ? head.chopped(1) : head;
        e.attributes = std::move(attributes);
        t.m_elements.push_back(std::move(e));
    }
    std::sort(t.m_elements.begin(), t.m_elements.end(), [](const Element &a, const Element &b) { return a.name < b.name; });
    for (int i = 0; i < int(t.m_elements.size()); ++i)
        t.m_index.insert(t.m_elements[i].name, i);
    return t;
}

const Table &Table::html()
{
    static const Table table = [] {
        QFile f(QStringLiteral(":/data/elements.txt"));
        return f.open(QIODevice::ReadOnly) ? parse(QString::fromUtf8(f.readAll())) : Table();
    }();
    return table;
}

QStringList Table::elementNames() const
{
    QStringList names;
    for (const Element &e : m_elements)
        names << e.name;
    return names;
}

const Element *Table::element(QStringView name) const
{
    const auto it = m_index.constFind(name.toString().toLower());
    return it == m_index.cend() ? nullptr : &m_elements[*it];
}

std::vector<Attribute> Table::attributesOf(QStringView element) const
{
    std::vector<Attribute> all;
    if (const Element *e = this->element(element))
        all = e->attributes;
    for (const Attribute &g : m_global)
        if (std::none_of(all.begin(), all.end(), [&](const Attribute &a) { return a.name == g.name; }))
            all.push_back(g);
    sortByName(all);
    return all;
}

std::optional<Attribute> Table::attribute(QStringView element, QStringView name) const
{
    const QString lower = name.toString().toLower();
    for (const Attribute &a : attributesOf(element))
        if (a.name == lower)
            return a;
    return std::nullopt;
}

Context contextAt(QStringView text, int state, int offset)
{
    // Reads the text as the colouring does and remembers the last tag and attribute names.
    std::vector<Syntax::Token> tokens;
    QString tagName;
    bool closingTag = false;
    QString attrName;
    int lastTokenEnd = -1;
    Syntax::Kind lastKind = Syntax::Kind::Plain;
    qsizetype lineStart = 0;
    while (lineStart <= text.size()) {
        qsizetype lineEnd = text.indexOf(u'\n', lineStart);
        if (lineEnd < 0)
            lineEnd = text.size();
        const QStringView line = text.sliced(lineStart, lineEnd - lineStart);
        tokens.clear();
        state = Syntax::tokenizeLine(line, state, &tokens);
        for (size_t k = 0; k < tokens.size(); ++k) {
            const Syntax::Token &t = tokens[k];
            if (t.kind == Syntax::Kind::Tag && line[t.start] == u'<' && k + 1 < tokens.size() &&
                tokens[k + 1].kind == Syntax::Kind::TagName) {
                closingTag = t.length == 2;
                tagName = line.sliced(tokens[k + 1].start, tokens[k + 1].length).toString().toLower();
                attrName.clear();
            } else if (t.kind == Syntax::Kind::AttrName) {
                attrName = line.sliced(t.start, t.length).toString().toLower();
            }
            lastTokenEnd = int(lineStart) + t.start + t.length;
            lastKind = t.kind;
        }
        lineStart = lineEnd + 1;
    }

    const int n = int(text.size());
    Context c;
    switch (Syntax::placeOf(state)) {
    case Syntax::Place::Text:
        if (n > 0 && text[n - 1] == u'<') {
            c.kind = Kind::Element;
            c.start = offset + n;
        }
        return c;
    case Syntax::Place::InTag: {
        int i = n;
        while (i > 0 && isNameChar(text[i - 1]))
            --i;
        if (lastKind == Syntax::Kind::TagName && lastTokenEnd == n) {
            // Still typing the element's name, just after "<".
            if (closingTag || i < 1 || text[i - 1] != u'<')
                return c;
            c.kind = Kind::Element;
        } else {
            if (closingTag || i < 1 || !isSpace(text[i - 1]))
                return c;
            c.kind = Kind::Attribute;
            c.element = tagName;
        }
        c.start = offset + i;
        c.typed = text.sliced(i).toString();
        return c;
    }
    case Syntax::Place::QuotedValue: {
        int i = n;
        while (i > 0 && text[i - 1] != u'"' && text[i - 1] != u'\'' && text[i - 1] != u'\n')
            --i;
        if (i < 1 || text[i - 1] == u'\n' || closingTag)
            return c;
        c.kind = Kind::Value;
        c.start = offset + i;
        c.typed = text.sliced(i).toString();
        c.element = tagName;
        c.attribute = attrName;
        return c;
    }
    default:
        return c;
    }
}

QStringList choices(const Context &context, const Table &table)
{
    QStringList all;
    switch (context.kind) {
    case Kind::Element:
        all = table.elementNames();
        break;
    case Kind::Attribute:
        for (const Attribute &a : table.attributesOf(context.element))
            all << a.name;
        break;
    case Kind::Value:
        if (const auto a = table.attribute(context.element, context.attribute))
            all = a->values;
        break;
    case Kind::None:
        break;
    }
    QStringList out;
    for (const QString &s : std::as_const(all))
        if (s.startsWith(context.typed, Qt::CaseInsensitive))
            out << s;
    return out;
}

Acceptance accept(const Context &context, const QString &choice, const Table &table)
{
    if (context.kind != Kind::Attribute)
        return {choice, int(choice.size()), false};
    const auto a = table.attribute(context.element, choice);
    if (a && a->bare)
        return {choice, int(choice.size()), false};
    return {choice + QStringLiteral("=\"\""), int(choice.size()) + 2, a && !a->values.isEmpty()};
}

bool OpenElement::feed(const TagMatch::Tag &tag)
{
    if (tag.selfClosing)
        return false;
    if (tag.closing) {
        m_closed.push_back(tag.name);
        return false;
    }
    if (!m_closed.empty()) {
        // A start tag inside an element that ended before the caret: it is that element's
        // own start, or one left open inside it.
        if (m_closed.back() == tag.name) {
            m_closed.pop_back();
            if (m_closed.empty())
                m_after.push_back(tag.name);
        }
        return false;
    }
    const bool closedByLater = std::any_of(m_after.begin(), m_after.end(), [&](const QString &later) {
        return TagMatch::impliedEnd(tag.name, later);
    });
    if (closedByLater) {
        m_after.push_back(tag.name);
        return false;
    }
    m_result = tag.name;
    return true;
}

std::optional<QString> innermostOpen(QStringView text, int state)
{
    const std::vector<TagMatch::Tag> tags = TagMatch::scanTags(text, state);
    OpenElement open;
    for (auto it = tags.rbegin(); it != tags.rend(); ++it)
        if (open.feed(*it))
            break;
    return open.result();
}

}
