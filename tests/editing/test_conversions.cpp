#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

#include "editing/conversions.h"
#include "platform/editarea.h"

namespace {

// CJK compatibility ideographs (U+F900 block, U+FA30 block, and one beyond U+FFFF):
// they look like the unified ones, but a document that holds them must keep them.
const QString Compat = QStringLiteral("豈更車賈滑侮僧") + QString::fromUcs4(U"\U0002F800");

const Conversion::Converter AllConversions[] = {Conversion::upper,    Conversion::lower,    Conversion::wide,
                                                Conversion::narrow,   Conversion::katakana, Conversion::hiragana,
                                                Conversion::removeTags, Conversion::markLineBreaks};

}  // namespace

class TestConversions : public QObject {
    Q_OBJECT
private slots:
    void letterCase()
    {
        QCOMPARE(Conversion::upper(QStringLiteral("abc ａｂｃ straße é <b>x</b> かな")),
                 QStringLiteral("ABC ＡＢＣ STRASSE É <B>X</B> かな"));
        QCOMPARE(Conversion::lower(QStringLiteral("<B>X</B> ＡＢＣ ÉΩ カナ")),
                 QStringLiteral("<b>x</b> ａｂｃ éω カナ"));
    }

    void wideOnMixedText()
    {
        QCOMPARE(Conversion::wide(QStringLiteral("Ab1 !~\\")), QStringLiteral("Ａｂ１　！～＼"));
        // Voiced and semi-voiced marks merge into the kana that has such a form.
        QCOMPARE(Conversion::wide(QStringLiteral("ｶﾞｷﾞﾊﾟﾎﾟﾂﾞｳﾞﾜﾞｦﾞﾄﾞ")), QStringLiteral("ガギパポヅヴヷヺド"));
        // Elsewhere they become the full-width marks.
        QCOMPARE(Conversion::wide(QStringLiteral("ｱﾞ ﾏﾟ ﾞﾟ ｶﾞﾞ")), QStringLiteral("ア゛　マ゜　゛゜　ガ゛"));
        QCOMPARE(Conversion::wide(QStringLiteral("｡｢｣､･ｰｯｧｦﾝ")), QStringLiteral("。「」、・ーッァヲン"));
        // Hiragana, full-width text, kanji and the compatibility ideographs stay.
        const QString stays = QStringLiteral("ひらがなカタカナ漢字ＡＢ。") + Compat;
        QCOMPARE(Conversion::wide(stays), stays);
        QCOMPARE(Conversion::wide(QStringLiteral("¥¢")), QStringLiteral("￥￠"));
        QCOMPARE(Conversion::wide(QStringLiteral("<a href=\"x\">ｶﾞｲﾄﾞ</a>")),
                 QStringLiteral("＜ａ　ｈｒｅｆ＝＂ｘ＂＞ガイド＜／ａ＞"));
    }

    void narrowOnMixedText()
    {
        QCOMPARE(Conversion::narrow(QStringLiteral("Ａｂ１　！～＼")), QStringLiteral("Ab1 !~\\"));
        QCOMPARE(Conversion::narrow(QStringLiteral("ガギパポヅヴヷヺド")), QStringLiteral("ｶﾞｷﾞﾊﾟﾎﾟﾂﾞｳﾞﾜﾞｦﾞﾄﾞ"));
        QCOMPARE(Conversion::narrow(QStringLiteral("。「」、・ー゛゜ッ")), QStringLiteral("｡｢｣､･ｰﾞﾟｯ"));
        // No half-width form: hiragana, the small and old kana, kanji, arrows.
        const QString stays = QStringLiteral("ひらがなゔヵヶヮヰヱヸヹ漢字←■abc ") + Compat;
        QCOMPARE(Conversion::narrow(stays), stays);
        QCOMPARE(Conversion::narrow(QStringLiteral("￥￠")), QStringLiteral("¥¢"));
    }

    void widthRoundTrip()
    {
        // Every printable ASCII character and every half-width kana, with and
        // without the marks, comes back unchanged.
        QString half;
        for (char16_t c = 0x20; c <= 0x7E; ++c)
            half += QChar(c);
        for (char16_t c = 0xFF61; c <= 0xFF9D; ++c) {
            half += QChar(c);
            const QString full = Conversion::wide(QString(QChar(c)) + QChar(0xFF9E));
            if (full.size() == 1)
                half += QString(QChar(c)) + QChar(0xFF9E);
        }
        half += QStringLiteral("ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ");
        const QString full = Conversion::wide(half);
        for (const QChar c : full)
            QVERIFY2(c.unicode() >= 0x3000, qPrintable(QString(c)));
        QCOMPARE(Conversion::narrow(full), half);
    }

