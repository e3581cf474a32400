// Text files: line ends, saving what was read byte for byte, safe writes, read failures, speed.
#include <QtTest>

#include "document/encoding.h"
#include "document/textfile.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

template <size_t N>
QByteArray bytesOf(const char (&literal)[N])
{
    return QByteArray(literal, qsizetype(N - 1));
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void putBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// A Shift_JIS page with everything that does not survive decoding and encoding anew: IBM and
// NEC-selected extensions (read as the same characters as other codes), a damaged byte, a line
// ending in CR alone and one in LF among CR LF lines.
QByteArray trickyShiftJis()
{
    return bytesOf("<html>\r\n"
                   "<p>\xFA\x54 \xED\x40 \x87\x40</p>\r\n"
                   "<p>CR only</p>\r"
                   "<p>broken \x80 byte \x93\xFA\x96\x7B</p>\n"
                   "<p>\xB6\xC0\xB6\xC5</p>\r\n"
                   "</html>\r\n");
}

// A Shift_JIS page of about the given size.
QByteArray bigShiftJisPage(qsizetype size)
{
    const QString line = QStringLiteral(
        "<tr><td class=\"n\">日本語のページ、ｶﾀｶﾅ ①㈱ ＼ を含む行です。</td><td><a href=\"/x\">リンク</a></td></tr>");
    const QByteArray encoded = encodeText(line, "Shift_JIS", false) + "\r\n";
    QByteArray page = "<html><head><meta charset=\"Shift_JIS\"></head><body><table>\r\n";
    page.reserve(size + encoded.size());
    while (page.size() < size)
        page += encoded;
    return page + "</table></body></html>\r\n";
}

struct FileSizeLimit {
    rlimit saved{};
    void (*handler)(int) = nullptr;
    explicit FileSizeLimit(rlim_t bytes)
    {
        handler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limited = saved;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, handler);
    }
};

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

}  // namespace

class TestTextFile : public QObject {
    Q_OBJECT

private slots:
    void lineEnds_data();
    void lineEnds();
    void editsKeepTheBytesOfWhatWasNotChanged();
    void randomEditsReadBackAsTyped_data();
    void randomEditsReadBackAsTyped();
    void savingAsUtf8();
    void unencodableCharactersNeedConsent();
    void failingDiskLeavesTheOldFile();
    void killedSaveLeavesTheOldFile();
    void permissionsAndLinksAreKept();
    void readFailures();
    void linksThatLeadNowhere();
    void readOnlyFileSystemIsNamed();
    void mostlyUtf8PageKeepsItsDamagedBytes();
    void decodingTheSameWay();
    void speedOfLargePages();
};

void TestTextFile::lineEnds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("lineEnd");
    QTest::addColumn<bool>("finalLineEnd");

    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringLiteral("a\nb") << int(LineEnd::CRLF) << true;
    QTest::newRow("LF") << QByteArray("a\nb\n") << QStringLiteral("a\nb") << int(LineEnd::LF) << true;
    QTest::newRow("CR") << QByteArray("a\rb\r") << QStringLiteral("a\nb") << int(LineEnd::CR) << true;
    QTest::newRow("mixed, mostly LF") << QByteArray("a\nb\r\nc\nd\re") << QStringLiteral("a\nb\nc\nd\ne")
                                      << int(LineEnd::LF) << false;
    QTest::newRow("no final line end") << QByteArray("a\r\nb") << QStringLiteral("a\nb") << int(LineEnd::CRLF) << false;
    QTest::newRow("last line empty") << QByteArray("a\r\n\r\n") << QStringLiteral("a\n") << int(LineEnd::CRLF) << true;
    QTest::newRow("only a line end") << QByteArray("\r\n") << QString() << int(LineEnd::CRLF) << true;
    QTest::newRow("empty") << QByteArray() << QString() << int(LineEnd::CRLF) << false;
}

