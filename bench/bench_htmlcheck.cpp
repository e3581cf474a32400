// The HTML check on the 1 MB page (100,000 tags): through the real main window, from the
// menu command to the rows shown; the check alone as it runs off the user-interface
// thread; and what the user-interface thread itself spends to start a check.
#include "benchenv.h"
#include "pages.h"

#include "app/mainwindow.h"
#include "platform/editarea.h"
#include "tools/checkpane.h"
#include "tools/pagecheck.h"

#include <QAction>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

namespace {

using benchmark::State;

CheckPane *openWithPane()
{
    Bench::window().setUndoMode(1);
    Bench::open(Bench::pagePath(1, "UTF-8"));
    Bench::settle();
    return Bench::window().findChild<CheckPane *>(QStringLiteral("CheckPane"));
}

bool untilFinished(CheckPane *pane, const std::function<void()> &start)
{
    QEventLoop loop;
    bool done = false;
    const auto c = QObject::connect(pane, &CheckPane::checkFinished, &loop, [&] {
        done = true;
        loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    start();
    if (!done)
        loop.exec();
    QObject::disconnect(c);
    return done;
}

void htmlCheck(State &state)
{
    CheckPane *pane = openWithPane();
    QAction *action = Bench::window().action(QStringLiteral("HtmlCheck"));
    if (!pane || !action) {
        state.SkipWithError("no HtmlCheck action or CheckPane");
        return;
    }
    int rows = 0;
    for (auto _ : state) {
        if (!untilFinished(pane, [action] { action->trigger(); })) {
            state.SkipWithError("the check did not finish");
            break;
        }
        Bench::settle();
        rows = pane->model()->rowCount();
    }
    state.counters["rows"] = rows;
}
BENCHMARK(htmlCheck)->Name("htmlcheck/1mb")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void htmlCheckFunction(State &state)
{
    const PageCheck::Input input{Pages::page(1), "UTF-8", Bench::pagePath(1, "UTF-8")};
    size_t rows = 0;
    for (auto _ : state)
        rows = PageCheck::run(input).findings.size();
    state.counters["rows"] = double(rows);
}
BENCHMARK(htmlCheckFunction)->Name("htmlcheck/1mb/function_only")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void htmlCheckStart(State &state)
{
    CheckPane *pane = openWithPane();
    if (!pane) {
        state.SkipWithError("no CheckPane");
        return;
    }
    for (auto _ : state) {
        pane->startCheck();
        state.PauseTiming();
        untilFinished(pane, [] {});
        state.ResumeTiming();
    }
}
BENCHMARK(htmlCheckStart)->Name("htmlcheck/1mb/start_only")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}