    void kana()
    {
        QCOMPARE(Conversion::katakana(QStringLiteral("ひらがな ぁゃっ ゔゝゞゕゖ カタカナ ｶﾅ ABC ー ㋐㌔")),
                 QStringLiteral("ヒラガナ ァャッ ヴヽヾヵヶ カタカナ ｶﾅ ABC ー ㋐㌔"));
        // ヷヸヹヺ have no hiragana form.
        QCOMPARE(Conversion::hiragana(QStringLiteral("カタカナ ァャッ ヴヽヾヵヶ ヷヸヹヺ ｶﾅ ー abc")),
                 QStringLiteral("かたかな ぁゃっ ゔゝゞゕゖ ヷヸヹヺ ｶﾅ ー abc"));
        QString hira;
        for (char16_t c = 0x3041; c <= 0x3096; ++c)
            hira += QChar(c);
        QCOMPARE(Conversion::hiragana(Conversion::katakana(hira)), hira);
    }

    void compatibilityIdeographsStayEverywhere()
    {
        const QString text = QStringLiteral("a") + Compat + QStringLiteral("ｶﾞか\n");
        for (const Conversion::Converter convert : AllConversions)
            QVERIFY2(convert(text).contains(Compat), qPrintable(convert(text)));
    }

    void removeTags()
    {
        QCOMPARE(Conversion::removeTags(QStringLiteral("<p>text</p>")), QStringLiteral("text"));
        QCOMPARE(Conversion::removeTags(QStringLiteral("a > b")), QStringLiteral("a > b"));
        QCOMPARE(Conversion::removeTags(QStringLiteral("x < y")), QStringLiteral("x < y"));
        // No nesting: the span runs from the first opening bracket.
        QCOMPARE(Conversion::removeTags(QStringLiteral("<<a b>c")), QStringLiteral("c"));
        QCOMPARE(Conversion::removeTags(QStringLiteral("<a <b> c> d")), QStringLiteral(" c> d"));
        // A lone opening bracket keeps everything after it.
        QCOMPARE(Conversion::removeTags(QStringLiteral("a<b>c<d e>f<g")), QStringLiteral("acf<g"));
        QCOMPARE(Conversion::removeTags(QStringLiteral("a>b<c>d")), QStringLiteral("a>bd"));
        QCOMPARE(Conversion::removeTags(QStringLiteral("<>")), QString());
    }

    void lineBreaks()
    {
        QCOMPARE(Conversion::markLineBreaks(QStringLiteral("a\nb")), QStringLiteral("a<br>\nb"));
        QCOMPARE(Conversion::markLineBreaks(QStringLiteral("a\n")), QStringLiteral("a<br>\n"));
        QCOMPARE(Conversion::markLineBreaks(QStringLiteral("\n\n")), QStringLiteral("<br>\n<br>\n"));
        QCOMPARE(Conversion::markLineBreaks(Conversion::markLineBreaks(QStringLiteral("a\nb"))),
                 QStringLiteral("a<br><br>\nb"));
    }

    void replaceInText()
    {
        // A replacement that contains the find text is not scanned again.
        QCOMPARE(ReplaceInText(QStringLiteral("aXa"), QStringLiteral("a"), QStringLiteral("aa"), QString()),
                 QStringLiteral("aaXaa"));
        QCOMPARE(ReplaceInText(QStringLiteral("<x><y>"), QStringLiteral("<"), QStringLiteral("<<>"),
                               QStringLiteral(">")),
                 QStringLiteral("<<><<>"));
        QCOMPARE(ReplaceInText(QStringLiteral("abcabc"), QStringLiteral("abc"), QString(), QString()), QString());
        // Exact and case-sensitive; an empty find text changes nothing.
        QCOMPARE(ReplaceInText(QStringLiteral("aA"), QStringLiteral("a"), QStringLiteral("b"), QString()),
                 QStringLiteral("bA"));
        QCOMPARE(ReplaceInText(QStringLiteral("abc"), QString(), QStringLiteral("x"), QString()),
                 QStringLiteral("abc"));
        // Multi-character delimiters are looked for after the find text.
        QCOMPARE(ReplaceInText(QStringLiteral("a<!-- x -->b<!---->c"), QStringLiteral("<!--"), QStringLiteral("#"),
                               QStringLiteral("-->")),
                 QStringLiteral("a#b#c"));
        QCOMPARE(ReplaceInText(QStringLiteral("a<!-->b"), QStringLiteral("<!--"), QStringLiteral("#"),
                               QStringLiteral("-->")),
                 QStringLiteral("a<!-->b"));
    }

