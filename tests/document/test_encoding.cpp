// Encoding detection and conversion on real bytes.
#include <QtTest>

#include "document/encoding.h"
#include "document/textfile.h"

namespace {

// The bytes of a literal, NULs included.
template <size_t N>
QByteArray bytesOf(const char (&literal)[N])
{
    return QByteArray(literal, qsizetype(N - 1));
}

QByteArray realPage(const char *name)
{
    QFile f(QStringLiteral(TARNELL_TESTDATA_DIR "/real-pages/") + QLatin1String(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// What a document read from these bytes is written back as, unedited.
QByteArray roundTrip(const QByteArray &bytes)
{
    const TextFileRead r = decodeTextFile(bytes);
    return encodeTextFile(r.text, r.format);
}

}  // namespace

class TestEncoding : public QObject {
    Q_OBJECT

private slots:
    void detection_data();
    void detection();
    void realPages_data();
    void realPages();
    void declaredCharsetAndItsLimits();
    void damagedAndBinaryBytes();
    void windowsVariantOfShiftJis();
    void encodableCharactersReadBackUnchanged_data();
    void encodableCharactersReadBackUnchanged();
    void unencodableCharactersAreNeverQuestionMarks();
    void rewritingTheMetaCharset();
    void charsetLabels();
};

void TestEncoding::detection_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<bool>("bom");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("reencodes");  // encoding the text anew gives the same bytes

    QTest::newRow("half-width katakana, 5 bytes Shift_JIS")
        << bytesOf("\xBA\xDD\xC6\xC1\xCA") << QByteArray("Shift_JIS") << false << QStringLiteral("ｺﾝﾆﾁﾊ") << true;
    // Twelve bytes that are also valid EUC-JP (as level-1 kanji): still Shift_JIS.
    QTest::newRow("12-byte Shift_JIS, also valid EUC-JP")
        << bytesOf("\xB1\xB2\xB3\xB4\xB5\xB6\xB7\xB8\xB9\xBA\x0D\x0A") << QByteArray("Shift_JIS") << false
        << QStringLiteral("ｱｲｳｴｵｶｷｸｹｺ\r\n") << true;
    // ED40 is a NEC-selected IBM extension: written anew it becomes the IBM code FA5C, as Windows
    // does, but an unedited page keeps its bytes.
    QTest::newRow("Shift_JIS NEC special characters")
        << bytesOf("<p>\x87\x40\x87\x8A\x81\x5F\x81\x60\x81\xCA\x87\x54\xED\x40\xFA\x5C</p>") << QByteArray("Shift_JIS")
        << false << QStringLiteral("<p>①㈱＼～￢Ⅰ纊纊</p>") << false;
    QTest::newRow("Shift_JIS backslash and tilde stay ASCII")
        << bytesOf("C:\\tmp ~ \x83\x65\x83\x58\x83\x67") << QByteArray("Shift_JIS") << false
        << QStringLiteral("C:\\tmp ~ テスト") << true;
    QTest::newRow("EUC-JP")
        << bytesOf("\xA4\xB3\xA4\xF3\xA4\xCB\xA4\xC1\xA4\xCF\xA1\xA2\xC0\xA4\xB3\xA6\xA1\xA3\xA5\xAB\xA5\xBF\xA5\xAB"
                   "\xA5\xCA\xA4\xC7\xA4\xB9\xA1\xA3\x0A")
        << QByteArray("EUC-JP") << false << QStringLiteral("こんにちは、世界。カタカナです。\n") << true;
    // Hiragana in EUC-JP that Shift_JIS also reads (as half-width katakana and kanji).
    QTest::newRow("EUC-JP that Shift_JIS also reads")
        << bytesOf("\xA4\xCF\xA4\xA4\xA1\xA2\xA4\xBD\xA4\xA6\xA4\xC7\xA4\xB9\xA1\xA3") << QByteArray("EUC-JP") << false
        << QStringLiteral("はい、そうです。") << true;
    QTest::newRow("short EUC-JP hiragana")
        << bytesOf("\xA4\xA2\xA4\xA4\xA4\xA6\xA4\xA8\xA4\xAA\xA4\xAB\xA4\xAD\xA4\xAF\xA4\xB1\xA4\xB3")
        << QByteArray("EUC-JP") << false << QStringLiteral("あいうえおかきくけこ") << true;
    // Half-width katakana are not part of ISO-2022-JP proper: read, and kept in an unedited page,
    // but not written anew without asking.
    QTest::newRow("ISO-2022-JP with half-width katakana")
        << bytesOf("\x1B\x24\x42\x46\x7C\x4B\x5C\x38\x6C\x24\x4E\x25\x46\x25\x2D\x25\x39\x25\x48\x21\x22\x1B\x28\x49"
                   "\x36\x40\x36\x45\x1B\x28\x42\x0D\x0A")
        << QByteArray("ISO-2022-JP") << false << QStringLiteral("日本語のテキスト、ｶﾀｶﾅ\r\n") << false;
    QTest::newRow("UTF-8 without BOM") << QStringLiteral("<p>日本語 ①</p>").toUtf8() << QByteArray("UTF-8") << false
                                       << QStringLiteral("<p>日本語 ①</p>") << true;
    QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF") + QStringLiteral("あ").toUtf8()
                                    << QByteArray("UTF-8") << true << QStringLiteral("あ") << true;
    QTest::newRow("UTF-16LE with BOM") << bytesOf("\xFF\xFE\x42\x30\x0A\x00") << QByteArray("UTF-16LE") << true
                                       << QStringLiteral("あ\n") << true;
    QTest::newRow("UTF-16BE with BOM") << bytesOf("\xFE\xFF\x30\x42\xD8\x3D\xDE\x00") << QByteArray("UTF-16BE") << true
                                       << QStringLiteral("あ😀") << true;
    QTest::newRow("empty") << QByteArray() << QByteArray("UTF-8") << false << QString() << true;
}

void TestEncoding::detection()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, encoding);
    QFETCH(bool, bom);
    QFETCH(QString, text);
    QFETCH(bool, reencodes);
    const Decoded d = decodeBytes(bytes);
    QCOMPARE(d.encoding, encoding);
    QCOMPARE(d.bom, bom);
    QCOMPARE(d.text, text);
    QVERIFY(d.clean);
    QCOMPARE(roundTrip(bytes), bytes);
    // Encoding the text again, without the bytes it came from.
    bool clean = true;
    const QByteArray again = encodeText(d.text, d.encoding, d.bom, &clean);
    if (reencodes) {
        QCOMPARE(again, bytes);
        QVERIFY(clean);
    } else {
        QVERIFY(again != bytes);
        if (clean)
            QCOMPARE(decodeAs(again, d.encoding), d.text);  // other bytes, the same characters
        else
            QVERIFY(again.contains("&#x") && !again.contains('?'));
    }
}

