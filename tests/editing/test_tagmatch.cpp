// Matching tags and brackets. In each row "|" marks the caret and "^" the start of the
// partner that must be found (no "^": the tag or bracket has none).
#include <QtTest>

#include "editing/tagmatch.h"

namespace {

struct Marked {
    QString text;
    int caret = -1;
    int partner = -1;
};

Marked unmark(QString s)
{
    Marked m;
    for (int i = 0; i < s.size();) {
        if (s[i] == '|' || s[i] == '^') {
            (s[i] == '|' ? m.caret : m.partner) = i;
            s.remove(i, 1);
        } else {
            ++i;
        }
    }
    m.text = s;
    return m;
}

}

class TestTagMatch : public QObject {
    Q_OBJECT
private slots:
    void tags_data();
    void tags();
    void brackets_data();
    void brackets();
    void scanSkipsNonTags();
};

void TestTagMatch::tags_data()
{
    QTest::addColumn<QString>("page");
    QTest::newRow("start to end") << "<d|iv><p>x</p>^</div>";
    QTest::newRow("end to start") << "^<div><p>x</p></d|iv>";
    QTest::newRow("nested same name") << "<div><di|v><div></div>^</div></div>";
    QTest::newRow("nested same name backwards") << "<div>^<div><div></div></di|v></div>";
    QTest::newRow("caret on the bracket") << "|<b>x^</b>";
    QTest::newRow("caret after the tag") << "<b>|x</b>";
    QTest::newRow("case differs") << "<D|IV>x^</div>";
    QTest::newRow("void element") << "<b|r>x</br>";
    QTest::newRow("self-closing") << "<sp|an/>x</span>";
    QTest::newRow("p closed by div") << "<p|>x<div>y</div></p>";
    QTest::newRow("p closed by p") << "<p|>a<p>b</p>";
    QTest::newRow("end p finds the nearer p") << "<p>a^<p>b</|p>";
    QTest::newRow("p closed by its parent") << "<div><p|>a</div><p>b</p>";
    QTest::newRow("li closed by li") << "<ul><l|i>a<li>b</li></ul>";
    QTest::newRow("ul over open li") << "^<ul><li>a<li>b</u|l>";
    QTest::newRow("open span skipped backwards") << "^<div><span>a</di|v>";
    QTest::newRow("tags in a comment") << "<d|iv><!-- </div> -->^</div>";
    QTest::newRow("tags in a script string") << "<d|iv><script>s='</div>';</script>^</div>";
    QTest::newRow("tags in an attribute") << "<d|iv title='</div>'>^</div>";
    QTest::newRow("unclosed div") << "<d|iv><b>x</b>";
    QTest::newRow("stray end tag") << "<div>x</div></d|iv>";
    QTest::newRow("tag over lines") << "<ta|ble\n class=a>\n<tr><td>1^</table></table>";
}

void TestTagMatch::tags()
{
    QFETCH(QString, page);
    const Marked m = unmark(page);
    const auto pair = TagMatch::matchTag(m.text, m.caret);
    if (m.partner < 0) {
        QVERIFY2(!pair, qPrintable(QString::number(pair ? pair->partner.start : -1)));
        return;
    }
    QVERIFY(pair);
    QCOMPARE(pair->partner.start, m.partner);
    QVERIFY(pair->at.start <= m.caret && m.caret < pair->at.end);
}

void TestTagMatch::brackets_data()
{
    QTest::addColumn<QString>("page");
    QTest::newRow("js parens forward") << "<script>f|(a, (b)^);</script>";
    QTest::newRow("js parens after the caret's bracket") << "<script>f^(a, (b))|;</script>";
    QTest::newRow("string skipped") << "<script>|{ s = '}'; ^}</script>";
    QTest::newRow("comment skipped") << "<script>^[ /* ] */ ]|</script>";
    QTest::newRow("css braces") << "<style>p |{ color: red ^}</style>";
    QTest::newRow("css braces over lines") << "<style>\np |{\n color: red;\n^}\n</style>";
    QTest::newRow("text brackets") << "<p>f|(x)</p>";
    QTest::newRow("unbalanced") << "<script>|(a</script>";
    QTest::newRow("not across scripts") << "<script>|(</script><script>)</script>";
}

void TestTagMatch::brackets()
{
    QFETCH(QString, page);
    const Marked m = unmark(page);
    const auto pair = TagMatch::matchBracket(m.text, m.caret);
    if (m.partner < 0) {
        QVERIFY(!pair);
        return;
    }
    QVERIFY(pair);
    QCOMPARE(pair->second, m.partner);
}

void TestTagMatch::scanSkipsNonTags()
{
    const QString page = "<!DOCTYPE html><!-- <a> --><p class=\"<b>\">x&lt;y<br><?php '<i>' ?></p>";
    const auto tags = TagMatch::scanTags(page);
    QStringList names;
    for (const auto &t : tags)
        names << (t.closing ? "/" : "") + t.name + (t.selfClosing ? "/" : "");
    QCOMPARE(names, QStringList({"p", "br/", "/p"}));
    QCOMPARE(page.mid(tags[0].start, tags[0].end - tags[0].start), QString("<p class=\"<b>\">"));
}

QTEST_GUILESS_MAIN(TestTagMatch)
#include "test_tagmatch.moc"
