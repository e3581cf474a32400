// The document: its modified state as the text changes, loads and saves; where it lives
// after Save As; a file changed by another program.
#include "document/document.h"
#include "document/preread.h"
#include "platform/shared.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}
}

class TestDocument : public QObject {
    Q_OBJECT
private slots:
    void modifiedStateIsTracked()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.htm");
        writeBytes(path, "abc\r\n");
        Document doc;
        QSignalSpy flips(&doc, &Document::modifiedChanged);
        QCOMPARE(doc.load(path, "a.htm").text, QString("abc"));
        QVERIFY(!doc.isModified());
        QCOMPARE(flips.count(), 0);

        // Many changes, one flip; the revision counts every change.
        const quint64 saved = doc.savedRevision();
        doc.noteChange();
        doc.noteChange();
        QVERIFY(doc.isModified());
        QCOMPARE(flips.count(), 1);
        QCOMPARE(flips.last().first().toBool(), true);
        QCOMPARE(doc.revision(), saved + 2);
        QCOMPARE(doc.savedRevision(), saved);

        // Undo back to the saved text marks it unmodified without touching the file.
        doc.setModified(false);
        QCOMPARE(flips.count(), 2);
        doc.setModified(false);
        QCOMPARE(flips.count(), 2);

        // The file changing on disk is no change of the text.
        writeBytes(path, "abcd\r\n");
        QVERIFY(!doc.isModified());

