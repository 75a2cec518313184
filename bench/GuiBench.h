#pragma once

#include <functional>

// What a window benchmark keeps for all its runs (a document, its window) must go while the
// QApplication still exists: a static would outlive it and crash at exit.
namespace guibench {
// Runs release after the last benchmark, before the application ends; the last given first.
void releaseAtExit(std::function<void()> release);
}  // namespace guibench
