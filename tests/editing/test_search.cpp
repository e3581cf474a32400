#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "editing/highlightall.h"
#include "editing/search.h"
#include "editing/searchui.h"
#include "platform/editarea.h"
#include "platform/highlights.h"
#include "platform/prompts.h"
#include "testutil.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QTextBlock>

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
    void init() { m_folders = std::make_unique<TestFolders>(); }
    void cleanup() { m_folders.reset(); }
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
    void optionsOffByDefaultAndRemembered();
    void regexReplaceInDialog();
    void invalidPatternChangesNothing();
    void findWithOptionsAndCount();
    void historyInDropDowns();
    void highlightAllIsDisplayOnly();
    void findInputHighlightsWhileOpen();

private:
    std::unique_ptr<TestFolders> m_folders;
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

static const QStringList optionBoxes = {"chkRegex", "chkIgnoreCase", "chkWord", "chkWidth", "chkKana"};

void TestSearch::optionsOffByDefaultAndRemembered()
{
    QWidget owner;
    EditArea edit;
    edit.setText("Body body");
    TikanFrm *d = TikanFrm::open(&edit, &owner);
    const QStringList captions = {"正規表現", "大文字と小文字を区別しない", "単語単位", "全角と半角を区別しない",
                                  "ひらがなとカタカナを区別しない"};
    for (int i = 0; i < optionBoxes.size(); ++i) {
        auto *c = child<QCheckBox>(d, optionBoxes[i]);
        QCOMPARE(c->text(), captions[i]);
        QVERIFY(!c->isChecked());
    }
    child<QCheckBox>(d, "chkIgnoreCase")->setChecked(true);
    child<QCheckBox>(d, "chkKana")->setChecked(true);
    delete d;
    // The next dialog and the find input start with the options last used.
    d = TikanFrm::open(&edit, &owner);
    QVERIFY(child<QCheckBox>(d, "chkIgnoreCase")->isChecked());
    QVERIFY(child<QCheckBox>(d, "chkKana")->isChecked());
    QVERIFY(!child<QCheckBox>(d, "chkRegex")->isChecked());
    delete d;
    FindInput input(&owner, &edit);
    QCOMPARE(input.objectName(), QString("frmFind"));
    QVERIFY(child<QCheckBox>(&input, "chkIgnoreCase")->isChecked());
    QCOMPARE(AppEnv::setting("search", "IgnoreCase", "0"), QString("1"));
}

void TestSearch::regexReplaceInDialog()
{
    Answers a;
    QMainWindow window;
    auto *edit = new EditArea;
    window.setCentralWidget(edit);
    edit->setText("<B>one</B>\n<B>two</B>");
    TikanFrm *d = TikanFrm::open(edit, &window);
    child<QCheckBox>(d, "chkRegex")->setChecked(true);
    child<QLineEdit>(d, "Text1")->setText("<(/?)B>");
    child<QLineEdit>(d, "Text2")->setText("<$1strong>");
    QSignalSpy changes(edit, &EditArea::textEdited);

    // Replace: the next match is found and replaced with its group.
    d->replaceOne();
    QCOMPARE(edit->text(), QString("<strong>one</B>\n<B>two</B>"));
    // Replace all: one change, the message as before and the number in the status bar.
    d->replaceAll();
    QCOMPARE(edit->text(), QString("<strong>one</strong>\n<strong>two</strong>"));
    QCOMPARE(changes.count(), 2);
    QCOMPARE(a.messages, QStringList{done});
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("3 件を置換しました。"));

    // Line breaks in the pattern and in the replacement.
    child<QLineEdit>(d, "Text1")->setText("</strong>\\n<strong>");
    child<QLineEdit>(d, "Text2")->setText("\\n\\n");
    d->replaceAll();
    QCOMPARE(edit->text(), QString("<strong>one\n\ntwo</strong>"));
    delete d;
}

void TestSearch::invalidPatternChangesNothing()
{
    Answers a;
    QWidget owner;
    EditArea edit;
    edit.setText("a(b");
    TikanFrm *d = TikanFrm::open(&edit, &owner);
    child<QCheckBox>(d, "chkRegex")->setChecked(true);
    auto *find = child<QLineEdit>(d, "Text1");
    find->setText("a(b");
    QVERIFY(child<QLabel>(d, "lblMessage")->text().contains(QStringLiteral("4 文字目")));
    QSignalSpy changes(&edit, &EditArea::textEdited);
    d->replaceAll();
    d->replaceOne();
    d->searchNext();
    QCOMPARE(changes.count(), 0);
    QCOMPARE(a.messages.size(), 3);
    QVERIFY(a.messages.first().contains(QStringLiteral("正規表現に誤りがあります")));
    QVERIFY(!a.messages.contains(done));
    QCOMPARE(find->cursorPosition(), 3);  // the position of the fault is marked

    // A pattern that would run for minutes stops and changes nothing either.
    edit.setText("b" + QString(40, 'a') + "c");
    find->setText("(a|aa)+$");
    a.messages.clear();
    d->replaceAll();
    QCOMPARE(a.messages.size(), 1);
    QVERIFY(a.messages.first().contains(QStringLiteral("複雑すぎる")));
    delete d;
}

