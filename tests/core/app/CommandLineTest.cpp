#include "core/app/CommandLine.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <sstream>

namespace {

// The answer on a file descriptor: a file gets all of it, a full disk is an error said once, and a reader
// that went away ends it quietly (when SIGPIPE, as a shell may leave it, does not end the program first).
TEST(CommandLine, OutputThatCannotBeWrittenIsAnErrorUnlessTheReaderLeft) {
    TempDir dir;
    std::ostringstream help;
    std::ostringstream none;
    ASSERT_EQ(RunCommandLine({"--help"}, (dir / "catalogue.sqlite").string(), help, none), 0);

    const int file = ::open((dir / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    std::array<int, 2> pipe{-1, -1};
    ASSERT_TRUE(file >= 0 && full >= 0 && ::pipe2(pipe.data(), O_CLOEXEC) == 0);
    ::close(pipe[0]);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction before {};
    ::sigaction(SIGPIPE, &ignore, &before);

    const struct {
        int fd;
        int code;
        std::string err;
    } rows[] = {
        {file, 0, ""},
        {full, 2, "tessaline: cannot write the output: No space left on device\n"},
        {pipe[1], 0, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fd);
        std::ostringstream err;
        EXPECT_EQ(RunCommandLine({"--help"}, (dir / "catalogue.sqlite").string(), row.fd, err), row.code);
        EXPECT_EQ(err.str(), row.err);
        ::close(row.fd);
    }
    ::sigaction(SIGPIPE, &before, nullptr);
    EXPECT_EQ(ReadBytes(dir / "out"), help.str());
}

} // namespace
