#pragma once
// Process-wide values that windows hand to each other. Each is written by one window
// (the one that owns the value) and read by its openers after the modal call returns.
#include <QString>

namespace Shared {
inline QString DocumentPath;   // full path of the document being edited
inline int UndoMode = 1;       // 0 none, 1 history files, 2 history in memory
inline QString ChosenColor;    // colour picker result, e.g. "#0A10FF"
inline QString ChosenStyle;    // style dialog result, with its enclosing double quotes
inline QString PickedPath;     // link path picker result
inline int TableColumns = 0;   // table wizard: size chosen in step 1
inline int TableRows = 0;
inline QString TableStartTag;  // table wizard: table start tag from step 2
}
