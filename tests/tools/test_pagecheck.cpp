// The structure check through the library, its Japanese messages, and the whole page
// check on bad input and on a real Japanese page.
#include "tools/pagecheck.h"
#include "tools/tidycheck.h"
#include "document/textfile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace HtmlCheck;

namespace {

const Finding *findMessage(const Findings &fs, const QString &part)
{
    for (const Finding &f : fs)
        if (f.message.contains(part))
            return &f;
    return nullptr;
}

QString dump(const Findings &fs)
{
    QStringList out;
    for (const Finding &f : fs)
        out << QStringLiteral("%1 %2 %3").arg(f.pos).arg(kindName(f.kind), f.message);
    return out.join(QLatin1Char('\n'));
}

}

class TestPageCheck : public QObject {
    Q_OBJECT
private slots:
    void translation_data();
    void translation();
    void structure_data();
    void structure();
    void positions();
    void cancelStopsEarly();
    void badInput_data();
    void badInput();
    void sortedAndCapped();
    void realPage();
};

void TestPageCheck::translation_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("message");  // "" when the message is not shown
    QTest::addColumn<int>("kind");

    const int info = 350, warning = 351, error = 354;
    QTest::newRow("unclosed") << "MISSING_ENDTAG_FOR" << QStringList{"a"} << warning << "</a> がありません（閉じていない要素）" << int(Kind::Warning);
    QTest::newRow("arguments in their places") << "MISSING_ENDTAG_BEFORE" << QStringList{"b", "</p>"} << warning
                                               << "</p> の前に </b> がありません" << int(Kind::Warning);
    QTest::newRow("third argument first") << "REPEATED_ATTRIBUTE" << QStringList{"<p>", "a", "class"} << warning
                                          << "<p> の属性「class」が重複しています（値「a」は無視されます）" << int(Kind::Warning);
    QTest::newRow("an argument holding %2") << "MISSING_ATTRIBUTE" << QStringList{"<img>", "%2"} << warning
                                            << "<img> に %2 属性がありません" << int(Kind::Warning);
    QTest::newRow("unknown element stays an error") << "UNKNOWN_ELEMENT" << QStringList{"<foo>"} << error
                                                    << "<foo> は HTML にない要素です" << int(Kind::Error);
    QTest::newRow("obsolete is information") << "REMOVED_HTML5" << QStringList{"<font>"} << warning
                                             << "<font> は HTML5 で廃止された要素です" << int(Kind::Info);
    QTest::newRow("marquee is information") << "PROPRIETARY_ELEMENT" << QStringList{"<marquee>"} << warning
                                            << "<marquee> は標準の HTML にない、ブラウザー独自の要素です" << int(Kind::Info);
    QTest::newRow("unknown message kept in English") << "SOMETHING_NEW" << QStringList{"x"} << warning
                                                     << "something new about x" << int(Kind::Warning);
    QTest::newRow("too few arguments: English") << "MISSING_ENDTAG_BEFORE" << QStringList{"b"} << warning
                                                << "something new about x" << int(Kind::Warning);
    QTest::newRow("consequences are dropped") << "INSERTING_TAG" << QStringList{"b"} << warning << "" << 0;
    QTest::newRow("summaries are dropped") << "STRING_CONTENT_LOOKS" << QStringList{"HTML5"} << info << "" << 0;
}

void TestPageCheck::translation()
{
    QFETCH(QString, key);
    QFETCH(QStringList, arguments);
    QFETCH(int, level);
    QFETCH(QString, message);
    QFETCH(int, kind);
    TidyCheck::Message m{key, QStringLiteral("something new about x"), arguments, level};
    Finding f;
    const bool shown = TidyCheck::translate(m, &f);
    QCOMPARE(shown, !message.isEmpty());
    if (!shown)
        return;
    QCOMPARE(f.message, message);
    QCOMPARE(int(f.kind), kind);
    QCOMPARE(f.detail, m.english);  // the English text stays as the tool-tip
}

