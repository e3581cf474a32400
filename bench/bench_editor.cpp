// The work users feel, measured through the real main window (shown offscreen):
// opening pages, typing with the change handler and its undo history, the preview
// tab, tag colouring, replace all, find next, the conversions and the gradient.
// Next to each command, the plain function under it, so that a slow figure shows
// whether the time goes into the computation or into the editor widget.
//
// Names: "<figure>/<case>". bench/run reads the medians of these names.
#include "benchenv.h"
#include "pages.h"

#include "app/mainwindow.h"
#include "document/textfile.h"
#include "editing/search.h"
#include "editing/tagnav.h"
#include "platform/editarea.h"
#include "platform/previewpane.h"
#include "platform/shared.h"

#if __has_include("editing/conversions.h")
#include "editing/conversions.h"
#define BENCH_CONVERSIONS 1
#endif
#if __has_include("tools/gradient.h") && __has_include("tools/gradfrm.h")
#include "tools/gradfrm.h"
#include "tools/gradient.h"
#define BENCH_GRADIENT 1
#endif
#if __has_include("app/splash.h")
#include "app/splash.h"
#define BENCH_SPLASH 1
#endif

#include "platform/browserview.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>

#include <benchmark/benchmark.h>

namespace {

using benchmark::State;

EditArea *edit()
{
    return Bench::window().edit();
}

// A freshly opened page (the default undo mode), caret at the top.
void openFresh(int scale, const QByteArray &encoding = "UTF-8")
{
    Bench::window().setUndoMode(1);
    Bench::open(Bench::pagePath(scale, encoding));
    Bench::settle();
}

void fail(State &state, const char *why)
{
    state.SkipWithError(why);
}

// Times a plain function of the 1 MB page's text (no editor).
template <typename F>
void onPageText(State &state, F f)
{
    const QString text = Pages::page(1);
    for (auto _ : state)
        benchmark::DoNotOptimize(f(text));
}

// ---- Start-up (in process; the whole-process figure comes from bench/run) ----

void startUp(State &state)
{
    Bench::window();  // private folders and answers in place
    for (auto _ : state) {
        {
#ifdef BENCH_SPLASH
            auto *splash = new SplashWindow;  // deletes itself when start-up closes it
            splash->show();
            MainWindow w;
            w.show();
            w.startUp(QString(), splash->progress());
#else
            MainWindow w;
            w.show();
            w.startUp(QString());
#endif
            Bench::settle();
            state.PauseTiming();
            w.history().removeFiles();
        }
        Bench::settle();
        state.ResumeTiming();
    }
    // The start-ups above took the shared document path with them.
    openFresh(1);
}
BENCHMARK(startUp)->Name("startup/in_process")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// ---- Opening pages ----

void openPage(State &state, int scale, QByteArray encoding)
{
    const QString path = Bench::pagePath(scale, encoding);
    MainWindow &w = Bench::window();
    long long paints = 0;
    for (auto _ : state) {
        state.PauseTiming();
        w.newDocument();
        Bench::settle();
        paints -= Bench::editPaints();
        state.ResumeTiming();
        Bench::open(path);
        Bench::settle();
        paints += Bench::editPaints();
    }
    state.counters["paints"] = benchmark::Counter(double(paints), benchmark::Counter::kAvgIterations);
    if (w.documentPath() != path || edit()->textLength() < 100000 * scale)
        fail(state, "the page did not open");
    state.counters["chars"] = edit()->textLength();
    state.counters["peak_MiB"] = Bench::peakMemoryMiB();
}
BENCHMARK_CAPTURE(openPage, utf8_1mb, 1, QByteArray("UTF-8"))
    ->Name("open/1mb_utf8")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK_CAPTURE(openPage, sjis_1mb, 1, QByteArray("Shift_JIS"))
    ->Name("open/1mb_sjis")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK_CAPTURE(openPage, utf8_10mb, 10, QByteArray("UTF-8"))
    ->Name("open/10mb_utf8")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(openPage, sjis_10mb, 10, QByteArray("Shift_JIS"))
    ->Name("open/10mb_sjis")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// Reading and decoding alone (no editor).
void readPage(State &state, int scale, QByteArray encoding)
{
    const QString path = Bench::pagePath(scale, encoding);
    for (auto _ : state) {
        const TextFileRead r = readTextFile(path);
        benchmark::DoNotOptimize(r.text.size());
        if (r.status != TextFileRead::Ok || r.format.encoding != encoding) {
            fail(state, "read failed or the encoding was not recognised");
            break;
        }
    }
}
BENCHMARK_CAPTURE(readPage, utf8_1mb, 1, QByteArray("UTF-8"))
    ->Name("open/1mb_utf8/read_only")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(readPage, sjis_1mb, 1, QByteArray("Shift_JIS"))
    ->Name("open/1mb_sjis/read_only")->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- One keystroke, change handler and undo history included ----

void keystroke(State &state, int mode)
{
    openFresh(1);
    Bench::window().setUndoMode(mode);
    EditArea *e = edit();
    e->setSelStart(e->textLength() / 2);
    e->setFocus();
    Bench::settle();
    const int before = e->textLength();
    const long long paints = Bench::editPaints();
    for (auto _ : state) {
        QTest::keyClick(e, 'a');
        Bench::settle();
    }
    state.counters["paints"] = benchmark::Counter(double(Bench::editPaints() - paints), benchmark::Counter::kAvgIterations);
    if (e->textLength() != before + int(state.iterations()))
        fail(state, "the keystrokes did not reach the text");
    Bench::window().setUndoMode(1);
}
BENCHMARK_CAPTURE(keystroke, mode0, 0)->Name("keystroke/1mb_mode0")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(keystroke, mode1, 1)->Name("keystroke/1mb_mode1")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(keystroke, mode2, 2)->Name("keystroke/1mb_mode2")->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole text as the change handler takes it for the history, once per change.
void wholeText(State &state)
{
    openFresh(1);
    for (auto _ : state)
        benchmark::DoNotOptimize(edit()->text().size());
}
BENCHMARK(wholeText)->Name("keystroke/1mb/text_only")->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- The preview tab ----

// Runs a script in the preview's page and waits for its result.
QVariant previewScript(const QString &script)
{
    BrowserView *view = Bench::window().preview()->browser();
    if (!view || !view->hasEngine())
        return {};
    QVariant result;
    bool done = false;
    QEventLoop loop;
    view->runJavaScript(script, [&](const QVariant &v) {
        result = v;
        done = true;
        loop.quit();
    });
    if (!done)
        loop.exec();
    return result;
}

// Switches to the preview tab and waits for loadFinished. *firstPaintMs receives the time
// from the switch to the page's first contentful paint (-1 when the engine does not say).
bool switchToPreview(double *firstPaintMs = nullptr)
{
    QTabWidget *tabs = Bench::window().viewTabs();
    QElapsedTimer clock;
    clock.start();
    if (!Bench::untilPreviewLoaded([tabs] { tabs->setCurrentIndex(1); }))
        return false;
    if (firstPaintMs) {
        // The paint entry is relative to the navigation's start; performance.now() tells
        // where that start lies on this clock.
        const QVariantList v = previewScript(QStringLiteral(
            "(function(){var p = performance.getEntriesByName('first-contentful-paint')[0];"
            "return [performance.now(), p ? p.startTime : -1];})()")).toList();
        const double now = clock.nsecsElapsed() / 1e6;
        if (v.size() == 2 && v[1].toDouble() >= 0)
            *firstPaintMs = now - v[0].toDouble() + v[1].toDouble();
        else
            *firstPaintMs = -1;
    }
    return true;
}

// The first switch creates the browser engine: once per process. bench/run runs it in
// fresh processes for its median.
void previewFirst(State &state)
{
    MainWindow &w = Bench::window();
    if (w.preview()->hasBrowser()) {
        fail(state, "the browser already exists in this process (run this case first)");
        return;
    }
    openFresh(1);
    double firstPaint = -1;
    for (auto _ : state) {
        if (!switchToPreview(&firstPaint)) {
            fail(state, "the preview did not load");
            break;
        }
        Bench::settle();
    }
    state.counters["first_paint_ms"] = firstPaint;
    w.viewTabs()->setCurrentIndex(0);
    Bench::settle();
}
BENCHMARK(previewFirst)
    ->Name("preview/1mb_first")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(1);

// A later switch, after a keystroke changed the page.
void previewLater(State &state)
{
    MainWindow &w = Bench::window();
    openFresh(1);
    if (!w.preview()->hasBrowser() && !switchToPreview()) {
        fail(state, "the preview did not load");
        return;
    }
    EditArea *e = edit();
    double firstPaints = 0;
    for (auto _ : state) {
        state.PauseTiming();
        w.viewTabs()->setCurrentIndex(0);
        e->setSelStart(e->textLength() / 2);
        QTest::keyClick(e, 'a');
        Bench::settle();
        state.ResumeTiming();
        double firstPaint = -1;
        if (!switchToPreview(&firstPaint)) {
            fail(state, "the preview did not load");
            break;
        }
        Bench::settle();
        firstPaints += firstPaint;
    }
    state.counters["first_paint_ms"] = benchmark::Counter(firstPaints, benchmark::Counter::kAvgIterations);
    w.viewTabs()->setCurrentIndex(0);
    Bench::settle();
}
BENCHMARK(previewLater)->Name("preview/1mb_later")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Writing the preview file: the program's own part of a switch.
void previewWrite(State &state)
{
    openFresh(1);
    MainWindow &w = Bench::window();
    const QString path = Bench::workFolder() + QStringLiteral("/write-test.htm$.tmp");
    for (auto _ : state) {
        const QString text = edit()->text();
        if (!writeTextFile(path, text, w.documentFormat())) {
            fail(state, "the preview file could not be written");
            break;
        }
    }
}
BENCHMARK(previewWrite)->Name("preview/1mb/write_only")->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- Tag colouring ----

void tagColor(State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        openFresh(1);
        state.ResumeTiming();
        TagNav::tagColor(edit());
        Bench::settle();
    }
    if (edit()->selText() != QLatin1String("</html>"))
        fail(state, "the last tag was not selected");
}
BENCHMARK(tagColor)->Name("tagcolor/1mb")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

