// Drives the INI reader and writer with arbitrary file text, names and values, and checks what a write
// promises: the key reads back as written, no other line changes, and writing it again changes nothing.

#include "core/settings/IniText.h"
#include "core/settings/TextEncoding.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void check(bool condition, const char* what) {
    if (!condition) {
        __builtin_trap(); // libFuzzer keeps the input that got here
        (void)what;
    }
}

bool isSpace(char c) {
    return (c >= '\t' && c <= '\r') || c == '\x1A' || c == ' ';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isSpace(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isSpace(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

std::string utf8(std::string_view s) {
    return IsValidUtf8(s) ? std::string(s) : Windows1252ToUtf8(s);
}

// What a read of `value` gives back once written: UTF-8, line breaks as spaces, blanks at the ends gone,
// one pair of matching quotes gone, cut at the first NUL byte.
std::string expectedRead(std::string_view value) {
    std::string text = utf8(value);
    for (char& c : text) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    std::string_view v = trimmed(text);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        v = v.substr(1, v.size() - 2);
    }
    return std::string(v.substr(0, v.find('\0')));
}

bool sameName(std::string_view a, std::string_view b) {
    const std::string x = utf8(trimmed(a));
    const std::string y = utf8(trimmed(b));
    if (x.size() != y.size()) {
        return false;
    }
    for (std::size_t i = 0; i < x.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (lower(x[i]) != lower(y[i])) {
            return false;
        }
    }
    return true;
}

// Physical lines with their endings (CR LF, CR or LF), so that they compare byte for byte.
std::vector<std::string_view> physicalLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t i = begin;
        while (i < text.size() && text[i] != '\r' && text[i] != '\n') {
            ++i;
        }
        if (i < text.size()) {
            i += (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
        }
        lines.push_back(text.substr(begin, i - begin));
        begin = i;
    }
    return lines;
}

bool hasEnding(std::string_view line) {
    return !line.empty() && (line.back() == '\r' || line.back() == '\n');
}

std::string_view withoutEnding(std::string_view line) {
    while (hasEnding(line)) {
        line.remove_suffix(1);
    }
    return line;
}

// The new text differs from the old in one window only: at most one old line (the replaced key, or the
// last line gaining its ending) and at most three new lines (the key, or a section header and the key).
void checkOtherLinesKept(std::string_view before, std::string_view after) {
    if (before == after) {
        return; // the key already held that value
    }
    // A byte-order mark is no part of the first line and must stay.
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    if (before.starts_with(bom)) {
        check(after.starts_with(bom), "the byte-order mark was lost");
        before.remove_prefix(bom.size());
        after.remove_prefix(bom.size());
    }
    const auto old = physicalLines(before);
    const auto now = physicalLines(after);
    std::size_t head = 0;
    while (head < old.size() && head < now.size() && old[head] == now[head]) {
        ++head;
    }
    std::size_t tail = 0;
    while (tail < old.size() - head && tail < now.size() - head &&
           old[old.size() - 1 - tail] == now[now.size() - 1 - tail]) {
        ++tail;
    }
    const std::size_t oldChanged = old.size() - head - tail;
    const std::size_t newChanged = now.size() - head - tail;
    check(oldChanged <= 1, "more than one line changed");
    check(newChanged >= 1 && newChanged <= 3, "unexpected number of new lines");
    if (oldChanged == 1) {
        const std::string_view was = old[head];
        const std::string_view is = now[head];
        // A replaced line keeps its ending; a last line without one may only gain one.
        const bool sameEnding = was.substr(withoutEnding(was).size()) == is.substr(withoutEnding(is).size());
        const bool gainedEnding = !hasEnding(was) && head + 1 == old.size() && withoutEnding(is) == was;
        check(sameEnding || gainedEnding, "a changed line lost its ending");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(24);
    const std::string key = input.ConsumeRandomLengthString(24);
    const std::string value = input.ConsumeRandomLengthString(80);
    const std::string otherSection = input.ConsumeRandomLengthString(24);
    const std::string otherKey = input.ConsumeRandomLengthString(24);
    const std::string text = input.ConsumeRemainingBytesAsString();

    const auto otherBefore = IniReadValue(text, otherSection, otherKey);
    const auto found = IniReadValue(text, section, key);
    if (found) {
        check(IsValidUtf8(*found), "a read gave bytes that are not UTF-8");
    }

    if (!IsWritableSectionName(section) || !IsWritableKeyName(key)) {
        return 0;
    }
    const std::string after = IniWriteValue(text, section, key, value);

    const auto readBack = IniReadValue(after, section, key);
    check(readBack.has_value(), "the written key is not found");
    check(*readBack == expectedRead(value), "the written key reads back differently");

    const auto otherAfter = IniReadValue(after, otherSection, otherKey);
    if (sameName(section, otherSection) && sameName(key, otherKey)) {
        check(otherAfter == readBack, "the same key read two ways differs");
    } else {
        check(otherAfter == otherBefore, "another key changed");
    }

    checkOtherLinesKept(text, after);
    check(IniWriteValue(after, section, key, value) == after,
          "writing the same value again changed the file");
    return 0;
}
