// The live preview: from the end of the pause to the updated page for a 100 KB, a 1 MB and a
// 10 MB page (with the GUI thread's own CPU time for that update), and what a keystroke costs
// the GUI thread with the preview on and off.
#include "benchenv.h"
#include "pages.h"

#include "app/mainwindow.h"
#include "platform/editarea.h"
#include "platform/browserview.h"
#include "platform/previewpane.h"
#include "platform/shared.h"
#include "tools/livepreview.h"
#include "tools/livesource.h"

#include <QAction>
#include <QEventLoop>
#include <QFile>
#include <QTabWidget>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QElapsedTimer>
#include <QScreen>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <cstdio>
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

// The window as large as the screen the benchmark runs on (1280×900 under bench/desktop's Xvfb).
void fullSize()
{
    MainWindow &w = Bench::window();
    if (QScreen *screen = w.screen())
        w.setGeometry(screen->geometry());
    Bench::settle();
}

void setLive(bool on)
{
    QAction *a = Bench::window().action("viewLivePreview");
    fullSize();
    if (a->isChecked() != on)
        a->trigger();
}

// Lets the next repaint of the window happen (the frame the page's new content went into);
// gives up after 200 ms without one. The time the repaint ended, on clock (or -1).
qint64 untilWindowRepainted(const QElapsedTimer &clock)
{
    struct Watch : QObject {
        QEventLoop *loop = nullptr;
        const QElapsedTimer *clock = nullptr;
        qint64 at = -1;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::UpdateRequest && at < 0)
                QTimer::singleShot(0, loop, [this] {  // once this repaint is done
                    at = clock->elapsed();
                    loop->quit();
                });
            return false;
        }
    };
    QWindow *window = Bench::window().windowHandle();
    QEventLoop loop;
    Watch watch;
    watch.loop = &loop;
    watch.clock = &clock;
    window->installEventFilter(&watch);
    QTimer::singleShot(200, &loop, &QEventLoop::quit);
    loop.exec();
    window->removeEventFilter(&watch);
    return watch.at;
}

// The same page with a small script in its head: the preview can no longer treat it as text only.
QString scriptedPagePath(int kb)
{
    const QString path = Bench::workFolder() + QStringLiteral("/live-%1kb-scripted.htm").arg(kb);
    if (!QFile::exists(path)) {
        QFile in(pagePath(kb)), out(path);
        in.open(QIODevice::ReadOnly);
        QByteArray bytes = in.readAll();
        const qsizetype head = bytes.indexOf("<head>");
        if (head < 0)
            qFatal("no <head> in %s", qPrintable(in.fileName()));
        bytes.insert(head + 6, "<script>var tarnellBench = 1;</script>");
        out.open(QIODevice::WriteOnly);
        out.write(bytes);
    }
    return path;
}

// Turns the preview on and waits until it has shown the page and has nothing more to do.
bool liveOn()
{
    LivePreview *live = Bench::window().livePreview();
    QSignalSpy updated(live, &LivePreview::updated);
    setLive(true);
    if (!QTest::qWaitFor([&] { return !updated.isEmpty(); }, 60000) || !updated.last().first().toBool())
        return false;
    // Nothing else pending: no update started within the longest pause, and no copy in flight
    // (a page opened just before may still be on its way).
    do {
        updated.clear();
        QTest::qWait(LiveSource::kLongestDelay + 100);
        if (!QTest::qWaitFor([&] { return !live->isBusy(); }, 60000))
            return false;
    } while (!updated.isEmpty());
    return true;
}