BENCHMARK_CAPTURE(onPageText, tagspans, [](const QString &t) { return TagNav::tagSpans(t).size(); })
    ->Name("tagcolor/1mb/scan_only")->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- Replace all: every "<" of the page (100,000) by "&lt;" ----

void replaceAllDialog(State &state)
{
    MainWindow &w = Bench::window();
    for (auto _ : state) {
        state.PauseTiming();
        openFresh(1);
        TikanFrm *d = TikanFrm::open(edit(), &w);
        d->findChild<QLineEdit *>("Text1")->setText(QStringLiteral("<"));
        d->findChild<QLineEdit *>("Text2")->setText(QStringLiteral("&lt;"));
        Bench::settle();
        state.ResumeTiming();
        d->replaceAll();
        Bench::settle();
        state.PauseTiming();
        d->cancel();
        Bench::settle();
        state.ResumeTiming();
    }
    const QString text = edit()->text();
    if (text.count(QLatin1Char('<')) != 0 || text.count(QStringLiteral("&lt;")) != 100000)
        fail(state, "not every occurrence was replaced");
}
BENCHMARK(replaceAllDialog)->Name("replace_all/100k")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void replaceAllFunction(State &state)
{
    const QString text = Pages::page(1);
    for (auto _ : state) {
        const Search::ReplaceResult r = Search::replaceAll(text, QStringLiteral("<"), QStringLiteral("&lt;"));
        if (r.count != 100000) {
            fail(state, "wrong count");
            break;
        }
    }
}
BENCHMARK(replaceAllFunction)->Name("replace_all/100k/function_only")->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- Find next from the top to the last paragraph ----