void TestEncoding::realPages_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<bool>("clean");
    QTest::addColumn<QString>("contains");

    QTest::newRow("videogame_top") << QByteArray("videogame_top.htm") << QByteArray("Shift_JIS") << true
                                   << QStringLiteral("charset=Shift_JIS");
    // 127 bytes without a declaration: the detector alone would say windows-1252.
    QTest::newRow("mojibake") << QByteArray("mojibake.html") << QByteArray("Shift_JIS") << true
                              << QStringLiteral("<a href=\"/文字化け\">文字化け</a>");
    QTest::newRow("kcna") << QByteArray("kcna.html") << QByteArray("UTF-16LE") << true << QStringLiteral("<html>");
    // A single-byte Cyrillic page is not valid in any Japanese encoding: opened, but not clean.
    QTest::newRow("krokozyabry") << QByteArray("krokozyabry.html") << QByteArray() << false
                                 << QStringLiteral("KOI8-R");
}

void TestEncoding::realPages()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, encoding);
    QFETCH(bool, clean);
    QFETCH(QString, contains);
    const QByteArray bytes = realPage(file.constData());
    QVERIFY2(!bytes.isEmpty(), file.constData());
    const TextFileRead r = decodeTextFile(bytes);
    if (!encoding.isEmpty())
        QCOMPARE(r.format.encoding, encoding);
    QCOMPARE(r.clean, clean);
    QVERIFY(r.text.contains(contains));
    QCOMPARE(encodeTextFile(r.text, r.format), bytes);

    // A line inserted in the middle changes no other byte.
    QString edited = r.text;
    edited.insert(edited.indexOf(QLatin1Char('\n'), edited.size() / 2) + 1, QStringLiteral("<!-- 編集 -->\n"));
    const QByteArray out = encodeTextFile(edited, r.format);
    const qsizetype common = std::min(out.size(), bytes.size());
    qsizetype head = 0, tail = 0;
    while (head < common && out[head] == bytes[head])
        ++head;
    while (tail < common - head && out[out.size() - 1 - tail] == bytes[bytes.size() - 1 - tail])
        ++tail;
    QCOMPARE(head + tail, bytes.size());
    QVERIFY(out.size() > bytes.size());
}

