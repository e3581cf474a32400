#pragma once
// The shared pickers, reachable from any window without knowing where they live.
// Each runs its window modally and leaves the result in its shared value (see
// shared.h); the opener reads that value when the call returns, even after a cancel.
// The application sets them at start-up; tests may set their own.
#include <functional>

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
}