void findNext(State &state)
{
    MainWindow &w = Bench::window();
    openFresh(1);
    const QString marker = Pages::endMarker();
    w.search().SearchText = marker;
    for (auto _ : state) {
        state.PauseTiming();
        edit()->setSelStart(0);
        Bench::settle();
        state.ResumeTiming();
        if (!w.search().findNext(&w, edit())) {
            fail(state, "not found");
            break;
        }
        Bench::settle();
    }
    if (edit()->selText() != marker)
        fail(state, "the match was not selected");
}
BENCHMARK(findNext)->Name("find_next/1mb")->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- Conversions on the whole text ----

#ifdef BENCH_CONVERSIONS
void conversion(State &state, Conversion::Converter convert)
{
    for (auto _ : state) {
        state.PauseTiming();
        openFresh(1);
        edit()->select(0, edit()->textLength());
        Bench::settle();
        state.ResumeTiming();
        runConversion(edit(), convert);
        Bench::settle();
    }
    const QString text = edit()->text();
    const bool stripped = text.count(QLatin1Char('<')) == 0;
    const bool marked = text.count(QStringLiteral("<br>\n")) == text.count(QLatin1Char('\n'));
    if (convert == Conversion::removeTags ? !stripped : !marked)
        fail(state, "the conversion did not happen");
}
BENCHMARK_CAPTURE(conversion, notag, Conversion::removeTags)
    ->Name("strip_tags/1mb")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK_CAPTURE(conversion, br, Conversion::markLineBreaks)
    ->Name("br/1mb")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