        // Saving makes the current revision the saved one.
        doc.noteChange();
        QString error;
        QVERIFY(doc.save(path, "xyz", &error));
        QVERIFY(!doc.isModified());
        QCOMPARE(doc.savedRevision(), doc.revision());
        QCOMPARE(flips.count(), 4);
    }

    void loadSaveAsAndFailures()
    {
        QTemporaryDir dir;
        const QString a = dir.filePath("a.htm");
        writeBytes(a, "\xEF\xBB\xBFline\nnext\n");
        Document doc;
        QSignalSpy moved(&doc, &Document::pathChanged);
        doc.load(a, "a.htm");
        QCOMPARE(doc.path(), a);
        QCOMPARE(Shared::DocumentPath, a);
        QCOMPARE(doc.previewPath(), a + "$.tmp");
        QVERIFY(doc.format().bom);
        QCOMPARE(moved.count(), 1);

        // Save As: the document lives in the new place, in the same format.
        const QString b = dir.filePath("b.htm");
        QString error;
        doc.noteChange();
        QVERIFY(doc.save(b, "line\nnext", &error));
        QCOMPARE(doc.path(), b);
        QCOMPARE(doc.displayName(), QString("b.htm"));
        QCOMPARE(Shared::DocumentPath, b);
        QCOMPARE(doc.previewPath(), b + "$.tmp");
        QCOMPARE(moved.count(), 2);
        QFile f(b);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("\xEF\xBB\xBFline\nnext\n"));

        // A failed save changes nothing and says why.
        doc.noteChange();
        QVERIFY(!doc.save(dir.filePath("no/such/folder/c.htm"), "x", &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(doc.path(), b);
        QVERIFY(doc.isModified());

        // A file that exists but cannot be read leaves the document as it was.
        const TextFileRead r = doc.load(dir.path(), "folder");
        QCOMPARE(r.status, TextFileRead::Unreadable);
        QCOMPARE(doc.path(), b);
        QVERIFY(doc.isModified());

        // A missing file is a new, empty document of that path in the default format.
        const QString missing = dir.filePath("new.htm");
        QCOMPARE(doc.load(missing, "new.htm").status, TextFileRead::Missing);
        QCOMPARE(doc.path(), missing);
        QVERIFY(!doc.format().bom);
        QVERIFY(!doc.isModified());

        // After switching to UTF-8 the next save writes UTF-8 without a byte-order mark.
        writeBytes(a, "\x82\xA0\r\n");  // "あ" in Shift_JIS
        doc.load(a, "a.htm");
        QCOMPARE(doc.format().encoding, QByteArray("Shift_JIS"));
        doc.switchToUtf8();
        QVERIFY(doc.save(a, "あ😀", &error));
        QFile g(a);
        QVERIFY(g.open(QIODevice::ReadOnly));
        QCOMPARE(g.readAll(), QString("あ😀\r\n").toUtf8());
    }

    void formatChosenByTheUserAndLoadingInAnEncoding()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("e.htm");
        // "はい" in EUC-JP; detection takes it as EUC-JP.
        const QByteArray euc = "<p>\xA4\xCF\xA4\xA4</p>\r\n";
        writeBytes(path, euc);
        Document doc;
        doc.load(path, "e.htm");
        QCOMPARE(doc.format().encoding, QByteArray("EUC-JP"));

        // Another line end chosen: modified until saved, also when an undo brings the text back.
        doc.setFormat(reformat(doc.format(), "EUC-JP", false, LineEnd::LF));
        QVERIFY(doc.isModified() && doc.isFormatChanged());
        doc.setModified(false);
        QVERIFY(doc.isModified());
        QString error;
        QVERIFY(doc.save(path, QString::fromUtf8("<p>はい</p>"), &error));
        QVERIFY(!doc.isModified() && !doc.isFormatChanged());
        QCOMPARE(doc.format().lineEnd, LineEnd::LF);
        // A format put back leaves the state to the text.
        doc.setFormat(reformat(doc.format(), "UTF-8", false, LineEnd::LF));
        doc.setFormat(reformat(doc.format(), "EUC-JP", false, LineEnd::LF), false);
        doc.setModified(false);
        QVERIFY(!doc.isModified());

        // Read in a named encoding: taken on, unmodified, the path kept.
        std::vector<UndecodablePlace> places;
        qsizetype count = -1;
        TextFileRead r = doc.loadIn(path, "e.htm", "Shift_JIS", &places, &count);
        QCOMPARE(count, 0);
        QCOMPARE(doc.format().encoding, QByteArray("Shift_JIS"));
        QCOMPARE(r.text, QString::fromUtf8("<p>､ﾏ､､</p>"));
        QVERIFY(!doc.isModified());
        // Bytes that do not decode: the places are reported and the document stays as it was.
        writeBytes(path, "ok\r\n\x82\xA0\xFF\r\n");
        doc.noteChange();
        r = doc.loadIn(path, "e.htm", "UTF-8", &places, &count);
        QCOMPARE(count, 3);
        QCOMPARE(places.size(), size_t(3));
        QCOMPARE(places[0].line, 2);
        QCOMPARE(places[0].column, 1);
        QCOMPARE(doc.format().encoding, QByteArray("Shift_JIS"));
        QVERIFY(doc.isModified());
        // A file that is gone is not read, and nothing changes either.
        QFile::remove(path);
        r = doc.loadIn(path, "e.htm", "UTF-8", &places, &count);
        QVERIFY(r.status != TextFileRead::Ok);
        QCOMPARE(doc.format().encoding, QByteArray("Shift_JIS"));
        QVERIFY(doc.isModified());
    }

    void aPageReadAheadIsTakenOnlyWhileItIsCurrent()
    {
        QTemporaryDir dir;
        const QString a = dir.filePath("a.htm");
        const QString b = dir.filePath("b.htm");
        // Shift_JIS with mixed line ends: the read ahead keeps the bytes and format as a load does.
        const QByteArray bytes = "<p>\x93\xfa\x96\x7b\x8c\xea</p>\r\n<br>\n\x82\xa0\r\n";
        writeBytes(a, bytes);
        writeBytes(b, "b\r\n");

        // Taken by the load of its own path, once; the document is as after any load.
        Preread::start(a);
        Document doc;
        const TextFileRead r = doc.load(a, "a.htm");
        const TextFileRead direct = readTextFile(a);
        QCOMPARE(r.text, direct.text);
        QCOMPARE(r.format.encoding, QByteArray("Shift_JIS"));
        QCOMPARE(doc.format().lineEnd, direct.format.lineEnd);
        QVERIFY(doc.format().origin && doc.format().origin->bytes == bytes);
        QVERIFY(!doc.isModified());
        QVERIFY(!doc.isChangedOnDisk());
        QVERIFY(!Preread::take(a));

        // Another path reads on its own; the read ahead stays for its page.
        Preread::start(a);
        QCOMPARE(doc.load(b, "b.htm").text, QString("b"));
        QVERIFY(Preread::take(a));

        // A file changed after the read began is read again.
        Preread::start(a);
        QTest::qWait(20);
        writeBytes(a, "<p>new, and longer</p>\r\n");
        QVERIFY(!Preread::take(a));
        Preread::start(a);
        writeBytes(a, "<p>newer, and longer</p>\r\n");
        QCOMPARE(doc.load(a, "a.htm").text, QString("<p>newer, and longer</p>"));
        QVERIFY(!doc.isChangedOnDisk());

        // A missing or unreadable page ahead changes nothing.
        Preread::start(dir.filePath("missing.htm"));
        QCOMPARE(doc.load(dir.filePath("missing.htm"), "missing.htm").status, TextFileRead::Missing);
        Preread::start(dir.path());
        QCOMPARE(doc.load(dir.path(), "dir").status, TextFileRead::Unreadable);
        QCOMPARE(doc.path(), dir.filePath("missing.htm"));
        Preread::start(QString());
        QVERIFY(!Preread::take(QString()));
    }

    void fileChangedByAnotherProgram()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.htm");
        writeBytes(path, "one\n");
        Document doc;
        doc.load(path, "a.htm");
        QVERIFY(!doc.isChangedOnDisk());

        QSignalSpy changed(&doc, &Document::fileChanged);
        writeBytes(path, "another program\n");
        QVERIFY(doc.isChangedOnDisk());
        QVERIFY(doc.hasUnseenDiskChange());
        QTRY_VERIFY(changed.count() > 0);

        // Seen: no more reports until the next change, but a save still has to ask.
        doc.markDiskChangeSeen();
        QVERIFY(!doc.hasUnseenDiskChange());
        QVERIFY(doc.isChangedOnDisk());
        QFile::remove(path);
        QVERIFY(doc.hasUnseenDiskChange());

        // The document's own saves are not changes by another program.
        QString error;
        QVERIFY(doc.save(path, "mine", &error));
        QVERIFY(!doc.isChangedOnDisk());
        QVERIFY(!doc.hasUnseenDiskChange());

        // A document without a file of its own is never reported.
        Document none;
        none.load(QString(), QString());
        QVERIFY(!none.isChangedOnDisk());
    }
};

QTEST_MAIN(TestDocument)
#include "test_document.moc"
