// Encodings under the user's control, on the 10 MB page: reopening it in another encoding
// through the File menu's command, and converting every line end of it.
#include "benchenv.h"

#include "app/encodingcmds.h"
#include "app/mainwindow.h"
#include "document/textfile.h"
#include "platform/editarea.h"
#include "platform/shared.h"

#include <QFile>

#include <benchmark/benchmark.h>

namespace {

using benchmark::State;

// The 10 MB Shift_JIS page (JIS X 0208 and half-width katakana only) reopened as
// Shift_JIS-2004 and back, the editor refilled each time.
void reopenAs(State &state)
{
    const QString path = Bench::pagePath(10, "Shift_JIS");
    MainWindow &w = Bench::window();
    Shared::UndoMode = 1;
    Bench::open(path);
    Bench::settle();
    bool ok = true;
    int round = 0;
    for (auto _ : state) {
        ok = ok && w.encodings()->reopenAs(round++ % 2 == 0 ? "Shift_JIS-2004" : "Shift_JIS");
        Bench::settle();
    }
    if (!ok || w.edit()->textLength() < 1000000)
        state.SkipWithError("the page was not reopened");
    w.newDocument();
}
BENCHMARK(reopenAs)->Name("reopen/10mb_as_sjis2004")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// Reading the page's bytes in a named encoding, without the editor.
void decodeIn(State &state)
{
    QFile f(Bench::pagePath(10, "Shift_JIS"));
    f.open(QIODevice::ReadOnly);
    const QByteArray bytes = f.readAll();
    for (auto _ : state) {
        const TextFileRead r = decodeTextFileIn(bytes, "Shift_JIS-2004");
        if (!r.clean)
            state.SkipWithError("the page did not decode");
        benchmark::DoNotOptimize(r.text.size());
    }
}
BENCHMARK(decodeIn)->Name("reopen/10mb_as_sjis2004/decode_only")->Unit(benchmark::kMillisecond)->UseRealTime();

// Every line end of the open 10 MB page to LF and back to CR LF (the bytes kept from the
// file are rewritten with the new line ends).
void convertLineEnds(State &state)
{
    MainWindow &w = Bench::window();
    Bench::open(Bench::pagePath(10, "UTF-8"));
    Bench::settle();
    int round = 0;
    for (auto _ : state) {
        w.encodings()->convertLineEnds(round++ % 2 == 0 ? LineEnd::LF : LineEnd::CRLF);
        Bench::settle();
    }
    const TextFormat &f = w.documentFormat();
    if (!f.origin || f.origin->bytes.size() < 10000000)
        state.SkipWithError("the line ends were not converted");
    w.newDocument();
}
BENCHMARK(convertLineEnds)->Name("lineends/10mb")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(4);

}  // namespace
