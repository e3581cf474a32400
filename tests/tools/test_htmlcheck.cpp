// The page checks of our own and the scanner under them, on cases taken from real pages.
#include "tools/htmlcheck.h"
#include "tools/htmlscan.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace HtmlCheck;

namespace {

// "pos:length" of each finding, in order: compact enough for a table row.
QString spans(const Findings &fs)
{
    QStringList out;
    for (const Finding &f : fs)
        out << QStringLiteral("%1:%2").arg(f.pos).arg(f.length);
    return out.join(QLatin1Char(' '));
}

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

}

class TestHtmlCheck : public QObject {
    Q_OBJECT
private slots:
    void scannerTokens_data();
    void scannerTokens();
    void scannerAttributes();
    void nestingDepth_data();
    void nestingDepth();
    void fullWidthSpaces_data();
    void fullWidthSpaces();
    void halfWidthKatakana_data();
    void halfWidthKatakana();
    void platformDependent_data();
    void platformDependent();
    void charset_data();
    void charset();
    void links_data();
    void links();
    void framesInFolder();
    void targetsAndMaps_data();
    void targetsAndMaps();
    void lineColumn();
};

void TestHtmlCheck::scannerTokens_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("tokens");  // type letter and end of each token

    // T text, S start tag, E end tag, C comment, D declaration; "!" an unterminated one.
    QTest::newRow("plain") << "<p>a</p>" << "S3 T4 E8";
    QTest::newRow("less-than in text") << "a < b <3 </ x" << "T13";
    QTest::newRow("doctype and pi") << "<!DOCTYPE html><?xml x?>" << "D15 D24";
    QTest::newRow("comment") << "<!-- <b> -->x" << "C12 T13";
    QTest::newRow("empty comments") << "<!---->a<!-->b<!--->c" << "C7 T8 C13 T14 C20 T21";
    QTest::newRow("unterminated comment") << "a<!-- <p>x" << "T1 C10!";
    QTest::newRow("unterminated tag") << "<p class=x" << "S10!";
    QTest::newRow("unterminated quote") << "<a href=\"x>y</a>" << "S16!";
    QTest::newRow("quoted gt") << "<a title=\"a>b\">c" << "S15 T16";
    QTest::newRow("script is text") << "<script>if (a<b) x='</p>'</script>" << "S8 T25 E34";
    QTest::newRow("script end tag needs a break") << "<script>a</scripts></script>" << "S8 T19 E28";
    QTest::newRow("unterminated script") << "<style>p{}" << "S7 T10";
    QTest::newRow("full-width space separates") << "<img\u3000src=\"a\">" << "S13";
}

void TestHtmlCheck::scannerTokens()
{
    QFETCH(QString, html);
    QFETCH(QString, tokens);
    HtmlScan::Scanner s(html);
    HtmlScan::Token t;
    QStringList got;
    int last = 0;
    while (s.next(t)) {
        QCOMPARE(t.start, last);  // tokens cover the text without gaps
        last = t.end;
        const char *letters = "TSECD";
        got << QStringLiteral("%1%2%3").arg(QChar(letters[t.type])).arg(t.end).arg(t.closed ? "" : "!");
    }
    QCOMPARE(last, int(html.size()));
    QCOMPARE(got.join(QLatin1Char(' ')), tokens);
}

void TestHtmlCheck::scannerAttributes()
{
    // As in browsers, an unquoted value takes a "/" that follows it.
    const QString html = QStringLiteral("<IMG SRC='a b.gif' width=10 alt=\"\" ismap =\"x\"\u3000border=0/>");
    HtmlScan::Scanner s(html);
    HtmlScan::Token t;
    QVERIFY(s.next(t));
    QCOMPARE(HtmlScan::lowerName(html, t), QStringLiteral("img"));
    QStringList got;
    for (const HtmlScan::Attribute &a : t.attributes)
        got << html.mid(a.nameStart, a.nameLength) + QLatin1Char('=') +
                   (a.valueStart < 0 ? QStringLiteral("-") : html.mid(a.valueStart, a.valueLength));
    QCOMPARE(got.join(QLatin1Char('|')), QStringLiteral("SRC=a b.gif|width=10|alt=|ismap=x|border=0/"));
    QVERIFY(HtmlScan::attribute(html, t, QLatin1StringView("src")));
    QVERIFY(!HtmlScan::attribute(html, t, QLatin1StringView("href")));
}

