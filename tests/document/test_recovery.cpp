// Crash recovery: which starts offer the snapshot of an earlier run.
#include <QtTest>

#include "document/recovery.h"
#include "document/textfile.h"
#include "document/undohistory.h"

#include <sys/wait.h>
#include <unistd.h>

namespace {

QStringList locksIn(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("tarnell-run-*.lock")}, QDir::Files | QDir::Hidden);
}

// The history of a run: its snapshots as the change handler writes them.
void takeSnapshots(const QString &folder, const QStringList &texts)
{
    UndoHistory h;
    h.setFolder(folder);
    h.setMode(UndoHistory::Files);
    for (const QString &t : texts)
        h.onChange(t);
}

// A run in another process that takes its lock, takes snapshots and ends without shutting down.
void crashedRun(const QString &folder, const QStringList &texts)
{
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        Recovery run(folder);
        run.acquire();
        takeSnapshots(folder, texts);
        _exit(0);  // no shut-down sequence: the lock and the history files stay
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
}

}  // namespace

class TestRecovery : public QObject {
    Q_OBJECT

private slots:
    void cleanRunsOfferNothing();
    void crashedRunIsOffered();
    void runningInstanceIsNeverOffered();
    void instanceRunningInAnotherProcess();
};

void TestRecovery::cleanRunsOfferNothing()
{
    QTemporaryDir dir;
    {
        Recovery first(dir.path());
        QVERIFY(!first.acquire());
        QVERIFY(first.isHeld());
        QCOMPARE(locksIn(dir.path()).size(), 1);
        QVERIFY(first.snapshot().isEmpty());
        // The run takes snapshots and shuts down: history deleted, then the lock released.
        takeSnapshots(dir.path(), {QStringLiteral("a"), QStringLiteral("ab")});
        UndoHistory h;
        h.setFolder(dir.path());
        h.removeFiles();
        first.release();
        QVERIFY(!first.isHeld());
    }
    QVERIFY(locksIn(dir.path()).isEmpty());
    Recovery second(dir.path());
    QVERIFY(!second.acquire());

    // An empty newest snapshot is nothing to restore.
    QTemporaryDir other;
    crashedRun(other.path(), {QStringLiteral("text"), QString()});
    Recovery third(other.path());
    QVERIFY(!third.acquire());
}

void TestRecovery::crashedRunIsOffered()
{
    QTemporaryDir dir;
    crashedRun(dir.path(), {QStringLiteral("<p>一</p>"), QStringLiteral("<p>一二</p>\n<p>三</p>")});
    QCOMPARE(locksIn(dir.path()).size(), 1);  // the dead run's lock

    Recovery next(dir.path());
    QVERIFY(next.acquire());
    QVERIFY(!next.otherInstanceAlive());
    QCOMPARE(next.snapshot(), QStringLiteral("<p>一二</p>\n<p>三</p>"));  // the newest
    QCOMPARE(locksIn(dir.path()), QStringList{QFileInfo(next.lockPath()).fileName()});
    // Asking again gives the same answer, even after the start-up overwrote the history.
    takeSnapshots(dir.path(), {QStringLiteral("template")});
    QVERIFY(next.acquire());
    QCOMPARE(next.snapshot(), QStringLiteral("<p>一二</p>\n<p>三</p>"));

    // A crash without a lock at all (an older version, a lock removed by hand) is offered too.
    QTemporaryDir bare;
    takeSnapshots(bare.path(), {QStringLiteral("left")});
    Recovery start(bare.path());
    QVERIFY(start.acquire());
    QCOMPARE(start.snapshot(), QStringLiteral("left"));
}

void TestRecovery::runningInstanceIsNeverOffered()
{
    // A second instance shares the history files: the snapshots of the first are not its to restore.
    QTemporaryDir dir;
    Recovery first(dir.path());
    QVERIFY(!first.acquire());
    takeSnapshots(dir.path(), {QStringLiteral("first's text")});
    Recovery second(dir.path());
    QVERIFY(!second.acquire());
    QVERIFY(second.otherInstanceAlive());
    QVERIFY(second.snapshot().isEmpty());
    QCOMPARE(locksIn(dir.path()).size(), 2);
    // While either runs, a third start offers nothing either.
    Recovery third(dir.path());
    QVERIFY(!third.acquire());
}

void TestRecovery::instanceRunningInAnotherProcess()
{
    QTemporaryDir dir;
    int ready[2], quit[2];
    QCOMPARE(pipe(ready), 0);
    QCOMPARE(pipe(quit), 0);
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        close(ready[0]);
        close(quit[1]);
        Recovery run(dir.path());
        run.acquire();
        takeSnapshots(dir.path(), {QStringLiteral("other process")});
        const char c = 'r';
        (void)!write(ready[1], &c, 1);
        char x;
        (void)!read(quit[0], &x, 1);  // runs until the test closes the pipe
        _exit(0);                     // and then dies without shutting down
    }
    close(ready[1]);
    close(quit[0]);
    char c = 0;
    QCOMPARE(read(ready[0], &c, 1), ssize_t(1));

    {
        Recovery whileAlive(dir.path());
        QVERIFY(!whileAlive.acquire());
        QVERIFY(whileAlive.otherInstanceAlive());
    }
    close(quit[1]);
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    close(ready[0]);

    Recovery afterCrash(dir.path());
    QVERIFY(afterCrash.acquire());
    QCOMPARE(afterCrash.snapshot(), QStringLiteral("other process"));
}

QTEST_GUILESS_MAIN(TestRecovery)
#include "test_recovery.moc"
