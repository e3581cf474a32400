// Several instances and crash recovery as a user meets them: two windows typing and undoing
// side by side, an instance killed while another runs, the restore offer naming its document.
#include "app/instances.h"
#include "app/mainwindow.h"
#include "document/docpaths.h"
#include "document/recovery.h"
#include "document/textfile.h"
#include "platform/editarea.h"
#include "platform/prompts.h"
#include "platform/shared.h"
#include "testutil.h"

#include <QtTest>
#include <csignal>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Types text at the end, one change per character as the keyboard makes them.
void type(MainWindow &w, const QString &text)
{
    for (const QChar c : text) {
        w.edit()->setSelStart(w.edit()->textLength());
        w.edit()->insert(QString(c));
    }
}

// An instance in another process editing a document: it opens the file, types, and waits to be
// killed (kill -9, no shut-down). Only the parts that write files run there: the slot, the
// record and the history, as the window's start-up and change handler drive them.
pid_t instanceEditing(const QString &folder, const QString &document, const QString &typed)
{
    int ready[2];
    if (pipe(ready) != 0)
        return -1;
    const pid_t child = fork();
    if (child == 0) {
        ::close(ready[0]);
        Recovery run(folder);
        run.acquire();
        const TextFileRead r = readTextFile(document);
        run.recordDocument(document, false, r.format);
        UndoHistory h;
        h.setFolder(folder);
        h.setInstance(run.slot());
        h.onChange(r.text);
        h.onChange(r.text + typed);
        h.flush();  // the files are written in the background: on disk before the kill
        (void)!write(ready[1], "r", 1);
        for (;;)
            pause();
    }
    ::close(ready[1]);
    char c = 0;
    (void)!read(ready[0], &c, 1);
    ::close(ready[0]);
    return child;
}

void killHard(pid_t pid)
{
    ::kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
}

}  // namespace

class TestInstances : public QObject {
    Q_OBJECT

    std::unique_ptr<TestFolders> folders;
    QStringList asked;
    QStringList confirmAnswers;
    QStringList started;  // command lines of instances started

    std::unique_ptr<MainWindow> start(const QString &commandLine = QString())
    {
        auto w = std::make_unique<MainWindow>();
        w->startUp(commandLine);
        return w;
    }
    QString page(const QString &name, const QByteArray &bytes)
    {
        const QString path = folders->path(name);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        return path;
    }

private slots:
    void init()
    {
        folders = std::make_unique<TestFolders>();
        asked.clear();
        confirmAnswers.clear();
        started.clear();
        Prompts::setAnswerer([this](const QString &kind, const QString &text) {
            asked << kind + ":" + text;
            if (kind == "confirm")
                return confirmAnswers.isEmpty() ? QString("0") : confirmAnswers.takeFirst();
            if (kind == "ask")
                return QString::number(QMessageBox::No);
            return QString();
        });
        Instances::setStarter([this](const QString &commandLine, bool) { started << commandLine; });
        QFile t(folders->program + "/tmp.htm");
        QVERIFY(t.open(QIODevice::WriteOnly));
        t.write("<html>\r\n</html>\r\n");
    }
    void cleanup()
    {
        Prompts::setAnswerer({});
        Instances::setStarter({});
        folders.reset();
    }

