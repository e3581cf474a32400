// The colouring tokenizer, case by case: each row is a page (lines joined by "\n") and
// the coloured tokens it must give, written "Kind(text)" and "|" between lines.
#include <QtTest>

#include "editing/syntax.h"

using Syntax::Kind;

namespace {

const char *kindName(Kind k)
{
    static const char *const names[] = {"Plain",       "Tag",         "TagName",     "AttrName", "AttrValue",
                                        "Comment",     "Doctype",     "CharRef",     "Server",   "CssSelector",
                                        "CssProperty", "CssValue",    "JsKeyword",   "JsString", "JsNumber",
                                        "Bracket"};
    return names[int(k)];
}

// Tokens of every line, in the notation of the rows.
QString render(const QString &page, int *finalState = nullptr)
{
    QStringList lines;
    int state = Syntax::InitialState;
    for (const QString &line : page.split(QLatin1Char('\n'))) {
        std::vector<Syntax::Token> tokens;
        state = Syntax::tokenizeLine(line, state, &tokens);
        QStringList parts;
        for (const auto &t : tokens)
            parts << QStringLiteral("%1(%2)").arg(kindName(t.kind), line.mid(t.start, t.length));
        lines << parts.join(QLatin1Char(' '));
    }
    if (finalState)
        *finalState = state;
    return lines.join(QStringLiteral(" | "));
}

}

class TestSyntax : public QObject {
    Q_OBJECT
private slots:
    void tokens_data();
    void tokens();
    void stateCarriesAcrossLines();
    void longAndOddInput();
};

void TestSyntax::tokens_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("expected");

    QTest::newRow("tag and attributes") << R"(<a href="x.htm" id=top>go</a>)"
        << R"(Tag(<) TagName(a) AttrName(href) AttrValue("x.htm") AttrName(id) AttrValue(top) Tag(>) Tag(</) TagName(a) Tag(>))";
    QTest::newRow("> inside a quoted value") << R"(<img alt='a>b' src=x>)"
        << R"(Tag(<) TagName(img) AttrName(alt) AttrValue('a>b') AttrName(src) AttrValue(x) Tag(>))";
    QTest::newRow("self-closing") << "<br/><hr />"
        << "Tag(<) TagName(br) Tag(/>) Tag(<) TagName(hr) Tag(/>)";
    QTest::newRow("comment over lines") << "a<!-- <b>\nstill -->c"
        << "Comment(<!-- <b>) | Comment(still -->)";
    QTest::newRow("empty comments") << "<!--><p><!---><i>"
        << "Comment(<!-->) Tag(<) TagName(p) Tag(>) Comment(<!--->) Tag(<) TagName(i) Tag(>)";
    QTest::newRow("doctype") << "<!DOCTYPE html><html>"
        << "Doctype(<!DOCTYPE html>) Tag(<) TagName(html) Tag(>)";
    QTest::newRow("character references") << "&amp; &#x3042; &#12354; a&b &nbsp"
        << "CharRef(&amp;) CharRef(&#x3042;) CharRef(&#12354;)";
    QTest::newRow("reference in a value") << R"(<a title="x&amp;y">)"
        << R"(Tag(<) TagName(a) AttrName(title) AttrValue("x) CharRef(&amp;) AttrValue(y") Tag(>))";
    QTest::newRow("less-than in text") << "a < b <3 </ c"
        << "";
    QTest::newRow("tag over lines") << "<div\n  class=\"a\"\n>x"
        << "Tag(<) TagName(div) | AttrName(class) AttrValue(\"a\") | Tag(>)";
    QTest::newRow("value over lines") << "<p title=\"one\ntwo\">"
        << "Tag(<) TagName(p) AttrName(title) AttrValue(\"one) | AttrValue(two\") Tag(>)";
    QTest::newRow("style block") << "<style>\nh1, .a { color: red; }\n</style>"
        << "Tag(<) TagName(style) Tag(>) | CssSelector(h1, .a) Bracket({) CssProperty(color) CssValue(red) Bracket(}) | Tag(</) TagName(style) Tag(>)";
    QTest::newRow("css comment, string, nested rule") << "<style>@media print { p { content: \"}\" } } /* x */</style>"
        << "Tag(<) TagName(style) Tag(>) CssSelector(@media print) Bracket({) CssSelector(p) Bracket({) CssProperty(content) CssValue(\"}\") Bracket(}) Bracket(}) Comment(/* x */) Tag(</) TagName(style) Tag(>)";
    QTest::newRow("style attribute") << R"(<p style="color:red; margin:0">)"
        << R"(Tag(<) TagName(p) AttrName(style) AttrValue(") CssProperty(color) CssValue(red) CssProperty( margin) CssValue(0) AttrValue(") Tag(>))";
    QTest::newRow("script") << "<script>\nvar n = 0x1F; // note\nif (a) return 'it';\n</script>"
        << "Tag(<) TagName(script) Tag(>) | JsKeyword(var) JsNumber(0x1F) Comment(// note) | JsKeyword(if) Bracket(() Bracket()) JsKeyword(return) JsString('it') | Tag(</) TagName(script) Tag(>)";
    QTest::newRow("end tag inside a JS string ends the script") << "<script>s = \"</script>\";</script>"
        << "Tag(<) TagName(script) Tag(>) JsString(\") Tag(</) TagName(script) Tag(>) Tag(</) TagName(script) Tag(>)";
    QTest::newRow("tags inside script are code") << "<script>x = '<b>' + y.if;</script><b>"
        << "Tag(<) TagName(script) Tag(>) JsString('<b>') Tag(</) TagName(script) Tag(>) Tag(<) TagName(b) Tag(>)";
    QTest::newRow("block comment in script") << "<script>/* a\n</b> */ x</script>"
        << "Tag(<) TagName(script) Tag(>) Comment(/* a) | Comment(</b> */) Tag(</) TagName(script) Tag(>)";
    QTest::newRow("regular expression with a quote") << "<script>x = /\"[/]/g; y = 1</script>"
        << "Tag(<) TagName(script) Tag(>) JsString(/\"[/]/g) JsNumber(1) Tag(</) TagName(script) Tag(>)";
    QTest::newRow("template string over lines") << "<script>`a\n${b}`</script>"
        << "Tag(<) TagName(script) Tag(>) JsString(`a) | JsString(${) JsString(}`) Tag(</) TagName(script) Tag(>)";
    QTest::newRow("server blocks") << "<?php echo '?'; ?>x<% =a %>"
        << "Server(<?php echo '?'; ?>) Server(<% =a %>)";
    QTest::newRow("server block inside a value") << R"(<a href="<?php echo $u ?>">)"
        << R"(Tag(<) TagName(a) AttrName(href) AttrValue(") Server(<?php echo $u ?>) AttrValue(") Tag(>))";
    QTest::newRow("server block over lines") << "<?php\n$a = '>';\n?><b>"
        << "Server(<?php) | Server($a = '>';) | Server(?>) Tag(<) TagName(b) Tag(>)";
    QTest::newRow("upper-case names") << "<SCRIPT>if</SCRIPT><STYLE>a{}</STYLE>"
        << "Tag(<) TagName(SCRIPT) Tag(>) JsKeyword(if) Tag(</) TagName(SCRIPT) Tag(>) Tag(<) TagName(STYLE) Tag(>) CssSelector(a) Bracket({) Bracket(}) Tag(</) TagName(STYLE) Tag(>)";
    QTest::newRow("full-width space is no separator") << QString::fromUtf8("<a　href=x><b title=y　z>")
        << QString::fromUtf8("Tag(<) TagName(a　href=x) Tag(>) Tag(<) TagName(b) AttrName(title) AttrValue(y　z) Tag(>)");
}

