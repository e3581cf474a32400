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

// Runs a picker whose shared value is written only when the user confirms (the colour
// picker, the style dialog) and tells whether that happened. The value keeps what an
// earlier confirmation left in it either way.
inline bool runConfirmed(const std::function<void(QWidget *)> &picker, QWidget *parent, QString &value)
{
    const QString earlier = value;
    value.clear();
    run(picker, parent);
    if (!value.isEmpty())
        return true;
    value = earlier;
    return false;
}

// The path picker: true when it handed back a path (Cancel leaves PickedPath empty).
inline bool choosePath(QWidget *parent)
{
    Shared::PickedPath.clear();
    run(path, parent);
    return !Shared::PickedPath.isEmpty();
}
}