    void twoInstancesTypeAndUndoIndependently()
    {
        const QString docA = page("a.htm", "<p>A</p>\r\n");
        auto a = start(docA);
        const QByteArray aNewest = readBytes(folders->program + "/modo0.tmp");
        // "もう一つ起動": B starts untitled; its start writes only its own files.
        auto b = start();
        QCOMPARE(readBytes(folders->program + "/modo0.tmp"), aNewest);
        QVERIFY(QFile::exists(folders->program + "/modo0-1.tmp"));
        QVERIFY(asked.filter("confirm:").isEmpty());

        type(*a, "xy");
        type(*b, "12");
        a->undo();
        b->undo();
        QCOMPARE(a->edit()->text(), QString("<p>A</p>x"));
        QCOMPARE(b->edit()->text(), QString("<html>\n</html>1"));
        a->undo();
        QCOMPARE(a->edit()->text(), QString("<p>A</p>"));
        a->redo();
        QCOMPARE(a->edit()->text(), QString("<p>A</p>x"));

        // B's normal exit removes B's files only; A's history still works.
        QVERIFY(b->shutDown());  // "save?" answered No
        b.reset();
        QVERIFY(!QFile::exists(folders->program + "/modo0-1.tmp"));
        type(*a, "zw");  // (the redo emptied A's history)
        QVERIFY(QFile::exists(folders->program + "/modo0.tmp"));
        a->undo();
        QCOMPARE(a->edit()->text(), QString("<p>A</p>xz"));
    }

    void killedInstanceIsOfferedWithItsPathWhileAnotherRuns()
    {
        const QString doc = page("doc.htm", "<meta charset=\"Shift_JIS\">\n<p>\x93\xFA\x96\x7B</p>\n");
        const QString other = page("other.htm", "<p>other</p>\r\n");
        auto live = start();  // slot 0, stays open throughout
        type(*live, "live");
        const QByteArray liveNewest = readBytes(folders->program + "/modo0.tmp");

        const pid_t victim = instanceEditing(folders->program, doc, QString("\n<p>追加</p>"));
        QVERIFY(victim > 0);
        killHard(victim);

        // Restart with other.htm on the command line; the offer names doc.htm, and restoring
        // puts doc.htm's text under doc.htm's name, in its encoding and line ends.
        confirmAnswers << "1";
        auto next = start(other);
        const QStringList offers = asked.filter("confirm:");
        QCOMPARE(offers.size(), 1);
        QVERIFY2(offers[0].contains("「doc.htm」の編集内容を復元しますか？"), qPrintable(offers[0]));
        QVERIFY(offers[0].contains("「other.htm」は別のウィンドウで開きます"));
        QCOMPARE(Shared::DocumentPath, doc);
        QVERIFY(next->windowTitle().contains(doc));
        QCOMPARE(next->edit()->text(), QString("<meta charset=\"Shift_JIS\">\n<p>日本</p>\n<p>追加</p>"));
        QCOMPARE(next->documentFormat().encoding, QByteArray("Shift_JIS"));
        QCOMPARE(next->documentFormat().lineEnd, LineEnd::LF);
        QVERIFY(next->isModified());
        // other.htm is opened by another instance, never under the restored text.
        QCOMPARE(started, QStringList{other});
        QVERIFY(next->save());
        QCOMPARE(readBytes(other), QByteArray("<p>other</p>\r\n"));
        QCOMPARE(readBytes(doc), QByteArray("<meta charset=\"Shift_JIS\">\n<p>\x93\xFA\x96\x7B</p>\n<p>\x92\xC7\x89\xC1</p>\n"));

        // The live instance's files were never touched, and its undo still has its own text.
        QCOMPARE(readBytes(folders->program + "/modo0.tmp"), liveNewest);
        live->undo();
        QCOMPARE(live->edit()->text(), QString("<html>\n</html>liv"));
        // The answered text is gone: a further start offers nothing.
        asked.clear();
        auto third = start();
        QVERIFY(asked.filter("confirm:").isEmpty());
    }

