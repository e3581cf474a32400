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
        // Sectioning and text-level elements of HTML5.
        const char *html5[PairCount - PairFilled][2] = {
            {"<header>", "</header>"},   {"<nav>", "</nav>"},
            {"<main>", "</main>"},       {"<section>", "</section>"},
            {"<article>", "</article>"}, {"<aside>", "</aside>"},
            {"<footer>", "</footer>"},   {"<figure>", "<figcaption></figcaption></figure>"},
            {"<details><summary></summary>", "</details>"}, {"<mark>", "</mark>"},
            {"<time datetime=\"\">", "</time>"},
        };
        for (int i = PairFilled; i < PairCount; ++i)
            t[i] = {QString::fromUtf8(html5[i - PairFilled][0]), QString::fromUtf8(html5[i - PairFilled][1])};
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
        // HTML5: the new input types, media with their sources, and the head's lines.
        const char *html5[SingleCount - SingleFilled] = {
            "<input type=\"email\">", "<input type=\"tel\">", "<input type=\"url\">",
            "<input type=\"date\">", "<input type=\"number\">", "<input type=\"range\">",
            "<input type=\"color\">",
            "<picture>\n<source srcset=\"\" type=\"image/webp\">\n<img src=\"\" alt=\"\">\n</picture>",
            "<video controls>\n<source src=\"\" type=\"video/mp4\">\n</video>",
            "<audio controls>\n<source src=\"\" type=\"audio/mpeg\">\n</audio>",
            "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">",
            "<link rel=\"stylesheet\" href=\"\">",
            "<script src=\"\" defer></script>",
        };
        for (int i = SingleFilled; i < SingleCount; ++i)
            t[i] = QString::fromUtf8(html5[i - SingleFilled]);
        return t;
    }();
    return table;
}

}