void TestTextFile::lineEnds()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(int, lineEnd);
    QFETCH(bool, finalLineEnd);
    const TextFileRead r = decodeTextFile(bytes);
    QCOMPARE(r.text, text);
    QCOMPARE(int(r.format.lineEnd), lineEnd);
    QCOMPARE(r.format.finalLineEnd, finalLineEnd);
    QCOMPARE(encodeTextFile(r.text, r.format), bytes);
    // A new line typed at the end takes the file's usual line end.
    TextFormat plain = r.format;
    plain.origin.reset();
    QCOMPARE(decodeTextFileAs(encodeTextFile(r.text + "\nz", r.format), plain), r.text + "\nz");
    QVERIFY(encodeTextFile(r.text + "\nz", r.format).contains(lineEnd == int(LineEnd::CRLF) ? "\r\nz"
                                                              : lineEnd == int(LineEnd::LF) ? "\nz" : "\rz"));
}

void TestTextFile::editsKeepTheBytesOfWhatWasNotChanged()
{
    const int fallbacks = TextFileTesting::spliceFallbacks();
    const QByteArray original = trickyShiftJis();
    const TextFileRead r = decodeTextFile(original);
    QCOMPARE(r.format.encoding, QByteArray("Shift_JIS"));
    QVERIFY(!r.clean);  // the damaged byte
    QStringList lines = r.text.split(QLatin1Char('\n'));
    QCOMPARE(lines[1], QStringLiteral("<p>￢ 纊 ①</p>"));

    // Unedited: byte-identical, also through a real file.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.htm"));
    putBytes(path, original);
    const TextFileRead fromDisk = readTextFile(path);
    QCOMPARE(fromDisk.status, TextFileRead::Ok);
    QString error;
    QVERIFY(writeTextFile(path, fromDisk.text, fromDisk.format, &error, Unencodable::CharRefs));
    QCOMPARE(fileBytes(path), original);

    // Edits inside the lines with the odd bytes keep those bytes.
    lines[1].replace(QStringLiteral("<p>"), QStringLiteral("<p class=\"x\">"));
    lines[3].replace(QStringLiteral("</p>"), QStringLiteral("!</p>"));
    lines.insert(5, QStringLiteral("<p>新しい行</p>"));  // typed: CR LF, the usual line end
    lines.removeAt(0);
    bool clean = true;
    const QByteArray saved = encodeTextFile(lines.join(QLatin1Char('\n')), r.format, &clean);
    QVERIFY(clean);  // nothing unencodable was typed; the damaged byte is the page's own
    QCOMPARE(saved, bytesOf("<p class=\"x\">\xFA\x54 \xED\x40 \x87\x40</p>\r\n"
                            "<p>CR only</p>\r"
                            "<p>broken \x80 byte \x93\xFA\x96\x7B!</p>\n"
                            "<p>\xB6\xC0\xB6\xC5</p>\r\n"
                            "<p>\x90\x56\x82\xB5\x82\xA2\x8D\x73</p>\r\n"
                            "</html>\r\n"));

    // Edits far apart in a long page: every line in between keeps its bytes.
    QByteArray longPage;
    for (int i = 0; i < 300; ++i)
        longPage += "<li>" + QByteArray::number(i % 7) + " \xFA\x54 \xED\x40</li>\r\n";  // repeated lines too
    const TextFileRead lr = decodeTextFile(longPage);
    QStringList ll = lr.text.split(QLatin1Char('\n'));
    ll[10] = QStringLiteral("<li>変更</li>");
    ll.removeAt(150);
    ll.insert(280, QStringLiteral("<li>追加</li>"));
    const QByteArray longSaved = encodeTextFile(ll.join(QLatin1Char('\n')), lr.format);
    QCOMPARE(longSaved.count("\xFA\x54"), 298);
    QCOMPARE(longSaved.count("\xED\x40"), 298);
    QCOMPARE(TextFileTesting::spliceFallbacks(), fallbacks);
}

