#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QtTest>

#include "platform/rtfreader.h"

namespace {

// What a Japanese word processor puts on the clipboard: font table in Shift_JIS,
// colour table, styles, \'hh text (a trail byte written as \\ and as a literal @),
// a Unicode character with its fallback, and groups that carry no text.
const QByteArray JapaneseRtf =
    "{\\rtf1\\ansi\\ansicpg932\\deff0\\deflang1033\\deflangfe1041"
    "{\\fonttbl{\\f0\\froman\\fcharset0\\fprq2 Century;}"
    "{\\f1\\fmodern\\fcharset128\\fprq1 \\'82\\'6c\\'82\\'72 \\'96\\'be\\'92\\'a9"
    "{\\*\\panose 02020609040205080304};}}"
    "{\\colortbl;\\red0\\green0\\blue0;\\red255\\green0\\blue0;}"
    "{\\stylesheet{\\qj \\li0\\ri0 \\f1\\fs21 Normal;}}"
    "{\\*\\generator Some Writer 1.0;}{\\info{\\title \\'83\\'5e\\'83\\'43\\'83\\'67\\'83\\'8b}}"
    "\\pard\\plain \\f1\\fs21 \\'82\\'a0\\'82\\'a2\\'83\\\\\\'81@"
    "{\\b\\cf2 \\'90\\'d4}"
    "\\uc2\\u26085\\'93\\'fa\\par "
    "{\\pict\\wmetafile8\\picw10\\pich10 0100090000037a}"
    "\\f0 Century\\par}";

Rtf::Document readRtf(const char *rtf)
{
    return Rtf::read(QByteArray(rtf));
}

// The runs as the editing area would get them: the HTML put into a document.
QTextDocument *asDocument(const Rtf::Document &doc, QObject *parent)
{
    auto *text = new QTextDocument(parent);
    QTextCursor c(text);
    c.insertFragment(QTextDocumentFragment::fromHtml(doc.html()));
    return text;
}

QTextCharFormat formatAt(QTextDocument *text, int pos)
{
    QTextCursor c(text);
    c.setPosition(pos + 1);  // the format of the character before the cursor
    return c.charFormat();
}

}  // namespace

class TestRtfReader : public QObject {
    Q_OBJECT
private slots:
    void japaneseShiftJis()
    {
        const Rtf::Document doc = Rtf::read(JapaneseRtf);
        QCOMPARE(doc.plainText(), QStringLiteral("あいソ　赤日\nCentury\n"));
        QCOMPARE(doc.runs.size(), 4);
        QCOMPARE(doc.runs[0].format.font, QStringLiteral("ＭＳ 明朝"));
        QCOMPARE(doc.runs[0].format.halfPoints, 21);
        QVERIFY(!doc.runs[0].format.bold);
        QCOMPARE(doc.runs[1].text, QStringLiteral("赤"));
        QVERIFY(doc.runs[1].format.bold);
        QCOMPARE(doc.runs[1].format.color, QColor(255, 0, 0));
        QCOMPARE(doc.runs[2].format.font, QStringLiteral("ＭＳ 明朝"));
        QCOMPARE(doc.runs[2].text, QStringLiteral("日\n"));
        QCOMPARE(doc.runs[3].format.font, QStringLiteral("Century"));
        // \f0 is a Western font: its bytes are read as such.
        QCOMPARE(Rtf::read("{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fcharset0 Arial;}}\\f0 caf\\'e9}")
                     .plainText(),
                 QStringLiteral("café"));
    }