void TestSearch::findWithOptionsAndCount()
{
    Answers a;
    QMainWindow window;
    auto *edit = new EditArea;
    window.setCentralWidget(edit);
    edit->setText("ﾃｽﾄ テスト てすと TEST");
    SearchSettings::setOptions([] { Search::Options o; o.width = true; o.kana = true; return o; }());
    SearchState s;
    a.input = "テスト";
    QVERIFY(s.find(&window, edit));
    QCOMPARE(edit->selStart(), 0);
    QCOMPARE(edit->selLength(), 3);
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("3 件中 1 件目"));
    QVERIFY(s.findNext(&window, edit));
    QCOMPARE(edit->selStart(), 4);
    QVERIFY(s.findNext(&window, edit));
    QCOMPARE(edit->selStart(), 8);
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("3 件中 3 件目"));
    QVERIFY(!s.findNext(&window, edit));
    QCOMPARE(a.messages, QStringList{notFound});

    // A regex that matches nothing-long moves on with every Find next.
    SearchSettings::setOptions([] { Search::Options o; o.regex = true; return o; }());
    edit->setText("a\nb\nc");
    a.input = "^";
    QVERIFY(s.find(&window, edit));
    QCOMPARE(edit->selStart(), 0);
    QVERIFY(s.findNext(&window, edit));
    QCOMPARE(edit->selStart(), 2);
    QVERIFY(s.findNext(&window, edit));
    QCOMPARE(edit->selStart(), 4);
}

void TestSearch::historyInDropDowns()
{
    Answers a;
    QWidget owner;
    EditArea edit;
    edit.setText("abc abd");
    TikanFrm *d = TikanFrm::open(&edit, &owner);
    for (const char *t : {"abc", "abd", "abc"}) {
        child<QLineEdit>(d, "Text1")->setText(t);
        child<QLineEdit>(d, "Text2")->setText(QString(t).toUpper());
        d->searchNext();
    }
    d->replaceOne();
    delete d;
    d = TikanFrm::open(&edit, &owner);
    auto *finds = child<QComboBox>(d, "cboText1");
    QVERIFY(child<QLineEdit>(d, "Text1")->text().isEmpty());  // starts empty as always
    QCOMPARE(finds->count(), 2);
    QCOMPARE(finds->itemText(0), QString("abc"));
    QCOMPARE(finds->itemText(1), QString("abd"));
    QCOMPARE(child<QComboBox>(d, "cboText2")->itemText(0), QString("ABC"));
    QCOMPARE(SearchSettings::history("Find"), (QStringList{"abc", "abd"}));
    delete d;
}

void TestSearch::highlightAllIsDisplayOnly()
{
    QWidget owner;
    EditArea edit;
    edit.resize(400, 300);
    QString page;
    for (int i = 0; i < 2000; ++i)
        page += QStringLiteral("<td>cell</td>\n");
    edit.setText(page);
    // A marker the user set stays what it is.
    QTextCharFormat marker;
    marker.setBackground(Qt::cyan);
    edit.select(0, 4);
    edit.mergeSelectionFormat(marker);
    edit.setSelStart(0);
    edit.show();
    QSignalSpy changes(&edit, &EditArea::textEdited);

    TikanFrm *d = TikanFrm::open(&edit, &owner);
    child<QLineEdit>(d, "Text1")->setText("<td>");
    MatchHighlighter *h = MatchHighlighter::of(&edit);
    h->refresh();
    QCOMPARE(h->count("<td>", Search::Options()), 2000);
    // Only the matches around what is on screen carry a highlight.
    QVERIFY(h->highlightedCount() > 5);
    QVERIFY(h->highlightedCount() < 300);
    QCOMPARE(child<QLabel>(d, "lblMessage")->text(), QStringLiteral("2000 件"));
    // Another feature's highlights are kept beside these.
    QTextEdit::ExtraSelection line;
    line.cursor = QTextCursor(edit.document());
    Highlights::set(&edit, "other", {line});
    QCOMPARE(edit.extraSelections().size(), h->highlightedCount() + 1);

    d->searchNext();
    QCOMPARE(MatchHighlighter::lastStatus(), QStringLiteral("2000 件中 1 件目"));
    delete d;
    QCOMPARE(h->highlightedCount(), 0);
    QCOMPARE(edit.extraSelections().size(), 1);
    QCOMPARE(changes.count(), 0);
    QTextCursor c(edit.document());
    c.setPosition(2);
    QCOMPARE(c.charFormat().background().color(), QColor(Qt::cyan));
}

void TestSearch::findInputHighlightsWhileOpen()
{
    QWidget owner;
    EditArea edit;
    edit.setText("aXa");
    edit.show();
    QTimer::singleShot(0, [&] {
        auto *input = owner.findChild<FindInput *>();
        QVERIFY(input);
        QCOMPARE(child<QComboBox>(input, "cboText1")->lineEdit(), child<QLineEdit>(input, "Text1"));
        child<QCheckBox>(input, "chkIgnoreCase")->setChecked(true);
        child<QLineEdit>(input, "Text1")->setText("x");
        MatchHighlighter::of(&edit)->refresh();
        QCOMPARE(MatchHighlighter::of(&edit)->highlightedCount(), 1);
        input->accept();
    });
    QString text;
    Search::Options o;
    QVERIFY(FindInput::ask(&owner, &edit, &text, &o));
    QCOMPARE(text, QString("x"));
    QVERIFY(o.ignoreCase && !o.regex);
    QCOMPARE(MatchHighlighter::of(&edit)->highlightedCount(), 0);  // gone with the input
    QCOMPARE(SearchSettings::history("Find"), QStringList{"x"});
}

QTEST_MAIN(TestSearch)
#include "test_search.moc"
