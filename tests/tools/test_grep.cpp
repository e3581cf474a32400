#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTreeWidget>
#include <QtTest>

#include "testutil.h"
#include "tools/grep.h"
#include "tools/grepfrm.h"

static void write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

static QByteArray sjis(const QString &text)
{
    QStringEncoder e("Shift_JIS");
    return e.encode(text);
}

class TestGrep : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_folders.reset(); }
    void hitsCarryLinePositionAndText();
    void siteWithEncodingsBinaryAndLargeFiles();
    void filterAndSubfolders();
    void invalidPattern();
    void dialogDefaults();
    void paneListsAndOpens();
    void stopEndsEarly();

private:
    GrepSummary runSync(const GrepQuery &q, QList<GrepHit> *hits);
    std::unique_ptr<TestFolders> m_folders;
    QString m_site;
};

void TestGrep::init()
{
    m_folders = std::make_unique<TestFolders>();
    m_site = m_folders->path("site");
    write(m_site + "/index.html", "<html>\r\n<a href=\"about.htm\">About</a>\r\n<a href='ABOUT.HTM'>x</a>\r\n</html>\r\n");
    write(m_site + "/sub/sjis.htm", sjis(QStringLiteral("<p>会社概要</p>\r\n<a href=\"about.htm\">会社</a>\r\n")));
    write(m_site + "/sub/deep/style.css", "a { background: url(about.htm); }\n");
    write(m_site + "/notes.md", "about.htm in a file the filter leaves out\n");
    write(m_site + "/picture.htm", QByteArray("GIF89a\0\0about.htm", 17));
    QFile big(m_site + "/huge.txt");
    QVERIFY(big.open(QIODevice::WriteOnly));
    QVERIFY(big.resize(Grep::MaxFileSize + 1));  // sparse: skipped before it is read
}

GrepSummary TestGrep::runSync(const GrepQuery &q, QList<GrepHit> *hits)
{
    GrepRun run(q);
    QObject::connect(&run, &GrepRun::found, &run, [hits](const QList<GrepHit> &h) { *hits += h; },
                     Qt::DirectConnection);
    run.start();
    run.wait();
    std::sort(hits->begin(), hits->end(), [](const GrepHit &a, const GrepHit &b) {
        return std::tie(a.path, a.position) < std::tie(b.path, b.position);
    });
    return run.summary();
}

void TestGrep::hitsCarryLinePositionAndText()
{
    Search::Matcher m("b+", Search::Options{true});
    const QString text = "aaa\nxbbby\nzb";
    const QList<GrepHit> hits = Grep::searchText("f", text, m);
    QCOMPARE(hits.size(), 2);
    QCOMPARE(hits[0].line, 2);
    QCOMPARE(hits[0].column, 1);
    QCOMPARE(hits[0].position, 5);
    QCOMPARE(hits[0].length, 3);
    QCOMPARE(hits[0].lineText, QString("xbbby"));
    QCOMPARE(hits[1].line, 3);
    QCOMPARE(hits[1].column, 1);

    // A match across a line break is shown on its first line.
    Search::Matcher across("y\\nz", Search::Options{true});
    const QList<GrepHit> a = Grep::searchText("f", text, across);
    QCOMPARE(a.size(), 1);
    QCOMPARE(a[0].length, 1);
    QCOMPARE(a[0].matchLength, 3);

    // A very long line is shown as a stretch around the match.
    const QString longLine = QString(5000, 'x') + "needle" + QString(5000, 'y');
    Search::Matcher needle("needle", Search::Options());
    const GrepHit h = Grep::searchText("f", longLine, needle).value(0);
    QVERIFY(h.lineText.size() < 300);
    QCOMPARE(h.lineText.mid(h.shownColumn, h.length), QString("needle"));
    QCOMPARE(h.column, 5000);
}

void TestGrep::siteWithEncodingsBinaryAndLargeFiles()
{
    GrepQuery q;
    q.pattern = "about.htm";
    q.options.ignoreCase = true;
    q.folder = m_site;
    QList<GrepHit> hits;
    const GrepSummary s = runSync(q, &hits);
    QCOMPARE(s.skippedBinary, 1);
    QCOMPARE(s.skippedLarge, 1);
    QCOMPARE(s.filesSearched, 3);  // index.html, sjis.htm, style.css (not notes.md)
    QCOMPARE(s.filesMatched, 3);
    QCOMPARE(s.hits, 4);
    QCOMPARE(hits.size(), 4);
    QVERIFY(Grep::summaryText(s).contains(QStringLiteral("バイナリファイル 1 件")));
    QVERIFY(Grep::summaryText(s).contains(QStringLiteral("50 MB を超えるファイル 1 件")));

    // The Shift_JIS page is decoded as Open decodes it: the line and the position in
    // the editor's text (line breaks as one character) are right.
    const GrepHit jp = *std::find_if(hits.begin(), hits.end(), [](const GrepHit &h) { return h.path.endsWith("sjis.htm"); });
    QCOMPARE(jp.line, 2);
    QCOMPARE(jp.lineText, QStringLiteral("<a href=\"about.htm\">会社</a>"));
    QCOMPARE(jp.position, QStringLiteral("<p>会社概要</p>\n<a href=\"").size());
}