void TestTextFile::randomEditsReadBackAsTyped_data()
{
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("Shift_JIS") << QByteArray("Shift_JIS") << trickyShiftJis().repeated(6);
    QTest::newRow("UTF-8") << QByteArray("UTF-8")
                           << QByteArray("\xEF\xBB\xBF<p>\xF0\x9F\x98\x80 \xE3\x81\x82</p>\r\nbad \xFF\xFE\r\n\r\n").repeated(8);
    QTest::newRow("EUC-JP") << QByteArray("EUC-JP")
                            << QByteArray("<p>\xA4\xB3\xA4\xF3 \x8E\xB6 \x8F\xB0\xA1</p>\n\r\n").repeated(8);
    QTest::newRow("UTF-16LE") << QByteArray("UTF-16LE")
                              << bytesOf("\xFF\xFE<\x00p\x00\x3D\xD8\x00\xDE\x42\x30\r\x00\n\x00\x00\xD8\n\x00")
                                     + QByteArray("a\x00\r\x00", 4).repeated(5);
    QTest::newRow("ISO-2022-JP") << QByteArray("ISO-2022-JP")
                                 << (QByteArray("\x1B$BF|K\\8l\x1B(B abc\r\n").repeated(8) + "\x1B(I6@\x1B(B\r\n").repeated(3);
}

void TestTextFile::randomEditsReadBackAsTyped()
{
    // Whatever is typed, deleted or moved, the saved bytes read back as the text in the editor,
    // and the bytes kept from the file never need a fallback.
    QFETCH(QByteArray, encoding);
    QFETCH(QByteArray, bytes);
    const int fallbacks = TextFileTesting::spliceFallbacks();
    const TextFileRead r = decodeTextFile(bytes);
    QCOMPARE(r.format.encoding, encoding);
    QCOMPARE(encodeTextFile(r.text, r.format), bytes);
    TextFormat plain = r.format;
    plain.origin.reset();
    const QString alphabet = QStringLiteral("a\n\n<>あ纊￢①ｶ ");
    QRandomGenerator rng(7);
    int cleanRounds = 0;
    for (int round = 0; round < 300; ++round) {
        QString text = r.text;
        const int edits = 1 + int(rng.bounded(4));
        for (int e = 0; e < edits; ++e) {
            const qsizetype at = rng.bounded(int(text.size()) + 1);
            const qsizetype del = std::min<qsizetype>(rng.bounded(6), text.size() - at);
            QString insert;
            for (int k = int(rng.bounded(6)); k > 0; --k)
                insert += alphabet[rng.bounded(int(alphabet.size()))];
            if (encoding == "ISO-2022-JP")
                insert.remove(QChar(u'ｶ'));  // not writable in ISO-2022-JP proper
            text.replace(at, del, insert);
        }
        bool clean = true;
        const QByteArray out = encodeTextFile(text, r.format, &clean);
        if (clean) {
            QCOMPARE(decodeTextFileAs(out, plain), text);
            ++cleanRounds;
        } else {
            // A damaged character or a half-width katakana in ISO-2022-JP that an edit reached.
            QVERIFY(out.contains("&#x"));
        }
    }
    QVERIFY2(cleanRounds > 150, qPrintable(QString::number(cleanRounds)));
    QCOMPARE(TextFileTesting::spliceFallbacks(), fallbacks);
}

void TestTextFile::savingAsUtf8()
{
    // The page cannot hold an emoji in Shift_JIS; saved as UTF-8 with its meta charset rewritten.
    const QByteArray original = "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\r\n"
                                "</head><body>\x93\xFA\x96\x7B \xFA\x54</body></html>\r\n";
    const TextFileRead r = decodeTextFile(original);
    QCOMPARE(r.format.encoding, QByteArray("Shift_JIS"));
    const QString typed = r.text + QStringLiteral("\n😀");
    QCOMPARE(firstUnencodable(typed, r.format.encoding), int(r.text.size()) + 1);
    TextFormat utf8 = r.format;
    utf8.encoding = "UTF-8";
    const QString rewritten = rewriteMetaCharset(typed, "UTF-8");
    bool clean = false;
    const QByteArray saved = encodeTextFile(rewritten, utf8, &clean);
    QVERIFY(clean);
    QCOMPARE(saved, QStringLiteral("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">\r\n"
                                   "</head><body>日本 ￢</body></html>\r\n😀\r\n")
                        .toUtf8());
    const TextFileRead back = decodeTextFile(saved);
    QCOMPARE(back.format.encoding, QByteArray("UTF-8"));
    QCOMPARE(back.text, rewritten);
}