void TestEncoding::declaredCharsetAndItsLimits()
{
    const QByteArray sjis = "\x93\xFA\x96\x7B\x8C\xEA";  // 日本語
    // The page declares EUC-JP but its bytes are Shift_JIS: the bytes win.
    Decoded d = decodeBytes("<html><head><meta charset=\"EUC-JP\"></head><body>" + sjis + "</body>");
    QCOMPARE(d.encoding, QByteArray("Shift_JIS"));
    QVERIFY(d.text.contains(QStringLiteral("日本語")));
    QVERIFY(d.clean);
    // Declared Latin-1 (read as windows-1252, as browsers do), but 0x81 is not a character there.
    d = decodeBytes("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">\x81\x75" + sjis
                    + "\x81\x76");
    QCOMPARE(d.encoding, QByteArray("Shift_JIS"));
    QVERIFY(d.text.endsWith(QStringLiteral("「日本語」")));
    // In a real single-byte Latin-1 page C1 controls do not occur either.
    d = decodeBytes("<meta charset=\"ISO-8859-2\">\x82\xA0" + sjis);
    QCOMPARE(d.encoding, QByteArray("Shift_JIS"));
    QVERIFY(d.text.endsWith(QStringLiteral("あ日本語")));
    // Valid UTF-8 beats a Shift_JIS declaration.
    d = decodeBytes("<meta charset=Shift_JIS>" + QStringLiteral("日本語").toUtf8());
    QCOMPARE(d.encoding, QByteArray("UTF-8"));
    // A declared charset the bytes fit is used, also one that is not Japanese.
    d = decodeBytes("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=KOI8-R\">\xEB\xD2\xC1");
    QCOMPARE(d.encoding, QByteArray("KOI8-R"));
    QVERIFY(d.text.endsWith(QStringLiteral("Кра")));
    QVERIFY(d.clean);
    // A declaration inside a comment does not count.
    d = decodeBytes("<!-- <meta charset=\"KOI8-R\"> -->" + sjis);
    QCOMPARE(d.encoding, QByteArray("Shift_JIS"));
    // An XML declaration counts.
    d = decodeBytes("<?xml version=\"1.0\" encoding=\"EUC-JP\"?>\n<p>\xA4\xA2</p>");
    QCOMPARE(d.encoding, QByteArray("EUC-JP"));
    QCOMPARE(d.text, QStringLiteral("<?xml version=\"1.0\" encoding=\"EUC-JP\"?>\n<p>あ</p>"));
    // Plain ASCII keeps the declared charset, so that Japanese typed later is saved in it.
    const QByteArray ascii = "<html><head><meta charset=\"Shift_JIS\"></head><body>hello</body></html>\r\n";
    TextFileRead r = decodeTextFile(ascii);
    QCOMPARE(r.format.encoding, QByteArray("Shift_JIS"));
    QCOMPARE(encodeTextFile(r.text + QStringLiteral("あ"), r.format), ascii.left(ascii.size() - 2) + "\x82\xA0\r\n");
    // Plain ASCII without a declaration is UTF-8; beyond 8 KB a declaration is not looked for.
    QCOMPARE(decodeBytes("hello").encoding, QByteArray("UTF-8"));
    QCOMPARE(decodeBytes(QByteArray(9000, ' ') + "<meta charset=Shift_JIS>").encoding, QByteArray("UTF-8"));
}

