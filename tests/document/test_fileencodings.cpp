// Encodings the user chooses: JIS X 0213 pages, reading in a named encoding, round trips in
// every encoding offered, other byte-order marks and line ends, character references and the
// page's own charset declarations.
#include <QtTest>

#include "document/encoding.h"
#include "document/encodingchoice.h"
#include "document/textfile.h"

namespace {

template <size_t N>
QByteArray bytesOf(const char (&literal)[N])
{
    return QByteArray(literal, qsizetype(N - 1));
}

// Text in each encoding of the menu that the encoding can hold: its hard cases included.
QString sampleFor(const QByteArray &encoding)
{
    if (encoding.startsWith("UTF"))
        return QStringLiteral("<p>日本語😀 か゚ 𠮟 \\ ~</p>");
    if (encoding == "Shift_JIS")
        return QStringLiteral("<p>日本語①㈱＼～ｶﾀｶﾅ \\ ~</p>");
    if (encoding == "EUC-JP")
        return QStringLiteral("<p>日本語①ｶﾀｶﾅ \\ ~</p>");
    if (encoding == "ISO-2022-JP")
        return QStringLiteral("<p>日本語の文</p>");
    return QStringLiteral("<p>㐂𠮟丂ㇷ゚か゚ 日本語ｶﾅ \\ ~</p>");  // JIS X 0213
}

// Where two byte strings differ: the length of their common head and common tail.
std::pair<qsizetype, qsizetype> commonEnds(const QByteArray &a, const QByteArray &b)
{
    const qsizetype common = std::min(a.size(), b.size());
    qsizetype head = 0, tail = 0;
    while (head < common && a[head] == b[head])
        ++head;
    while (tail < common - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    return {head, tail};
}

}  // namespace

class TestFileEncodings : public QObject {
    Q_OBJECT

private slots:
    void jisX0213CharactersAndBytes_data();
    void jisX0213CharactersAndBytes();
    void jisX0213Detection();
    void jisX0208PagesKeepTheirDetection();
    void readingInANamedEncoding();
    void badInputIsReportedWhereItIs();
    void roundTripInEveryEncoding_data();
    void roundTripInEveryEncoding();
    void reformatKeepsBytesAndConvertsLineEnds();
    void characterReferences();
    void charsetDeclarations();
    void encodingLists();
};

void TestFileEncodings::jisX0213CharactersAndBytes_data()
{
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    // Plane 1 beyond JIS X 0208, a character outside the BMP, plane 2, and two letters with a
    // combining mark that are one code each.
    QTest::newRow("Shift_JIS-2004") << QByteArray("Shift_JIS-2004") << QStringLiteral("㐂𠮟丂ㇷ゚か゚")
                                    << bytesOf("\x87\xA1\x98\x73\xF0\x41\x83\xF6\x82\xF5");
    QTest::newRow("EUC-JIS-2004") << QByteArray("EUC-JIS-2004") << QStringLiteral("㐂𠮟丂ㇷ゚か゚")
                                  << bytesOf("\xAE\xA3\xCF\xD4\x8F\xA1\xA2\xA6\xF8\xA4\xF7");
    // ASCII stays ASCII: 0x5C is a backslash, as browsers read these pages.
    QTest::newRow("Shift_JIS-2004 ASCII and kana") << QByteArray("Shift_JIS-2004") << QStringLiteral("C:\\a~ｱ＼")
                                                   << bytesOf("C:\\a~\xB1\x81\x5F");
    QTest::newRow("EUC-JIS-2004 ASCII and kana") << QByteArray("EUC-JIS-2004") << QStringLiteral("C:\\a~ｱ＼")
                                                 << bytesOf("C:\\a~\x8E\xB1\xA1\xC0");
    // A base letter with a combining mark that has no code of its own: two codes.
    QTest::newRow("separate combining mark") << QByteArray("Shift_JIS-2004") << QStringLiteral("e\u0300")
                                             << bytesOf("e\x86\x7B");
    QTest::newRow("pair code, then the letter alone") << QByteArray("Shift_JIS-2004") << QStringLiteral("ɔ̀ɔ")
                                                      << bytesOf("\x86\x67\x86\x57");
}

void TestFileEncodings::jisX0213CharactersAndBytes()
{
    QFETCH(QByteArray, encoding);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    bool clean = false;
    QCOMPARE(encodeText(text, encoding, false, &clean), bytes);
    QVERIFY(clean);
    QCOMPARE(decodeAs(bytes, encoding, &clean), text);
    QVERIFY(clean);
    // Offsets point at the byte each character came from.
    TextCodec codec(encoding);
    std::vector<qsizetype> offsets;
    codec.decode(bytes.constData(), bytes.size(), nullptr, &offsets);
    QCOMPARE(qsizetype(offsets.size()), text.size());
    QCOMPARE(offsets.front(), 0);
    QVERIFY(std::is_sorted(offsets.begin(), offsets.end()));
}

void TestFileEncodings::jisX0213Detection()
{
    const QByteArray nihongo = "\x93\xFA\x96\x7B\x8C\xEA";  // 日本語 in Shift_JIS
    // Plane-1 characters beyond JIS X 0208, undeclared.
    Decoded d = decodeBytes("<p>" + nihongo + "\x87\xA1\x82\xF5</p>\r\n");
    QCOMPARE(d.encoding, QByteArray("Shift_JIS-2004"));
    QCOMPARE(d.text, QStringLiteral("<p>日本語㐂か゚</p>\r\n"));
    QVERIFY(d.clean);
    // Plane 2 alone: the Windows variant reads it as its user-defined area.
    d = decodeBytes("<p>" + nihongo + "\x82\xCC\xF0\x41\x82\xC6</p>");
    QCOMPARE(d.encoding, QByteArray("Shift_JIS-2004"));
    QCOMPARE(d.text, QStringLiteral("<p>日本語の丂と</p>"));
    // Bytes that JIS X 0213 reads but that are no Japanese text (KOI8-R Cyrillic) are not taken
    // for it.
    QVERIFY(!decodeBytes("<p>\xF0\xD2\xC9\xD7\xC5\xD4, \xED\xC9\xD2! \xFA\xC4\xD2\xC1\xD7\xD3\xD4\xD7\xD5\xCA\xD4\xC5</p>")
                     .encoding.endsWith("2004"));
    // EUC-JIS-2004, hiragana-rich, with plane 2 and a character beyond JIS X 0208.
    const QByteArray euc = "<p>\xA4\xB3\xA4\xF3\xA4\xCB\xA4\xC1\xA4\xCF\xA1\xA2\xA4\xB3\xA4\xEC\xA4\xCF"
                           "\x8F\xA1\xA2\xA4\xC8\xCF\xD4\xA4\xC7\xA4\xB9\xA1\xA3</p>";
    d = decodeBytes(euc);
    QCOMPARE(d.encoding, QByteArray("EUC-JIS-2004"));
    QCOMPARE(d.text, QStringLiteral("<p>こんにちは、これは丂と𠮟です。</p>"));
    // Declared, with no character outside JIS X 0208 yet: the declaration is kept for saving.
    const QByteArray declared = "<meta charset=\"Shift_JIS-2004\"><p>" + nihongo + "</p>";
    d = decodeBytes(declared);
    QCOMPARE(d.encoding, QByteArray("Shift_JIS-2004"));
    const TextFileRead r = decodeTextFile(declared);
    QCOMPARE(encodeTextFile(r.text + QStringLiteral("𠮟"), r.format), declared + "\x98\x73");
    // An ASCII page declaring EUC-JIS-2004 under another label.
    QCOMPARE(decodeBytes("<meta charset=euc-jisx0213>hello").encoding, QByteArray("EUC-JIS-2004"));
}

void TestFileEncodings::jisX0208PagesKeepTheirDetection()
{
    // Windows Shift_JIS with NEC and IBM extensions (outside JIS X 0213 or at other codes there).
    const QByteArray nec = "<p>\x87\x40\x87\x8A\xED\x40\xFA\x5C\xFB\x57\x93\xFA\x96\x7B</p>";
    QCOMPARE(decodeBytes(nec).encoding, QByteArray("Shift_JIS"));
    // Plain EUC-JP and short Shift_JIS kana, including text both read.
    QCOMPARE(decodeBytes("\xA4\xCF\xA4\xA4\xA1\xA2\xA4\xBD\xA4\xA6\xA4\xC7\xA4\xB9\xA1\xA3").encoding,
             QByteArray("EUC-JP"));
    QCOMPARE(decodeBytes("\xBA\xDD\xC6\xC1\xCA").encoding, QByteArray("Shift_JIS"));
    QCOMPARE(decodeBytes("\xC6\xFC\xCB\xDC\xB8\xEC\xA4\xCE\xA5\xDA\xA1\xBC\xA5\xB8\xA4\xC7\xA4\xB9").encoding,
             QByteArray("EUC-JP"));
    // A Shift_JIS page that a user-defined character does not turn into Shift_JIS-2004 when
    // the latter cannot read it either.
    const QByteArray gaiji = "<p>\xF0\x40\x93\xFA\x80</p>";
    QCOMPARE(decodeBytes(gaiji).encoding, QByteArray("Shift_JIS"));
}

void TestFileEncodings::readingInANamedEncoding()
{
    // The same bytes read as EUC-JP and as Shift_JIS: different text, each clean.
    const QByteArray bytes = "\xA4\xA2\xA4\xA4\r\n\xB1\xB2\n";
    std::vector<UndecodablePlace> places;
    qsizetype count = -1;
    TextFileRead r = decodeTextFileIn(bytes, "EUC-JP", &places, &count);
    QCOMPARE(r.text, QStringLiteral("あい\n渦"));
    QVERIFY(r.clean);
    QCOMPARE(count, 0);
    QVERIFY(places.empty());
    QCOMPARE(r.format.encoding, QByteArray("EUC-JP"));
    QCOMPARE(r.format.lineEnd, LineEnd::CRLF);  // one of each: the tie goes to CR LF
    QVERIFY(r.format.finalLineEnd);
    QCOMPARE(encodeTextFile(r.text, r.format), bytes);
    r = decodeTextFileIn(bytes, "Shift_JIS");
    QCOMPARE(r.text, QStringLiteral("､｢､､\nｱｲ"));
    QCOMPARE(encodeTextFile(r.text, r.format), bytes);
    // A byte-order mark of the named encoding is skipped and remembered; labels are canonical.
    r = decodeTextFileIn("\xEF\xBB\xBF\xE3\x81\x82", "utf8");
    QCOMPARE(r.text, QStringLiteral("あ"));
    QVERIFY(r.format.bom);
    QCOMPARE(r.format.encoding, QByteArray("UTF-8"));
    r = decodeTextFileIn(bytesOf("\xFE\xFF\x30\x42"), "UTF-16BE");
    QCOMPARE(r.text, QStringLiteral("あ"));
    QVERIFY(r.format.bom);
    // UTF-16 without a byte-order mark.
    r = decodeTextFileIn(bytesOf("\x42\x30\x0D\x00\x0A\x00"), "UTF-16LE");
    QCOMPARE(r.text, QStringLiteral("あ"));
    QVERIFY(!r.format.bom);
    QVERIFY(r.format.finalLineEnd);
}

void TestFileEncodings::badInputIsReportedWhereItIs()
{
    std::vector<UndecodablePlace> places;
    qsizetype count = 0;
    // EUC-JIS-2004 bytes read as EUC-JP: plane 2 and row 14 are not EUC-JP.
    const QByteArray euc2004 = "<p>\xA4\xA2</p>\r\n<p>\xA4\xA4\x8F\xA1\xA2\xA4\xA6\xAE\xA3</p>\r\n";
    TextFileRead r = decodeTextFileIn(euc2004, "EUC-JP", &places, &count);
    QVERIFY(!r.clean);
    QCOMPARE(count, 2);
    QCOMPARE(int(places.size()), 2);
    QCOMPARE(places[0].line, 2);
    QCOMPARE(places[0].column, 5);  // after "<p>い"
    QVERIFY(places[0].bytes.startsWith("\x8F\xA1\xA2"));
    QCOMPARE(places[1].line, 2);
    QCOMPARE(places[1].column, 7);
    QVERIFY(decodeTextFileIn(euc2004, "EUC-JIS-2004").clean);
    // Only as many places as asked for, but all of them counted; lines ending in CR alone count.
    QByteArray many;
    for (int i = 0; i < 12; ++i)
        many += "ok\r\xFF\xFE?";
    r = decodeTextFileIn(many, "UTF-8", &places, &count, 3);
    QCOMPARE(count, 24);
    QCOMPARE(int(places.size()), 3);
    QCOMPARE(places[2].line, 3);
    QCOMPARE(places[2].column, 1);
    // UTF-16 with an odd number of bytes, and a lone surrogate.
    r = decodeTextFileIn(bytesOf("\x41\x00\x0A\x00\x00\xD8\x42\x00\x43"), "UTF-16LE", &places, &count);
    QVERIFY(!r.clean);
    QCOMPARE(count, 2);
    QCOMPARE(places[0].line, 2);
    QCOMPARE(places[0].column, 1);
    QCOMPARE(places[1].line, 2);
    QCOMPARE(places[1].column, 3);
    // The bytes of such a file are written back unchanged when it is saved unedited.
    QCOMPARE(encodeTextFile(r.text, r.format), bytesOf("\x41\x00\x0A\x00\x00\xD8\x42\x00\x43"));
    // A file valid in none of the encodings: every candidate reports places.
    const QByteArray binary = bytesOf("\x00\xFF\xFE\x80\x81\xFD\x1B$B\xFF");
    for (const QByteArray &e : EncodingChoice::mainEncodings())
        QVERIFY2(!decodeTextFileIn(binary, e).clean || e.startsWith("UTF-16"), e.constData());
}

void TestFileEncodings::roundTripInEveryEncoding_data()
{
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<bool>("bom");
    for (const QByteArray &e : EncodingChoice::mainEncodings()) {
        QTest::newRow(e.constData()) << e << false;
        if (EncodingChoice::allowsBom(e))
            QTest::newRow((e + " BOM").constData()) << e << true;
    }
}

void TestFileEncodings::roundTripInEveryEncoding()
{
    QFETCH(QByteArray, encoding);
    QFETCH(bool, bom);
    const QString sample = sampleFor(encoding);
    // Mixed line ends, and a final one.
    const QString onDisk = QStringLiteral("<html>\r\n") + sample + QStringLiteral("\n<p>2</p>\r") + sample
                           + QStringLiteral("\r\n</html>\r\n");
    bool clean = false;
    const QByteArray bytes = encodeText(onDisk, encoding, bom, &clean);
    QVERIFY(clean);

    const TextFileRead r = decodeTextFileIn(bytes, encoding);
    QVERIFY(r.clean);
    QCOMPARE(r.format.bom, bom);
    QCOMPARE(r.text, QStringLiteral("<html>\n") + sample + QStringLiteral("\n<p>2</p>\n") + sample
                         + QStringLiteral("\n</html>"));
    QCOMPARE(encodeTextFile(r.text, r.format), bytes);

    // Editing one line changes only that line's bytes; the other line ends stay as they were.
    QString edited = r.text;
    edited.replace(QStringLiteral("<p>2</p>"), QStringLiteral("<p>二</p>"));
    const QByteArray out = encodeTextFile(edited, r.format, &clean);
    QVERIFY(clean);
    QCOMPARE(decodeTextFileAs(out, r.format), edited);
    const auto [head, tail] = commonEnds(bytes, out);
    const QByteArray before = encodeText(QStringLiteral("<html>\r\n") + sample + QStringLiteral("\n<p>"), encoding, bom);
    const QByteArray after = encodeText(QStringLiteral("</p>\r") + sample + QStringLiteral("\r\n</html>\r\n"), encoding, false);
    QVERIFY2(head >= before.size() - 8, qPrintable(QString::number(head)));  // a stateful encoding may differ in its escape
    QVERIFY2(tail >= after.size() - 8, qPrintable(QString::number(tail)));
    // Reading the written bytes back in the same encoding gives the edited text.
    QCOMPARE(decodeTextFileIn(out, encoding).text, edited);
}

void TestFileEncodings::reformatKeepsBytesAndConvertsLineEnds()
{
    // ED40 (NEC-selected) and FA5C (IBM) both read as 纊: kept through a change of line ends.
    const QByteArray sjis = "\xED\x40\r\n\xFA\x5C\n\x93\xFA\r\n";
    const TextFileRead r = decodeTextFile(sjis);
    QCOMPARE(r.format.lineEnd, LineEnd::CRLF);
    TextFormat lf = reformat(r.format, "Shift_JIS", false, LineEnd::LF);
    QCOMPARE(encodeTextFile(r.text, lf), QByteArray("\xED\x40\n\xFA\x5C\n\x93\xFA\n"));
    // The same line end again still makes mixed line ends uniform.
    TextFormat crlf = reformat(r.format, "Shift_JIS", false, LineEnd::CRLF);
    QCOMPARE(encodeTextFile(r.text, crlf), QByteArray("\xED\x40\r\n\xFA\x5C\r\n\x93\xFA\r\n"));
    QCOMPARE(encodeTextFile(r.text + QStringLiteral("\nあ"), crlf),
             QByteArray("\xED\x40\r\n\xFA\x5C\r\n\x93\xFA\r\n\x82\xA0\r\n"));
    // CR in UTF-16BE, with a byte-order mark added and removed.
    const QByteArray utf16 = bytesOf("\x30\x42\x00\x0D\x00\x0A\x30\x44");
    const TextFileRead u = decodeTextFileIn(utf16, "UTF-16BE");
    TextFormat f = reformat(u.format, "UTF-16BE", true, LineEnd::CR);
    QCOMPARE(encodeTextFile(u.text, f), QByteArray("\xFE\xFF\x30\x42\x00\x0D\x30\x44", 8));
    f = reformat(f, "UTF-16BE", false, LineEnd::LF);
    QCOMPARE(encodeTextFile(u.text, f), QByteArray("\x30\x42\x00\x0A\x30\x44", 6));
    // A BOM is only for the encodings that have one.
    QVERIFY(!reformat(r.format, "EUC-JP", true, LineEnd::LF).bom);
    // Another encoding writes everything anew, with the line end chosen.
    f = reformat(r.format, "UTF-8", true, LineEnd::LF);
    QCOMPARE(encodeTextFile(r.text, f), QByteArray("\xEF\xBB\xBF") + QStringLiteral("纊\n纊\n日\n").toUtf8());
    QCOMPARE(lineEndCaption(LineEnd::CRLF), QStringLiteral("CR+LF"));
}

void TestFileEncodings::characterReferences()
{
    int count = -1;
    // One reference per code point, never per surrogate half; what fits stays as it is.
    QCOMPARE(EncodingChoice::toCharacterReferences(QStringLiteral("寿司🍣と한"), "Shift_JIS", &count),
             QStringLiteral("寿司&#x1F363;と&#xD55C;"));
    QCOMPARE(count, 2);
    // A lone surrogate half is no character: it becomes the replacement character.
    const QString lone = QStringLiteral("a") + QChar(0xD83C) + QStringLiteral("b") + QChar(0xDF63);
    QCOMPARE(EncodingChoice::toCharacterReferences(lone, "Shift_JIS", &count), QStringLiteral("a&#xFFFD;b&#xFFFD;"));
    QCOMPARE(count, 2);
    QCOMPARE(EncodingChoice::toCharacterReferences(lone, "EUC-JIS-2004"), QStringLiteral("a&#xFFFD;b&#xFFFD;"));
    // The encoder's own references for the preview file follow the same rule.
    QCOMPARE(encodeText(lone, "Shift_JIS", false), QByteArray("a&#xFFFD;b&#xFFFD;"));
    // Characters JIS X 0213 holds need no reference there.
    QCOMPARE(EncodingChoice::toCharacterReferences(QStringLiteral("𠮟🍣"), "Shift_JIS-2004", &count),
             QStringLiteral("𠮟&#x1F363;"));
    QCOMPARE(EncodingChoice::toCharacterReferences(QStringLiteral("all fits"), "UTF-8", &count),
             QStringLiteral("all fits"));
    QCOMPARE(count, 0);
    // Inside <script> and <style> a reference is not the character: those are listed.
    const QString page = QStringLiteral("<p>🍣</p><SCRIPT type=\"module\">alert('😀')</SCRIPT>"
                                        "<style>p::after{content:'★✈'}</style><scripts>🎉</scripts>");
    QCOMPARE(EncodingChoice::unencodableInScriptOrStyle(page, "Shift_JIS"),
             QStringList({QStringLiteral("😀"), QStringLiteral("✈")}));
    QCOMPARE(EncodingChoice::unencodableInScriptOrStyle(QStringLiteral("<script>🍣"), "Shift_JIS"),
             QStringList({QStringLiteral("🍣")}));
    QVERIFY(EncodingChoice::unencodableInScriptOrStyle(page, "UTF-8").isEmpty());
}

void TestFileEncodings::charsetDeclarations()
{
    const QString page = QStringLiteral("<?xml version=\"1.0\" encoding=\"shift_jis\"?>\n"
                                        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=x-sjis\">");
    QCOMPARE(EncodingChoice::declaredLabels(page), QStringList({QStringLiteral("shift_jis"), QStringLiteral("x-sjis")}));
    QCOMPARE(EncodingChoice::disagreeingLabel(page, "Shift_JIS"), QString());
    QCOMPARE(EncodingChoice::disagreeingLabel(page, "UTF-8"), QStringLiteral("shift_jis"));
    // An unknown label disagrees with everything; a UTF-16 page may say "UTF-16".
    QCOMPARE(EncodingChoice::disagreeingLabel(QStringLiteral("<meta charset=x-unknown>"), "UTF-8"),
             QStringLiteral("x-unknown"));
    QCOMPARE(EncodingChoice::disagreeingLabel(QStringLiteral("<meta charset=utf-16>"), "UTF-16BE"), QString());
    QCOMPARE(EncodingChoice::disagreeingLabel(QStringLiteral("<p>none</p>"), "EUC-JP"), QString());
    // Rewriting names the new encoding in every declaration.
    QCOMPARE(rewriteMetaCharset(QStringLiteral("<meta charset=x-unknown>あ"), "EUC-JIS-2004"),
             QStringLiteral("<meta charset=EUC-JIS-2004>あ"));
}

void TestFileEncodings::encodingLists()
{
    const QList<QByteArray> &all = EncodingChoice::allEncodings();
    QCOMPARE(all.mid(0, 8), EncodingChoice::mainEncodings());
    for (const char *e : {"windows-1252", "KOI8-R", "GB18030", "Big5", "EUC-KR", "ISO-8859-2"})
        QVERIFY2(all.contains(e), e);
    QCOMPARE(QSet<QByteArray>(all.begin(), all.end()).size(), all.size());
    QVERIFY(std::none_of(all.begin(), all.end(), [](const QByteArray &e) { return e.contains(','); }));
    for (const QByteArray &e : all)
        QVERIFY2(TextCodec(e).isValid(), e.constData());
    QVERIFY(EncodingChoice::allowsBom("UTF-8") && EncodingChoice::allowsBom("UTF-16BE"));
    QVERIFY(!EncodingChoice::allowsBom("Shift_JIS") && !EncodingChoice::allowsBom("EUC-JIS-2004"));
    // Browsers know Shift_JIS but not JIS X 0213: such pages are previewed in UTF-8.
    QVERIFY(EncodingChoice::browsersRead("shift_jis") && EncodingChoice::browsersRead("ISO-2022-JP"));
    QVERIFY(!EncodingChoice::browsersRead("Shift_JIS-2004") && !EncodingChoice::browsersRead("euc-jisx0213"));
}

QTEST_GUILESS_MAIN(TestFileEncodings)
#include "test_fileencodings.moc"
