#include <QElapsedTimer>
#include <QtTest>

#include "editing/matcher.h"
#include "editing/search.h"

using Search::Matcher;
using Search::Options;

// Options from letters: r regex, i ignore case, w word, h width, k kana.
static Options opts(const QString &letters)
{
    Options o;
    o.regex = letters.contains('r');
    o.ignoreCase = letters.contains('i');
    o.word = letters.contains('w');
    o.width = letters.contains('h');
    o.kana = letters.contains('k');
    return o;
}

// Every match as "start+length", joined by spaces.
static QString spans(const QString &text, const QString &pattern, const Options &o)
{
    Matcher m(pattern, o);
    if (!m.isValid())
        return "invalid";
    m.setText(text);
    QStringList out;
    for (const Search::Match &s : m.findAll())
        out << QString("%1+%2").arg(s.start).arg(s.length);
    return out.join(' ');
}

class TestMatcher : public QObject {
    Q_OBJECT
private slots:
    void matches_data();
    void matches();
    void replaces_data();
    void replaces();
    void allOffKeepsExactMatching();
    void findNextAfterEmptyMatch();
    void searchFromInsideFoldedPair();
    void invalidPatternNamesPosition();
    void catastrophicPatternGivesUp();
    void manyMatchesInLargeText();
    void selectionIsMatch();
    void countAndHistory();
};

void TestMatcher::matches_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("expected");

    // Case.
    QTest::newRow("case sensitive") << "<BODY><body>" << "body" << "" << "7+4";
    QTest::newRow("ignore case") << "<BODY><body>" << "body" << "i" << "1+4 7+4";
    QTest::newRow("ignore case full-width") << "ＢＯＤＹ" << "ｂｏｄｙ" << "i" << "0+4";
    // Regex: groups, classes, line breaks and anchors per line.
    QTest::newRow("regex class") << "a1b22c333" << "[0-9]+" << "r" << "1+1 3+2 6+3";
    QTest::newRow("regex line break") << "a\nb\nc" << "b\\nc" << "r" << "2+3";
    QTest::newRow("regex anchors per line") << "ab\nab" << "^a" << "r" << "0+1 3+1";
    QTest::newRow("regex dot stops at line") << "ab\ncd" << "b.c" << "r" << "";
    QTest::newRow("regex ignore case") << "Tag TAG" << "t.g" << "ri" << "0+3 4+3";
    QTest::newRow("regex empty matches step on") << "abc" << "x*" << "r" << "0+0 1+0 2+0 3+0";
    QTest::newRow("regex literal when off") << "a.c abc" << "a.c" << "" << "0+3";
    // Whole words, also where Latin meets Japanese.
    QTest::newRow("word latin") << "cat concat cat's" << "cat" << "w" << "0+3 11+3";
    QTest::newRow("word japanese boundary") << "これはテストです" << "テスト" << "w" << "3+3";
    QTest::newRow("word katakana run") << "テストケース" << "テスト" << "w" << "";
    QTest::newRow("word latin beside kana") << "testテスト test1" << "test" << "w" << "0+4";
    QTest::newRow("word kanji beside kana") << "漢字かな漢字" << "漢字" << "w" << "0+2 4+2";
    QTest::newRow("word punctuation pattern") << "a<p>b" << "<p>" << "w" << "1+3";
    QTest::newRow("word regex") << "tr td table" << "t\\w" << "rw" << "0+2 3+2";
    // Width folding maps positions back across voiced marks.
    QTest::newRow("width half kana") << "ﾃｽﾄ テスト" << "テスト" << "h" << "0+3 4+3";
    QTest::newRow("width voiced mark") << "xｶﾞｷﾞ ガギ" << "ガギ" << "h" << "1+4 6+2";
    QTest::newRow("width search half for full") << "ガギ" << "ｶﾞｷﾞ" << "h" << "0+2";
    QTest::newRow("width base kana not voiced") << "ｶﾞ" << "カ" << "h" << "";
    QTest::newRow("width separate and combining mark") << "カ゛ カ\u3099" << "ガ" << "h" << "0+2 3+2";
    QTest::newRow("width latin and space") << "Ａ\u3000Ｂ" << "A B" << "h" << "0+3";
    QTest::newRow("width off") << "ﾃｽﾄ" << "テスト" << "" << "";
    // Kana folding, alone and with width.
    QTest::newRow("kana") << "すし スシ" << "すし" << "k" << "0+2 3+2";
    QTest::newRow("kana voiced") << "ガ が" << "が" << "k" << "0+1 2+1";
    QTest::newRow("kana and width") << "ｶﾞ ガ が" << "が" << "hk" << "0+2 3+1 5+1";
    QTest::newRow("kana without width") << "ｶﾞ" << "が" << "k" << "";
    QTest::newRow("kana regex class") << "あいウエ" << "[ア-ン]+" << "rk" << "0+4";
    // Surrogate pairs stay whole and positions stay right after them.
    QTest::newRow("surrogates folded") << "𠮷ﾃｽﾄ𠮷テスト" << "テスト" << "h" << "2+3 7+3";
    QTest::newRow("surrogate pattern") << "a𠮷b𠮷" << "𠮷" << "hk" << "1+2 4+2";
    QTest::newRow("surrogate word") << "𠮷野 野" << "野" << "w" << "4+1";
}