void TestHtmlCheck::nestingDepth_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<int>("depth");
    QTest::newRow("flat") << "<p>a</p><p>b</p>" << 1;
    QTest::newRow("void elements") << "<div><br><img src=x><hr></div>" << 1;
    QTest::newRow("unclosed paragraphs") << "<body><p>a<p>b<p>c" << 2;
    QTest::newRow("list items and cells") << "<ul><li>a<li>b</ul><table><tr><td>1<td>2<tr><td>3</table>" << 3;
    QTest::newRow("nested divs") << QString("<div>").repeated(50) + QString("</div>").repeated(50) << 50;
    QTest::newRow("unclosed fonts pile up") << QString("<font color=red>x").repeated(30) << 30;
    QTest::newRow("stray end tags") << QString("</div>").repeated(100) + "<b>x</b>" << 1;
}

void TestHtmlCheck::nestingDepth()
{
    QFETCH(QString, html);
    QFETCH(int, depth);
    QCOMPARE(HtmlScan::nestingDepth(html), depth);
}

void TestHtmlCheck::fullWidthSpaces_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("found");
    QTest::newRow("between attributes") << "<img src=\"a.gif\"\u3000alt=\"x\">" << "16:1";
    QTest::newRow("after the element name") << "<td\u3000width=\"10\">" << "3:1";
    QTest::newRow("unquoted value runs on") << "<table border=0\u3000width=100>" << "15:1";
    QTest::newRow("in an end tag") << "</p\u3000>" << "3:1";
    QTest::newRow("inside a quoted value is text") << "<img alt=\"山田\u3000太郎\">" << "";
    QTest::newRow("in text and comments") << "\u3000本文\u3000<!--\u3000--><p>\u3000</p>" << "";
    QTest::newRow("several in one tag") << "<a\u3000\u3000href=\"x\"\u3000>" << "2:1 3:1 12:1";
    QTest::newRow("in a script") << "<script>var s='<a\u3000b>';</script>" << "";
}

void TestHtmlCheck::fullWidthSpaces()
{
    QFETCH(QString, html);
    QFETCH(QString, found);
    const Findings fs = HtmlCheck::fullWidthSpaces(html);
    QCOMPARE(spans(fs), found);
    for (const Finding &f : fs) {
        QCOMPARE(f.kind, Kind::Error);
        QCOMPARE(f.fix, Fix::HalfWidthSpace);
        QCOMPARE(html[f.pos], QChar(0x3000));
    }
}

void TestHtmlCheck::halfWidthKatakana_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("found");
    QTest::newRow("one run") << "<p>ｶﾀｶﾅです</p>" << "3:4";
    QTest::newRow("voiced marks and punctuation belong to the run") << "ｶﾞｯｺｳ｡" << "0:6";
    QTest::newRow("two runs") << "ｱ全角ｲ" << "0:1 3:1";
    QTest::newRow("full-width katakana is fine") << "カタカナ、ＡＢＣ" << "";
    QTest::newRow("in an attribute too") << "<input value=\"ﾃｽﾄ\">" << "14:3";
}

void TestHtmlCheck::halfWidthKatakana()
{
    QFETCH(QString, html);
    QFETCH(QString, found);
    const Findings fs = HtmlCheck::halfWidthKatakana(html);
    QCOMPARE(spans(fs), found);
    for (const Finding &f : fs)
        QCOMPARE(f.kind, Kind::Warning);
}

void TestHtmlCheck::platformDependent_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<QString>("found");
    QTest::newRow("circled number in Shift_JIS") << "手順①" << QByteArray("Shift_JIS") << "2:1";
    QTest::newRow("NEC row 13 symbols") << "㈱㍉Ⅲ№" << QByteArray("Shift_JIS") << "0:1 1:1 2:1 3:1";
    QTest::newRow("IBM kanji") << "髙橋と﨑" << QByteArray("EUC-JP") << "0:1 3:1";
    QTest::newRow("small roman numerals") << "ⅱ" << QByteArray("ISO-2022-JP") << "0:1";
    QTest::newRow("private use") << QString(QChar(0xE000)) << QByteArray("Shift_JIS") << "0:1";
    QTest::newRow("standard JIS symbols are fine") << "≒≡∫∵∠⊥〒※" << QByteArray("Shift_JIS") << "";
    QTest::newRow("ordinary text") << "日本語のページ、カタカナ、ＡＢＣ" << QByteArray("Shift_JIS") << "";
    QTest::newRow("not checked in UTF-8") << "①㈱髙" << QByteArray("UTF-8") << "";
    QTest::newRow("label spelled another way") << "①" << QByteArray("x-sjis") << "0:1";
}

