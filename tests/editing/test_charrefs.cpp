// Character references: the selection's characters as references and back.
#include <QtTest>

#include "editing/charrefs.h"

class TestCharRefs : public QObject {
    Q_OBJECT
private slots:
    void toReferences()
    {
        QCOMPARE(CharRefs::toRefs(QStringLiteral("<p>あé</p>\n")), QStringLiteral("<p>&#x3042;&#xE9;</p>\n"));
        // Beyond U+FFFF: one reference per code point, not one per half.
        QCOMPARE(CharRefs::toRefs(QString::fromUcs4(U"𠮷野家😀")), QStringLiteral("&#x20BB7;&#x91CE;&#x5BB6;&#x1F600;"));
        // ASCII stays; half a character stays too (no reference names it).
        QCOMPARE(CharRefs::toRefs(QStringLiteral("a&b")), QStringLiteral("a&b"));
        const QString lone = QString(QChar(0xD842)) + QLatin1Char('x');
        QCOMPARE(CharRefs::toRefs(lone), lone);
    }

    void fromReferences()
    {
        QCOMPARE(CharRefs::fromRefs(QStringLiteral("&#12354;&#x3044;&#X3046;&hellip;&copy;&nbsp;")),
                 QStringLiteral("あいう…©") + QChar(0xA0));
        QCOMPARE(CharRefs::fromRefs(QStringLiteral("&#x1F600;&#128512;")), QString::fromUcs4(U"😀😀"));
        // A name standing for two code points.
        QCOMPARE(CharRefs::fromRefs(QStringLiteral("&NotEqualTilde;")), QString::fromUcs4(U"\u2242\u0338"));
        // Names are case-sensitive.
        QCOMPARE(CharRefs::fromRefs(QStringLiteral("&Auml;&auml;")), QStringLiteral("Ää"));
    }

    void referencesThatStay()
    {
        // Markup characters stay references, or the text would turn into tags.
        const QString markup = QStringLiteral("&lt;b&gt; &amp; &quot; &apos; &#60; &#x3C; &#38; &#34; &#39;");
        QCOMPARE(CharRefs::fromRefs(markup), markup);
        // Not references of anything writable, unknown names, no ";".
        const QString odd = QStringLiteral("&#0; &#xD800; &#x110000; &#99999999999; &#1; &#x85; &nosuchname; &copy "
                                           "&#12354 &#; &#x; & a&b");
        QCOMPARE(CharRefs::fromRefs(odd), odd);
        // The "&" of a reference that stays does not swallow a good one behind it.
        QCOMPARE(CharRefs::fromRefs(QStringLiteral("&&#x3042;&amp;&#x3042;")), QStringLiteral("&あ&amp;あ"));
    }

    void roundTrip()
    {
        const QString text = QStringLiteral("<p class=\"x\">日本語のテキスト、ｶﾀｶﾅ、é ñ ß…</p>\n") +
                             QString::fromUcs4(U"𠮷 😀 \U0010FFFD 葛\U000E0100");
        const QString refs = CharRefs::toRefs(text);
        for (QChar c : refs)
            QVERIFY(c.unicode() < 0x80);
        QCOMPARE(CharRefs::fromRefs(refs), text);
        QCOMPARE(CharRefs::toRefs(CharRefs::fromRefs(refs)), refs);
    }

    void namedTableIsComplete()
    {
        QCOMPARE(CharRefs::named(u"amp"), QStringLiteral("&"));
        QCOMPARE(CharRefs::named(u"yen"), QStringLiteral("¥"));
        QCOMPARE(CharRefs::named(u"fjlig"), QStringLiteral("fj"));
        QCOMPARE(CharRefs::named(u"Zopf"), QStringLiteral("ℤ"));
        QCOMPARE(CharRefs::named(u"zopf"), QString::fromUcs4(U"\U0001D56B"));
        QVERIFY(CharRefs::named(u"nosuch").isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestCharRefs)
#include "test_charrefs.moc"
