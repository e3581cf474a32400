#pragma once
// Reading a page ahead: the page named on the command line is read and decoded on a thread of
// its own while the window is being built, and the load takes the result when it comes to that
// page, unless the file changed in between.
#include "textfile.h"

#include <QString>

#include <optional>

namespace Preread {

// Starts reading path (an absolute path) in the background. An empty path starts nothing.
void start(const QString &path);

// What the read started for path gave, waiting for it if needed; nothing when no read of that
// path was started, or the file changed on disk since the read began (the caller reads it
// again). A read is handed out once.
std::optional<TextFileRead> take(const QString &path);

}
