#pragma once
// Starting further instances of the program (File menu "もう一つ起動", and a file named on the
// command line when the start restored another document instead).
#include <QString>

#include <functional>

namespace Instances {
// Starts the program's own executable with the command line (one path; "" for an untitled
// document); its window minimised when asked.
void startAnother(const QString &commandLine, bool minimised);
// Tests: called instead of starting a process; an empty function restores the real start.
void setStarter(std::function<void(const QString &commandLine, bool minimised)> starter);
}
