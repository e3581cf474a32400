#pragma once
// The shared pickers, wired to the real windows.

namespace Commands {
// Sets the shared pickers (colour, path, style) to the real windows.
void installPickers();
}
