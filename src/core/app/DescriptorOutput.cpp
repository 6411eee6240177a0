#include "core/app/DescriptorOutput.h"

#include <cerrno>
#include <unistd.h>

namespace {

constexpr std::size_t BufferSize = 64 * 1024;

} // namespace

DescriptorOutput::DescriptorOutput(int fd) : m_fd(fd), m_buffer(BufferSize) {
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
}

DescriptorOutput::~DescriptorOutput() {
    (void)writeBuffer();
}

DescriptorOutput::int_type DescriptorOutput::overflow(int_type c) {
    if (!writeBuffer()) {
        return traits_type::eof();
    }
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int DescriptorOutput::sync() {
    return writeBuffer() ? 0 : -1;
}

bool DescriptorOutput::writeBuffer() {
    const char* from = pbase();
    while (m_error == 0 && from < pptr()) {
        const ssize_t written = ::write(m_fd, from, static_cast<std::size_t>(pptr() - from));
        if (written > 0) {
            from += written;
        } else if (written == 0 || errno != EINTR) {
            m_error = written == 0 ? EIO : errno;
        }
    }
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
    return m_error == 0;
}