void TestHtmlCheck::platformDependent()
{
    QFETCH(QString, html);
    QFETCH(QByteArray, encoding);
    QFETCH(QString, found);
    QCOMPARE(spans(platformDependentCharacters(html, encoding)), found);
}

void TestHtmlCheck::charset_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<QString>("found");  // the labels reported, "@pos" for a missing declaration
    QTest::addColumn<QString>("kinds");
    QTest::newRow("meta charset agrees") << "<meta charset=\"utf-8\">" << QByteArray("UTF-8") << "" << "";
    QTest::newRow("another spelling agrees") << "<meta charset=x-sjis>" << QByteArray("Shift_JIS") << "" << "";
    QTest::newRow("saved as Shift_JIS, says UTF-8") << "<head><meta charset=\"UTF-8\">" << QByteArray("Shift_JIS")
                                                    << "UTF-8" << "E";
    QTest::newRow("http-equiv disagrees")
        << "<META http-equiv=\"Content-Type\" content=\"text/html; charset=EUC-JP\">" << QByteArray("UTF-8")
        << "EUC-JP" << "E";
    QTest::newRow("xml declaration disagrees") << "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<html>"
                                               << QByteArray("UTF-8") << "Shift_JIS" << "E";
    QTest::newRow("unknown name") << "<meta charset=\"sjis-jp\">" << QByteArray("Shift_JIS") << "sjis-jp" << "E";
    QTest::newRow("missing: at the head") << "<html><head><title>t</title>" << QByteArray("UTF-8") << "@12" << "W";
    QTest::newRow("missing, no head") << "<p>本文</p>" << QByteArray("Shift_JIS") << "@0" << "W";
    QTest::newRow("in a comment does not count") << "<head><!-- <meta charset=utf-8> -->" << QByteArray("UTF-8")
                                                 << "@6" << "W";
    QTest::newRow("UTF-16 needs none") << "<p>x</p>" << QByteArray("UTF-16LE") << "" << "";
    QTest::newRow("latin1 is windows-1252") << "<meta charset=iso-8859-1>" << QByteArray("windows-1252") << "" << "";
}

void TestHtmlCheck::charset()
{
    QFETCH(QString, html);
    QFETCH(QByteArray, encoding);
    QFETCH(QString, found);
    QFETCH(QString, kinds);
    const Findings fs = charsetDeclaration(html, encoding);
    QStringList got;
    for (const Finding &f : fs)
        got << (f.length ? html.mid(f.pos, f.length) : QStringLiteral("@%1").arg(f.pos));
    QCOMPARE(got.join(QLatin1Char(' ')), found);
    QString k;
    for (const Finding &f : fs)
        k += f.kind == Kind::Error ? QLatin1Char('E') : QLatin1Char('W');
    QCOMPARE(k, kinds);
}

void TestHtmlCheck::links_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("found");    // the link texts reported
    QTest::addColumn<QString>("caseNote"); // text the first finding's detail holds ("" for none)

    QTest::newRow("existing files") << "<a href=\"page.htm\">a</a><img src=\"img/top.gif\"><a href=\"img/\">d</a>" << "" << "";
    QTest::newRow("missing file") << "<a href=\"nothere.htm\">a</a>" << "nothere.htm" << "";
    QTest::newRow("case differs") << "<img src=\"IMG/Top.GIF\">" << "IMG/Top.GIF" << "img/top.gif";
    QTest::newRow("query and fragment are not the file") << "<a href=\"page.htm?x=1#top\">a</a><a href=\"#x\">b</a>" << "" << "";
    QTest::newRow("other schemes and absolute paths")
        << "<a href=\"http://example.jp/x.htm\">a</a><a href=\"mailto:a@b\">b</a><a href=\"javascript:void(0)\">c</a>"
           "<a href=\"//cdn/x.js\">d</a><a href=\"/root.htm\">e</a>"
        << "" << "";
    QTest::newRow("windows drive") << "<img src=\"C:\\web\\a.gif\">" << "C:\\web\\a.gif" << "";
    QTest::newRow("backslash separator") << "<img src=\"img\\top.gif\">" << "img\\top.gif" << "「/」";
    QTest::newRow("percent-encoded name") << "<a href=\"%E6%97%A5%E6%9C%AC.htm\">a</a><a href=\"sp%20ace.htm\">b</a>" << "" << "";
    QTest::newRow("parent folder") << "<a href=\"../outside.htm\">a</a>" << "" << "";
    QTest::newRow("background, data and spaces") << "<body background=\" bg.jpg \"><object data=\"a.swf\">" << "bg.jpg a.swf" << "";
    QTest::newRow("css url in style attribute and block")
        << "<div style=\"background:url('img/top.gif')\"></div><style>p{background:url(none.png)}</style>" << "none.png" << "";
    QTest::newRow("base changes everything") << "<base href=\"http://x.jp/\"><img src=\"none.gif\">" << "" << "";
    QTest::newRow("template values are skipped") << "<img src=\"<?php echo $a ?>.gif\"><img src=\"{{x}}\">" << "" << "";
}

