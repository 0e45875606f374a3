#include "core/TimeRules.h"

#include "base/Text.h"

namespace tavrel {

namespace {

constexpr FileTime kSecond = 10000000ull;
constexpr FileTime kHour = 3600 * kSecond;
// FAT keeps a time in two-second steps and rounds it when it stores it; the two sides of a
// comparison may each lie up to that far from the moment they stand for.
constexpr FileTime kTolerance = 2 * kSecond;

}  // namespace

bool KeepsLocalTimes(std::string_view fileSystemName) {
    for (std::string_view name : {"FAT", "FAT12", "FAT16", "FAT32", "exFAT"})
        if (EqualsAsciiNoCase(fileSystemName, name)) return true;
    return false;
}

bool OneHourApart(FileTime a, FileTime b) {
    const FileTime apart = a > b ? a - b : b - a;
    const FileTime offHour = apart > kHour ? apart - kHour : kHour - apart;
    return offHour <= kTolerance;
}

bool UnchangedAcrossSummerTime(std::string_view targetFileSystem, FileTime source, FileTime target) {
    return KeepsLocalTimes(targetFileSystem) && OneHourApart(source, target);
}

}  // namespace tavrel
