// The history kept as edits and shared texts: the shared text against a plain string, the
// files written off the change handler against the files the one-write-per-change history left,
// and the grouping of steps in the deep mode.
#include "document/historywriter.h"
#include "document/sharedtext.h"
#include "document/textfile.h"
#include "document/undohistory.h"
#include "testutil.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

// The history files as the change handler wrote them at every change, one file operation after
// the other: the behaviour the files must keep.
struct SynchronousFiles {
    QString folder;
    QString redo;
    QString path(int i) const { return folder + QStringLiteral("/modo%1.tmp").arg(i); }
    void write(int i, const QString &text)
    {
        QFile f(path(i));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(encodeTextFile(text, TextFormat()));
    }
    void change(const QString &text)
    {
        QFile::remove(path(3));
        QFile::rename(path(2), path(3));
        QFile::rename(path(1), path(2));
        QFile::rename(path(0), path(1));
        write(0, text);
    }
    // Returns the text put in the editor; the change this makes takes no snapshot.
    std::optional<QString> undo(const QString &current)
    {
        if (!QFile::exists(path(1)))
            return std::nullopt;
        const QString earlier = readTextFile(path(1)).text;
        redo = current;
        QFile::remove(path(1));
        QFile::rename(path(2), path(1));
        QFile::rename(path(3), path(2));
        return earlier;
    }
    std::optional<QString> redoText()
    {
        if (redo.isEmpty())
            return std::nullopt;
        const QString text = redo;
        redo.clear();
        for (int i = 0; i < 4; ++i)
            QFile::remove(path(i));
        return text;
    }
};

// A random small edit of text.
TextEdit randomEdit(QRandomGenerator &rng, qsizetype size)
{
    static const QString alphabet = QStringLiteral("ab \n<>日本語x");
    TextEdit e;
    e.pos = rng.bounded(int(size) + 1);
    const int removed = rng.bounded(4) == 0 ? rng.bounded(qMin<int>(30000, int(size - e.pos) + 1)) : 0;
    e.removed = QString(removed, QLatin1Char('?'));
    const int added = rng.bounded(3) == 0 ? rng.bounded(20000) : rng.bounded(3);
    for (int i = 0; i < added; ++i)
        e.added += alphabet.at(rng.bounded(int(alphabet.size())));
    return e;
}

}  // namespace

class TestHistoryEdits : public QObject {
    Q_OBJECT

    // A deep history fed with edits as the editor would make them, on a clock of its own.
    struct Deep {
        TestFolders folders;
        UndoHistory h;
        SharedText text;
        qint64 now = 0;
        Deep()
        {
            h.setFolder(folders.program);
            h.setMode(UndoHistory::Deep);
            h.reset(text);
        }
        void edit(qsizetype pos, const QString &removed, const QString &added, ChangeSource source,
                  qint64 wait = 100)
        {
            now += wait;
            TextChange c;
            c.before = {int(pos + removed.size()), int(pos + removed.size())};
            text.replace(pos, removed.size(), added);
            c.edits.push_back(TextEdit{pos, removed, added});
            c.after = {int(pos + added.size()), int(pos + added.size())};
            c.source = source;
            c.time = now;
            h.onChange(text, c);
        }
        void type(const QString &keys, qint64 wait = 100)
        {
            for (QChar k : keys)
                edit(text.size(), QString(), QString(k), ChangeSource::Key, wait);
        }
        void backspace(int times)
        {
            for (int i = 0; i < times; ++i)
                edit(text.size() - 1, text.mid(text.size() - 1, 1), QString(), ChangeSource::Key);
        }
        bool apply(const std::optional<UndoHistory::Restore> &r, TextSelection *selection = nullptr)
        {
            if (!r)
                return false;
            for (const TextEdit &e : r->edits) {
                if (text.mid(e.pos, e.removed.size()) != e.removed)
                    return false;
                text.replace(e.pos, e.removed.size(), e.added);
            }
            if (selection)
                *selection = r->selection;
            return true;
        }
        QString undo(TextSelection *selection = nullptr)
        {
            return apply(h.undo(text), selection) ? text.toString() : QStringLiteral("<nothing>");
        }
        QString redo(TextSelection *selection = nullptr)
        {
            return apply(h.redo(text), selection) ? text.toString() : QStringLiteral("<nothing>");
        }
    };

private slots:
    void sharedTextFollowsAPlainString()
    {
        QRandomGenerator rng(16);
        QString plain;
        SharedText shared;
        std::vector<std::pair<QString, SharedText>> kept;
        for (int round = 0; round < 400; ++round) {
            TextEdit e = randomEdit(rng, plain.size());
            const qsizetype removed = e.removed.size();
            plain.replace(e.pos, removed, e.added);
            shared.replace(e.pos, removed, e.added);
            QCOMPARE(shared.size(), plain.size());
            if (round % 37 == 0) {
                QCOMPARE(shared.toString(), plain);
                const qsizetype at = rng.bounded(int(plain.size()) + 1);
                QCOMPARE(shared.mid(at, 9000), plain.mid(at, 9000));
            }
            if (round % 50 == 0)
                kept.emplace_back(plain, shared);  // copies share pieces and must not change
        }
        for (const auto &[p, s] : kept) {
            QCOMPARE(s.toString(), p);
            // The difference of two texts is where they really differ.
            const SharedText::Difference d = s.difference(shared);
            qsizetype prefix = 0;
            while (prefix < qMin(p.size(), plain.size()) && p.at(prefix) == plain.at(prefix))
                ++prefix;
            QCOMPARE(d.prefix, prefix);
            QVERIFY(d.suffix <= qMin(p.size(), plain.size()) - prefix);
            QCOMPARE(p.right(d.suffix), plain.right(d.suffix));
            if (d.suffix < qMin(p.size(), plain.size()) - prefix)
                QVERIFY(p.at(p.size() - 1 - d.suffix) != plain.at(plain.size() - 1 - d.suffix));
            QCOMPARE(s.equals(shared), p == plain);
        }
        // A surrogate pair is never cut in two.
        QString emoji;
        for (int i = 0; i < SharedText::PieceSize; ++i)
            emoji += QString::fromUtf8("\xF0\x9F\x98\x80");
        SharedText pairs(emoji);
        pairs.forEachPiece([](const QString &piece) { QVERIFY(!piece.back().isHighSurrogate()); });
        QCOMPARE(pairs.toString(), emoji);
    }

