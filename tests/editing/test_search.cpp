#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "editing/search.h"
#include "platform/editarea.h"
#include "platform/prompts.h"

// Answers the input box with a fixed text and records every message shown.
struct Answers {
    QString input;
    QStringList messages;
    Answers()
    {
        Prompts::setAnswerer([this](const QString &kind, const QString &text) {
            if (kind == QLatin1String("input"))
                return input;
            messages << text;
            return QString();
        });
    }
    ~Answers() { Prompts::setAnswerer({}); }
};

static const QString notFound = QStringLiteral("検索文字列は見つかりませんでした。");
static const QString done = QStringLiteral("置換は終了しました。");

class TestSearch : public QObject {
    Q_OBJECT
private slots:
    void findFromRules();
    void replaceAllText();
    void findIsCaseSensitiveFromTop();
    void findEmptyAnswer();
    void findNextNoWrap();
    void findNextFarIntoLongText();
    void dialogOpensOnceAtTop();
    void dialogFindNextWrapsToTop();
    void replaceOne();
    void replaceAllInEditor();
    void replaceAllEmptySearch();
    void replaceAllLargePage();
    void cancelUnloads();
};

void TestSearch::findFromRules()
{
    QCOMPARE(Search::findFrom("<BODY><body>", "body", 0), 7);
    QCOMPARE(Search::findFrom("<BODY>", "body", 0), -1);
    QCOMPARE(Search::findFrom("abcabc", "abc", 1), 3);
    QCOMPARE(Search::findFrom("abcabc", "abc", 4), -1);
    // An empty search text matches where the search starts, while text remains.
    QCOMPARE(Search::findFrom("abc", "", 0), 0);
    QCOMPARE(Search::findFrom("abc", "", 2), 2);
    QCOMPARE(Search::findFrom("abc", "", 3), -1);
    QCOMPARE(Search::findFrom("", "", 0), -1);
}

void TestSearch::replaceAllText()
{
    // a -> aa on aaa: six letters, the inserted text is never searched again.
    auto r = Search::replaceAll("aaa", "a", "aa");
    QCOMPARE(r.count, 3);
    QCOMPARE(r.first, 0);
    QCOMPARE(r.oldEnd, 3);
    QCOMPARE(r.middle, QString("aaaaaa"));

    r = Search::replaceAll("x<b>y<b>z", "<b>", "");
    QCOMPARE(r.count, 2);
    QCOMPARE(QString("x<b>y<b>z").replace(r.first, r.oldEnd - r.first, r.middle), QString("xyz"));

    r = Search::replaceAll("abab", "ab", "b", 1);
    QCOMPARE(r.count, 1);
    QCOMPARE(r.first, 2);

    QCOMPARE(Search::replaceAll("abc", "x", "y").count, 0);
    QCOMPARE(Search::replaceAll("abc", "", "y").count, 0);
}

void TestSearch::findIsCaseSensitiveFromTop()
{
    Answers a;
    EditArea edit;
    edit.setText("<BODY>\n<p>body</p>\nbody");
    SearchState s;

    // Caret at the end: Find still starts at the top.
    edit.setSelStart(edit.textLength());
    a.input = "body";
    QVERIFY(s.find(nullptr, &edit));
    QCOMPARE(s.SearchText, QString("body"));
    QCOMPARE(edit.selStart(), 10);
    QCOMPARE(edit.selText(), QString("body"));
    QCOMPARE(s.FoundPos, 11);
    QVERIFY(a.messages.isEmpty());

    // Capitals are not lower case: not found, selection kept.
    edit.select(1, 2);
    a.input = "bODY";
    QVERIFY(!s.find(nullptr, &edit));
    QCOMPARE(a.messages, QStringList{notFound});
    QCOMPARE(edit.selStart(), 1);
    QCOMPARE(edit.selLength(), 2);
    QCOMPARE(s.FoundPos, 0);
}

void TestSearch::findEmptyAnswer()
{
    Answers a;
    EditArea edit;
    edit.setText("abc");
    edit.select(1, 2);
    SearchState s;
    s.SearchText = "old";
    a.input = "";
    QVERIFY(s.find(nullptr, &edit));
    QCOMPARE(s.SearchText, QString());
    QCOMPARE(edit.selStart(), 0);
    QCOMPARE(edit.selLength(), 0);
    QVERIFY(a.messages.isEmpty());
}

