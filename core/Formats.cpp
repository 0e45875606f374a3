#include "core/Formats.h"

namespace tavrel {

namespace {

// Decimal digits of the magnitude and whether a minus goes in front; INT64_MIN has no
// positive counterpart, so the magnitude is taken unsigned.
std::string Digits(int64_t n, bool& negative) {
    negative = n < 0;
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
    return std::to_string(magnitude);
}

// At least two digits, as "%.2d" gives them.
std::string TwoDigits(int64_t n) {
    std::string text = std::to_string(n);
    return text.size() < 2 ? "0" + text : text;
}

}  // namespace

std::string FormatFileCount(int64_t count) {
    bool negative;
    std::string text = Digits(count, negative);
    if (text.size() > 3) text.insert(text.size() - 3, ".");
    return (negative ? "-" : "") + text + " filer";
}

std::string FormatSize(int64_t tenthsOfKb) {
    bool negative;
    std::string digits = Digits(tenthsOfKb, negative);
    const char* unit = " KB";
    if (!negative && tenthsOfKb >= 10000) {
        digits = std::to_string(static_cast<uint64_t>(tenthsOfKb) / 1024);
        unit = " MB";
    }
    // The last digit is the tenth; a lone digit gets a "0" before the comma.
    if (digits.size() == 1) digits.insert(0, "0");
    digits.insert(digits.size() - 1, ",");
    return (negative ? "-" : "") + digits + unit;
}

std::string FormatElapsed(int64_t seconds) {
    if (seconds < 0) seconds = 0;
    return TwoDigits(seconds / 60) + ":" + TwoDigits(seconds % 60);
}

int64_t ElapsedSecondsBetween(uint32_t startTick, uint32_t nowTick) {
    uint32_t difference = nowTick - startTick;
    return static_cast<int64_t>(difference / 1000);
}

std::string TimeWithoutSeconds(const std::string& longTime) {
    auto digit = [&](size_t i) { return i < longTime.size() && longTime[i] >= '0' && longTime[i] <= '9'; };
    // Hours: the first run of digits; then one separator and the minutes.
    size_t i = 0;
    while (i < longTime.size() && !digit(i)) ++i;
    while (digit(i)) ++i;
    if (i >= longTime.size()) return longTime;
    const char separator = longTime[i];
    size_t minutesEnd = i + 1;
    if (!digit(minutesEnd)) return longTime;
    while (digit(minutesEnd)) ++minutesEnd;
    // The seconds follow the same separator; anything after them (" AM") stays.
    if (minutesEnd >= longTime.size() || longTime[minutesEnd] != separator || !digit(minutesEnd + 1))
        return longTime;
    size_t secondsEnd = minutesEnd + 1;
    while (digit(secondsEnd)) ++secondsEnd;
    return longTime.substr(0, minutesEnd) + longTime.substr(secondsEnd);
}

int64_t SizeInTenthsOfKb(uint64_t bytes) {
    // Split so that bytes * 10 cannot overflow for files near 2^64.
    return static_cast<int64_t>((bytes / 1024) * 10 + (bytes % 1024) * 10 / 1024);
}

}  // namespace tavrel
