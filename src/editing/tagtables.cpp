#include "tagtables.h"

namespace TagTables {

const std::array<PairTag, PairCount> &pairTags()
{
    static const std::array<PairTag, PairCount> table = [] {
        std::array<PairTag, PairCount> t;
        const char *pairs[PairFilled][2] = {
            {"<b>", "</b>"},           {"<i>", "</i>"},
            {"<u>", "</u>"},           {"<html>", "</html>"},
            {"<head>", "</head>"},     {"<title>", "</title>"},
            {"<tt>", "</tt>"},         {"<cite>", "</cite>"},
            {"<kbd>", "</kbd>"},       {"<samp>", "</samp>"},
            {"<var>", "</var>"},       {"<ul>", "</ul>"},
            {"<ul type=square>", "</ul>"}, {"<ol>", "</ol>"},
            {"<ol type=A>", "</ol>"},  {"<ol type=I>", "</ol>"},
            {"<ol type=i>", "</ol>"},  {"<ol type=a>", "</ol>"},
            {"<dl>", "</dl>"},         {"<caption>", "</caption>"},
            {"<tr>", "</tr>"},         {"<th>", "</th>"},
            {"<noframes>", "</noframes>"}, {"<pre>", "</pre>"},
            {"<blockquote>", "</blockquote>"}, {"<div align=\"left\">", "</div>"},
            {"<center>", "</center>"}, {"<div align=\"right\">", "</div>"},
            {"<strike>", "</strike>"}, {"<sup>", "</sup>"},
            {"<sub>", "</sub>"},       {"<nobr>", "</nobr>"},
            {"<strong>", "</strong>"}, {"<em>", "</em>"},
            {"<address>", "</address>"}, {"<code>", "</code>"},
            {"<dfn>", "</dfn>"},       {"<big>", "</big>"},
            {"<small>", "</small>"},   {"<!--", "-->"},
        };
        for (int i = 0; i < PairFilled; ++i)
            t[i] = {QString::fromUtf8(pairs[i][0]), QString::fromUtf8(pairs[i][1])};
        return t;
    }();
    return table;
}

const std::array<QString, SingleCount> &singleTags()
{
    static const std::array<QString, SingleCount> table = [] {
        std::array<QString, SingleCount> t;
        const char *texts[SingleFilled] = {
            "<br>", "<li>", "<dt>", "<dd>", "align=", "\"left\"", "\"center\"", "\"right\"",
            "\"top\"", "\"middle\"", "\"bottom\"", "width=", "height=", "size=", "color=",
            "colspan=", "rowspan=", "valign=", "&quot;", "&lt;", "&gt;", "&amp;", "<wbr>", "bgcolor=",
        };
        for (int i = 0; i < SingleFilled; ++i)
            t[i] = QString::fromUtf8(texts[i]);
        return t;
    }();
    return table;
}

}