void TestSearch::findNextNoWrap()
{
    Answers a;
    EditArea edit;
    edit.setText("ab ab ab");
    SearchState s;
    s.SearchText = "ab";

    edit.select(0, 2);  // as left by Find
    QVERIFY(s.findNext(nullptr, &edit));
    QCOMPARE(edit.selStart(), 3);
    QVERIFY(s.findNext(nullptr, &edit));
    QCOMPARE(edit.selStart(), 6);
    QCOMPARE(edit.selLength(), 2);

    // At the end: not found, caret left after the last match, and again.
    QVERIFY(!s.findNext(nullptr, &edit));
    QCOMPARE(edit.selStart(), 8);
    QCOMPARE(edit.selLength(), 0);
    QVERIFY(!s.findNext(nullptr, &edit));
    QCOMPARE(a.messages, (QStringList{notFound, notFound}));
    QCOMPARE(edit.selStart(), 8);
}

void TestSearch::findNextFarIntoLongText()
{
    Answers a;
    EditArea edit;
    edit.setText(QString(100000, 'x') + "needle");
    SearchState s;
    s.SearchText = "needle";
    QVERIFY(s.findNext(nullptr, &edit));
    QCOMPARE(edit.selStart(), 100000);
    QCOMPARE(s.FoundPos, 100001);
}

void TestSearch::dialogOpensOnceAtTop()
{
    QWidget owner;
    EditArea edit;
    edit.setText("abc");
    edit.select(2, 1);
    TikanFrm *d = TikanFrm::open(&edit, &owner);
    QCOMPARE(d->objectName(), QString("tikanfrm"));
    QCOMPARE(d->windowTitle(), QString("置換"));
    QVERIFY(!d->isModal());
    QVERIFY(d->isVisible());
    QCOMPARE(edit.selStart(), 0);
    QCOMPARE(edit.selLength(), 0);
    auto *find = d->findChild<QLineEdit *>("Text1");
    auto *repl = d->findChild<QLineEdit *>("Text2");
    QVERIFY(find && repl);
    QVERIFY(find->text().isEmpty() && repl->text().isEmpty());
    const QStringList captions = {"次を検索(&N)", "キャンセル", "置換(&R)", "すべて置換(&A)"};
    for (int i = 1; i <= 4; ++i) {
        auto *b = d->findChild<QPushButton *>(QString("Command%1").arg(i));
        QVERIFY(b);
        QCOMPARE(b->text(), captions[i - 1]);
    }

    // Replace again while open: the same dialog, kept texts, caret back to the top.
    find->setText("b");
    edit.select(2, 1);
    QCOMPARE(TikanFrm::open(&edit, &owner), d);
    QCOMPARE(find->text(), QString("b"));
    QCOMPARE(edit.selStart(), 0);
    delete d;
    QVERIFY(!TikanFrm::instance());
}

void TestSearch::dialogFindNextWrapsToTop()
{
    Answers a;
    QWidget owner;
    EditArea edit;
    edit.setText("xaxa");
    TikanFrm *d = TikanFrm::open(&edit, &owner);
    d->findChild<QLineEdit *>("Text1")->setText("a");
    auto *next = d->findChild<QPushButton *>("Command1");

    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(edit.selStart(), 1);
    QCOMPARE(edit.selLength(), 1);
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(edit.selStart(), 3);
    // Not found: reported, then the next search begins at the top.
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(a.messages, QStringList{notFound});
    QCOMPARE(edit.selStart(), 0);
    QCOMPARE(edit.selLength(), 0);
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(edit.selStart(), 1);
    QCOMPARE(edit.selLength(), 1);
    QCOMPARE(a.messages.size(), 1);
    delete d;
}

void TestSearch::replaceOne()
{
    Answers a;
    QWidget owner;
    EditArea edit;
    edit.setText("cat dog cat");
    TikanFrm *d = TikanFrm::open(&edit, &owner);
    d->findChild<QLineEdit *>("Text1")->setText("cat");
    d->findChild<QLineEdit *>("Text2")->setText("CAT");
    QSignalSpy changes(&edit, &EditArea::textEdited);

    // The search text already selected: replaced without searching.
    edit.select(8, 3);
    d->replaceOne();
    QCOMPARE(edit.text(), QString("cat dog CAT"));
    QCOMPARE(edit.selStart(), 11);
    QCOMPARE(edit.selLength(), 0);

    // Another selection: finds the next occurrence and replaces it in the same click.
    edit.select(0, 1);
    d->replaceOne();
    QCOMPARE(a.messages, QStringList{notFound});
    QCOMPARE(edit.text(), QString("cat dog CAT"));  // nothing after "c"
    edit.select(0, 0);
    d->replaceOne();
    QCOMPARE(edit.text(), QString("CAT dog CAT"));
    QCOMPARE(edit.selStart(), 3);

    // No further occurrence: the message, no change.
    d->replaceOne();
    QCOMPARE(edit.text(), QString("CAT dog CAT"));
    QCOMPARE(a.messages, (QStringList{notFound, notFound}));
    QCOMPARE(changes.count(), 2);
    delete d;
}

