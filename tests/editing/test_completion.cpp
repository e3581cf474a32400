// What the tag completion offers and the open element that "</" closes.
#include <QtTest>

#include "editing/completion.h"
#include "editing/html5snippets.h"

using Completion::Context;
using Completion::Kind;

Q_DECLARE_METATYPE(Completion::Kind)

class TestCompletion : public QObject {
    Q_OBJECT
private slots:
    void contextAtTheEnd_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("element");
        QTest::addColumn<QString>("attribute");
        QTest::newRow("after <") << "<p>text <" << Kind::Element << "" << "" << "";
        QTest::newRow("name begun") << "<p>\n<sec" << Kind::Element << "sec" << "" << "";
        QTest::newRow("upper case") << "<DI" << Kind::Element << "DI" << "" << "";
        QTest::newRow("end tag") << "<p></di" << Kind::None << "" << "" << "";
        QTest::newRow("attribute") << "<img src=\"a.png\" " << Kind::Attribute << "" << "img" << "";
        QTest::newRow("attribute begun") << "<a hr" << Kind::Attribute << "hr" << "a" << "";
        QTest::newRow("over lines") << "<video\n  controls\n  pre" << Kind::Attribute << "pre" << "video" << "";
        QTest::newRow("value") << "<input type=\"em" << Kind::Value << "em" << "input" << "type";
        QTest::newRow("single quotes") << "<a target='" << Kind::Value << "" << "a" << "target";
        QTest::newRow("no space") << "<a href=\"x\"t" << Kind::None << "" << "" << "";
        QTest::newRow("after the tag") << "<a href=\"x\"> " << Kind::None << "" << "" << "";
        QTest::newRow("comment") << "<!-- <" << Kind::None << "" << "" << "";
        QTest::newRow("script") << "<script>if (a <" << Kind::None << "" << "" << "";
        QTest::newRow("style") << "<style>p { <" << Kind::None << "" << "" << "";
        QTest::newRow("after script") << "<script>x</script>\n<" << Kind::Element << "" << "" << "";
    }

    void contextAtTheEnd()
    {
        QFETCH(QString, text);
        QFETCH(Kind, kind);
        const Context c = Completion::contextAt(text, Syntax::InitialState, 100);
        QCOMPARE(c.kind, kind);
        if (kind == Kind::None)
            return;
        QFETCH(QString, typed);
        QFETCH(QString, element);
        QFETCH(QString, attribute);
        QCOMPARE(c.typed, typed);
        QCOMPARE(c.start, 100 + int(text.size() - typed.size()));
        QCOMPARE(c.element, element);
        QCOMPARE(c.attribute, attribute);
    }

    void choicesForSomeElements()
    {
        const QStringList all = Completion::choices({Kind::Element, 0, "", "", ""});
        // HTML5 and the older elements the palette writes.
        for (const char *e : {"header", "main", "picture", "ruby", "rt", "font", "center", "marquee", "frameset", "nobr"})
            QVERIFY2(all.contains(e), e);
        QVERIFY(std::is_sorted(all.begin(), all.end()));
        QCOMPARE(Completion::choices({Kind::Element, 0, "SE", "", ""}),
                 QStringList({"search", "section", "select"}));

        const QStringList video = Completion::choices({Kind::Attribute, 0, "", "video", ""});
        for (const char *a : {"controls", "autoplay", "poster", "src", "class", "id", "style"})
            QVERIFY2(video.contains(a), a);
        QVERIFY(!video.contains("href"));
        QCOMPARE(Completion::choices({Kind::Attribute, 0, "ta", "a", ""}), QStringList({"tabindex", "target"}));
        // An unknown element still has the attributes of all elements.
        QVERIFY(Completion::choices({Kind::Attribute, 0, "", "my-widget", ""}).contains("class"));

        QCOMPARE(Completion::choices({Kind::Value, 0, "", "a", "target"}),
                 QStringList({"_blank", "_self", "_parent", "_top"}));
        QCOMPARE(Completion::choices({Kind::Value, 0, "d", "input", "type"}),
                 QStringList({"date", "datetime-local"}));
        QVERIFY(Completion::choices({Kind::Value, 0, "", "link", "rel"}).contains("stylesheet"));
        QCOMPARE(Completion::choices({Kind::Value, 0, "", "div", "align"}),
                 QStringList({"left", "center", "right", "justify"}));
        // Free-text values have no list.
        QVERIFY(Completion::choices({Kind::Value, 0, "", "a", "href"}).isEmpty());
    }

    void accepting()
    {
        using A = Completion::Acceptance;
        QCOMPARE(Completion::accept({Kind::Element, 0, "se", "", ""}, "section"), (A{"section", 7, false}));
        QCOMPARE(Completion::accept({Kind::Attribute, 0, "", "a", ""}, "href"), (A{"href=\"\"", 6, false}));
        QCOMPARE(Completion::accept({Kind::Attribute, 0, "", "a", ""}, "target"), (A{"target=\"\"", 8, true}));
        QCOMPARE(Completion::accept({Kind::Attribute, 0, "", "video", ""}, "controls"), (A{"controls", 8, false}));
        QCOMPARE(Completion::accept({Kind::Value, 0, "_b", "a", "target"}, "_blank"), (A{"_blank", 6, false}));
    }

    void tableFormat()
    {
        const auto t = Completion::Table::parse("# comment\n@yn yes|no\n* id\nx a b=1|2 c! d=@yn\nv/ e\n");
        QCOMPARE(t.elementNames(), QStringList({"v", "x"}));
        QVERIFY(t.element(u"V")->isVoid);
        QVERIFY(!t.element(u"x")->isVoid);
        QCOMPARE(Completion::choices({Kind::Attribute, 0, "", "x", ""}, t), QStringList({"a", "b", "c", "d", "id"}));
        QCOMPARE(t.attribute(u"x", u"d")->values, QStringList({"yes", "no"}));
        QVERIFY(t.attribute(u"x", u"c")->bare);
        QVERIFY(!t.attribute(u"v", u"a"));
    }

    void innermostOpen_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("open");  // "" for none
        QTest::newRow("nested") << "<html><body><div><p>x</p><span>y" << "span";
        QTest::newRow("closed inside") << "<div><ul><li>a</li></ul>" << "div";
        QTest::newRow("void") << "<p>a<br><img src=x><input>" << "p";
        QTest::newRow("self-closing") << "<section><svg/><foo />" << "section";
        QTest::newRow("comment") << "<div><!-- <span> </div> -->" << "div";
        QTest::newRow("comment over lines") << "<main>\n<!--\n<aside>\n-->\n" << "main";
        QTest::newRow("script") << "<body><script>if (a<b) { x = \"<div>\"; }</script>" << "body";
        QTest::newRow("style") << "<td><style>p > a { }</style>" << "td";
        QTest::newRow("in script") << "<body><script>var s = \"<p>\";" << "script";
        QTest::newRow("attribute value") << "<nav><a title=\"<b>\">" << "a";
        QTest::newRow("li left open") << "<ul><li>one<li>two" << "li";
        QTest::newRow("li closed by li") << "<ul><li>one<li>two</li>" << "ul";
        QTest::newRow("p closed by div") << "<article><p>text<div>x</div>" << "article";
        QTest::newRow("left open inside") << "<div><p>a</div>" << "";
        QTest::newRow("upper case") << "<DIV><B>x</b>" << "div";
        QTest::newRow("tag over lines") << "<figure\n class=\"x\"\n>" << "figure";
        QTest::newRow("nothing open") << "<p>a</p>" << "";
        QTest::newRow("empty") << "" << "";
    }

    void innermostOpen()
    {
        QFETCH(QString, text);
        QFETCH(QString, open);
        const auto found = Completion::innermostOpen(text);
        QCOMPARE(found.value_or(QString()), open);
    }

    void verticalWriting()
    {
        using Html5Snippets::verticalText;
        QCOMPARE(verticalText("", false),
                 "<style>\n.tate { writing-mode: vertical-rl; }\n.tate .tcy { text-combine-upright: all; }\n</style>\n");
        QCOMPARE(verticalText("", true),
                 ".tate { writing-mode: vertical-rl; }\n.tate .tcy { text-combine-upright: all; }\n");
        QCOMPARE(verticalText("12", false), "<span style=\"text-combine-upright: all;\">12</span>");
        QCOMPARE(verticalText("!?", false), "<span style=\"text-combine-upright: all;\">!?</span>");
        // A longer text: vertical, with its short runs of digits set across; digits in
        // tags, references and single digits stay.
        QCOMPARE(verticalText("<p class=\"c12\">令和7年12月25日、&#12354;2024年</p>", false),
                 "<div style=\"writing-mode: vertical-rl;\"><p class=\"c12\">令和7年"
                 "<span style=\"text-combine-upright: all;\">12</span>月"
                 "<span style=\"text-combine-upright: all;\">25</span>日、&#12354;"
                 "<span style=\"text-combine-upright: all;\">2024</span>年</p></div>");
        QCOMPARE(verticalText("第123456号", false), "<div style=\"writing-mode: vertical-rl;\">第123456号</div>");
    }
};

QTEST_APPLESS_MAIN(TestCompletion)
#include "test_completion.moc"
