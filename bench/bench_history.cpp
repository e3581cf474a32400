// What the undo history costs a keystroke, in each undo mode, on the 1 MB and the 10 MB page:
// the key event, the editor's insertion, the change handler and the history (without the
// repaint, which the keystroke figures of bench_editor.cpp include), and what 1,000 steps of the
// deep mode keep in memory.
#include "benchenv.h"

#include "app/mainwindow.h"
#include "app/undocontroller.h"
#include "platform/editarea.h"

#include <QFile>
#include <QTest>

#include <benchmark/benchmark.h>
#include <unistd.h>

namespace {

using benchmark::State;

double residentMiB()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : 0;
}

EditArea *openInMode(int scale, int mode)
{
    Bench::window().setUndoMode(1);
    Bench::open(Bench::pagePath(scale, "UTF-8"));
    Bench::settle();
    Bench::window().setUndoMode(mode);
    EditArea *e = Bench::window().edit();
    e->setSelStart(e->textLength() / 2);
    e->setFocus();
    Bench::settle();
    return e;
}

void historyKeystroke(State &state, int scale, int mode)
{
    EditArea *e = openInMode(scale, mode);
    const int before = e->textLength();
    for (auto _ : state) {
        QTest::keyClick(e, 'a');
        state.PauseTiming();
        Bench::settle();  // the repaint, and the history files' timer when it is due
        state.ResumeTiming();
    }
    Bench::window().history().flush();
    if (e->textLength() != before + int(state.iterations()))
        state.SkipWithError("the keystrokes did not reach the text");
    Bench::window().setUndoMode(1);
}
BENCHMARK_CAPTURE(historyKeystroke, m0_1, 1, 0)->Name("history/keystroke_1mb_mode0")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(historyKeystroke, m1_1, 1, 1)->Name("history/keystroke_1mb_mode1")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(historyKeystroke, m2_1, 1, 2)->Name("history/keystroke_1mb_mode2")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(historyKeystroke, m3_1, 1, 3)->Name("history/keystroke_1mb_mode3")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(historyKeystroke, m0_10, 10, 0)->Name("history/keystroke_10mb_mode0")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(200);
BENCHMARK_CAPTURE(historyKeystroke, m1_10, 10, 1)->Name("history/keystroke_10mb_mode1")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(200);
BENCHMARK_CAPTURE(historyKeystroke, m2_10, 10, 2)->Name("history/keystroke_10mb_mode2")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(200);
BENCHMARK_CAPTURE(historyKeystroke, m3_10, 10, 3)->Name("history/keystroke_10mb_mode3")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(200);

// 1,000 deep-mode steps on the 10 MB page (each a word typed after a space, so none merge):
// the memory they add, and one undo and redo of a step.
void deepSteps(State &state)
{
    EditArea *e = openInMode(10, 3);
    UndoController *undo = Bench::window().undoController();
    double added = 0;
    for (auto _ : state) {
        const double before = residentMiB();
        for (int i = 0; i < 1000; ++i) {
            QTest::keyClick(e, ' ');
            QTest::keyClick(e, 'w');
        }
        added = residentMiB() - before;
        for (int i = 0; i < 10; ++i)
            undo->undo();
        for (int i = 0; i < 10; ++i)
            undo->redo();
    }
    state.counters["added_MiB"] = added;
    state.counters["history_MiB"] = double(undo->history().stepBytes()) / (1024.0 * 1024.0);
    state.counters["steps"] = undo->history().undoSteps();
    Bench::window().history().flush();
    Bench::window().setUndoMode(1);
}
BENCHMARK(deepSteps)->Name("history/deep_1000_steps_10mb")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
