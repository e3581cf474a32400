#pragma once
// The palette's tabs and the attribute bar: one line per control, each button with
// what it runs.
#include "editing/palette.h"

#include <vector>

namespace PaletteTable {
const std::vector<PaletteTab> &tabs();
const std::vector<PaletteItem> &attributeBar();
}
