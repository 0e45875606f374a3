// The display formats of counts, sizes and elapsed time. Values are 64-bit so that a run over
// 204 GB (2^31 tenths of a kilobyte) shows its real size; for values that fit 32 bits the
// texts are the classic ones.
#pragma once

#include <cstdint>
#include <string>

namespace tavrel {

// "1.234 filer": one "." before the last three digits only.
std::string FormatFileCount(int64_t count);
// Size in tenths of a kilobyte: "12,3 KB", or tenths of a megabyte from 10000 on: "0,9 MB".
std::string FormatSize(int64_t tenthsOfKb);
// Elapsed seconds as minutes:seconds, "01:05", "125:07".
std::string FormatElapsed(int64_t seconds);
// Whole seconds between two tick counts, the difference taken modulo 2^32.
int64_t ElapsedSecondsBetween(uint32_t startTick, uint32_t nowTick);
// The user's long time without its seconds, for the last-copied stamp: "01:14:37" gives
// "01:14", "1:14:37 AM" gives "1:14 AM". A text without seconds is kept as it is.
std::string TimeWithoutSeconds(const std::string& longTime);
// A file of S bytes adds S * 10 / 1024 tenths of a kilobyte, rounded down.
int64_t SizeInTenthsOfKb(uint64_t bytes);

}  // namespace tavrel