    void aLargeHistoryFileHasTheBytesOfTheWholeText()
    {
        // The file is written a part at a time; its bytes are those of the whole text, with
        // pairs, line ends and a lone surrogate wherever the parts meet.
        QString text;
        const QStringList lines = {QStringLiteral("<p>日本語の段落 &amp; 🍣</p>"), QStringLiteral("𠮟られる\t"),
                                   QString(QChar(0xD800)) + QStringLiteral("x"), QString()};
        for (int i = 0; text.size() < 700000; ++i)
            text += lines[i % lines.size()] + QLatin1Char('\n');
        TestFolders folders;
        const QString path = folders.program + QStringLiteral("/big.tmp");
        SharedText shared(text);
        shared.replace(300000, 2, QStringLiteral("🍣\n"));
        QVERIFY(writeHistoryFile(path, shared));
        QCOMPARE(bytesOf(path), encodeTextFile(shared.toString(), TextFormat()));
        QVERIFY(!QFile::exists(path + QStringLiteral(".new")));
    }

    void filesAfterAFlushAreWhatEveryChangeWroteAtOnce()
    {
        // Random changes, undos and redos in both file histories; after each flush the four
        // files hold the same bytes (or are missing alike).
        for (int seed = 1; seed <= 3; ++seed) {
            QRandomGenerator rng(seed);
            TestFolders folders;
            QTemporaryDir syncDir;
            SynchronousFiles sync{syncDir.path(), {}};
            UndoHistory h;
            h.setFolder(folders.program);
            h.setMode(UndoHistory::Files);
            QString text = QStringLiteral("<html>\n日本語\n</html>");
            h.writeBase(text);
            sync.write(0, text);
            for (int round = 0; round < 60; ++round) {
                const int what = rng.bounded(10);
                if (what < 7) {
                    const TextEdit e = randomEdit(rng, text.size());
                    text.replace(e.pos, e.removed.size(), e.added);
                    h.onChange(text);
                    sync.change(text);
                } else if (what < 9) {
                    const std::optional<QString> earlier = sync.undo(text);
                    QString mine = text;
                    const bool undone = h.undo(text, [&](const QString &t) { mine = t; });
                    QCOMPARE(undone, earlier.has_value());
                    if (earlier) {
                        QCOMPARE(mine, *earlier);
                        text = mine;
                    }
                } else {
                    const std::optional<QString> again = sync.redoText();
                    QCOMPARE(h.canRedo(), again.has_value());
                    if (again) {
                        h.redo([&](const QString &t) { text = t; });
                        QCOMPARE(text, *again);
                    }
                }
                if (round % 7 == 0 || round == 59) {
                    h.flush();
                    for (int i = 0; i < 4; ++i)
                        QCOMPARE(bytesOf(h.filePath(i)), bytesOf(sync.path(i)));
                    QCOMPARE(QDir(folders.program).entryList(QDir::Files).filter(".new").size(), 0);
                }
            }
        }
    }

