#include "core/Texts.h"

namespace tavrel {

std::string FillText(const std::string& format, const std::string& a, const std::string& b) {
    std::string out = format;
    size_t at = out.find("%s");
    if (at != std::string::npos) {
        out.replace(at, 2, a);
        at = out.find("%s", at + a.size());
        if (at != std::string::npos) out.replace(at, 2, b);
    }
    return out;
}

}  // namespace tavrel
