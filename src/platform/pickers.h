#pragma once
// The shared pickers, reachable from any window without knowing where they live.
// Each runs its window modally and leaves the result in its shared value (see
// shared.h); pickColour, pickPath and pickStyle hand that value back when the window
// closes, whatever it holds, even after a cancel. The application sets the pickers at
// start-up; tests may set their own.
#include <QString>
#include <functional>

#include "shared.h"

class QWidget;

namespace Pickers {
inline std::function<void(QWidget *parent)> colour;  // -> Shared::ChosenColor
inline std::function<void(QWidget *parent)> path;    // -> Shared::PickedPath
inline std::function<void(QWidget *parent)> style;   // -> Shared::ChosenStyle

inline void run(const std::function<void(QWidget *)> &picker, QWidget *parent)
{
    if (picker)
        picker(parent);
}

inline QString pickColour(QWidget *parent)
{
    run(colour, parent);
    return Shared::ChosenColor;
}

inline QString pickPath(QWidget *parent)
{
    run(path, parent);
    return Shared::PickedPath;
}

inline QString pickStyle(QWidget *parent)
{
    run(style, parent);
    return Shared::ChosenStyle;
}
}
