// The texts the job engine shares with the windows, each defined once here. The texts that
// belong to one module stand in a block at the top of its source file.
#pragma once

#include <string>

namespace tavrel {

inline constexpr const char* kAppTitle = "Tavrel";  // the caption of plain notices
inline constexpr const char* kProductName = "Ambrex Tavrel";
inline constexpr const char* kMajorVersion = "2";
inline constexpr const char* kErrorCaption = "Fejl";
inline constexpr const char* kReadyText = "Klar";  // the status bar at rest
inline constexpr const char* kLoadingJobText = "Indlæser job...";
inline constexpr const char* kUntitledJobName = "Ikke navngivet";
inline constexpr const char* kCopiedGroupCaption = " Kopieret: ";
// What an error no one foresaw says, where nothing more is known of it.
inline constexpr const char* kUnexpectedErrorText = "Der opstod en uventet fejl.";

// The format with its first "%s" replaced by a and its second by b.
std::string FillText(const std::string& format, const std::string& a, const std::string& b = std::string());

}  // namespace tavrel