void TestMatcher::matches()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(QString, options);
    QFETCH(QString, expected);
    QCOMPARE(spans(text, pattern, opts(options)), expected);
}

void TestMatcher::replaces_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("with");
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("count");

    QTest::newRow("literal") << "aaa" << "a" << "aa" << "" << "aaaaaa" << 3;
    QTest::newRow("literal keeps backslashes") << "x" << "x" << "\\1$1\\n" << "" << "\\1$1\\n" << 1;
    QTest::newRow("groups backslash") << "<B>x</B>" << "<(/?)B>" << "<\\1strong>" << "r"
                                      << "<strong>x</strong>" << 2;
    QTest::newRow("groups dollar") << "2026-12-08" << "(\\d+)-(\\d+)-(\\d+)" << "$3/$2/$1" << "r" << "08/12/2026" << 1;
    QTest::newRow("group braces and whole") << "ab" << "(a)(b)" << "${2}$0$$" << "r" << "bab$" << 1;
    QTest::newRow("unset group") << "b" << "(a)?b" << "[\\1]" << "r" << "[]" << 1;
    QTest::newRow("line break in replacement") << "a<br>b" << "<br>" << "\\n" << "r" << "a\nb" << 1;
    QTest::newRow("join lines") << "a\nb\nc" << "\\n" << "," << "r" << "a,b,c" << 2;
    QTest::newRow("empty matches") << "ab" << "x*" << "-" << "r" << "-a-b-" << 3;
    QTest::newRow("groups from original text") << "ｶﾞｷﾞ" << "(ガ)(ギ)" << "$2$1" << "rh" << "ｷﾞｶﾞ" << 1;
    QTest::newRow("folded replace all") << "ﾃｽﾄとテスト" << "テスト" << "X" << "h" << "XとX" << 2;
    QTest::newRow("ignore case") << "Tag tag TAG" << "tag" << "x" << "i" << "x x x" << 3;
    QTest::newRow("replacement never rescanned") << "ab" << "a|b" << "ab" << "r" << "abab" << 2;
}

void TestMatcher::replaces()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(QString, with);
    QFETCH(QString, options);
    QFETCH(QString, expected);
    QFETCH(int, count);
    Matcher m(pattern, opts(options));
    QVERIFY(m.isValid());
    const Search::ReplaceResult r = Search::replaceAll(text, m, with);
    QCOMPARE(r.count, count);
    QCOMPARE(QString(text).replace(r.first, r.oldEnd - r.first, r.middle), expected);
}

// With every option off the engine answers as the exact search always did, also for
// the empty search text and for texts with regex characters.
void TestMatcher::allOffKeepsExactMatching()
{
    const QStringList texts = {"<BODY><body>", "a.b*c a.b*c", "ﾃｽﾄテスト", "", "abc"};
    const QStringList patterns = {"body", "a.b*c", "テスト", "", "c", "ｽ"};
    for (const QString &t : texts) {
        for (const QString &p : patterns) {
            Matcher m(p, Options());
            m.setText(t);
            for (int from = 0; from <= t.size(); ++from)
                QCOMPARE(m.find(from).start, Search::findFrom(t, p, from));
            const Search::ReplaceResult a = Search::replaceAll(t, m, "[x]");
            const Search::ReplaceResult b = Search::replaceAll(t, p, "[x]");
            QCOMPARE(a.count, b.count);
            QCOMPARE(a.middle, b.middle);
        }
    }
}

void TestMatcher::findNextAfterEmptyMatch()
{
    Matcher m("^", opts("r"));
    const QString t = "ab\ncd\nef";
    m.setText(t);
    QCOMPARE(m.find(0).start, 0);
    QCOMPARE(m.find(0, true).start, 3);  // Find next moves on to the next line
    QCOMPARE(m.find(3, true).start, 6);
    QVERIFY(!m.find(6, true).found());
}