    void eastAsianProperties()
    {
        // As an office suite writes it: East Asian text after \dbch, its bold, size and
        // font as associated properties (\ab \afs \af); Western text after \loch.
        const Rtf::Document office = readRtf(
            "{\\rtf1\\ansi\\deff3{\\fonttbl{\\f3\\froman\\fprq2\\fcharset0 DejaVu Serif;}"
            "{\\f6\\fnil\\fprq0\\fcharset0 IPAGothic;}}"
            "\\pard\\plain \\s16\\loch\\sl276\\ql\\ltrpar{\\dbch\\af6\\dbch\n\\u26085\\'3f\\u26412\\'3f}{\\dbch\n }"
            "{\\dbch\\ab\\dbch\n\\u22826\\'3f\\u23383\\'3f}{\\dbch\\afs40\\dbch\n\\u22823\\'3fA}"
            "{\\loch\\b\ncaf\\u233\\'e9}\n\\par }");
        QCOMPARE(office.plainText(), QStringLiteral("日本 太字大Acafé\n"));
        QCOMPARE(office.runs.at(0).text, QStringLiteral("日本"));
        QCOMPARE(office.runs.at(0).format.font, QStringLiteral("IPAGothic"));
        QCOMPARE(office.runs.at(1).format.font, QStringLiteral("DejaVu Serif"));
        QCOMPARE(office.runs.at(2).text, QStringLiteral("太字"));
        QVERIFY(office.runs.at(2).format.bold);
        QCOMPARE(office.runs.at(3).text, QStringLiteral("大"));
        QCOMPARE(office.runs.at(3).format.halfPoints, 40);
        QCOMPARE(office.runs.at(4).text, QStringLiteral("A"));  // not East Asian
        QCOMPARE(office.runs.at(4).format.halfPoints, 0);
        QVERIFY(office.runs.at(5).format.bold);

        // As a word processor writes it: associated properties of right-to-left text
        // (\rtlch … \ab \afs) do not touch the Japanese text; \'hh given under a
        // Western font of a Shift_JIS document are read as Shift_JIS.
        const Rtf::Document word = readRtf(
            "{\\rtf1\\adeflang1025\\ansi\\ansicpg932\\uc2\\adeff0\\deff0"
            "{\\fonttbl{\\f0\\froman\\fcharset0\\fprq2{\\*\\panose 02020603050405020304}Times New Roman;}"
            "{\\f11\\fbidi \\fmodern\\fcharset128\\fprq1 \\'82\\'6c\\'82\\'72 \\'96\\'be\\'92\\'a9{\\*\\falt MS Mincho};}}"
            "{\\colortbl;\\red0\\green0\\blue0;\\red255\\green0\\blue0;}"
            "\\pard\\plain \\ltrpar\\qj \\rtlch\\fcs1 \\af0\\afs24\\alang1025 \\ltrch\\fcs0 \\fs21\\lang1033\\langfe1041"
            "\\loch\\f0\\hich\\af0\\dbch\\af11\\cgrid\\langnp1033\\langfenp1041 "
            "{\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 \\insrsid1 \\hich\\af0\\dbch\\af11\\loch\\f0 Hello }"
            "{\\rtlch\\fcs1 \\ab\\af0\\afs30 \\ltrch\\fcs0 \\b\\cf2\\insrsid1 \\hich\\af0\\dbch\\af11\\loch\\f0 \\'90\\'d4}"
            "{\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 \\fs40\\insrsid1 \\'82\\'a0\\u12356\\'82\\'a2}\\par }");
        QCOMPARE(word.plainText(), QStringLiteral("Hello 赤あい\n"));
        QCOMPARE(word.runs.at(0).format.halfPoints, 21);
        QCOMPARE(word.runs.at(1).text, QStringLiteral("赤"));
        QVERIFY(word.runs.at(1).format.bold);
        QCOMPARE(word.runs.at(1).format.halfPoints, 21);
        QCOMPARE(word.runs.at(1).format.color, QColor(Qt::red));
        QCOMPARE(word.runs.at(2).text, QStringLiteral("あい"));
        QCOMPARE(word.runs.at(2).format.halfPoints, 40);
        QCOMPARE(word.runs.at(2).format.font, QStringLiteral("ＭＳ 明朝"));
    }