    void longTexts()
    {
        // 100,000 occurrences, far beyond 32,767 characters.
        QString page;
        for (int i = 0; i < 100000; ++i)
            page += QStringLiteral("<b>x</b>\n");
        QElapsedTimer timer;
        timer.start();
        const QString plain = Conversion::removeTags(page);
        const QString marked = Conversion::markLineBreaks(page);
        const QString replaced = ReplaceInText(page, QStringLiteral("x"), QStringLiteral("xx"), QString());
        const qint64 ms = timer.elapsed();
        QCOMPARE(plain, QStringLiteral("x\n").repeated(100000));
        QCOMPARE(marked.size(), page.size() + 4 * 100000);
        QVERIFY(marked.startsWith(QStringLiteral("<b>x</b><br>\n<b>x</b><br>\n")));
        QCOMPARE(replaced.size(), page.size() + 100000);
        QVERIFY2(ms < 500, qPrintable(QStringLiteral("%1 ms").arg(ms)));
        // A tag that starts past position 32,767 is removed like any other.
        const QString far = QString(40000, QLatin1Char('a')) + QStringLiteral("<i>b");
        QCOMPARE(Conversion::removeTags(far), QString(40000, QLatin1Char('a')) + QStringLiteral("b"));
    }

    void onTheSelection()
    {
        EditArea edit;
        edit.setText(QStringLiteral("before <B>X</B> after"));
        QSignalSpy changes(&edit, &EditArea::textEdited);

        // Nothing selected: nothing changes.
        edit.setSelStart(3);
        for (const Conversion::Converter convert : AllConversions)
            runConversion(&edit, convert);
        QCOMPARE(edit.text(), QStringLiteral("before <B>X</B> after"));
        QCOMPARE(changes.count(), 0);

        // Only the selection changes; the caret ends after it, nothing selected; one change.
        edit.select(7, 8);
        runConversion(&edit, Conversion::lower);
        QCOMPARE(edit.text(), QStringLiteral("before <b>x</b> after"));
        QCOMPARE(edit.selStart(), 15);
        QCOMPARE(edit.selLength(), 0);
        QCOMPARE(changes.count(), 1);

        edit.select(0, 15);
        runConversion(&edit, Conversion::removeTags);
        QCOMPARE(edit.text(), QStringLiteral("before x after"));
        QCOMPARE(edit.selStart(), 8);

        edit.select(0, 6);
        runConversion(&edit, Conversion::wide);
        QCOMPARE(edit.text(), QStringLiteral("ｂｅｆｏｒｅ x after"));
        QCOMPARE(edit.selStart(), 6);
        QCOMPARE(changes.count(), 3);

        // A conversion that changes nothing is no change of the text.
        edit.select(0, 6);
        runConversion(&edit, Conversion::katakana);
        QCOMPARE(edit.text(), QStringLiteral("ｂｅｆｏｒｅ x after"));
        QCOMPARE(edit.selStart(), 6);
        QCOMPARE(edit.selLength(), 0);
        QCOMPARE(changes.count(), 3);

        // No conversion does nothing.
        edit.select(0, 6);
        runConversion(&edit, nullptr);
        QCOMPARE(edit.selLength(), 6);

        // Line breaks in the selection.
        edit.setText(QStringLiteral("a\nb\nc"));
        edit.select(0, 4);
        runConversion(&edit, Conversion::markLineBreaks);
        QCOMPARE(edit.text(), QStringLiteral("a<br>\nb<br>\nc"));
        QCOMPARE(edit.selStart(), 12);
    }
};

QTEST_MAIN(TestConversions)
#include "test_conversions.moc"
