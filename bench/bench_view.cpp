// The editing surface: colours while typing, line numbers, caret line, whitespace marks.
// Keystrokes with every view option on (and with the colours off, for the colours'
// share), opening "<!--" at the top of the 10 MB page (what the keystroke itself costs;
// the lines below are redone in idle slices), and the whole idle pass over 10 MB.
#include "benchenv.h"

#include "app/mainwindow.h"
#include "editing/editview.h"
#include "editing/livehighlight.h"
#include "platform/editarea.h"

#include <QElapsedTimer>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {

using benchmark::State;

EditView *view()
{
    return Bench::window().view();
}

void allOptions(bool highlight)
{
    for (int o = 0; o < EditView::OptionCount; ++o)
        view()->setOption(EditView::Option(o), true);
    view()->setOption(EditView::Highlight, highlight);
}

void restoreDefaults()
{
    for (int o = 0; o < EditView::OptionCount; ++o)
        view()->setOption(EditView::Option(o), EditView::info(EditView::Option(o)).byDefault);
    Bench::window().setUndoMode(1);
}

void openAndFinish(int scale)
{
    Bench::window().setUndoMode(0);
    Bench::open(Bench::pagePath(scale, "UTF-8"));
    Bench::settle();
    view()->highlighter()->finish();
    Bench::settle();
}

// Every option as the editor was before the View menu: no decoration, lines wrapped.
void todaysView()
{
    for (int o = 0; o < EditView::OptionCount; ++o)
        view()->setOption(EditView::Option(o), false);
    view()->setOption(EditView::Wrap, true);
}

// 0: every option on; 1: every option on but the colours; 2: as before the View menu.
void keystrokeView(State &state, int variant)
{
    if (variant == 2)
        todaysView();
    else
        allOptions(variant == 0);
    openAndFinish(1);
    EditArea *e = Bench::window().edit();
    e->setSelStart(e->textLength() / 2);
    e->setFocus();
    Bench::settle();
    for (auto _ : state) {
        QTest::keyClick(e, 'a');
        Bench::settle();
    }
    restoreDefaults();
}
BENCHMARK_CAPTURE(keystrokeView, all_on, 0)
    ->Name("view/keystroke_1mb_all_on")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(keystrokeView, colours_off, 1)
    ->Name("view/keystroke_1mb_colours_off")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(keystrokeView, as_before, 2)
    ->Name("view/keystroke_1mb_as_before")->Unit(benchmark::kMillisecond)->UseRealTime();

// "<!--" typed at the top of the 10 MB page: the time of the four keystrokes with their
// repaint, and (counter) the longest idle slice that follows while the rest is redone.
void commentAtTop(State &state)
{
    allOptions(true);
    openAndFinish(10);
    EditArea *e = Bench::window().edit();
    e->setFocus();
    double longestSlice = 0;
    for (auto _ : state) {
        e->setSelStart(0);
        Bench::settle();
        QTest::keyClicks(e, "<!--");
        e->repaint();
        state.PauseTiming();
        // The idle slices, one event-loop round each, until the page is redone.
        while (view()->highlighter()->isPending()) {
            QElapsedTimer t;
            t.start();
            QCoreApplication::processEvents();
            longestSlice = std::max(longestSlice, t.nsecsElapsed() / 1e6);
        }
        e->select(0, 4);
        e->insert(QString());
        view()->highlighter()->finish();
        Bench::settle();
        state.ResumeTiming();
    }
    state.counters["longest_idle_slice_ms"] = longestSlice;
    restoreDefaults();
}
BENCHMARK(commentAtTop)->Name("view/comment_top_10mb")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The whole idle pass over the 10 MB page (states of every line), from the top.
void fullPass(State &state)
{
    openAndFinish(10);
    for (auto _ : state) {
        view()->setOption(EditView::Highlight, false);
        view()->setOption(EditView::Highlight, true);
        view()->highlighter()->finish();
    }
    restoreDefaults();
    state.counters["peak_MiB"] = Bench::peakMemoryMiB();
}
BENCHMARK(fullPass)->Name("view/idle_pass_10mb")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}