void TestTextFile::unencodableCharactersNeedConsent()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.htm"));
    const QByteArray original = "<p>\x93\xFA\x96\x7B</p>\r\n";
    putBytes(path, original);
    const TextFileRead r = readTextFile(path);
    const QString typed = r.text + QStringLiteral("😀ü");

    // The question is asked before saving: which characters would be lost.
    QStringList lost;
    QVERIFY(canWriteText(r.text, r.format, &lost));
    QVERIFY(lost.isEmpty());
    QVERIFY(!canWriteText(typed, r.format, &lost));
    QCOMPARE(lost, QStringList({QStringLiteral("😀"), QStringLiteral("ü")}));

    // Without consent nothing is written, and the reason names the characters.
    QString error;
    QVERIFY(!writeTextFile(path, typed, r.format, &error));
    QCOMPARE(fileBytes(path), original);
    QVERIFY2(error.contains(QStringLiteral("😀")) && error.contains(QStringLiteral("ü")), qPrintable(error));
    QVERIFY(error.contains(QStringLiteral("Shift_JIS")));
    const QString other = dir.filePath(QStringLiteral("new.htm"));
    QVERIFY(!writeTextFile(other, typed, r.format, &error));
    QVERIFY(!QFileInfo::exists(other));

    // Where the caller allows it (the preview), they become character references; never "?".
    QVERIFY(writeTextFile(other, typed, r.format, &error, Unencodable::CharRefs));
    QCOMPARE(fileBytes(other), QByteArray("<p>\x93\xFA\x96\x7B</p>&#x1F600;&#xFC;\r\n"));
    QVERIFY(!fileBytes(other).contains('?'));
}

void TestTextFile::failingDiskLeavesTheOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.htm"));
    const QByteArray original = trickyShiftJis();
    putBytes(path, original);
    const TextFileRead r = readTextFile(path);
    // A large page, and a small one that a buffered write would only send to the disk when the
    // save is committed.
    const std::pair<qsizetype, QString> cases[] = {{64 * 1024, r.text + QString(300000, QChar(u'あ'))},
                                                   {100, QString(5000, QChar(u'n'))}};
    for (const auto &[limit, text] : cases) {
        QString error;
        bool ok = true;
        {
            FileSizeLimit full(limit);  // every write beyond the limit fails, as on a full disk
            ok = writeTextFile(path, text, r.format, &error);
        }
        QVERIFY(!ok);
        QVERIFY2(error.contains(QStringLiteral("元のファイルは変更されていません")), qPrintable(error));
        QCOMPARE(fileBytes(path), original);
        QCOMPARE(entriesOf(dir.path()), QStringList{QStringLiteral("page.htm")});
    }
}

void TestTextFile::killedSaveLeavesTheOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.htm"));
    const QByteArray original = trickyShiftJis();
    putBytes(path, original);
    const TextFileRead r = readTextFile(path);
    const QString big = r.text + QString(3 * 1024 * 1024, QChar(u'x'));

    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        // The process dies after the first megabyte reached the temporary file.
        TextFileTesting::setChunkHook([](qint64) { ::kill(::getpid(), SIGKILL); });
        writeTextFile(path, big, r.format);
        _exit(3);  // not reached
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    QCOMPARE(fileBytes(path), original);
    QCOMPARE(entriesOf(dir.path()), QStringList{QStringLiteral("page.htm")});

    // The same save, not interrupted, replaces the file.
    QString error;
    QVERIFY(writeTextFile(path, big, r.format, &error));
    QCOMPARE(readTextFile(path).text, big);
}

