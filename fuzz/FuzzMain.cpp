// libFuzzer entry of one target, named at build time (TAVREL_FUZZ_TARGET, the folder of its
// seeds under fuzz/corpus/); a fault stops the fuzzer with the input that caused it.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fuzz/Targets.h"

namespace {

tavrel::fuzz::Target TheTarget() {
    for (const tavrel::fuzz::NamedTarget& target : tavrel::fuzz::AllTargets())
        if (std::strcmp(target.name, TAVREL_FUZZ_TARGET) == 0) return target.run;
    std::fprintf(stderr, "no fuzz target named %s\n", TAVREL_FUZZ_TARGET);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const tavrel::fuzz::Target run = TheTarget();
    const std::string fault = run(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!fault.empty()) {
        std::fprintf(stderr, "%s: %s\n", TAVREL_FUZZ_TARGET, fault.c_str());
        std::abort();
    }
    return 0;
}