    void aBurstOfChangesReachesTheFilesAfterTheDelay()
    {
        TestFolders folders;
        UndoHistory h;
        h.setFolder(folders.program);
        QString text = "a";
        for (int i = 0; i < 50; ++i) {
            text += QChar('b' + i % 20);
            h.onChange(text);
        }
        // Nothing waits for the files while typing; they follow once the delay has passed.
        QVERIFY(h.writePending());
        QTRY_VERIFY_WITH_TIMEOUT(!h.writePending(), 2000);
        QTRY_COMPARE_WITH_TIMEOUT(readTextFile(h.filePath(0)).text, text, 2000);
        QCOMPARE(readTextFile(h.filePath(1)).text, text.chopped(1));
        QCOMPARE(readTextFile(h.filePath(3)).text, text.chopped(3));
    }

    void whileTypingGoesOnOnlyTheNewestFileIsWritten()
    {
        // The newest text is written at once; older places take what is already on disk by
        // renaming, and the rest waits for a whole post.
        TestFolders folders;
        auto path = [&](int p) { return folders.program + QStringLiteral("/modo%1.tmp").arg(p); };
        HistoryWriter w(path, nullptr);
        auto entry = [](quint64 id, const QString &text) { return HistoryWriter::Entry{id, SharedText(text)}; };
        auto textAt = [&](int p) { return QFile::exists(path(p)) ? readTextFile(path(p)).text : QStringLiteral("<missing>"); };
        const QString a = QStringLiteral("<p>あ</p>"), b = a + "b", c = b + "c", d = c + "d";

        w.post({entry(1, a), std::nullopt, std::nullopt, std::nullopt});
        w.flush();
        w.post({entry(2, b), entry(1, a), std::nullopt, std::nullopt}, true);
        w.flush();
        QCOMPARE(textAt(0), b);
        QCOMPARE(textAt(1), a);  // renamed, not written again
        w.post({entry(4, d), entry(3, c), entry(2, b), entry(1, a)}, true);
        w.flush();
        QCOMPARE(textAt(0), d);
        QCOMPARE(textAt(1), QStringLiteral("<missing>"));  // never on disk: waits
        QCOMPARE(textAt(2), b);
        QCOMPARE(textAt(3), a);
        w.post({entry(4, d), entry(3, c), entry(2, b), entry(1, a)});
        w.flush();
        QCOMPARE(textAt(1), c);
        QCOMPARE(textAt(0), d);
        QCOMPARE(textAt(3), a);
        // Places emptied by the history are removed even while only the newest is written.
        w.post({entry(5, d + "e"), std::nullopt, std::nullopt, std::nullopt}, true);
        w.flush();
        QCOMPARE(textAt(0), d + "e");
        QCOMPARE(textAt(1), QStringLiteral("<missing>"));
        QCOMPARE(textAt(3), QStringLiteral("<missing>"));
    }

    void aFailedWriteIsReportedAndTheHistoryGoesOn()
    {
        TestFolders folders;
        UndoHistory h;
        h.setFolder(folders.path("missing folder"));
        int failures = 0;  // reported from the writer's thread
        connect(&h, &UndoHistory::writeFailed, this, [&] { ++failures; }, Qt::QueuedConnection);
        h.onChange(QStringLiteral("one"));
        h.onChange(QStringLiteral("two"));
        h.flush();
        QTRY_VERIFY(failures >= 1);
        QVERIFY(h.undo(QStringLiteral("two"), [](const QString &t) { QCOMPARE(t, QString("one")); }));
    }

