#include "core/catalogue/LabelQueue.h"

#include "core/catalogue/PgConnection.h"
#include "core/runtime/FileAccess.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr const char* Heading = "Tessaline: labels to record in the shared catalogue, version 1";
constexpr std::array<const char*, 3> Kinds = {"label", "confirm", "release"};

Failure Cannot(const std::string& what, const std::string& file, int error) {
    return Failure{"cannot " + what + " " + file + ": " + std::strerror(error)};
}

// A field as CopyField escaped it.
std::string Unescaped(std::string_view field) {
    std::string text;
    for (std::size_t at = 0; at < field.size(); ++at) {
        if (field[at] != '\\' || at + 1 == field.size()) {
            text += field[at];
            continue;
        }
        const char next = field[++at];
        text += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return text;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t at = 0;;) {
        const std::size_t tab = line.find('\t', at);
        fields.push_back(line.substr(at, tab == std::string_view::npos ? std::string_view::npos : tab - at));
        if (tab == std::string_view::npos) {
            return fields;
        }
        at = tab + 1;
    }
}

template <typename Number> bool ReadNumber(std::string_view field, Number& number) {
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), number);
    return error == std::errc() && end == field.data() + field.size();
}

std::string Line(const QueuedLabel& label) {
    const DiskRecord& disk = label.disk;
    std::string line = Kinds.at(static_cast<std::size_t>(label.kind));
    for (const std::string& field :
         {std::to_string(label.diskId), std::to_string(disk.number), std::to_string(disk.serial),
          std::to_string(disk.capacityBytes), std::to_string(disk.usedBytes), std::to_string(disk.freeBytes),
          std::to_string(label.printedAt), CopyField(disk.driveType), CopyField(disk.volumeName),
          CopyField(disk.company)}) {
        line += '\t' + field;
    }
    return line + '\n';
}

std::optional<QueuedLabel> Parse(std::string_view line) {
    const std::vector<std::string_view> fields = Fields(line);
    if (fields.size() != 11) {
        return std::nullopt;
    }
    QueuedLabel label;
    std::size_t kind = 0;
    while (kind < Kinds.size() && fields[0] != Kinds.at(kind)) {
        ++kind;
    }
    DiskRecord& disk = label.disk;
    if (kind == Kinds.size() || !ReadNumber(fields[1], label.diskId) || !ReadNumber(fields[2], disk.number) ||
        !ReadNumber(fields[3], disk.serial) || !ReadNumber(fields[4], disk.capacityBytes) ||
        !ReadNumber(fields[5], disk.usedBytes) || !ReadNumber(fields[6], disk.freeBytes) ||
        !ReadNumber(fields[7], label.printedAt)) {
        return std::nullopt;
    }
    label.kind = static_cast<QueuedLabel::Kind>(kind);
    disk.driveType = Unescaped(fields[8]);
    disk.volumeName = Unescaped(fields[9]);
    disk.company = Unescaped(fields[10]);
    disk.firstLabelled = disk.lastLabelled = label.printedAt;
    return label;
}

} // namespace

Result<std::vector<QueuedLabel>> LabelQueue::read() const {
    std::vector<QueuedLabel> labels;
    if (NothingAt(m_file)) {
        return labels;
    }
    std::ifstream in(m_file, std::ios::binary);
    if (!in) {
        return Cannot("read", m_file, errno);
    }
    std::string line;
    if (!std::getline(in, line) || line != Heading) {
        return Failure{m_file + " is not a list of labels to record"};
    }
    for (int number = 2; std::getline(in, line); ++number) {
        std::optional<QueuedLabel> label = Parse(line);
        if (!label) {
            return Failure{m_file + " is damaged at line " + std::to_string(number)};
        }
        labels.push_back(std::move(*label));
    }
    if (in.bad()) {
        return Cannot("read", m_file, errno);
    }
    return labels;
}

Result<Done> LabelQueue::add(const QueuedLabel& label) {
    Result<std::vector<QueuedLabel>> labels = read();
    if (!labels) {
        return labels.failure();
    }
    labels.value().push_back(label);
    return replace(*labels);
}

Result<Done> LabelQueue::replace(const std::vector<QueuedLabel>& left) {
    if (left.empty()) {
        if (::unlink(m_file.c_str()) != 0 && errno != ENOENT) {
            return Cannot("remove", m_file, errno);
        }
        return Done{};
    }
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(m_file).parent_path(), ignored);
    std::string text = std::string(Heading) + "\n";
    for (const QueuedLabel& label : left) {
        text += Line(label);
    }
    const std::string partial = m_file + ".partial-" + std::to_string(::getpid());
    const int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        return Cannot("write", m_file, errno);
    }
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t wrote = ::write(fd, text.data() + written, text.size() - written);
        if (wrote <= 0) {
            break;
        }
        written += static_cast<std::size_t>(wrote);
    }
    int error = written == text.size() ? 0 : (errno != 0 ? errno : EIO);
    if (error == 0 && ::fsync(fd) != 0) {
        error = errno;
    }
    ::close(fd);
    if (error == 0 && ::rename(partial.c_str(), m_file.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(partial.c_str());
        return Cannot("write", m_file, error);
    }
    return Done{};
}