    void codePageOfTheDocument()
    {
        // No font table: the document's code page decides.
        QCOMPARE(readRtf("{\\rtf1\\ansi\\ansicpg932 \\'93\\'fa\\'96\\'7b\\'8c\\'ea}").plainText(),
                 QStringLiteral("日本語"));
        QCOMPARE(readRtf("{\\rtf1\\ansi caf\\'e9 \\'80}").plainText(), QStringLiteral("café €"));
        QCOMPARE(readRtf("{\\rtf1\\mac \\'8e}").plainText(), QStringLiteral("é"));
        // A lead byte with nothing after it is dropped, the rest survives.
        QCOMPARE(readRtf("{\\rtf1\\ansi\\ansicpg932 \\'82\\'a0\\'82}").plainText(), QStringLiteral("あ"));
        // \cpg of a font wins over the document's code page.
        QCOMPARE(readRtf("{\\rtf1\\ansi{\\fonttbl{\\f3\\cpg932 X;}}\\f3 \\'82\\'a0}").plainText(),
                 QStringLiteral("あ"));
    }

    void unicodeWithFallback()
    {
        QCOMPARE(readRtf("{\\rtf1\\ansi caf\\u233?s}").plainText(), QStringLiteral("cafés"));
        QCOMPARE(readRtf("{\\rtf1\\ansi\\uc2 \\u12354\\'82\\'a0x}").plainText(), QStringLiteral("あx"));
        QCOMPARE(readRtf("{\\rtf1\\ansi{\\uc0 \\u26085}y}").plainText(), QStringLiteral("日y"));
        // \uc belongs to its group.
        QCOMPARE(readRtf("{\\rtf1\\ansi\\uc1{\\uc3 \\u26085abcd}\\u26412?e}").plainText(),
                 QStringLiteral("日d本e"));
        // Negative values stand for the upper half; a pair of them is one character.
        QCOMPARE(readRtf("{\\rtf1\\ansi\\u-29405?}").plainText(), QString(QChar(char16_t(65536 - 29405))));
        QCOMPARE(readRtf("{\\rtf1\\ansi\\u-10179?\\u-8704?}").plainText(), QStringLiteral("😀"));
        // A lone half of a pair cannot stand in the text.
        QCOMPARE(readRtf("{\\rtf1\\ansi a\\u-10179?b}").plainText(), QStringLiteral("a\uFFFDb"));
        // A group ends the fallback; control words count as one character each.
        QCOMPARE(readRtf("{\\rtf1\\ansi\\uc3\\u12354{\\b x}}").plainText(), QStringLiteral("あx"));
        QCOMPARE(readRtf("{\\rtf1\\ansi\\uc2\\u12354\\lquote\\rquote z}").plainText(), QStringLiteral("あz"));
    }

    void formatting()
    {
        const Rtf::Document doc = readRtf(
            "{\\rtf1\\ansi{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
            "\\b bold\\b0  \\i it\\i0  \\ul u\\ulnone  \\fs36 big\\fs24  \\cf1 red\\cf2 blue\\cf0  "
            "\\highlight2 mark\\highlight0  \\strike s\\strike0  \\super 2\\nosupersub  \\cf7 none}");
        QCOMPARE(doc.plainText(), QStringLiteral("bold it u big redblue mark s 2 none"));
        auto runOf = [&](const QString &text) {
            for (const Rtf::Run &r : doc.runs)
                if (r.text == text)
                    return r.format;
            return Rtf::Format();
        };
        QCOMPARE(runOf("mark").background, QColor(Qt::blue));
        QVERIFY(runOf("s").strike);
        QCOMPARE(runOf("2").vertical, 1);
        QVERIFY(!runOf(" none").color.isValid());  // colour 7 does not exist

        // On screen: the HTML keeps the formats and the text.
        QTextDocument *text = asDocument(doc, this);
        QCOMPARE(text->toPlainText(), doc.plainText());
        QCOMPARE(formatAt(text, 0).fontWeight(), int(QFont::Bold));
        QCOMPARE(formatAt(text, 5).fontWeight(), int(QFont::Normal));
        QVERIFY(formatAt(text, 5).fontItalic());
        QVERIFY(formatAt(text, 8).fontUnderline());
        QCOMPARE(formatAt(text, 10).fontPointSize(), 18.0);
        QCOMPARE(formatAt(text, 14).foreground().color(), QColor(Qt::red));
        QCOMPARE(formatAt(text, 17).foreground().color(), QColor(Qt::blue));
    }