    void deepModeGroupsTypingAsUsersExpect()
    {
        Deep d;
        d.type("hello world");
        d.type("\nnext");
        d.edit(3, QString(), QStringLiteral("<b></b>"), ChangeSource::Command);  // a palette button
        d.type("xy");  // right after the button: its own step
        QCOMPARE(d.text.toString(), QString("hel<b></b>lo world\nnextxy"));
        TextSelection sel;
        QCOMPARE(d.undo(&sel), QString("hel<b></b>lo world\nnext"));
        QCOMPARE(d.undo(&sel), QString("hello world\nnext"));
        QCOMPARE(sel, TextSelection({3, 3}));  // the caret where the button was pressed
        QCOMPARE(d.undo(), QString("hello world\n"));  // a new line starts a step
        QCOMPARE(d.undo(), QString("hello world"));
        QCOMPARE(d.undo(&sel), QString("hello "));  // a word starts a step
        QCOMPARE(sel, TextSelection({6, 6}));
        QCOMPARE(d.undo(), QString(""));
        QCOMPARE(d.undo(), QString("<nothing>"));
        QCOMPARE(d.h.redoSteps(), 6);
        QCOMPARE(d.redo(&sel), QString("hello "));
        QCOMPARE(sel, TextSelection({6, 6}));
        QCOMPARE(d.redo(), QString("hello world"));

        // A new change ends the redo steps.
        d.type("!");
        QCOMPARE(d.h.redoSteps(), 0);
        QCOMPARE(d.redo(), QString("<nothing>"));
        QCOMPARE(d.undo(), QString("hello world"));

        // A pause, a caret jump, backspacing and the input method each begin a step.
        Deep p;
        p.type("abc");
        p.type("d", 1500);  // after a long pause
        p.type("ef");
        p.edit(0, QString(), QStringLiteral("z"), ChangeSource::Key);  // typed elsewhere
        QCOMPARE(p.text.toString(), QString("zabcdef"));
        QCOMPARE(p.undo(), QString("abcdef"));
        QCOMPARE(p.undo(), QString("abc"));
        QCOMPARE(p.undo(), QString(""));
        Deep b;
        b.type("one two");
        b.backspace(5);  // "o", "w", "t", " ", "e": the word and the space before it, then the rest
        QCOMPARE(b.text.toString(), QString("on"));
        QCOMPARE(b.undo(), QString("one"));
        QCOMPARE(b.undo(), QString("one two"));
        Deep ime;
        ime.edit(0, QString(), QStringLiteral("日本"), ChangeSource::InputMethod);
        ime.edit(2, QString(), QStringLiteral("語"), ChangeSource::InputMethod);
        QCOMPARE(ime.undo(), QString("日本"));
        QCOMPARE(ime.undo(), QString(""));
    }

    void deepModeStepsOfACommandAndItsSelection()
    {
        // A command that edits in several places (replace all) is one step, undone in reverse.
        Deep d;
        d.type("a-b-c");
        TextChange c;
        c.before = {0, 5};
        c.after = {5, 5};
        for (int pos : {1, 3}) {
            d.text.replace(pos, 1, QStringLiteral("+"));
            c.edits.push_back(TextEdit{pos, QStringLiteral("-"), QStringLiteral("+")});
        }
        c.time = 10000;
        d.h.onChange(d.text, c);
        TextSelection sel;
        QCOMPARE(d.undo(&sel), QString("a-b-c"));
        QCOMPARE(sel, TextSelection({0, 5}));
        QCOMPARE(d.redo(&sel), QString("a+b+c"));
        QCOMPARE(sel, TextSelection({5, 5}));
        // The newest text reaches the recovery file.
        d.h.flush();
        QCOMPARE(readTextFile(d.h.filePath(0)).text, QString("a+b+c"));
        QVERIFY(!QFile::exists(d.h.filePath(1)));
    }

    void deepModeDropsTheOldestStepsBeyondItsLimit()
    {
        Deep d;
        d.h.setLimitBytes(200 * 1000);
        const QString block(10000, QLatin1Char('x'));  // 20 kB a step
        for (int i = 0; i < 30; ++i)
            d.edit(d.text.size(), QString(), block, ChangeSource::Command);
        QVERIFY(d.h.stepBytes() <= 200 * 1000);
        QVERIFY(d.h.undoSteps() >= 8);
        QVERIFY(d.h.undoSteps() < 30);
        int undone = 0;
        while (d.undo() != QStringLiteral("<nothing>"))
            ++undone;
        QCOMPARE(d.text.size(), qsizetype(30 - undone) * block.size());
    }

    void switchingModesKeepsTheHistoriesApart()
    {
        TestFolders folders;
        UndoHistory h;
        h.setFolder(folders.program);
        h.setMode(UndoHistory::Deep);
        SharedText text(QStringLiteral("abc"));
        h.reset(text);
        TextChange c;
        c.edits = {TextEdit{3, QString(), QStringLiteral("d")}};
        text.replace(3, 0, QStringLiteral("d"));
        h.onChange(text, c);
        QVERIFY(h.canUndo());
        // The deep steps do not survive a change made in another mode.
        h.setMode(UndoHistory::Memory);
        h.onChange(text);
        h.setMode(UndoHistory::Deep);
        QVERIFY(!h.canUndo());
        // A change whose edits are unknown cannot be walked back over.
        h.onChange(SharedText(QStringLiteral("other")));
        QVERIFY(!h.canUndo());
    }
};

QTEST_MAIN(TestHistoryEdits)
#include "test_historyedits.moc"
