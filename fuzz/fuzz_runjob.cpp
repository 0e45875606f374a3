// libFuzzer entry for the runjob target; a fault stops the fuzzer with the input that caused it.
#include <cstdio>
#include <cstdlib>

#include "fuzz/Targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string fault = tavrel::fuzz::FuzzRunJob(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!fault.empty()) {
        std::fprintf(stderr, "runjob: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
