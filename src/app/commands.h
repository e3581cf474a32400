#pragma once
// What the palette's opener buttons and the menu items of the later windows do:
// one line per control name.
#include <QString>
#include <functional>

class MainWindow;

namespace Commands {
using Handler = std::function<void(MainWindow &)>;
// The handler for a control or menu item, or nullptr.
const Handler *find(const QString &name);
// Sets the shared pickers (colour, path, style) to the real windows.
void installPickers();
}
