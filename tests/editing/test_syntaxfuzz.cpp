// The tokenizer and the matchers on input nobody would write: random markup-heavy text
// and real pages with random damage. Built with AddressSanitizer and UndefinedBehavior-
// Sanitizer (see CMakeLists.txt), so a bad index fails the run even where the result
// would look right. Every token must lie inside its line, in order, without overlap, and
// every state must stay in range.
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

#include "editing/syntax.h"
#include "editing/tagmatch.h"

namespace {

const char *const kPieces[] = {"<",        ">",       "</",      "/>",      "<!--",     "-->",    "<!",
                               "<?php",    "?>",      "<%",      "%>",      "<script>", "</script>", "<style>",
                               "</style>", "\"",      "'",       "`",       "=",        "&",      "&#x",
                               ";",        "{",       "}",       "(",       ")",        "[",      "]",
                               "/*",       "*/",      "//",      "/",       "\\",       "\n",     " ",
                               "div",      "p",       "style=",  "${",      "\u3000",   "a",      "1"};

QString randomText(QRandomGenerator &rng, int pieces)
{
    QString s;
    for (int i = 0; i < pieces; ++i) {
        const int r = rng.bounded(10);
        if (r == 0)
            s += QChar(char16_t(rng.bounded(1, 0xFFFF)));  // any code unit, lone surrogates too
        else
            s += QString::fromUtf8(kPieces[rng.bounded(int(std::size(kPieces)))]);
    }
    return s;
}

QString mutate(QRandomGenerator &rng, QString s)
{
    const int edits = rng.bounded(1, 20);
    for (int i = 0; i < edits && !s.isEmpty(); ++i) {
        const int pos = rng.bounded(int(s.size()));
        switch (rng.bounded(3)) {
        case 0: s.remove(pos, rng.bounded(1, 200)); break;
        case 1: s.insert(pos, randomText(rng, rng.bounded(1, 6))); break;
        default: {
            const int from = rng.bounded(int(s.size()));
            s.insert(pos, s.mid(from, rng.bounded(1, 300)));
        }
        }
    }
    return s;
}

// Checks the tokens of every line; false (with a message) at the first fault.
bool checkPage(const QString &page)
{
    int state = Syntax::InitialState;
    std::vector<Syntax::Token> tokens;
    for (const QString &line : page.split(QLatin1Char('\n'))) {
        tokens.clear();
        state = Syntax::tokenizeLine(line, state, &tokens);
        if (state < 0 || state >= (1 << 28)) {
            qWarning() << "state out of range" << state;
            return false;
        }
        int end = 0;
        for (const Syntax::Token &t : tokens) {
            if (t.start < end || t.length <= 0 || t.start + t.length > line.size() || t.kind == Syntax::Kind::Plain ||
                t.kind >= Syntax::Kind::Count) {
                qWarning() << "bad token" << t.start << t.length << int(t.kind) << "in" << line.left(200);
                return false;
            }
            end = t.start + t.length;
        }
        // The state-only reading must agree with the full one.
        if (Syntax::tokenizeLine(line, state, nullptr) != Syntax::tokenizeLine(line, state, &tokens))
            return false;
    }
    return true;
}

bool checkMatchers(QRandomGenerator &rng, const QString &page)
{
    const auto tags = TagMatch::scanTags(page);
    for (size_t i = 1; i < tags.size(); ++i)
        if (tags[i].start < tags[i - 1].end || tags[i].end > page.size())
            return false;
    for (int k = 0; k < 20; ++k) {
        const int caret = rng.bounded(int(page.size()) + 1);
        if (const auto m = TagMatch::matchTag(page, caret)) {
            if (m->partner.start < 0 || m->partner.end > page.size() || m->partner.name != m->at.name)
                return false;
        }
        if (const auto b = TagMatch::matchBracket(page, caret)) {
            if (b->second < 0 || b->second >= page.size())
                return false;
        }
    }
    return true;
}

}

class TestSyntaxFuzz : public QObject {
    Q_OBJECT
private slots:
    void randomText();
    void damagedRealPages();
};

void TestSyntaxFuzz::randomText()
{
    QRandomGenerator rng(20261208);
    for (int round = 0; round < 1500; ++round) {
        const QString page = ::randomText(rng, rng.bounded(1, 400));
        QVERIFY2(checkPage(page), qPrintable(QString::number(round)));
        QVERIFY2(checkMatchers(rng, page), qPrintable(QString::number(round)));
    }
}

void TestSyntaxFuzz::damagedRealPages()
{
    const QDir dir(QStringLiteral(TARNELL_TESTDATA_DIR "/real-pages"));
    QStringList pages;
    for (const QString &name : dir.entryList({"*.htm", "*.html"}, QDir::Files)) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::ReadOnly))
            pages << QString::fromUtf8(f.readAll().left(200000));
    }
    QVERIFY(!pages.isEmpty());
    QRandomGenerator rng(42);
    for (int round = 0; round < 60; ++round) {
        const QString page = mutate(rng, pages[round % pages.size()]);
        QVERIFY2(checkPage(page), qPrintable(QString::number(round)));
        QVERIFY2(checkMatchers(rng, page), qPrintable(QString::number(round)));
    }
}

QTEST_GUILESS_MAIN(TestSyntaxFuzz)
#include "test_syntaxfuzz.moc"
