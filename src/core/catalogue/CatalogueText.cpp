#include "core/catalogue/CatalogueText.h"

#include "core/settings/TextEncoding.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <ctime>

std::string GroupedCount(std::uint64_t count) {
    std::string digits = std::to_string(count);
    for (std::size_t at = digits.size(); at > 3; at -= 3) {
        digits.insert(at - 3, 1, ',');
    }
    return digits;
}

std::string SizeText(std::uint64_t bytes, char decimalSeparator) {
    if (bytes < 1000) {
        return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    }
    static constexpr std::array<const char*, 4> Units = {"KB", "MB", "GB", "TB"};
    long double value = bytes;
    for (std::size_t unit = 0; unit < Units.size(); ++unit) {
        value /= 1024;
        // Built from whole tenths, not printf: the program runs in the user's locale.
        if (value < 99.95L) {
            const long long tenths = std::llround(value * 10);
            return std::to_string(tenths / 10) + decimalSeparator + std::to_string(tenths % 10) + " " +
                   Units[unit];
        }
        if (value < 999.5L || unit + 1 == Units.size()) {
            return GroupedCount(static_cast<std::uint64_t>(std::llround(value))) + " " + Units[unit];
        }
    }
    return {}; // not reached: the last unit always answers
}

std::string MovedAsideMessage(const std::string& path, const std::string& movedTo) {
    return "The disk catalogue " + path + " was damaged. It has been moved to " + movedTo +
           ", and a new catalogue started.";
}

std::string MatchCountText(std::size_t shown, std::uint64_t total, bool estimated) {
    if (total == 0) {
        return "No matches";
    }
    if (estimated) {
        std::uint64_t unit = 1;
        while (total / unit >= 100) {
            unit *= 10;
        }
        const std::uint64_t rounded = std::max<std::uint64_t>((total + unit / 2) / unit * unit, shown);
        return GroupedCount(shown) + " of about " + GroupedCount(rounded);
    }
    if (shown < total) {
        return GroupedCount(shown) + " of " + GroupedCount(total);
    }
    return GroupedCount(total) + (total == 1 ? " match" : " matches");
}

std::string HitDiskText(const SearchHit& hit) {
    const std::string number = "#" + std::to_string(hit.diskNumber);
    return hit.sameDiskAs == 0 ? number : number + " (same disk as #" + std::to_string(hit.sameDiskAs) + ")";
}

std::string DiskStatusText(const DiskRecord& disk) {
    std::string status = disk.complete ? "" : "Incomplete";
    if (disk.skippedFolders > 0) {
        status += (status.empty() ? "" : "; ") + GroupedCount(disk.skippedFolders) +
                  (disk.skippedFolders == 1 ? " folder unreadable" : " folders unreadable");
    }
    return status;
}

std::string IsoDateTime(std::int64_t seconds) {
    if (seconds == 0) {
        return {};
    }
    const auto time = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (::localtime_r(&time, &local) == nullptr) {
        return {};
    }
    std::array<char, 32> text{};
    return std::string(text.data(), std::strftime(text.data(), text.size(), "%Y-%m-%d %H:%M:%S", &local));
}

std::string IsoDate(std::int64_t seconds) {
    const auto time = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&time, &local);
    std::array<char, 16> text{};
    std::strftime(text.data(), text.size(), "%Y-%m-%d", &local);
    return text.data();
}

std::string NameText(const std::string& bytes) {
    return Utf8WithReplacements(bytes);
}