void TestPageCheck::structure_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("message");  // part of the expected Japanese message
    QTest::addColumn<QString>("at");       // the text at the finding
    QTest::addColumn<int>("kind");

    QTest::newRow("unclosed element") << "<p><a href=\"#x\">リンク</p>" << "</a>" << "<a href=\"#x\">" << int(Kind::Warning);
    QTest::newRow("stray end tag") << "<p>本文</div></p>" << "</div> はここに置けない" << "</div>" << int(Kind::Warning);
    QTest::newRow("misnested inline and block") << "<span><div>x</div></span>" << "の前に </span>" << "<span>" << int(Kind::Warning);
    QTest::newRow("unknown element") << "<blinky>x</blinky>" << "<blinky> は HTML にない" << "<blinky>" << int(Kind::Error);
    QTest::newRow("duplicate attribute") << "<p class=\"a\" class=\"b\">x</p>" << "重複" << "<p class=\"a\" class=\"b\">" << int(Kind::Warning);
    QTest::newRow("missing alt") << "<img src=\"a.gif\">" << "alt 属性がありません" << "<img src=\"a.gif\">" << int(Kind::Warning);
    QTest::newRow("duplicate id") << "<div id=\"a\"></div><div id=\"a\"></div>" << "「a」は、すでに" << "<div id=\"a\">" << int(Kind::Warning);
    QTest::newRow("font is information") << "<font color=\"red\">x</font>" << "<font> は HTML5 で廃止" << "<font color=\"red\">" << int(Kind::Info);
    QTest::newRow("center is information") << "<center>x</center>" << "<center> は HTML5 で廃止" << "<center>" << int(Kind::Info);
    QTest::newRow("marquee is information") << "<marquee>x</marquee>" << "<marquee> は標準の HTML にない" << "<marquee>" << int(Kind::Info);
}

void TestPageCheck::structure()
{
    QFETCH(QString, body);
    QFETCH(QString, message);
    QFETCH(QString, at);
    QFETCH(int, kind);
    const QString head = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>t</title></head><body>\n");
    const QString text = head + body + QStringLiteral("\n</body></html>\n");
    const Findings fs = TidyCheck::check(text);
    const Finding *f = findMessage(fs, message);
    QVERIFY2(f, qPrintable(dump(fs)));
    QCOMPARE(int(f->kind), kind);
    QCOMPARE(text.mid(f->pos, at.size()), at);
    QVERIFY(!f->detail.isEmpty());
}

void TestPageCheck::positions()
{
    // Tabs, characters outside the BMP and Japanese before the spot on the same line.
    const QString text = QStringLiteral("<!DOCTYPE html>\n<html><head><title>t</title></head><body>\n"
                                        "<p>\t\U0001F600日本語<blinky>x</blinky></p>\n</body></html>\n");
    const Findings fs = TidyCheck::check(text);
    const Finding *f = findMessage(fs, QStringLiteral("<blinky>"));
    QVERIFY2(f, qPrintable(dump(fs)));
    QCOMPARE(text.mid(f->pos, 8), QStringLiteral("<blinky>"));
}

void TestPageCheck::cancelStopsEarly()
{
    QString text = QStringLiteral("<!DOCTYPE html><html><head><title>t</title></head><body>");
    for (int i = 0; i < 20000; ++i)
        text += QStringLiteral("<p><b>本文</b><foo>x</foo></p>\n");
    std::atomic_bool cancel{true};
    bool stopped = false;
    QElapsedTimer timer;
    timer.start();
    QVERIFY(TidyCheck::check(text, &cancel, std::chrono::seconds(10), &stopped).empty());
    QVERIFY(stopped);
    const PageCheck::Result r = PageCheck::run({text, "UTF-8", QString()}, &cancel);
    QVERIFY(r.cancelled);
    QVERIFY(r.findings.empty());
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));

    // A used-up time budget keeps what was found and says where it stopped.
    const Findings partial = TidyCheck::check(text, nullptr, std::chrono::milliseconds(0), &stopped);
    QVERIFY(stopped);
    QVERIFY(findMessage(partial, QStringLiteral("打ち切りました")));
}

void TestPageCheck::badInput_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expect");  // part of a message that must be among the findings ("" for none)

    QString binary;
    quint32 x = 12345;
    for (int i = 0; i < 300000; ++i) {
        x = x * 1103515245u + 12345u;
        binary += QChar(char16_t((x >> 16) & 0xFFFF));
    }
    QTest::newRow("binary") << binary << QString();
    QTest::newRow("100,000 nested tags") << QString("<div>").repeated(100000) + QString("</div>").repeated(100000)
                                         << QStringLiteral("入れ子が深すぎる");
    QTest::newRow("100,000 unclosed inline tags") << QString("<font color=red>x").repeated(100000)
                                                  << QStringLiteral("入れ子が深すぎる");
    QTest::newRow("unterminated comment") << QStringLiteral("<html><body><p>x<!-- <b>ｶﾅ</b> ") + QString("a").repeated(100000)
                                          << QStringLiteral("コメントが閉じられない");
    QTest::newRow("unterminated tag and quote") << QStringLiteral("<p>x</p><a href=\"never") + QString("x").repeated(100000)
                                                << QString();
}