void TestEncoding::damagedAndBinaryBytes()
{
    // A UTF-8 page with one damaged byte stays UTF-8; only that character is lost in reading.
    QByteArray page = QStringLiteral("<p>これは日本語のページです。ひらがなとカタカナ。</p>").toUtf8();
    page[10] = '\xFF';
    Decoded d = decodeBytes(page);
    QCOMPARE(d.encoding, QByteArray("UTF-8"));
    QVERIFY(!d.clean);
    QVERIFY(d.text.contains(QChar(0xFFFD)));
    QVERIFY(d.text.endsWith(QStringLiteral("ひらがなとカタカナ。</p>")));
    QCOMPARE(roundTrip(page), page);

    // A Shift_JIS page with a broken character stays Shift_JIS.
    const QByteArray sjis = "<p>\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x79\x81\x5B\x83\x57\x80</p>";
    d = decodeBytes(sjis);
    QCOMPARE(d.encoding, QByteArray("Shift_JIS"));
    QVERIFY(!d.clean);
    QVERIFY(d.text.startsWith(QStringLiteral("<p>日本語のページ")));
    QCOMPARE(roundTrip(sjis), sjis);

    // A short page that declares UTF-8, with a stray Shift_JIS character: UTF-8 although the
    // damaged bytes are many for its size (Shift_JIS would read it cleanly, as mojibake).
    const QByteArray declared = "<meta charset=\"utf-8\"><p>" + QStringLiteral("日本語の").toUtf8() + "\x93\xFA</p>";
    d = decodeBytes(declared);
    QCOMPARE(d.encoding, QByteArray("UTF-8"));
    QVERIFY(d.text.contains(QStringLiteral("日本語の\uFFFD")));
    QCOMPARE(roundTrip(declared), declared);
    // Without the declaration the same bytes need more evidence; a real Shift_JIS page that
    // wrongly declares UTF-8 stays Shift_JIS.
    QCOMPARE(decodeBytes(declared.mid(22)).encoding, QByteArray("Shift_JIS"));
    QByteArray misdeclared = realPage("videogame_top.htm");
    const qsizetype at = misdeclared.indexOf("charset=Shift_JIS");
    QVERIFY(at > 0);
    misdeclared.replace(at, 17, "charset=UTF-8");
    d = decodeBytes(misdeclared);
    QCOMPARE(d.encoding, QByteArray("Shift_JIS"));
    QCOMPARE(roundTrip(misdeclared), misdeclared);

    // Random bytes: opened, not clean, and written back unchanged.
    QRandomGenerator rng(20240611);
    for (int round = 0; round < 20; ++round) {
        QByteArray random(1 + int(rng.bounded(4096)), Qt::Uninitialized);
        for (char &c : random)
            c = char(rng.bounded(256));
        const TextFileRead r = decodeTextFile(random);
        QVERIFY2(!r.clean || random.size() < 4, qPrintable(QString::number(round)));
        QCOMPARE(encodeTextFile(r.text, r.format), random);
    }
    // NUL characters are not text, though valid UTF-8.
    QVERIFY(!decodeBytes(QByteArray("a\0b", 3)).clean);
    // A lone surrogate in UTF-16 survives the round trip but is not clean.
    const QByteArray utf16 = "\xFF\xFE\x41\x00\x00\xD8\x42\x00";
    d = decodeBytes(utf16);
    QVERIFY(!d.clean);
    QCOMPARE(roundTrip(utf16), utf16);
}

void TestEncoding::windowsVariantOfShiftJis()
{
    // Characters where the Windows variant differs from JIS: they must map as Windows does.
    QCOMPARE(encodeText(QStringLiteral("①㈱＼～￢Ⅰ\\~"), "Shift_JIS", false),
             QByteArray("\x87\x40\x87\x8A\x81\x5F\x81\x60\x81\xCA\x87\x54\x5C\x7E"));
    // The IBM extension ¬ (FA54) reads as ￢ like 81CA; the bytes of an unedited file stay FA54.
    const QByteArray ibm = "\xFA\x54\r\n";
    QCOMPARE(decodeBytes(ibm).text, QStringLiteral("￢\r\n"));
    QCOMPARE(roundTrip(ibm), ibm);
    // Labels of Shift_JIS all mean the Windows variant.
    QCOMPARE(decodeAs("\x81\x5F\x87\x40", "sjis"), QStringLiteral("＼①"));
    QCOMPARE(decodeAs("\x81\x5F\x87\x40", "x-sjis"), QStringLiteral("＼①"));
}

void TestEncoding::encodableCharactersReadBackUnchanged_data()
{
    QTest::addColumn<QByteArray>("encoding");
    QTest::newRow("Shift_JIS") << QByteArray("Shift_JIS");
    QTest::newRow("EUC-JP") << QByteArray("EUC-JP");
    QTest::newRow("ISO-2022-JP") << QByteArray("ISO-2022-JP");
}

void TestEncoding::encodableCharactersReadBackUnchanged()
{
    // Every character an encoding accepts must read back as itself: a best-fit mapping
    // (¥ written as \, ― as —) would change the page without telling anyone.
    QFETCH(QByteArray, encoding);
    TextCodec codec(encoding);
    QVERIFY(codec.isValid());
    int accepted = 0;
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const QChar ch{char16_t(c)};
        qsizetype bad = 0;
        const QByteArray b = codec.encode(QStringView(&ch, 1), &bad);
        if (bad)
            continue;
        ++accepted;
        const QString back = codec.decode(b.constData(), b.size());
        if (back != QString(ch))
            QFAIL(qPrintable(QStringLiteral("U+%1 reads back as %2").arg(quint32(c), 4, 16, QLatin1Char('0')).arg(back)));
    }
    QVERIFY(accepted > 6000);
    // Characters ICU would drop or turn into others are reported.
    for (const char16_t c : {u'\u200B', u'\u00AD', u'\uFE0F', u'\uF86F', u'\u00A6'})
        QCOMPARE(firstUnencodable(QStringLiteral("あ") + QChar(c), encoding), 1);
}