void TestTextFile::permissionsAndLinksAreKept()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.htm"));
    putBytes(path, "<p>old</p>\r\n");
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0640) == 0);
    const TextFileRead r = readTextFile(path);
    QVERIFY(writeTextFile(path, QStringLiteral("<p>new</p>"), r.format));
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 07777), 0640);
    QCOMPARE(fileBytes(path), QByteArray("<p>new</p>\r\n"));

    // Saving through a symbolic link writes the file it points to; the link stays a link.
    const QString link = dir.filePath(QStringLiteral("link.htm"));
    QVERIFY(QFile::link(path, link));
    QVERIFY(writeTextFile(link, QStringLiteral("<p>via link</p>"), r.format));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(fileBytes(path), QByteArray("<p>via link</p>\r\n"));
}

void TestTextFile::readFailures()
{
    QTemporaryDir dir;
    // Missing: opens as an empty document under its path.
    TextFileRead r = readTextFile(dir.filePath(QStringLiteral("missing.htm")));
    QCOMPARE(r.status, TextFileRead::Missing);
    QVERIFY(r.text.isEmpty());
    QCOMPARE(readTextFile(QString()).status, TextFileRead::Missing);

    // A folder and a named pipe: Unreadable with a reason, and reading the pipe does not hang.
    r = readTextFile(dir.path());
    QCOMPARE(r.status, TextFileRead::Unreadable);
    QVERIFY(r.error.contains(QStringLiteral("フォルダー")));
    const QString fifo = dir.filePath(QStringLiteral("pipe"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    r = readTextFile(fifo);
    QCOMPARE(r.status, TextFileRead::Unreadable);
    QVERIFY(!r.error.isEmpty());
    QCOMPARE(readTextFile(fifo).text, QString());

    // No read permission (root reads everything, so only checked for other users).
    const QString locked = dir.filePath(QStringLiteral("locked.htm"));
    putBytes(locked, "secret");
    QVERIFY(::chmod(QFile::encodeName(locked).constData(), 0) == 0);
    if (::geteuid() != 0) {
        r = readTextFile(locked);
        QCOMPARE(r.status, TextFileRead::Unreadable);
        QVERIFY(r.error.contains(QStringLiteral("権限")));
    }

    // Writing over a folder fails with a reason and leaves it alone.
    QString error;
    QVERIFY(!writeTextFile(dir.path(), QStringLiteral("x"), TextFormat(), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(QFileInfo(dir.path()).isDir());
    QVERIFY(!writeTextFile(dir.filePath(QStringLiteral("no/such/folder.htm")), QStringLiteral("x"), TextFormat(), &error));
    QVERIFY2(error.contains(QStringLiteral("フォルダー")), qPrintable(error));
}

void TestTextFile::linksThatLeadNowhere()
{
    QTemporaryDir dir;
    auto expectError = [](const QString &path, const QString &words) {
        const TextFileRead r = readTextFile(path);
        QVERIFY2(r.status == TextFileRead::Unreadable, qPrintable(path));
        QVERIFY2(r.error.contains(words), qPrintable(r.error));
        QVERIFY(r.text.isEmpty());
    };
    // Two links pointing at each other, and a folder on the way that is such a loop.
    const QString a = dir.filePath(QStringLiteral("a.htm")), b = dir.filePath(QStringLiteral("b.htm"));
    QVERIFY(QFile::link(b, a));
    QVERIFY(QFile::link(a, b));
    expectError(a, QStringLiteral("循環"));
    const QString loopDir = dir.filePath(QStringLiteral("loop"));
    QVERIFY(QFile::link(loopDir, loopDir));
    expectError(loopDir + QStringLiteral("/page.htm"), QStringLiteral("循環"));

    // A link whose target is gone names the target; a missing plain file is still a new document.
    const QString dangling = dir.filePath(QStringLiteral("dangling.htm"));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone.htm")), dangling));
    expectError(dangling, QStringLiteral("gone.htm"));
    expectError(dangling, QStringLiteral("ありません"));
    QCOMPARE(readTextFile(dir.filePath(QStringLiteral("new.htm"))).status, TextFileRead::Missing);

    // A link to something that is not a readable file.
    const QString toFolder = dir.filePath(QStringLiteral("folder.htm"));
    QVERIFY(QFile::link(dir.path(), toFolder));
    expectError(toFolder, QStringLiteral("フォルダー"));
    const QString locked = dir.filePath(QStringLiteral("locked.htm"));
    putBytes(locked, "secret");
    QVERIFY(::chmod(QFile::encodeName(locked).constData(), 0) == 0);
    const QString toLocked = dir.filePath(QStringLiteral("to-locked.htm"));
    QVERIFY(QFile::link(locked, toLocked));
    if (::geteuid() != 0)  // root reads everything
        expectError(toLocked, QStringLiteral("リンク先のファイル"));

    // A good link reads its target.
    const QString good = dir.filePath(QStringLiteral("good.htm"));
    putBytes(dir.filePath(QStringLiteral("target.htm")), "<p>ok</p>\r\n");
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("target.htm")), good));
    QCOMPARE(readTextFile(good).text, QStringLiteral("<p>ok</p>"));
}

void TestTextFile::readOnlyFileSystemIsNamed()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.htm"));
    putBytes(path, "<p>old</p>\r\n");
    // The real check: the temporary folder is writable.
    QString error;
    QVERIFY(writeTextFile(path, QStringLiteral("<p>new</p>"), TextFormat(), &error));

    // On a read-only mount every write fails; the message names the mount, not permissions.
    TextFileTesting::setReadOnlyFileSystemCheck([](const QString &) { return true; });
    const bool written = writeTextFile(dir.filePath(QStringLiteral("no/such/page.htm")), QStringLiteral("x"),
                                       TextFormat(), &error);
    TextFileTesting::setReadOnlyFileSystemCheck({});
    QVERIFY(!written);
    QVERIFY2(error.contains(QStringLiteral("読み取り専用のファイルシステムです")), qPrintable(error));
    QVERIFY(!error.contains(QStringLiteral("権限")));
}