void TestSyntax::tokens()
{
    QFETCH(QString, page);
    QFETCH(QString, expected);
    QCOMPARE(render(page), expected);
}

void TestSyntax::stateCarriesAcrossLines()
{
    // An unterminated comment at the top, and a script without its end, colour every
    // line below them.
    int state = 0;
    QCOMPARE(render("<!-- open\n<p>a</p>\n<p>b</p>", &state), "Comment(<!-- open) | Comment(<p>a</p>) | Comment(<p>b</p>)");
    QCOMPARE(render("<script>\nif\nwhile", &state), "Tag(<) TagName(script) Tag(>) | JsKeyword(if) | JsKeyword(while)");
    QVERIFY(Syntax::isCodeState(state));
    // A page resumed at any line from the stored state reads as when read whole.
    const QString page = "<style>\np{color:red}\n</style>\n<script>\nvar s='a';\n</script>\n<p>x</p>";
    const QStringList lines = page.split('\n');
    std::vector<int> states{Syntax::InitialState};
    for (const QString &l : lines)
        states.push_back(Syntax::tokenizeLine(l, states.back(), nullptr));
    for (int i = 0; i < lines.size(); ++i) {
        std::vector<Syntax::Token> a, b;
        Syntax::tokenizeLine(lines[i], states[i], &a);
        int s = Syntax::InitialState;
        for (int k = 0; k < i; ++k)
            s = Syntax::tokenizeLine(lines[k], s, nullptr);
        Syntax::tokenizeLine(lines[i], s, &b);
        QCOMPARE(a, b);
    }
    QVERIFY(!Syntax::isCodeState(states.back()));
}

void TestSyntax::longAndOddInput()
{
    // Bytes that are not HTML, an invalid state and a very long line end without harm.
    std::vector<Syntax::Token> tokens;
    QString junk;
    for (int i = 0; i < 20000; ++i)
        junk += QChar(char16_t((i * 7919) % 0xD7FF + 1));
    const int s = Syntax::tokenizeLine(junk, -5, &tokens);
    QVERIFY(s >= 0 && s < (1 << 28));
    QVERIFY(Syntax::tokenizeLine(QString(), 0x0FFFFFFF, &tokens) >= 0);
    const QString deep = QString("<div>").repeated(100000);
    tokens.clear();
    Syntax::tokenizeLine(deep, 0, &tokens);
    QCOMPARE(int(tokens.size()), 300000);
}

QTEST_GUILESS_MAIN(TestSyntax)
#include "test_syntax.moc"