void TestEncoding::unencodableCharactersAreNeverQuestionMarks()
{
    const QString text = QStringLiteral("日本語😀と한국어?");
    QCOMPARE(firstUnencodable(text, "Shift_JIS"), 3);
    QCOMPARE(firstUnencodable(text, "UTF-8"), -1);
    QCOMPARE(firstUnencodable(QStringLiteral("あいう"), "Shift_JIS"), -1);
    QCOMPARE(unencodableCharacters(text, "Shift_JIS"),
             QStringList({QStringLiteral("😀"), QStringLiteral("한"), QStringLiteral("국"), QStringLiteral("어")}));
    QCOMPARE(unencodableCharacters(text, "Shift_JIS", 2).size(), 2);
    bool clean = true;
    const QByteArray b = encodeText(text, "Shift_JIS", false, &clean);
    QVERIFY(!clean);
    QCOMPARE(b, QByteArray("\x93\xFA\x96\x7B\x8C\xEA&#x1F600;\x82\xC6&#xD55C;&#xAD6D;&#xC5B4;?"));
    // In a stateful encoding the reference is written in ASCII mode.
    const QByteArray iso = encodeText(QStringLiteral("あ😀い"), "ISO-2022-JP", false, &clean);
    QVERIFY(!clean);
    QCOMPARE(decodeAs(iso, "ISO-2022-JP"), QStringLiteral("あ&#x1F600;い"));
    // A position far into a long text is found without slowing down.
    const QString longText = QString(200000, QChar(u'あ')) + QStringLiteral("😀");
    QElapsedTimer t;
    t.start();
    QCOMPARE(firstUnencodable(longText, "Shift_JIS"), 200000);
    QVERIFY(t.elapsed() < 1000);
}

void TestEncoding::rewritingTheMetaCharset()
{
    bool changed = false;
    QCOMPARE(rewriteMetaCharset(QStringLiteral("<head><meta charset=\"Shift_JIS\"><title>日本</title>"), "UTF-8", &changed),
             QStringLiteral("<head><meta charset=\"UTF-8\"><title>日本</title>"));
    QVERIFY(changed);
    QCOMPARE(rewriteMetaCharset(QStringLiteral("<META http-equiv=\"Content-Type\" content=\"text/html; charset=x-sjis\">")),
             QStringLiteral("<META http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">"));
    QCOMPARE(rewriteMetaCharset(QStringLiteral("<?xml version=\"1.0\" encoding=\"EUC-JP\"?>\n<html><meta charset=EUC-JP>")),
             QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<html><meta charset=UTF-8>"));
    // Nothing declared, already UTF-8, or only inside a comment: unchanged.
    for (const QString &s : {QStringLiteral("<p>日本</p>"), QStringLiteral("<meta charset=\"utf-8\">"),
                             QStringLiteral("<!-- <meta charset=\"Shift_JIS\"> -->")}) {
        QCOMPARE(rewriteMetaCharset(s, "UTF-8", &changed), s);
        QVERIFY(!changed);
    }
    // Text after the declaration keeps its place even with characters outside Latin-1 before it.
    QCOMPARE(rewriteMetaCharset(QStringLiteral("<!-- 日本😀 --><meta charset=sjis>あ")),
             QStringLiteral("<!-- 日本😀 --><meta charset=UTF-8>あ"));
}

void TestEncoding::charsetLabels()
{
    QCOMPARE(canonicalEncoding(" Shift_JIS "), QByteArray("Shift_JIS"));
    QCOMPARE(canonicalEncoding("windows-31j"), QByteArray("Shift_JIS"));
    QCOMPARE(canonicalEncoding("x-euc-jp"), QByteArray("EUC-JP"));
    QCOMPARE(canonicalEncoding("iso-8859-1"), QByteArray("windows-1252"));
    QCOMPARE(canonicalEncoding("koi8-r"), QByteArray("KOI8-R"));
    QCOMPARE(canonicalEncoding("no-such-charset"), QByteArray());
    QCOMPARE(canonicalEncoding(""), QByteArray());
    QVERIFY(!TextCodec("no-such-charset").isValid());
}

QTEST_GUILESS_MAIN(TestEncoding)
#include "test_encoding.moc"
