// The live preview's served copy: source lines marked on the start tags only, nothing else
// touched, the bytes in the document's encoding; the pause before an update; the addresses.
#include "document/textfile.h"
#include "tools/livesource.h"
#include "testutil.h"

#include <QRegularExpression>
#include <QtTest>

namespace {

// The page with the marks taken out again.
QString unmarked(QString html)
{
    static const QRegularExpression mark(QStringLiteral(" data-tarnell-line=\"\\d+\""));
    return html.remove(mark);
}

// The line marks in order, as "tag:line".
QStringList marks(const QString &html)
{
    static const QRegularExpression tag(QStringLiteral("<([A-Za-z][^\\s/>]*) data-tarnell-line=\"(\\d+)\""));
    QStringList found;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        found << m.captured(1) + ":" + m.captured(2);
    }
    return found;
}

}

class TestLiveSource : public QObject {
    Q_OBJECT

private slots:
    void startTagsCarryTheirLine()
    {
        const QString page = "<!DOCTYPE html>\n<html lang=ja>\n<head><title>題</title></head>\n<body>\n"
                             "<p class=\"a\">一<b>二</b></p>\n<br/><img src=x.png\n alt='y'>\n</body>\n</html>";
        const QString out = LiveSource::annotateLines(page);
        QCOMPARE(marks(out), QStringList({"html:2", "head:3", "title:3", "body:4", "p:5", "b:5", "br:6", "img:6"}));
        // Right after the name, so that a tag closed by "/>" stays closed that way.
        QVERIFY(out.contains("<br data-tarnell-line=\"6\"/>"));
        QVERIFY(out.contains("<p data-tarnell-line=\"5\" class=\"a\">"));
        QCOMPARE(unmarked(out), page);
    }

    void markupInsideTextIsLeftAlone()
    {
        // Comments, raw-text elements and quoted attribute values may hold what looks like
        // tags; none of it is marked, and lines inside them still count.
        const QString page = "<!-- <p>\n</p> -->\n"
                             "<SCRIPT>if (a <b && c > d) document.write('<div>');\n</script >\n"
                             "<style>p::before { content: '<i>'; }</style>\n"
                             "<textarea>\n<u>typed</u></TEXTAREA>\n"
                             "<a title=\"x > <em>\" href='<q>'>link</a>\n"
                             "a < b and <3 and < p>\n"
                             "<?xml-stylesheet x?><![CDATA[<s>]]>\n"
                             "<span>end</span>";
        const QString out = LiveSource::annotateLines(page);
        QCOMPARE(marks(out), QStringList({"SCRIPT:3", "style:5", "textarea:6", "a:8", "span:11"}));
        QCOMPARE(unmarked(out), page);
    }

    void unfinishedMarkupEndsTheMarking()
    {
        // Whatever is left open runs to the end of the text, as in a browser; nothing is lost.
        for (const QString &page : {QString("<p>a<!-- open\n<b>"), QString("<script>\n<b>"), QString("<p title=\"open\n<b>"),
                                    QString("<plaintext>\n<b>"), QString("<p"), QString("x<"), QString()}) {
            const QString out = LiveSource::annotateLines(page);
            QCOMPARE(unmarked(out), page);
            QVERIFY2(!out.contains("<b data-tarnell-line"), qPrintable(out));
        }
    }

    void realPagesComeBackUnchanged()
    {
        // A real page builder's output (upper-case tags, scripts, tables): every start tag in its
        // body is marked, and taking the marks out gives the page back character for character.
        const TextFileRead page = readTextFile(TARNELL_TESTDATA_DIR "/real-pages/videogame_top.htm");
        QCOMPARE(page.status, TextFileRead::Ok);
        const QString out = LiveSource::annotateLines(page.text);
        QCOMPARE(unmarked(out), page.text);
        const QStringList found = marks(out);
        QVERIFY(found.size() > 100);
        // Lines never go backwards and the last mark is on a real line.
        int last = 0;
        for (const QString &m : found) {
            const int line = m.section(':', 1).toInt();
            QVERIFY2(line >= last, qPrintable(m));
            last = line;
        }
        QVERIFY(last <= page.text.count('\n') + 1);
        // The line of a tag found by hand.
        const int at = int(page.text.indexOf("<HR>"));
        QVERIFY(at >= 0);
        const int line = int(page.text.left(at).count('\n')) + 1;
        QVERIFY(found.contains("HR:" + QString::number(line)));
    }

