// How last-write times compare when the copy's target keeps them in local time.
//
// FAT, FAT32 and exFAT volumes (USB sticks, memory cards) store the local time of a change;
// Windows turns it into a universal time through the offset that holds when the time is read.
// After the switch to or from summer time every file on such a volume therefore seems to have
// been written an hour earlier or later than its source, and a copy of only new and changed
// files would copy them all again. On those volumes a difference of exactly one hour counts as
// no change. NTFS and every other file system keep universal times and compare as they are.
#pragma once

#include <string_view>

#include "platform/FileSystem.h"

namespace tavrel {

// True for the file systems that keep local times: FAT, FAT12, FAT16, FAT32 and exFAT
// (letter case ignored). An unknown (empty) name is not one of them.
bool KeepsLocalTimes(std::string_view fileSystemName);

// True when the two times lie one hour apart, either way, to the two seconds in which FAT
// keeps a time (so 59:58 to 60:02 apart counts).
bool OneHourApart(FileTime a, FileTime b);

// True when the target's last-write time counts as unchanged from the source's only because
// of the summer-time switch: the target lies on a volume that keeps local times and the two
// times are one hour apart. On every other volume this is false, and the times compare as
// they always have.
bool UnchangedAcrossSummerTime(std::string_view targetFileSystem, FileTime source, FileTime target);

}  // namespace tavrel
