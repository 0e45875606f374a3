// The one flag that stops a run. The progress window, the main window's Esc key, an error
// inside a walk and the console runner's Ctrl+C handler (another thread) set it; the walks
// poll it between directory entries.
#pragma once

#include <atomic>

namespace tavrel {

extern std::atomic<bool> AbortRequested;

}  // namespace tavrel
