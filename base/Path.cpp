#include "base/Path.h"

#include <algorithm>
#include <vector>

namespace tavrel {

std::string IncludeTrailingBackslash(std::string_view path) {
    std::string out(path);
    if (out.empty() || out.back() != '\\') out += '\\';
    return out;
}

std::string ExcludeTrailingBackslash(std::string_view path) {
    std::string out(path);
    if (!out.empty() && out.back() == '\\') out.pop_back();
    return out;
}

bool IsFullPath(std::string_view path) {
    auto sep = [&](size_t i) { return i < path.size() && (path[i] == '\\' || path[i] == '/'); };
    // A drive alone ("D:") has always been read as its root.
    if (path.size() >= 2 && path[1] == ':' && (path.size() == 2 || sep(2))) {
        const char c = path[0];
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    }
    if (!sep(0) || !sep(1) || path.size() < 3 || sep(2)) return false;
    size_t shareStart = 3;
    while (shareStart < path.size() && !sep(shareStart)) ++shareStart;
    return shareStart + 1 < path.size() && !sep(shareStart + 1);
}

std::string NormalizeFullPath(std::string_view path) {
    if (!IsFullPath(path)) return std::string(path);
    auto sep = [](char c) { return c == '\\' || c == '/'; };
    // The root: "C:\\", or "\\\\server\\share\\".
    if (path.size() == 2) return std::string(path) + '\\';
    size_t rootLength = 3;
    if (path[1] != ':') {
        rootLength = 2;
        for (int separators = 0; rootLength < path.size(); ++rootLength)
            if (sep(path[rootLength]) && ++separators == 2) break;
        rootLength = std::min(rootLength + 1, path.size());
    }
    std::string out;
    for (char c : path.substr(0, rootLength)) out += sep(c) ? '\\' : c;
    std::vector<std::string_view> parts;
    std::string_view rest = path.substr(rootLength);
    while (!rest.empty()) {
        size_t end = 0;
        while (end < rest.size() && !sep(rest[end])) ++end;
        const std::string_view part = rest.substr(0, end);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    for (const std::string_view part : parts) {
        if (out.back() != '\\') out += '\\';
        out += part;
    }
    if (!parts.empty() && sep(path.back())) out += '\\';
    return out;
}

namespace {

size_t NameStart(std::string_view path) {
    size_t p = path.find_last_of("\\:");
    return p == std::string_view::npos ? 0 : p + 1;
}

}  // namespace

std::string ExtractFileName(std::string_view path) { return std::string(path.substr(NameStart(path))); }

std::string ExtractFilePath(std::string_view path) { return std::string(path.substr(0, NameStart(path))); }

std::string ExtractFileExt(std::string_view path) {
    size_t start = NameStart(path);
    size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot < start) return {};
    return std::string(path.substr(dot));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
    size_t start = NameStart(path);
    size_t dot = path.rfind('.');
    std::string out(path);
    if (dot != std::string_view::npos && dot >= start) out.resize(dot);
    out += ext;
    return out;
}

}  // namespace tavrel