void TestTextFile::mostlyUtf8PageKeepsItsDamagedBytes()
{
    // A UTF-8 page with a stray Shift_JIS byte pair and a lone continuation byte: UTF-8, the
    // damaged bytes shown as replacement marks at their line and column.
    const QByteArray page = QByteArray("<meta charset=\"UTF-8\">\r\n") + QStringLiteral("<p>日本語のページ</p>\r\n").toUtf8() +
                            QByteArray("<p>x\x93\xFAy</p>\r\n") + QStringLiteral("<p>東京</p>\r\n").toUtf8() +
                            QByteArray("\x80\r\n");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.htm"));
    putBytes(path, page);
    const TextFileRead r = readTextFile(path);
    QCOMPARE(r.format.encoding, QByteArray("UTF-8"));
    QVERIFY(!r.clean);
    QVERIFY(r.text.contains(QStringLiteral("日本語のページ")));
    qsizetype count = 0;
    const std::vector<TextPlace> places = damagedPlaces(r.text, 2, &count);
    QCOMPARE(count, qsizetype(3));
    QCOMPARE(places.size(), size_t(2));
    QCOMPARE(places[0].line, qsizetype(3));
    QCOMPARE(places[0].column, qsizetype(5));
    QCOMPARE(places[1].line, qsizetype(3));
    QCOMPARE(places[1].column, qsizetype(6));

    // Edits elsewhere, and on the damaged line beside the bytes, keep them byte for byte.
    QString edited = r.text;
    edited.replace(QStringLiteral("東京"), QStringLiteral("大阪"));
    edited.replace(QStringLiteral("y</p>"), QStringLiteral("yz</p>"));
    QCOMPARE(damagedBytesLost(edited, r.format), qsizetype(0));
    QVERIFY(writeTextFile(path, edited, r.format));
    QByteArray expected = page;
    expected.replace(QStringLiteral("東京").toUtf8(), QStringLiteral("大阪").toUtf8());
    expected.replace("y</p>", "yz</p>");
    QCOMPARE(fileBytes(path), expected);
    // Replacing the marks themselves writes real U+FFFD characters: that loses the bytes.
    QString retyped = r.text;
    retyped.replace(QStringLiteral("x\uFFFD\uFFFDy"), QStringLiteral("w\uFFFD\uFFFDv"));
    QCOMPARE(damagedBytesLost(retyped, r.format), qsizetype(2));
    // A clean page loses nothing.
    const TextFileRead clean = decodeTextFile(QStringLiteral("<p>\uFFFD</p>").toUtf8());
    QCOMPARE(damagedBytesLost(clean.text + QStringLiteral("x"), clean.format), qsizetype(0));
}