    // The document's file was removed after the crash: the text comes back in the encoding
    // and line ends it had, not in those of a new document.
    void restoredDocumentWhoseFileIsGoneKeepsItsFormat()
    {
        const QString doc = page("gone.htm", "<meta charset=\"Shift_JIS\">\n<p>\x93\xFA\x96\x7B</p>\n");
        const pid_t victim = instanceEditing(folders->program, doc, QString("\n<p>追加</p>"));
        QVERIFY(victim > 0);
        killHard(victim);
        QVERIFY(QFile::remove(doc));

        confirmAnswers << "1";
        auto next = start();
        QCOMPARE(asked.filter("confirm:").size(), 1);
        QCOMPARE(next->edit()->text(), QString("<meta charset=\"Shift_JIS\">\n<p>日本</p>\n<p>追加</p>"));
        QCOMPARE(next->documentFormat().encoding, QByteArray("Shift_JIS"));
        QCOMPARE(next->documentFormat().lineEnd, LineEnd::LF);
        QVERIFY(next->isModified());
        QVERIFY(next->save());
        QCOMPARE(readBytes(doc), QByteArray("<meta charset=\"Shift_JIS\">\n<p>\x93\xFA\x96\x7B</p>\n<p>\x92\xC7\x89\xC1</p>\n"));
    }

    void declinedOffersAndSeveralDeadInstances()
    {
        const QString a = page("a.htm", "<p>a</p>\r\n");
        const QString b = page("b.htm", "<p>b</p>\r\n");
        // Two instances running at once, then both killed.
        const pid_t first = instanceEditing(folders->program, a, "A");
        const pid_t second = instanceEditing(folders->program, b, "B");
        killHard(first);
        killHard(second);

        // Declining the first offers the second in turn; the untitled page is "無題".
        confirmAnswers << "0" << "1";
        auto w = start();
        QStringList offers = asked.filter("confirm:");
        QCOMPARE(offers.size(), 2);
        QVERIFY(offers[0].contains("「a.htm」の編集内容を復元しますか？"));
        QVERIFY(offers[1].contains("「b.htm」の編集内容を復元しますか？"));
        QCOMPARE(w->edit()->text(), QString("<p>b</p>B"));
        QCOMPARE(Shared::DocumentPath, b);
        QVERIFY(started.isEmpty());
        QCOMPARE(readBytes(a), QByteArray("<p>a</p>\r\n"));

        // Two more dead instances; restoring the first leaves the second to another instance,
        // which is started and offers it.
        w.reset();  // (not shut down: this one dies too, holding b.htm's restored text)
        const pid_t third = instanceEditing(folders->program, a, "C");
        killHard(third);
        asked.clear();
        confirmAnswers << "1";
        auto x = start();
        offers = asked.filter("confirm:");
        QCOMPARE(offers.size(), 1);
        QCOMPARE(started, QStringList{QString()});
        const QString restored = x->edit()->text();
        asked.clear();
        confirmAnswers << "1";
        auto y = start();  // the instance that was started
        offers = asked.filter("confirm:");
        QCOMPARE(offers.size(), 1);
        QVERIFY(y->edit()->text() != restored);
        QVERIFY(QStringList({QString("<p>b</p>B"), QString("<p>a</p>C")}).contains(y->edit()->text()));
        QVERIFY(QStringList({QString("<p>b</p>B"), QString("<p>a</p>C")}).contains(restored));

        // An untitled document's text is offered as 無題 and restored as untitled.
        QTemporaryDir plain;
        AppEnv::setProgramFolder(plain.path());
        QFile t(plain.path() + "/tmp.htm");
        QVERIFY(t.open(QIODevice::WriteOnly));
        t.write("<html>\r\n</html>\r\n");
        t.close();
        {
            auto u = start();
            type(*u, "u");
        }  // gone without shutting down
        asked.clear();
        confirmAnswers << "1";
        auto v = start();
        offers = asked.filter("confirm:");
        QCOMPARE(offers.size(), 1);
        QVERIFY(offers[0].startsWith("confirm:「無題」の編集内容を復元しますか？"));
        QCOMPARE(v->windowTitle(), QString("無題-Tarnell for NOTE"));
        QCOMPARE(v->edit()->text(), QString("<html>\n</html>u"));
        QVERIFY(v->isModified());
    }
};

QTEST_MAIN(TestInstances)
#include "test_instances.moc"