    void nestedGroupsRestoreTheirState()
    {
        const Rtf::Document doc = readRtf("{\\rtf1\\ansi{\\b a{\\i b{\\plain c}d}e}f\\par\\pard g}");
        QCOMPARE(doc.plainText(), QStringLiteral("abcdef\ng"));
        QCOMPARE(doc.runs.size(), 6);
        const QList<QPair<bool, bool>> expected = {{true, false}, {true, true}, {false, false},
                                                   {true, true},  {true, false}, {false, false}};
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(doc.runs[i].format.bold, expected[i].first);
            QCOMPARE(doc.runs[i].format.italic, expected[i].second);
        }
    }

    void groupsWithoutText()
    {
        QCOMPARE(readRtf("{\\rtf1\\ansi{\\*\\unknown secret}{\\*\\bkmkstart x}a"
                         "{\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt link}}"
                         "{\\header head}{\\footnote note}{\\v hidden}b"
                         "{\\pict\\bin6 }}{{\\}}c}")
                     .plainText(),
                 QStringLiteral("alinkbc"));
        // \upr: the Unicode part instead of the ANSI one.
        QCOMPARE(readRtf("{\\rtf1\\ansi{\\upr{a?}{\\*\\ud{a\\u12354?}}}z}").plainText(), QStringLiteral("aあz"));
        // Only the first colour table counts; text after the document is not read.
        const Rtf::Document doc =
            readRtf("{\\rtf1{\\colortbl;\\red1\\green2\\blue3;}{\\colortbl;\\red9\\green9\\blue9;}\\cf1 x}junk");
        QCOMPARE(doc.plainText(), QStringLiteral("x"));
        QCOMPARE(doc.runs[0].format.color, QColor(1, 2, 3));
    }

    void breaksTabsAndTables()
    {
        QCOMPARE(readRtf("{\\rtf1\\ansi a\\line b\\par c\\tab d\\\nx\\~y\\_z\\-w\\emdash\\bullet\\ldblquote q\\rdblquote}")
                     .plainText(),
                 QStringLiteral("a\nb\nc\td\nx y-zw—•“q”"));
        QCOMPARE(readRtf("{\\rtf1\\ansi\\trowd\\cellx1000\\cellx2000 a\\cell b\\cell\\row\\trowd c\\cell d\\cell\\row}")
                     .plainText(),
                 QStringLiteral("a\tb\nc\td\n"));
        // A no-break space is a space, as in the editing area's plain text.
        QCOMPARE(readRtf("{\\rtf1\\ansi a\\'a0b\\u160?c}").plainText(), QStringLiteral("a b c"));
        // Line ends in the file itself are not text.
        QCOMPARE(readRtf("{\\rtf1\\ansi a\r\nb\nc}").plainText(), QStringLiteral("abc"));
    }

    void htmlIsSafe()
    {
        const Rtf::Document doc = readRtf(
            "{\\rtf1\\ansi{\\fonttbl{\\f0 Evil'\"><script>;}}\\f0 <b>&amp;\"x\"</b>\\'3cimg src=x\\'3e}");
        QCOMPARE(doc.plainText(), QStringLiteral("<b>&amp;\"x\"</b><img src=x>"));
        const QString html = doc.html();
        QVERIFY(!html.contains(QLatin1String("<b>")));
        QVERIFY(!html.contains(QLatin1String("<img")));
        QVERIFY(!html.contains(QLatin1String("<script")));
        QCOMPARE(html.count(QLatin1Char('<')), 2);  // one span, opened and closed
        QTextDocument *text = asDocument(doc, this);
        QCOMPARE(text->toPlainText(), doc.plainText());
        QCOMPARE(Rtf::escapeHtml(QStringLiteral("a<b>&\"c\"")), QStringLiteral("a&lt;b&gt;&amp;&quot;c&quot;"));
    }

    void isRtf()
    {
        QVERIFY(Rtf::isRtf("{\\rtf1\\ansi x}"));
        QVERIFY(Rtf::isRtf("\xEF\xBB\xBF \r\n{\\rtf1}"));
        QVERIFY(!Rtf::isRtf("<html>{\\rtf1}"));
        QVERIFY(!Rtf::isRtf("{\\rt"));
        QVERIFY(!Rtf::isRtf(""));
    }

    void truncatedInputReadsWhatIsThere()
    {
        // Every prefix of a real document: no crash, no control characters, and the
        // text read so far never exceeds the whole.
        const QString whole = Rtf::read(JapaneseRtf).plainText();
        for (int n = 0; n <= JapaneseRtf.size(); ++n) {
            const QString text = Rtf::read(JapaneseRtf.left(n)).plainText();
            QVERIFY2(text.size() <= whole.size() + 1, qPrintable(QString::number(n)));
            for (const QChar c : text)
                QVERIFY(c.unicode() >= 0x20 || c == QLatin1Char('\n') || c == QLatin1Char('\t'));
        }
        QCOMPARE(readRtf("{\\rtf1\\ansi abc").plainText(), QStringLiteral("abc"));
        QCOMPARE(readRtf("{\\rtf1\\ansi\\ansicpg932 \\'82\\'a0\\'8").plainText(), QStringLiteral("あ"));
        QCOMPARE(readRtf("{\\rtf1\\ansi a\\").plainText(), QStringLiteral("a"));
        QCOMPARE(readRtf("{\\rtf1\\ansi a\\u").plainText(), QStringLiteral("a"));
        QCOMPARE(readRtf("{\\rtf1\\ansi a\\u-").plainText(), QStringLiteral("a-"));
        QCOMPARE(readRtf("{\\rtf1\\ansi a{\\fonttbl{\\f0 Ar").plainText(), QStringLiteral("a"));
    }

    void malformedInputNeverHangs()
    {
        QElapsedTimer timer;
        timer.start();
        // Deep nesting, stray braces, huge numbers, \bin past the end.
        QCOMPARE(Rtf::read("{\\rtf1 " + QByteArray(200000, '{') + "x" + QByteArray(200000, '}')).plainText(),
                 QString());
        QCOMPARE(readRtf("}}{\\rtf1\\ansi a}}}b").plainText(), QStringLiteral("a"));
        QCOMPARE(readRtf("{\\rtf1\\ansi\\fs99999999999999999 a\\uc99999999 \\u99999999 bcdefghijklmnopqrstuvwxyz}")
                     .plainText(),
                 QStringLiteral("arstuvwxyz"));
        QCOMPARE(readRtf("{\\rtf1\\ansi\\cf-5 c}").runs.at(0).format.color, QColor());
        QCOMPARE(readRtf("{\\rtf1\\ansi a\\bin999999999 b}").plainText(), QStringLiteral("a"));
        QCOMPARE(readRtf("{\\rtf1\\ansi a\\bin-5 b}").plainText(), QStringLiteral("ab"));
        QCOMPARE(readRtf("{\\rtf1\\ansi\\ansicpg99999 abc}").plainText(), QStringLiteral("abc"));
        QByteArray longWord = "{\\rtf1 \\" + QByteArray(100000, 'a') + " x}";
        QCOMPARE(Rtf::read(longWord).plainText(), QStringLiteral("x"));
        // Random bytes and random RTF-ish tokens.
        QRandomGenerator rng(42);
        const QList<QByteArray> tokens = {"{", "}", "\\", "\\'", "\\u", "-", "12", "\\uc", "\\b", "\\*",
                                          "\\fonttbl", "\\colortbl", ";", "\\f", "\\bin", "a", "\\'8", "\\par",
                                          "\\upr", "\\ud", "\x82", "\xa0", " "};
        for (int round = 0; round < 300; ++round) {
            QByteArray junk = "{\\rtf1 ";
            for (int i = 0; i < 200; ++i)
                junk += (round % 2) ? tokens.at(rng.bounded(int(tokens.size())))
                                    : QByteArray(1, char(rng.bounded(256)));
            const Rtf::Document doc = Rtf::read(junk);
            delete asDocument(doc, nullptr);
        }
        // A large picture is skipped in linear time.
        const QByteArray big = "{\\rtf1\\ansi x{\\pict " + QByteArray(8 * 1024 * 1024, 'f') + "}y}";
        QCOMPARE(Rtf::read(big).plainText(), QStringLiteral("xy"));
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    }
};

QTEST_MAIN(TestRtfReader)
#include "test_rtfreader.moc"