void TestMatcher::searchFromInsideFoldedPair()
{
    // The caret between ｶ and ﾞ: the next match is after the pair, never the pair itself.
    Matcher m("ガ", opts("h"));
    const QString t = "ｶﾞｶﾞ";
    m.setText(t);
    QCOMPARE(m.find(1).start, 2);
    QCOMPARE(m.find(1).length, 2);
}

void TestMatcher::invalidPatternNamesPosition()
{
    Matcher m("ab(c", opts("r"));
    QVERIFY(!m.isValid());
    QCOMPARE(m.errorPosition(), 4);
    QVERIFY2(m.errorText().contains(QStringLiteral("5 文字目")), qPrintable(m.errorText()));
    // Folded patterns report positions in what the user typed (here: its end).
    Matcher folded("ｶﾞｶﾞ[", opts("rh"));
    QVERIFY(!folded.isValid());
    QCOMPARE(folded.errorPosition(), 5);
    // Nothing is found and nothing replaced.
    m.setText("ab(c");
    QVERIFY(!m.find(0).found());
    QCOMPARE(Search::replaceAll("ab(c", m, "x").count, 0);
    // A pattern cannot lift the step limit.
    QVERIFY(Matcher("(*LIMIT_MATCH=99999999)a", opts("r")).isValid());
}

void TestMatcher::catastrophicPatternGivesUp()
{
    const QString text = "b" + QString(40, 'a') + "c";
    for (const QString &p : {QString("(a|aa)+$"), QString("(*LIMIT_MATCH=99999999)(a|aa)+$")}) {
        Matcher m(p, opts("r"));
        QVERIFY(m.isValid());
        QElapsedTimer t;
        t.start();
        const Search::ReplaceResult r = Search::replaceAll(text, m, "x");
        QVERIFY2(t.elapsed() < 3000, qPrintable(QString::number(t.elapsed())));
        QVERIFY(m.gaveUp());
        QCOMPARE(r.count, 0);
        QVERIFY(!m.errorText().isEmpty());
    }
}

// Each search step must not re-check the whole text: 30,000 matches over 600,000
// characters took minutes when it did.
void TestMatcher::manyMatchesInLargeText()
{
    QString text;
    for (int i = 0; i < 30000; ++i)
        text += QStringLiteral("<p>テキスト</p>\n");
    QElapsedTimer t;
    t.start();
    Matcher m("<p>", opts("r"));
    m.setText(text);
    QCOMPARE(int(m.findAll().size()), 30000);
    QCOMPARE(Search::replaceAll(text, m, "<P>").count, 30000);
    QVERIFY2(t.elapsed() < 5000, qPrintable(QString::number(t.elapsed())));
    // A lone surrogate (from a broken byte) does not stop a regular expression.
    const QString broken = QStringLiteral("ab") + QChar(0xD800) + QStringLiteral("ab\U0001F600b");
    QCOMPARE(spans(broken, "b", opts("")), QString("1+1 4+1 7+1"));
    QCOMPARE(spans(broken, "b", opts("r")), QString("1+1 4+1 7+1"));
    QCOMPARE(spans(broken, "b.a", opts("r")), QString("1+3"));
}

void TestMatcher::selectionIsMatch()
{
    Matcher m("t(.)g", opts("r"));
    const QString t = "tag tog";
    m.setText(t);
    const Search::Match s = m.matchAt(4, 3);
    QCOMPARE(s.start, 4);
    QCOMPARE(m.replacement(s, "<\\1>"), QString("<o>"));
    QVERIFY(!m.matchAt(4, 2).found());
    QVERIFY(!m.matchAt(1, 3).found());
}

void TestMatcher::countAndHistory()
{
    QCOMPARE(Search::countText(12, 3), QStringLiteral("12 件中 3 件目"));
    QCOMPARE(Search::countText(12, 0), QStringLiteral("12 件"));
    QCOMPARE(Search::countText(0, 0), QStringLiteral("0 件"));

    QStringList h;
    for (int i = 0; i < 25; ++i)
        h = Search::addToHistory(h, QString::number(i));
    QCOMPARE(h.size(), 20);
    QCOMPARE(h.first(), QString("24"));
    QCOMPARE(h.last(), QString("5"));
    h = Search::addToHistory(h, "10");  // moves to the top, not twice
    QCOMPARE(h.first(), QString("10"));
    QCOMPARE(h.count("10"), 1);
    QCOMPARE(h.size(), 20);
    QCOMPARE(Search::addToHistory(h, ""), h);
}

QTEST_MAIN(TestMatcher)
#include "test_matcher.moc"
