// The scratch folder of a Windows test: run-win-test.sh names it in TAVREL_TEST_DIR.
#pragma once

#include <cstdlib>
#include <string>

#include "base/Path.h"

namespace tavrel::test {

// The folder with a backslash at its end; empty when the test was not started by the script.
inline std::string TestDir() {
    const char* dir = std::getenv("TAVREL_TEST_DIR");
    return dir ? IncludeTrailingBackslash(dir) : std::string();
}

}  // namespace tavrel::test
