// The product texts that several windows show: the splash, the About window and the main
// window's status bar all carry the same copyright line.
#pragma once

#include "core/Texts.h"  // kProductName, kMajorVersion, kAppTitle

namespace tavrel {

constexpr const char* kVersionText = "Version 2.1.0";
// Ends with eight blanks: the status bar panel and the splash's clipped label rely on the gap.
constexpr const char* kCopyrightLine = "\xC2\xA9 2026 Ambrex Software        ";
constexpr const char* kEmailAddress = "tavrel@ambrex.dk";
constexpr const char* kWebAddress = "https://www.ambrex.dk/tavrel";

}  // namespace tavrel
