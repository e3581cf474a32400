// Search with options: a regular-expression Find next, highlighting every match with
// its count, a regular-expression Replace all of 100,000 matches, and search in files
// over a generated site of 2,000 pages (200 MB, half Shift_JIS, half UTF-8).
#include "benchenv.h"
#include "pages.h"

#include "app/mainwindow.h"
#include "editing/highlightall.h"
#include "editing/search.h"
#include "platform/editarea.h"
#include "tools/grepfrm.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

namespace {

using benchmark::State;

EditArea *edit()
{
    return Bench::window().edit();
}

void openPage()
{
    Bench::open(Bench::pagePath(1, "UTF-8"));
    Bench::settle();
}

// ---- Find next with a regular expression, from the top to the last paragraph ----

void regexFindNext(State &state)
{
    MainWindow &w = Bench::window();
    openPage();
    SearchState &s = w.search();
    s.SearchText = QStringLiteral("この(ページ|頁)の終わり");
    s.Options = Search::Options();
    s.Options.regex = true;
    s.findNext(&w, edit());  // the count for the status bar is taken once per text
    for (auto _ : state) {
        state.PauseTiming();
        edit()->setSelStart(0);
        Bench::settle();
        state.ResumeTiming();
        if (!s.findNext(&w, edit())) {
            state.SkipWithError("not found");
            break;
        }
        Bench::settle();
    }
}
BENCHMARK(regexFindNext)->Name("search/regex_find_next_1mb")->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- Highlight every match and count them (a new pattern each time) ----

void highlightAll(State &state)
{
    openPage();
    MatchHighlighter *h = MatchHighlighter::of(edit());
    Search::Options o;
    o.regex = true;
    const QString patterns[] = {QStringLiteral("<(td|th)[ >]"), QStringLiteral("<(th|td)[ >]")};
    int i = 0, count = 0;
    for (auto _ : state) {
        h->show(patterns[i++ % 2], o);
        h->refresh();
        count = h->count(patterns[(i - 1) % 2], o);
        Bench::settle();
    }
    h->hide();
    state.counters["matches"] = count;
    if (count == 0)
        state.SkipWithError("nothing found");
}
BENCHMARK(highlightAll)->Name("search/highlight_count_1mb")->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- Replace all of 100,000 regular-expression matches ----

void regexReplaceAll(State &state)
{
    MainWindow &w = Bench::window();
    for (auto _ : state) {
        state.PauseTiming();
        openPage();
        TikanFrm *d = TikanFrm::open(edit(), &w);
        d->findChild<QCheckBox *>("chkRegex")->setChecked(true);
        d->findChild<QLineEdit *>("Text1")->setText(QStringLiteral("<(/?)([a-zA-Z0-9]*)"));
        d->findChild<QLineEdit *>("Text2")->setText(QStringLiteral("&lt;$1$2"));
        Bench::settle();
        state.ResumeTiming();
        d->replaceAll();
        Bench::settle();
        state.PauseTiming();
        d->findChild<QCheckBox *>("chkRegex")->setChecked(false);
        d->cancel();
        Bench::settle();
        state.ResumeTiming();
    }
    const QString text = edit()->text();
    if (text.count(QLatin1Char('<')) != 0 || text.count(QStringLiteral("&lt;")) != 100000)
        state.SkipWithError("not every occurrence was replaced");
}
BENCHMARK(regexReplaceAll)->Name("search/replace_all_regex_100k")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// ---- Search in files over a site of 2,000 pages ----

// 2,000 pages of about 100 KB in 20 folders, every other one in Shift_JIS; each holds
// the end marker once. Written once into the benchmark's own folder.
QString site()
{
    static QString folder;
    if (!folder.isEmpty())
        return folder;
    folder = Bench::workFolder() + "/site";
    const QString page = Pages::page(1);
    const int slice = 100000;
    for (int i = 0; i < 2000; ++i) {
        const QString dir = folder + QStringLiteral("/part%1").arg(i / 100, 2, 10, QLatin1Char('0'));
        QDir().mkpath(dir);
        const int at = (i * 7919) % (int(page.size()) - slice);
        const QString text = page.mid(at, slice) + QStringLiteral("\n<p>%1 %2</p>\n").arg(Pages::endMarker()).arg(i);
        QFile f(dir + QStringLiteral("/page%1.htm").arg(i, 4, 10, QLatin1Char('0')));
        if (f.open(QIODevice::WriteOnly))
            f.write(Pages::fileBytes(text, i % 2 ? QByteArray("Shift_JIS") : QByteArray("UTF-8")));
    }
    return folder;
}

void searchInFiles(State &state)
{
    MainWindow &w = Bench::window();
    const QString folder = site();
    GrepPane *pane = GrepPane::of(&w);
    pane->show();
    GrepQuery q;
    q.pattern = Pages::endMarker();
    q.folder = folder;
    qint64 longestPause = 0;
    int rows = 0;
    for (auto _ : state) {
        // The window stays responsive: a timer every 10 ms records the longest wait.
        QElapsedTimer beat;
        beat.start();
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            longestPause = qMax(longestPause, beat.restart());
        });
        ticker.start(10);
        QEventLoop loop;
        QObject::connect(pane, &GrepPane::finished, &loop, &QEventLoop::quit);
        pane->start(q);
        loop.exec();
        ticker.stop();
        rows = pane->results()->topLevelItemCount();
    }
    state.counters["rows"] = rows;
    state.counters["longest_pause_ms"] = double(longestPause);
    if (rows != 2000)
        state.SkipWithError("not every page was found");
}
BENCHMARK(searchInFiles)->Name("search/in_files_2000_pages")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}