    void servedInTheDocumentsEncoding()
    {
        TextFormat sjis;
        sjis.encoding = "Shift_JIS";
        sjis.lineEnd = LineEnd::CRLF;
        const QString text = "<p>日本語</p>\n<p>😀</p>";
        const LiveSource::Served s = LiveSource::serve(text, sjis);
        QCOMPARE(s.mimeType, QByteArray("text/html; charset=Shift_JIS"));
        // Shift_JIS bytes, CR LF line ends, the emoji as a character reference.
        QVERIFY(s.bytes.contains("\x93\xfa\x96\x7b\x8c\xea"));
        QVERIFY(s.bytes.contains("\r\n"));
        QVERIFY(s.bytes.contains("&#x1F600;"));
        QCOMPARE(decodeTextFileAs(s.bytes, sjis), LiveSource::annotateLines(QString(text).replace("😀", "&#x1F600;")));

        // Browsers do not read JIS X 0213 encodings: such a page is served in UTF-8.
        TextFormat jis2004;
        jis2004.encoding = "Shift_JIS-2004";
        const LiveSource::Served u = LiveSource::serve(text, jis2004);
        QCOMPARE(u.mimeType, QByteArray("text/html; charset=UTF-8"));
        QVERIFY(u.bytes.contains("日本語"));
        QVERIFY(u.bytes.contains("😀"));

        // Bytes kept from the file do not leak into the copy: it is the text as edited.
        const TextFileRead read = decodeTextFile(QByteArray("<p>old</p>\n"));
        const LiveSource::Served e = LiveSource::serve("<p>new</p>", read.format);
        QVERIFY(e.bytes.contains("new"));
        QVERIFY(!e.bytes.contains("old"));
    }

    // Only a page whose document is what its text says may be changed in place: anything that
    // may run a script, or an embedded document, makes it a page to load.
    void staticPagesAreToldFromScriptedOnes()
    {
        using LiveSource::isStatic;
        QVERIFY(isStatic(u"<!DOCTYPE html><html><head><title>t</title><style>p{}</style></head>"
                         "<body bgcolor=white><p class=online title='on time'>once <b>on</b></p></body></html>"));
        QVERIFY(isStatic(u"<a href=\"page.htm\">x</a> 1 < 2 <img src=a.png alt=\"on\">"));
        QVERIFY(isStatic(u""));
        const char16_t *const scripted[] = {
            u"<p>x</p><script>document.title = 'y'</script>",
            u"<SCRIPT SRC=a.js></SCRIPT>",
            u"<svg><script>1</script></svg>",
            u"<noscript><p>off</p></noscript>",
            u"<body onload=\"go()\">",
            u"<img src=a.png ONERROR=go()>",
            u"<p title=\"a>b\" onclick=go()>",
            u"<input/onfocus=go()>",
            u"<a href=\"JavaScript:go()\">x</a>",
            u"<iframe src=a.htm></iframe>",
            u"<frameset><frame src=a.htm></frameset>",
            u"<object data=a.svg></object>",
            u"<embed src=a.swf>",
        };
        for (const char16_t *page : scripted)
            QVERIFY2(!isStatic(QStringView(page)), qPrintable(QString::fromUtf16(page)));
        // Every served copy says which it is.
        QVERIFY(LiveSource::serve("<p>x</p>", TextFormat()).isStatic);
        QVERIFY(!LiveSource::serve("<p onclick=x()>x</p>", TextFormat()).isStatic);
    }

    void pauseGrowsWithSlowRendersAndComesBack()
    {
        using LiveSource::nextDelay;
        QCOMPARE(nextDelay(300, 40), 300);
        QCOMPARE(nextDelay(300, 300), 300);
        QCOMPARE(nextDelay(300, 900), 900);     // a slow render: wait as long as it took
        QCOMPARE(nextDelay(900, 100), 500);     // then back down by halves
        QCOMPARE(nextDelay(500, 100), 300);
        QCOMPARE(nextDelay(300, 60000), 3000);  // never longer than 3 s
        QCOMPARE(nextDelay(3000, 2000), 2500);
    }

    void addressesUnderTheDocument()
    {
        const QString path = "/home/利用者/サイト/index 1.htm";
        const QUrl url = LiveSource::pageUrl(path, 3, 42);
        QCOMPARE(url.scheme(), QString("tarnell-live"));
        QCOMPARE(url.path(), path);
        int viewer = 0;
        quint64 serial = 0;
        QVERIFY(LiveSource::isPageRequest(url, &viewer, &serial));
        QCOMPARE(viewer, 3);
        QCOMPARE(serial, quint64(42));
        // What the page refers to resolves beside the document and is no served copy.
        const QUrl picture = url.resolved(QUrl("img/写真.png"));
        QCOMPARE(picture.path(), QString("/home/利用者/サイト/img/写真.png"));
        QVERIFY(!LiveSource::isPageRequest(picture));
        // Every copy of every document is of one origin: the engine then keeps the renderer it
        // has instead of starting another for each update.
        const QUrl other = LiveSource::pageUrl("/tmp/別の/page.htm", 1, 7);
        QVERIFY(!url.host().isEmpty());
        QCOMPARE(other.host(), url.host());
        QCOMPARE(other.scheme(), url.scheme());
        QCOMPARE(url.resolved(QUrl("/css/a.css")).host(), url.host());
        QCOMPARE(url.resolved(QUrl("/css/a.css")).path(), QString("/css/a.css"));
        QVERIFY(!LiveSource::isPageRequest(QUrl("tarnell-live:/a.htm?live=x.1")));
        QVERIFY(!LiveSource::isPageRequest(QUrl("tarnell-file:/a.htm?live=1.1")));
    }
};

QTEST_GUILESS_MAIN(TestLiveSource)
#include "test_livesource.moc"