void TestSearch::replaceAllInEditor()
{
    Answers a;
    QWidget owner;
    EditArea edit;
    edit.setText("<p>aaa</p>");
    TikanFrm *d = TikanFrm::open(&edit, &owner);
    d->findChild<QLineEdit *>("Text1")->setText("a");
    d->findChild<QLineEdit *>("Text2")->setText("aa");
    QSignalSpy changes(&edit, &EditArea::textEdited);
    edit.setSelStart(5);  // starts at the top wherever the caret is

    QTest::mouseClick(d->findChild<QPushButton *>("Command4"), Qt::LeftButton);
    QCOMPARE(edit.text(), QString("<p>aaaaaa</p>"));
    QCOMPARE(changes.count(), 1);  // one change, one snapshot
    QCOMPARE(edit.selStart(), 9);  // after the last replacement
    QCOMPARE(edit.selLength(), 0);
    QCOMPARE(a.messages, QStringList{done});

    // Nothing to replace: only the closing message, no change.
    d->findChild<QLineEdit *>("Text1")->setText("zz");
    d->replaceAll();
    QCOMPARE(edit.text(), QString("<p>aaaaaa</p>"));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(edit.selStart(), 0);
    QCOMPARE(a.messages, (QStringList{done, done}));
    delete d;
}

void TestSearch::replaceAllEmptySearch()
{
    Answers a;
    QWidget owner;
    EditArea edit;
    edit.setText("abc");
    TikanFrm *d = TikanFrm::open(&edit, &owner);
    d->findChild<QLineEdit *>("Text2")->setText("x");
    QSignalSpy changes(&edit, &EditArea::textEdited);
    d->replaceAll();
    d->replaceOne();
    d->searchNext();
    QCOMPARE(edit.text(), QString("abc"));
    QCOMPARE(changes.count(), 0);
    QCOMPARE(a.messages.size(), 3);
    QVERIFY(!a.messages.contains(done));
    QCOMPARE(a.messages.first(), Search::emptySearchMessage());
    delete d;
}

void TestSearch::replaceAllLargePage()
{
    Answers a;
    QWidget owner;
    EditArea edit;
    QString page;
    for (int i = 0; i < 100000; ++i)
        page += QStringLiteral("<td>x</td>\n");  // 1.1 MB, 100,000 occurrences of <td>
    edit.setText(page);
    TikanFrm *d = TikanFrm::open(&edit, &owner);
    d->findChild<QLineEdit *>("Text1")->setText("<td>");
    d->findChild<QLineEdit *>("Text2")->setText("<th>");
    QElapsedTimer t;
    t.start();
    d->replaceAll();
    // Generous bound: a step-by-step replacement takes minutes here.
    QVERIFY2(t.elapsed() < 5000, qPrintable(QString::number(t.elapsed())));
    const QString text = edit.text();
    QCOMPARE(text.count("<th>"), 100000);
    QCOMPARE(text.count("<td>"), 0);
    QCOMPARE(edit.selStart(), int(text.size()) - int(QString("x</td>\n").size()));
    delete d;
}

void TestSearch::cancelUnloads()
{
    QWidget owner;
    EditArea edit;
    QPointer<TikanFrm> d = TikanFrm::open(&edit, &owner);
    d->findChild<QLineEdit *>("Text1")->setText("kept?");
    QTest::mouseClick(d->findChild<QPushButton *>("Command2"), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(d.isNull());
    QPointer<TikanFrm> again = TikanFrm::open(&edit, &owner);
    QVERIFY(again->findChild<QLineEdit *>("Text1")->text().isEmpty());
    // Escape closes it the same way.
    QTest::keyClick(again, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(again.isNull());
    QVERIFY(!TikanFrm::instance());
}

QTEST_MAIN(TestSearch)
#include "test_search.moc"
