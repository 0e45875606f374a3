#include "core/HelpPage.h"

namespace tavrel {

std::string HelpSectionOfTab(int tab) {
    switch (tab) {
    case 0: return "kopiering";
    case 1: return "filfiltrering";
    default: return {};
    }
}

std::string FileUrl(const std::string& path, const std::string& section) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string p = path;
    for (char& c : p)
        if (c == '\\') c = '/';
    std::string url = "file:";
    size_t start = 0;
    if (p.rfind("//", 0) == 0) {
        url += "//";  // a network path names its server where a local one has no host
        start = 2;
    } else {
        url += "///";
    }
    for (size_t i = start; i < p.size(); ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                           c == '-' || c == '.' || c == '_' || c == '~' || c == '/' || (c == ':' && i == start + 1);
        if (plain) {
            url += static_cast<char>(c);
        } else {
            url += '%';
            url += kHex[c >> 4];
            url += kHex[c & 15];
        }
    }
    if (!section.empty()) url += "#" + section;
    return url;
}

std::string BrowserCommandLine(const std::string& command, const std::string& url) {
    std::string out;
    bool placed = false;
    for (size_t i = 0; i < command.size(); ++i) {
        if (command[i] == '%' && i + 1 < command.size()) {
            const char next = command[i + 1];
            if (next == '1' || next == 'L' || next == 'l') {
                out += url;
                placed = true;
                ++i;
                continue;
            }
            if (next == '*') {
                ++i;
                continue;
            }
        }
        out += command[i];
    }
    return placed ? out : std::string();
}

}  // namespace tavrel