void TestTextFile::decodingTheSameWay()
{
    // Bytes that both Shift_JIS and EUC-JP read: a document known to be Shift_JIS is compared
    // with the file read as Shift_JIS, whatever detection would say.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.htm"));
    putBytes(path, "\xA4\xCF\xA4\xA4\r\n");
    QCOMPARE(readTextFile(path).text, QStringLiteral("はい"));
    TextFormat sjis;
    sjis.encoding = "Shift_JIS";
    QCOMPARE(readTextFile(path, sjis).text, QStringLiteral("､ﾏ､､"));
    TextFormat utf16;
    utf16.encoding = "UTF-16LE";
    utf16.bom = true;
    putBytes(path, bytesOf("\xFF\xFE\x42\x30\r\x00\n\x00"));
    QCOMPARE(readTextFile(path, utf16).text, QStringLiteral("あ"));
    QCOMPARE(readTextFile(dir.filePath(QStringLiteral("missing")), sjis).status, TextFileRead::Missing);
}

void TestTextFile::speedOfLargePages()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.htm"));
    for (const qsizetype size : {qsizetype(1) << 20, qsizetype(10) << 20}) {
        const QByteArray page = bigShiftJisPage(size);
        putBytes(path, page);
        QElapsedTimer t;
        t.start();
        const TextFileRead r = readTextFile(path);
        const qint64 readMs = t.elapsed();
        QCOMPARE(r.format.encoding, QByteArray("Shift_JIS"));
        QVERIFY(r.clean);

        t.restart();
        QString error;
        QVERIFY(writeTextFile(path, r.text, r.format, &error));
        const qint64 unchangedMs = t.elapsed();
        QCOMPARE(fileBytes(path), page);

        QString edited = r.text;
        edited.insert(edited.size() / 2, QStringLiteral("編集"));
        t.restart();
        QVERIFY(writeTextFile(path, edited, r.format, &error));
        const qint64 editedMs = t.elapsed();

        TextFormat fresh = r.format;
        fresh.origin.reset();
        t.restart();
        QVERIFY(writeTextFile(path, edited, fresh, &error));
        const qint64 freshMs = t.elapsed();

        t.restart();
        QCOMPARE(readTextFile(path, r.format).text, edited);
        const qint64 compareMs = t.elapsed();

        const double mb = double(page.size()) / (1024 * 1024);
        qInfo("%.1f MB Shift_JIS: read %lld ms (%.0f MB/s); save unchanged %lld ms, one edit %lld ms, "
              "all encoded anew %lld ms (%.0f MB/s); modified test read %lld ms",
              mb, readMs, mb * 1000 / std::max<qint64>(readMs, 1), unchangedMs, editedMs, freshMs,
              mb * 1000 / std::max<qint64>(freshMs, 1), compareMs);
        // Generous bounds for a busy machine; the editor itself needs the rest of the time.
        QVERIFY(readMs < (size < (qsizetype(2) << 20) ? 300 : 2000));
        QVERIFY(editedMs < (size < (qsizetype(2) << 20) ? 500 : 3000));
    }
}

QTEST_GUILESS_MAIN(TestTextFile)
#include "test_textfile.moc"
