#pragma once

#include <streambuf>
#include <vector>

// A stream's buffer that writes to a file descriptor and keeps the system's reason when a write fails
// (std::cout only turns bad), so that a full disk can be told from a reader that went away.
class DescriptorOutput final : public std::streambuf {
public:
    explicit DescriptorOutput(int fd);
    // Writes what is left; a failure then goes unsaid (flush first to hear of it).
    ~DescriptorOutput() override;
    DescriptorOutput(const DescriptorOutput&) = delete;
    DescriptorOutput& operator=(const DescriptorOutput&) = delete;

    // The errno of the first write that failed, 0 while all went through. Nothing is written after it.
    int error() const { return m_error; }

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    bool writeBuffer();

    int m_fd;
    int m_error = 0;
    std::vector<char> m_buffer;
};