void TestPageCheck::badInput()
{
    QFETCH(QString, text);
    QFETCH(QString, expect);
    QElapsedTimer timer;
    timer.start();
    const PageCheck::Result r = PageCheck::run({text, "UTF-8", QString()});
    QVERIFY(!r.cancelled);
    if (!expect.isEmpty())
        QVERIFY2(findMessage(r.findings, expect), qPrintable(dump(r.findings).left(2000)));
    QVERIFY2(timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));
}

void TestPageCheck::sortedAndCapped()
{
    // A 50 MB single line: the structure check is left out, our own checks still run.
    QString line = QString("<b>ｶﾅ</b>").repeated(50 * 1024 * 1024 / 9);
    const PageCheck::Result r = PageCheck::run({line, "UTF-8", QString()});
    line.clear();
    QVERIFY(findMessage(r.findings, QStringLiteral("大きすぎる")));
    QCOMPARE(int(r.findings.size()), PageCheck::MaxRows);
    QVERIFY(r.truncated);
    for (size_t i = 1; i < r.findings.size(); ++i)
        QVERIFY(r.findings[i - 1].pos <= r.findings[i].pos);
}

void TestPageCheck::realPage()
{
    // A Japanese personal page made with a Windows page builder, Shift_JIS, as it is.
    const QString path = QStringLiteral(TARNELL_TESTDATA_DIR "/real-pages/videogame_top.htm");
    const TextFileRead page = readTextFile(path);
    QCOMPARE(page.status, TextFileRead::Ok);
    QCOMPARE(page.format.encoding, QByteArray("Shift_JIS"));

    // Checked where it lies, none of its pictures is there: every local picture and page is reported.
    const PageCheck::Result r = PageCheck::run({page.text, page.format.encoding, path});
    QVERIFY(!r.cancelled);
    QVERIFY(!r.truncated);
    int links = 0, charset = 0, fullWidthInTags = 0, fontInfo = 0;
    for (const Finding &f : r.findings) {
        if (f.message.startsWith(QStringLiteral("リンク先")))
            ++links;
        if (f.message.startsWith(QStringLiteral("文字コードの指定")))
            ++charset;
        if (f.fix == Fix::HalfWidthSpace)
            ++fullWidthInTags;
        if (f.message.contains(QStringLiteral("<font>")) && f.kind == Kind::Info)
            ++fontInfo;
    }
    QCOMPARE(charset, 0);           // it declares Shift_JIS and is Shift_JIS
    QCOMPARE(fullWidthInTags, 0);   // its full-width spaces are all between tags
    QVERIFY2(links > 20, qPrintable(QString::number(links)));
    QCOMPARE(fontInfo, 0);          // HTML 4.0 Transitional allows <font>
    const Finding *logo = findMessage(r.findings, QStringLiteral("「gamehouse_logo.gif」"));
    QVERIFY(logo);
    QCOMPARE(page.text.mid(logo->pos, logo->length), QStringLiteral("gamehouse_logo.gif"));
    // The filler picture on another server is not a local link.
    QVERIFY(!findMessage(r.findings, QStringLiteral("filler_nm.gif")));
    // <img> without alt, as the page builder wrote them.
    QVERIFY(findMessage(r.findings, QStringLiteral("alt 属性がありません")));

    // With the pictures beside it, only what is really wrong stays.
    QTemporaryDir tmp;
    QVERIFY(QFile::copy(path, tmp.path() + "/videogame_top.htm"));
    for (const Finding &f : r.findings) {
        if (!f.message.startsWith(QStringLiteral("リンク先")))
            continue;
        QFile touch(tmp.path() + "/" + page.text.mid(f.pos, f.length).trimmed());
        QVERIFY(touch.open(QIODevice::WriteOnly));
    }
    const PageCheck::Result again = PageCheck::run({page.text, page.format.encoding, tmp.path() + "/videogame_top.htm"});
    QVERIFY(!findMessage(again.findings, QStringLiteral("リンク先")));
}

QTEST_GUILESS_MAIN(TestPageCheck)
#include "test_pagecheck.moc"
