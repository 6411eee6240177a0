#include "support/CupsServer.h"

#include "support/TempDir.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

bool SocketAnswers(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof(address.sun_path) - 1);
    const bool ok = fd >= 0 && connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    close(fd);
    return ok;
}

// Checks `done` every 20 ms for up to `limit`; whether it came true.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

} // namespace

CupsServer::CupsServer() {
    char pattern[] = "/tmp/tessaline-cups-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        throw std::runtime_error("cannot make a folder for the CUPS scheduler");
    }
    m_dir = pattern;
    // The scheduler runs its helpers as lp, which must reach the folders; it refuses to run them as root.
    chmod(m_dir.c_str(), 0755);
    for (const char* sub : {"spool", "cache", "state", "log", "ppd", "ssl", "tmp"}) {
        fs::create_directory(m_dir + "/" + sub);
    }
    chmod((m_dir + "/tmp").c_str(), 01777);
    const std::string& d = m_dir;
    std::ofstream(d + "/cupsd.conf")
        << "Listen " << socketPath() << "\nLogLevel info\nBrowsing No\nWebInterface No\n"
        << "DefaultAuthType None\nPreserveJobFiles Yes\nPreserveJobHistory Yes\nMaxJobs 0\n"
        << "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
        << "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n"
        << "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n";
    std::ofstream(d + "/cups-files.conf")
        << "ServerRoot " + d + "\nRequestRoot " + d + "/spool\nCacheDir " + d + "/cache\nStateDir " + d +
               "/state\nTempDir " + d + "/tmp\nServerKeychain " + d + "/ssl\nPrintcap " + d +
               "/printcap\nErrorLog " + d + "/log/error_log\nAccessLog " + d + "/log/access_log\nPageLog " +
               d + "/log/page_log\nFileDevice Yes\nUser lp\nGroup lp\nSystemGroup root\n";

    // Its output goes to the log folder; cupsd is looked for where Debian puts it, else on the PATH.
    const std::string conf = d + "/cupsd.conf", filesConf = d + "/cups-files.conf";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, (d + "/log/cupsd.out").c_str(), O_WRONLY | O_CREAT, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const char* argv[] = {"cupsd", "-f", "-c", conf.c_str(), "-s", filesConf.c_str(), nullptr};
    const char* cupsd = fs::exists("/usr/sbin/cupsd") ? "/usr/sbin/cupsd" : "cupsd";
    if (posix_spawnp(&m_pid, cupsd, &actions, nullptr, const_cast<char* const*>(argv), environ) != 0) {
        m_pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    WaitFor(
        [&] { return m_pid <= 0 || SocketAnswers(socketPath()) || waitpid(m_pid, &status, WNOHANG) != 0; },
        15s);
    // A raw queue keeps the document as the program sent it; the spool keeps a copy of each job.
    if (!SocketAnswers(socketPath()) ||
        !run(std::string("lpadmin -p ") + QueueName + " -E -v file://" + m_dir + "/out.prn -m raw") ||
        !run(std::string("lpadmin -d ") + QueueName)) {
        const std::string why = "the CUPS scheduler did not start:\n" + ReadBytes(m_dir + "/log/cupsd.out") +
                                ReadBytes(m_dir + "/log/lpadmin.out") + log();
        stop();
        fs::remove_all(m_dir);
        throw std::runtime_error(why);
    }
    setenv("CUPS_SERVER", socketPath().c_str(), 1);
}

CupsServer::~CupsServer() {
    stop();
    std::error_code ignored;
    fs::remove_all(m_dir, ignored);
}

bool CupsServer::run(const std::string& command) const {
    return std::system(
               ("CUPS_SERVER=" + socketPath() + " " + command + " >>" + m_dir + "/log/lpadmin.out 2>&1")
                   .c_str()) == 0;
}

void CupsServer::stop() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        int status = 0;
        if (!WaitFor([&] { return waitpid(m_pid, &status, WNOHANG) != 0; }, 5s)) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, &status, 0);
        }
    }
    m_pid = -1;
}

std::vector<std::string> CupsServer::spooledDocuments() const {
    std::vector<std::string> documents;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(m_dir + "/spool", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 1 && name[0] == 'd' && name.find('-') != std::string::npos) {
            documents.push_back(entry.path().string());
        }
    }
    // d00001-001, d00002-001, ...: the names sort in job order.
    std::sort(documents.begin(), documents.end());
    return documents;
}

std::optional<std::string> CupsServer::waitForDocument(std::size_t known, int timeoutMs) const {
    std::vector<std::string> documents;
    if (!WaitFor([&] { return (documents = spooledDocuments()).size() > known; },
                 std::chrono::milliseconds(timeoutMs))) {
        return std::nullopt;
    }
    return documents.back();
}

std::string CupsServer::log() const {
    return ReadBytes(m_dir + "/log/error_log");
}

bool CupsServer::setAcceptingJobs(bool accepting) const {
    return run((accepting ? "cupsaccept " : "cupsreject ") + std::string(QueueName));
}