BENCHMARK_CAPTURE(onPageText, removeTags, [](const QString &t) { return Conversion::removeTags(t).size(); })
    ->Name("strip_tags/1mb/function_only")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(onPageText, markLineBreaks, [](const QString &t) { return Conversion::markLineBreaks(t).size(); })
    ->Name("br/1mb/function_only")->Unit(benchmark::kMillisecond)->UseRealTime();
#else
// PLACE FOR THE CONVERSIONS: strip_tags/1mb and br/1mb (runConversion with removeTags and
// markLineBreaks on the whole 1 MB page) build here once editing/conversions.h exists.
#endif

// ---- Gradient on 10,000 characters ----

#ifdef BENCH_GRADIENT
const Rgb kFrom{255, 0, 0};
const Rgb kTo{0, 0, 255};

void gradientHtml(State &state)
{
    const QString text = Pages::japaneseText(10000);
    for (auto _ : state)
        benchmark::DoNotOptimize(GradientHtml(text, kFrom, kTo).size());
}
BENCHMARK(gradientHtml)->Name("gradient/10k/html_only")->Unit(benchmark::kMillisecond)->UseRealTime();

// The dialog with 10,000 characters in its sample: "プレビュー" (every character coloured) or
// OK (the HTML put into the 1 MB page).
void gradientDialog(State &state, bool ok)
{
    const QString text = Pages::japaneseText(10000);
    for (auto _ : state) {
        state.PauseTiming();
        if (ok) {
            openFresh(1);
            edit()->setSelStart(edit()->textLength() / 2);
        }
        auto *dlg = new GradFrm(edit(), &Bench::window());
        dlg->sample()->setPlainText(text);
        dlg->show();
        Bench::settle();
        state.ResumeTiming();
        if (ok)
            dlg->insertAndClose();
        else
            dlg->previewGradient();
        Bench::settle();
        state.PauseTiming();
        delete dlg;
        Bench::settle();
        state.ResumeTiming();
    }
    if (ok && edit()->text().count(QStringLiteral("<font color=")) != 10000)
        fail(state, "the gradient was not inserted");
}
BENCHMARK_CAPTURE(gradientDialog, preview, false)
    ->Name("gradient/10k/preview")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK_CAPTURE(gradientDialog, ok, true)
    ->Name("gradient/10k/insert")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
#else
// PLACE FOR THE GRADIENT: gradient/10k (GradientHtml, the dialog's preview and OK on
// 10,000 characters) builds here once tools/gradient.h and tools/gradfrm.h exist.
#endif

}
