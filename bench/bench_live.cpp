// The live preview: from the end of the pause to the updated page for a 100 KB, a 1 MB and a
// 10 MB page (with the GUI thread's own CPU time for that update), and what a keystroke costs
// the GUI thread with the preview on and off.
#include "benchenv.h"
#include "pages.h"

#include "app/mainwindow.h"
#include "platform/editarea.h"
#include "platform/previewpane.h"
#include "platform/shared.h"
#include "tools/livepreview.h"

#include <QAction>
#include <QEventLoop>
#include <QFile>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <ctime>

namespace {

using benchmark::State;

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

// A page of about kb kilobytes: the 1 MB or 10 MB page, or the start of the 1 MB page cut at a
// line end and closed again.
QString pagePath(int kb)
{
    const QString path = Bench::workFolder() + QStringLiteral("/live-%1kb.htm").arg(kb);
    if (!QFile::exists(path)) {
        QString text = Pages::page(kb >= 10000 ? 10 : 1);
        if (kb < 1000) {
            const qsizetype cut = text.indexOf(u'\n', kb * 1000);
            text = text.left(cut) + QStringLiteral("\n</table></div></body></html>\n");
        }
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(Pages::fileBytes(text, "UTF-8"));
    }
    return path;
}

void setLive(bool on)
{
    QAction *a = Bench::window().action("viewLivePreview");
    if (a->isChecked() != on)
        a->trigger();
}

// Ends the pause now and waits for the page; the time the update took is in *msec.
bool untilUpdated(qint64 *msec = nullptr, int timeoutMs = 60000)
{
    LivePreview *live = Bench::window().livePreview();
    QEventLoop loop;
    bool ok = false;
    auto c = QObject::connect(live, &LivePreview::updated, &loop, [&](bool success, qint64 took) {
        ok = success;
        if (msec)
            *msec = took;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    live->updateNow();
    loop.exec();
    QObject::disconnect(c);
    return ok;
}

void liveUpdate(State &state, int kb)
{
    Bench::window().setUndoMode(0);
    Bench::open(pagePath(kb));
    Bench::settle();
    setLive(true);
    if (!untilUpdated()) {  // the first one starts the engine
        state.SkipWithError("the live preview did not load");
        setLive(false);
        return;
    }
    EditArea *e = Bench::window().edit();
    double guiMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        e->setSelStart(e->textLength() / 2);
        e->insert(QStringLiteral("a"));
        state.ResumeTiming();
        const double cpu = threadCpuMs();
        if (!untilUpdated()) {
            state.SkipWithError("no update");
            break;  // the timing may not be paused after an error
        }
        guiMs += threadCpuMs() - cpu;
    }
    state.counters["gui_cpu_ms"] = benchmark::Counter(guiMs, benchmark::Counter::kAvgIterations);
    setLive(false);
    Bench::window().setUndoMode(1);
}
BENCHMARK_CAPTURE(liveUpdate, 100kb, 100)->Name("live/update_100kb")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(liveUpdate, 1mb, 1000)->Name("live/update_1mb")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(liveUpdate, 10mb, 10000)->Name("live/update_10mb")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// For comparison, the same page through the preview tab (text written to the preview file, then
// loaded from the disk).
void previewTab(State &state, int kb)
{
    Bench::window().setUndoMode(0);
    Bench::open(pagePath(kb));
    Bench::settle();
    MainWindow &w = Bench::window();
    for (auto _ : state) {
        state.PauseTiming();
        w.edit()->insert(QStringLiteral("a"));  // back to the editing tab
        Bench::settle();
        state.ResumeTiming();
        if (!Bench::untilPreviewLoaded([&w] { w.viewTabs()->setCurrentIndex(1); })) {
            state.SkipWithError("the preview did not load");
            break;
        }
    }
    w.viewTabs()->setCurrentIndex(0);
    Bench::window().setUndoMode(1);
}
BENCHMARK_CAPTURE(previewTab, 100kb, 100)->Name("live/compare_preview_tab_100kb")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(previewTab, 1mb, 1000)->Name("live/compare_preview_tab_1mb")->Unit(benchmark::kMillisecond)->UseRealTime();

// Keys typed faster than the pause: the preview only restarts its timer per key.
void keystrokeLive(State &state, bool on)
{
    Bench::window().setUndoMode(0);
    Bench::open(pagePath(1000));
    Bench::settle();
    setLive(on);
    if (on && !untilUpdated()) {
        state.SkipWithError("the live preview did not load");
        setLive(false);
        return;
    }
    EditArea *e = Bench::window().edit();
    e->setSelStart(e->textLength() / 2);
    e->setFocus();
    Bench::settle();
    double guiMs = 0;
    for (auto _ : state) {
        const double cpu = threadCpuMs();
        QTest::keyClick(e, 'a');
        Bench::settle();
        guiMs += threadCpuMs() - cpu;
    }
    state.counters["gui_cpu_ms"] = benchmark::Counter(guiMs, benchmark::Counter::kAvgIterations);
    setLive(false);
    Bench::window().setUndoMode(1);
}
BENCHMARK_CAPTURE(keystrokeLive, off, false)->Name("live/keystroke_1mb_preview_off")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(keystrokeLive, on, true)->Name("live/keystroke_1mb_preview_on")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