void TestGrep::filterAndSubfolders()
{
    GrepQuery q;
    q.pattern = "about";
    q.folder = m_site;
    q.subfolders = false;
    QList<GrepHit> hits;
    GrepSummary s = runSync(q, &hits);
    QCOMPARE(s.filesSearched, 1);
    QCOMPARE(hits.size(), 1);  // case-sensitive: ABOUT.HTM is not found

    q.subfolders = true;
    q.filter = "*.css; *.md";
    hits.clear();
    s = runSync(q, &hits);
    QCOMPARE(s.filesSearched, 2);
    QCOMPARE(Grep::filterPatterns(" *.htm;*.html , *.css "), (QStringList{"*.htm", "*.html", "*.css"}));
    QCOMPARE(Grep::filterPatterns(""), QStringList{"*"});
    QVERIFY(!Grep::looksBinary(QByteArray("\xFF\xFE<\0h\0", 6)));  // UTF-16 text
    QVERIFY(Grep::looksBinary(QByteArray("ab\0cd", 5)));
}

void TestGrep::invalidPattern()
{
    GrepQuery q;
    q.pattern = "(";
    q.options.regex = true;
    q.folder = m_site;
    QList<GrepHit> hits;
    const GrepSummary s = runSync(q, &hits);
    QVERIFY(s.error.contains(QStringLiteral("正規表現")));
    QVERIFY(hits.isEmpty());
}

void TestGrep::dialogDefaults()
{
    GrepFrm d(nullptr, m_site);
    QCOMPARE(d.objectName(), QString("frmGrep"));
    QCOMPARE(QDir::fromNativeSeparators(child<QLineEdit>(&d, "txtFolder")->text()), m_site);
    QCOMPARE(child<QLineEdit>(&d, "txtFilter")->text(), QString("*.htm;*.html;*.css;*.js;*.txt"));
    QVERIFY(child<QCheckBox>(&d, "chkSubfolders")->isChecked());
    for (const char *name : {"chkRegex", "chkIgnoreCase", "chkWord", "chkWidth", "chkKana"})
        QVERIFY(!child<QCheckBox>(&d, name)->isChecked());
    child<QLineEdit>(&d, "Text1")->setText("x");
    child<QCheckBox>(&d, "chkWidth")->setChecked(true);
    const GrepQuery q = d.query();
    QCOMPARE(q.pattern, QString("x"));
    QVERIFY(q.options.width && !q.options.regex);
    QVERIFY(q.subfolders);
    // Without a document folder the search starts at home.
    GrepFrm untitled(nullptr, QString());
    QCOMPARE(QDir::fromNativeSeparators(child<QLineEdit>(&untitled, "txtFolder")->text()), QDir::homePath());
}

void TestGrep::paneListsAndOpens()
{
    QMainWindow window;
    GrepPane *pane = GrepPane::of(&window);
    QCOMPARE(pane->objectName(), QString("GrepPane"));
    QCOMPARE(GrepPane::of(&window), pane);
    QStringList opened;
    pane->setOpenAt([&](const QString &path, int at, int length) {
        opened << QString("%1:%2+%3").arg(QFileInfo(path).fileName()).arg(at).arg(length);
        return true;
    });
    GrepQuery q;
    q.pattern = QStringLiteral("会社");
    q.folder = m_site;
    QSignalSpy done(pane, &GrepPane::finished);
    pane->start(q);
    QVERIFY(done.wait(10000));
    QTreeWidget *list = pane->results();
    QCOMPARE(list->topLevelItemCount(), 2);
    QCOMPARE(list->topLevelItem(0)->text(0), QDir::toNativeSeparators("sub/sjis.htm"));
    QCOMPARE(list->topLevelItem(0)->text(1), QString("1"));
    QCOMPARE(list->topLevelItem(1)->text(2), QStringLiteral("<a href=\"about.htm\">会社</a>"));
    QVERIFY(pane->statusText().contains(QStringLiteral("2 件見つかりました")));
    QVERIFY(!child<QPushButton>(pane, "cmdStop")->isEnabled());
    pane->openRow(1);
    QCOMPARE(opened, QStringList{QString("sjis.htm:%1+2").arg(QStringLiteral("<p>会社概要</p>\n<a href=\"about.htm\">").size())});
}

void TestGrep::stopEndsEarly()
{
    // Many files; stopping right away ends the run without listing them all.
    for (int i = 0; i < 300; ++i)
        write(m_site + QString("/many/p%1.htm").arg(i), "about.htm\n");
    GrepQuery q;
    q.pattern = "about.htm";
    q.folder = m_site;
    GrepRun run(q);
    run.stop();
    run.start();
    run.wait();
    QVERIFY(run.summary().stopped);
    QVERIFY(run.summary().filesSearched < 300);
    QVERIFY(Grep::summaryText(run.summary()).contains(QStringLiteral("中止")));
}

QTEST_MAIN(TestGrep)
#include "test_grep.moc"
