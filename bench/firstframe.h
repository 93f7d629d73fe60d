#pragma once

class QWidget;

namespace bench {

// Prints "first-frame-ns N" with N the CLOCK_MONOTONIC reading once the window's first
// frame has been painted and handed to the display, then ends the program. The runner
// subtracts the reading it took just before starting the process.
void reportFirstFrame(QWidget *window);

// CLOCK_MONOTONIC in nanoseconds: the same clock in every process of the machine.
long long monotonicNanoseconds();

} // namespace bench
