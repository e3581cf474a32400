// Fuzzing of the page check's own parsing, built with AddressSanitizer and
// UndefinedBehaviorSanitizer. Pages are put together at random from pieces that stress
// the tokenizer (unterminated tags, quotes, comments, raw-text elements, full-width
// spaces, surrogates, NUL) and every check runs on them; the tokenizer's invariants are
// checked on each page. Deterministic: the same seed gives the same pages.
//   fuzz_htmlcheck [seconds] [seed]
#include "tools/htmlcheck.h"
#include "tools/htmlscan.h"
#include "tools/pagecheck.h"
#include "tools/tidycheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

const char16_t *const kPieces[] = {
    u"<", u">", u"</", u"/>", u"<!--", u"-->", u"<!-->", u"--!>", u"<!DOCTYPE html>", u"<?xml encoding=\"sjis\"?>",
    u"<p>", u"</p>", u"<a href=\"", u"<img src=", u"<IMG SRC='", u"\"", u"'", u"=", u" ", u"\u3000", u"\n", u"\t",
    u"<script>", u"</script>", u"</script", u"<style>", u"</style>", u"url(", u")", u"url('a b.gif')", u"<title>",
    u"<textarea>", u"<xmp>", u"<meta charset=\"", u"shift_jis", u"utf-8", u"\">",
    u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=EUC-JP\">", u"target=\"main\"", u"target=_blank",
    u"usemap=\"#m\"", u"usemap=", u"<map name=\"m\">", u"<frame name=\"f\">", u"<iframe name=", u"<base href=\"x\">",
    u"style=\"background:url(", u"background=", u"data=", u"lowsrc=", u"#", u"?", u"%", u"%E3%81", u"%zz", u"\\",
    u"C:\\a.gif", u"../", u"./", u"//", u"http://x/", u"javascript:", u"ｶﾀｶﾅ", u"ﾞ", u"①", u"㈱", u"髙", u"\uE000",
    u"日本語", u"<div>", u"</div>", u"<b>", u"<font color=red>", u"<li>", u"<td>", u"<tr>", u"<br>", u"&amp;", u"&#x",
    u"a.gif", u"page.htm", u"PAGE.HTM", u"sub/", u"<a\u3000href=", u"\u3000>",
};

QString randomPage(std::mt19937 &rng, int maxPieces)
{
    std::uniform_int_distribution<int> count(0, maxPieces);
    std::uniform_int_distribution<size_t> piece(0, std::size(kPieces) - 1);
    std::uniform_int_distribution<int> kind(0, 19);
    std::uniform_int_distribution<int> unit(0, 0xFFFF);
    QString page;
    const int n = count(rng);
    for (int i = 0; i < n; ++i) {
        switch (kind(rng)) {
        case 0:  // any single UTF-16 unit: lone surrogates, NUL, controls
            page += QChar(char16_t(unit(rng)));
            break;
        case 1:
            page += QChar(char16_t(0xD800 + unit(rng) % 0x800));
            break;
        case 2:
            page += QChar(char16_t(0));
            break;
        default:
            page += QString::fromUtf16(kPieces[piece(rng)]);
            break;
        }
    }
    return page;
}

[[noreturn]] void fail(const char *what, const QString &page)
{
    std::fprintf(stderr, "fuzz_htmlcheck: %s\npage (%lld units): %s\n", what, qlonglong(page.size()),
                 qPrintable(page.left(400).toHtmlEscaped()));
    std::abort();
}

void checkScanner(const QString &page)
{
    HtmlScan::Scanner s(page);
    HtmlScan::Token t;
    int last = 0;
    int guard = 0;
    while (s.next(t)) {
        if (t.start != last || t.end <= t.start || t.end > page.size())
            fail("tokens do not cover the text in order", page);
        if (t.type == HtmlScan::Token::StartTag || t.type == HtmlScan::Token::EndTag) {
            if (t.nameStart <= t.start || t.nameStart + t.nameLength > t.end)
                fail("element name outside its tag", page);
        }
        for (const HtmlScan::Attribute &a : t.attributes) {
            if (a.nameStart < t.start || a.nameStart + a.nameLength > t.end || a.nameLength <= 0)
                fail("attribute name outside its tag", page);
            if (a.valueStart >= 0 && (a.valueStart < a.nameStart || a.valueStart + a.valueLength > t.end))
                fail("attribute value outside its tag", page);
        }
        last = t.end;
        if (++guard > page.size() + 1)
            fail("the tokenizer does not advance", page);
    }
    if (last != page.size())
        fail("tokens stop before the end", page);
}

void checkFindings(const HtmlCheck::Findings &fs, const QString &page, const char *check)
{
    for (const HtmlCheck::Finding &f : fs)
        if (f.pos < 0 || f.length < 0 || f.pos + f.length > page.size() || f.message.isEmpty())
            fail(check, page);
}

}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 20;
    const unsigned seed = argc > 2 ? unsigned(std::strtoul(argv[2], nullptr, 10)) : 20261208u;
    std::mt19937 rng(seed);

    QTemporaryDir dir;
    QDir().mkpath(dir.path() + "/sub");
    for (const char *name : {"page.htm", "a.gif", "sub/x.gif"}) {
        QFile f(dir.path() + "/" + name);
        f.open(QIODevice::WriteOnly);
    }
    QFile frameset(dir.path() + "/index.html");
    frameset.open(QIODevice::WriteOnly);
    frameset.write("<frameset><frame name=\"main\" src=\"page.htm\"><frame name=\"menu\"></frameset>");
    frameset.close();
    const QString docPath = dir.path() + "/page.htm";

    QElapsedTimer timer;
    timer.start();
    long long pages = 0;
    while (timer.elapsed() < seconds * 1000) {
        const QString page = randomPage(rng, pages % 50 == 0 ? 2000 : 60);
        checkScanner(page);
        HtmlScan::nestingDepth(page);
        checkFindings(HtmlCheck::fullWidthSpaces(page), page, "full-width space finding out of range");
        checkFindings(HtmlCheck::halfWidthKatakana(page), page, "katakana finding out of range");
        checkFindings(HtmlCheck::platformDependentCharacters(page, "Shift_JIS"), page, "vendor finding out of range");
        checkFindings(HtmlCheck::charsetDeclaration(page, pages % 2 ? "EUC-JP" : "UTF-8"), page, "charset finding out of range");
        checkFindings(HtmlCheck::localLinks(page, dir.path()), page, "link finding out of range");
        checkFindings(HtmlCheck::targetsAndMaps(page, HtmlCheck::frameNames(page)), page, "target finding out of range");
        HtmlCheck::lineColumn(page, int(page.size() / 2));
        if (pages % 20 == 0) {
            // The whole check, with the structure check through the library.
            checkFindings(PageCheck::run({page, "Shift_JIS", docPath}).findings, page, "page finding out of range");
        }
        ++pages;
    }
    std::printf("fuzz_htmlcheck: %lld pages in %.1f s, seed %u, no fault\n", pages, timer.elapsed() / 1000.0, seed);
    return 0;
}