void TestHtmlCheck::links()
{
    QFETCH(QString, html);
    QFETCH(QString, found);
    QFETCH(QString, caseNote);
    QTemporaryDir tmp;
    const QString site = tmp.path() + "/site";
    touch(site + "/page.htm");
    touch(site + "/img/top.gif");
    touch(site + "/日本.htm");
    touch(site + "/sp ace.htm");
    touch(tmp.path() + "/outside.htm");
    const Findings fs = localLinks(html, site);
    QStringList got;
    for (const Finding &f : fs) {
        got << html.mid(f.pos, f.length);
        QCOMPARE(f.kind, Kind::Warning);
    }
    QCOMPARE(got.join(QLatin1Char(' ')), found);
    if (!caseNote.isEmpty())
        QVERIFY2(fs.front().detail.contains(caseNote), qPrintable(fs.front().detail));
}

void TestHtmlCheck::framesInFolder()
{
    QTemporaryDir tmp;
    QFile index(tmp.path() + "/index.html");
    QVERIFY(index.open(QIODevice::WriteOnly));
    // A Shift_JIS frameset: names are ASCII whatever the encoding.
    index.write("<frameset cols=\"20%,*\"><frame src=\"menu.htm\" name=\"menu\"><FRAME SRC=\"top.htm\" NAME=\"Main\">"
                "</frameset><title>\x93\xfa\x96\x7b</title>");
    index.close();
    touch(tmp.path() + "/menu.htm");
    QStringList names = frameNamesInFolder(tmp.path(), tmp.path() + "/menu.htm");
    names.sort();
    QCOMPARE(names, (QStringList{"Main", "menu"}));
    QVERIFY(frameNamesInFolder(tmp.path(), tmp.path() + "/index.html").isEmpty());
}

void TestHtmlCheck::targetsAndMaps_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QStringList>("known");
    QTest::addColumn<QString>("found");
    QTest::newRow("frame of the frameset") << "<a href=a.htm target=\"main\">a</a>" << QStringList{"main"} << "";
    QTest::newRow("frame named nowhere") << "<a href=a.htm target=\"main\">a</a>" << QStringList{"menu"} << "main";
    QTest::newRow("frame names are case-sensitive") << "<a target=\"Main\">a</a>" << QStringList{"main"} << "Main";
    QTest::newRow("iframe in the page") << "<iframe name=\"sub\"></iframe><a target=sub>x</a>" << QStringList{} << "";
    QTest::newRow("reserved names") << "<a target=_blank><a target=\"_top\"><form target=\"_self\">" << QStringList{} << "";
    QTest::newRow("map found") << "<img src=a.gif usemap=\"#nav\"><map name=\"nav\"></map>" << QStringList{} << "";
    QTest::newRow("map by id") << "<img usemap=\"#nav\"><map id=\"nav\"></map>" << QStringList{} << "";
    QTest::newRow("map missing") << "<img usemap=\"#nav\"><map name=\"menu\"></map>" << QStringList{} << "#nav";
    QTest::newRow("map without hash") << "<img usemap=\"nav\"><map name=\"nav\"></map>" << QStringList{} << "nav";
}

void TestHtmlCheck::targetsAndMaps()
{
    QFETCH(QString, html);
    QFETCH(QStringList, known);
    QFETCH(QString, found);
    QStringList got;
    for (const Finding &f : HtmlCheck::targetsAndMaps(html, known))
        got << html.mid(f.pos, f.length);
    QCOMPARE(got.join(QLatin1Char(' ')), found);
}

void TestHtmlCheck::lineColumn()
{
    const QString t = QStringLiteral("ab\ncd\n\nx");
    QCOMPARE(HtmlCheck::lineColumn(t, 0).line, 1);
    QCOMPARE(HtmlCheck::lineColumn(t, 4).line, 2);
    QCOMPARE(HtmlCheck::lineColumn(t, 4).column, 2);
    QCOMPARE(HtmlCheck::lineColumn(t, 7).line, 4);
    QCOMPARE(HtmlCheck::lineColumn(t, 99).column, 2);
}

QTEST_GUILESS_MAIN(TestHtmlCheck)
#include "test_htmlcheck.moc"
