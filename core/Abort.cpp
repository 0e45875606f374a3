#include "core/Abort.h"

namespace tavrel {

std::atomic<bool> AbortRequested{false};

}  // namespace tavrel
