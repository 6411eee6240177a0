#pragma once

#include "core/catalogue/DiskRecord.h"
#include "core/runtime/Result.h"

#include <cstdint>
#include <string>
#include <vector>

// What a desk still owes the shared catalogue from a time it could not be reached.
struct QueuedLabel {
    enum class Kind {
        Label,   // a label printed with the desk's own next number: the disk is to be recorded
        Confirm, // a label printed under a number the catalogue gave: it is to be confirmed
        Release, // a label that was not printed: its number is to be given back
    };
    Kind kind = Kind::Label;
    std::int64_t diskId = 0; // Confirm, Release: the disk the number was taken for
    DiskRecord disk;         // Label: the disk, with its number; Confirm, Release: its number
    std::int64_t printedAt = 0;
};

// The labels a desk owes the shared catalogue, in a file of its own (mode 0600) until they are sent. Every
// change replaces the file whole (written beside it, synced, renamed), so that a crash leaves the old list
// or the new one, never half of either.
class LabelQueue {
public:
    explicit LabelQueue(std::string file) : m_file(std::move(file)) {}

    const std::string& file() const { return m_file; }
    // None when there is no file.
    Result<std::vector<QueuedLabel>> read() const;
    Result<Done> add(const QueuedLabel& label);
    // What is left once the rest was sent; no file when nothing is left.
    Result<Done> replace(const std::vector<QueuedLabel>& left);

private:
    std::string m_file;
};