// With TARNELL_LIVE_TRACE set: the engine's own timing of the page's load (ms since its
// navigation started), to see where an update's time goes.
void traceSteps(BrowserView *view, qint64 now, qint64 painted)
{
    QEventLoop loop;
    QString steps;
    view->runProgramScript(QStringLiteral(R"((function () {
        const n = performance.getEntriesByType('navigation')[0];
        const p = performance.getEntriesByType('paint').map(e => e.name + ' ' + e.startTime.toFixed(0)).join(', ');
        const f = v => v.toFixed(0);
        return 'request ' + f(n.requestStart) + ' response ' + f(n.responseStart) + '..' + f(n.responseEnd) +
            ' interactive ' + f(n.domInteractive) + ' contentLoaded ' + f(n.domContentLoadedEventEnd) +
            ' load ' + f(n.loadEventEnd) + ' | ' + p + ' | bytes ' + n.transferSize + '/' + n.decodedBodySize +
            ' | since nav start ' + f(performance.now());
    })())"),
                           [&](const QVariant &v) {
                               steps = v.toString();
                               loop.quit();
                           });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    std::fprintf(stderr, "live trace: painted %lld ms after the pause (asked at %lld): %s\n", (long long)painted,
                 (long long)now, qPrintable(steps));
}

// Ends the pause now and waits for the page: *msec is the time to the end of its load, *painted
// the time until its new content was on the screen (two animation frames of the page after the
// load, then the window's repaint that carries the last one).
bool untilUpdated(qint64 *msec = nullptr, int timeoutMs = 60000, qint64 *painted = nullptr)
{
    LivePreview *live = Bench::window().livePreview();
    QEventLoop loop;
    bool ok = false;
    bool loaded = false;
    static int round = 0;
    const QString mark = QStringLiteral("painted:%1").arg(++round);
    QElapsedTimer clock;
    auto c = QObject::connect(live, &LivePreview::updated, &loop, [&](bool success, qint64 took) {
        ok = success;
        loaded = true;
        if (msec)
            *msec = took;
        if (!painted || !ok) {
            loop.quit();
            return;
        }
        live->view()->runProgramScript(QStringLiteral("requestAnimationFrame(() => requestAnimationFrame(() => "
                                                      "tarnellSend('%1')));").arg(mark));
    });
    auto m = QObject::connect(live->view(), &BrowserView::programMessage, &loop, [&](const QString &text) {
        if (text == mark && loaded)
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, [&] {
        ok = false;
        loop.quit();
    });
    clock.start();
    live->updateNow();
    loop.exec();
    QObject::disconnect(c);
    QObject::disconnect(m);
    if (painted && ok) {
        const qint64 message = clock.elapsed();
        const qint64 repainted = untilWindowRepainted(clock);
        *painted = repainted >= 0 ? repainted : message;
        if (qEnvironmentVariableIsSet("TARNELL_LIVE_TRACE"))
            traceSteps(live->view(), clock.elapsed(), *painted);
    }
    return ok;
}

// Each round a letter is typed and the pause ended at once. Where: in the middle of the text, or
// (inText) into the text of the element that starts nearest after the middle, never inside a tag.
void liveUpdate(State &state, int kb, bool inPlace, bool scripted = false, bool inText = false)
{
    Bench::window().setUndoMode(0);
    Bench::open(scripted ? scriptedPagePath(kb) : pagePath(kb));
    Bench::settle();
    if (!liveOn()) {
        state.SkipWithError("the live preview did not load");
        setLive(false);
        return;
    }
    Bench::window().livePreview()->setInPlace(inPlace);
    EditArea *e = Bench::window().edit();
    int at = e->textLength() / 2;
    if (inText) {
        const QString text = e->text();
        for (at = int(text.indexOf(u'>', at)); at >= 0 && at + 1 < text.size(); at = int(text.indexOf(u'>', at + 1)))
            if (text[at + 1] != u'<' && !text[at + 1].isSpace())
                break;
        ++at;
    }
    double guiMs = 0, loadedMs = 0, inPlaceRounds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        e->setSelStart(inText ? at : e->textLength() / 2);
        e->insert(QStringLiteral("a"));
        state.ResumeTiming();
        const double cpu = threadCpuMs();
        qint64 loaded = 0, painted = 0;
        if (!untilUpdated(&loaded, 60000, &painted)) {
            state.SkipWithError("no update");
            break;  // the timing may not be paused after an error
        }
        guiMs += threadCpuMs() - cpu;
        loadedMs += double(loaded);
        inPlaceRounds += Bench::window().livePreview()->lastInPlace() ? 1 : 0;
        state.SetIterationTime(double(painted) / 1000.0);
    }
    state.counters["gui_cpu_ms"] = benchmark::Counter(guiMs, benchmark::Counter::kAvgIterations);
    state.counters["loaded_ms"] = benchmark::Counter(loadedMs, benchmark::Counter::kAvgIterations);
    state.counters["in_place"] = benchmark::Counter(inPlaceRounds, benchmark::Counter::kAvgIterations);
    Bench::window().livePreview()->setInPlace(true);
    setLive(false);
    Bench::window().setUndoMode(1);
}
// The time reported is from the end of the pause to the new content on the screen. The page has
// no scripts, so it is brought up to date in place; update_full_* loads every copy instead.
BENCHMARK_CAPTURE(liveUpdate, 100kb, 100, true)->Name("live/update_100kb")->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK_CAPTURE(liveUpdate, 1mb, 1000, true)->Name("live/update_1mb")->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK_CAPTURE(liveUpdate, full_100kb, 100, false)->Name("live/update_full_100kb")->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK_CAPTURE(liveUpdate, full_1mb, 1000, false)->Name("live/update_full_1mb")->Unit(benchmark::kMillisecond)->UseManualTime();
// The page with a script in its head, a letter typed into the text of an element.
BENCHMARK_CAPTURE(liveUpdate, scripted_100kb, 100, true, true, true)->Name("live/update_scripted_100kb")->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK_CAPTURE(liveUpdate, scripted_1mb, 1000, true, true, true)->Name("live/update_scripted_1mb")->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK_CAPTURE(liveUpdate, 10mb, 10000, true)->Name("live/update_10mb")->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// What the engine's load of a page costs by itself, in a view of the live preview's kind and
// size, read from a file: the page as it is against the copy with every start tag marked with
// its line (what the live preview serves). Compare with live/update_full_* (the same marked copy
// through the program's scheme, from memory, with the editor around it).
void engineLoad(State &state, int kb, bool marked)
{
    const QString source = pagePath(kb);
    QString path = source;
    if (marked) {
        path = Bench::workFolder() + QStringLiteral("/live-%1kb-marked.htm").arg(kb);
        QFile in(source), out(path);
        in.open(QIODevice::ReadOnly);
        out.open(QIODevice::WriteOnly);
        out.write(LiveSource::annotateLines(QString::fromUtf8(in.readAll())).toUtf8());
    }
    BrowserView view(nullptr, Browser::PageKind::Quiet);
    view.resize(640, 860);
    view.show();
    int round = 0;
    for (auto _ : state) {
        QUrl url = QUrl::fromLocalFile(path);
        url.setQuery(QStringLiteral("n=%1").arg(++round));
        QEventLoop loop;
        bool ok = false;
        auto c = QObject::connect(&view, &BrowserView::loadEnded, &loop, [&](const QUrl &u, bool success) {
            if (u.query() == url.query()) {
                ok = success;
                loop.quit();
            }
        });
        QTimer::singleShot(120000, &loop, &QEventLoop::quit);
        view.load(url);
        loop.exec();
        QObject::disconnect(c);
        if (!ok) {
            state.SkipWithError("the page did not load");
            break;
        }
    }
}
BENCHMARK_CAPTURE(engineLoad, plain_100kb, 100, false)->Name("live/engine_plain_file_100kb")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(engineLoad, marked_100kb, 100, true)->Name("live/engine_marked_file_100kb")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(engineLoad, plain_1mb, 1000, false)->Name("live/engine_plain_file_1mb")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(engineLoad, marked_1mb, 1000, true)->Name("live/engine_marked_file_1mb")->Unit(benchmark::kMillisecond)->UseRealTime();

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
    if (on && !liveOn()) {
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
