#pragma once
// What every benchmark shares: a private program folder and settings store (the
// user's own are never touched), the generated pages, and one real main window,
// shown (offscreen), started up as the program starts it.
#include <QString>
#include <functional>

class MainWindow;

namespace Bench {

// Folder of the private program folder, settings and pages (removed at exit).
QString workFolder();

// The path of a benchmark page file (generated on first use).
QString pagePath(int scale, const QByteArray &encoding);

// The main window, created, shown and started up on first use.
MainWindow &window();

// Removes the main window (before the application object goes).
void shutDown();

// Opens a document the way File > Open does (the file dialog answered with path,
// a save prompt answered "No").
void open(const QString &path);

// Lets the event loop run until nothing is pending: layout, repaint of the window.
void settle();

// Runs action (which shows the preview) and then the event loop until the preview
// reports its page loaded. False on a time-out or a failed load.
bool untilPreviewLoaded(const std::function<void()> &action, int timeoutMs = 120000);

// Paint events the editing area has received so far (a check that a measurement that
// ends with settle() includes the repaint).
long long editPaints();

// Peak resident memory of this process so far, in MiB.
double peakMemoryMiB();

}
