#include "support/CupsServer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool socketAnswers(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof(address.sun_path) - 1);
    const bool ok = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    close(fd);
    return ok;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

CupsServer::CupsServer(Queue queue) {
    char pattern[] = "/tmp/tessaline-cups-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        throw std::runtime_error("cannot make a folder for the CUPS scheduler");
    }
    m_dir = pattern;
    try {
        writeConfiguration();
        start();
        if (queue == Queue::DefaultRaw) {
            addDefaultQueue();
        }
    } catch (...) {
        stop();
        fs::remove_all(m_dir);
        throw;
    }
    if (const char* previous = std::getenv("CUPS_SERVER")) {
        m_previousServer = previous;
    }
    setenv("CUPS_SERVER", socketPath().c_str(), 1);
}

CupsServer::~CupsServer() {
    if (m_previousServer) {
        setenv("CUPS_SERVER", m_previousServer->c_str(), 1);
    } else {
        unsetenv("CUPS_SERVER");
    }
    stop();
    std::error_code ignored;
    fs::remove_all(m_dir, ignored);
}

void CupsServer::writeConfiguration() const {
    // The scheduler runs its helpers as lp, which must reach the folders; it refuses to run them as root.
    chmod(m_dir.c_str(), 0755);
    for (const char* sub : {"spool", "cache", "state", "log", "ppd", "ssl"}) {
        fs::create_directory(m_dir + "/" + sub);
    }
    fs::create_directory(m_dir + "/tmp");
    chmod((m_dir + "/tmp").c_str(), 01777);

    std::ofstream(m_dir + "/cupsd.conf")
        << "Listen " << socketPath() << "\n"
        << "LogLevel info\n"
           "Browsing No\n"
           "WebInterface No\n"
           "DefaultAuthType None\n"
           "PreserveJobFiles Yes\n"
           "PreserveJobHistory Yes\n"
           "MaxJobs 0\n"
           "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
           "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n"
           "<Policy default>\n  <Limit All>\n    Order deny,allow\n"
           "  </Limit>\n</Policy>\n";
    std::ofstream(m_dir + "/cups-files.conf") << "ServerRoot " << m_dir << "\n"
                                              << "RequestRoot " << m_dir << "/spool\n"
                                              << "CacheDir " << m_dir << "/cache\n"
                                              << "StateDir " << m_dir << "/state\n"
                                              << "TempDir " << m_dir << "/tmp\n"
                                              << "ServerKeychain " << m_dir << "/ssl\n"
                                              << "Printcap " << m_dir << "/printcap\n"
                                              << "ErrorLog " << m_dir << "/log/error_log\n"
                                              << "AccessLog " << m_dir << "/log/access_log\n"
                                              << "PageLog " << m_dir << "/log/page_log\n"
                                              << "FileDevice Yes\n"
                                                 "User lp\n"
                                                 "Group lp\n"
                                                 "SystemGroup root\n";
}

void CupsServer::start() {
    const std::string conf = m_dir + "/cupsd.conf";
    const std::string files = m_dir + "/cups-files.conf";
    const std::string out = m_dir + "/log/cupsd.out";
    m_pid = fork();
    if (m_pid < 0) {
        throw std::runtime_error("cannot start cupsd");
    }
    if (m_pid == 0) {
        const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            dup2(fd, STDOUT_FILENO);
            dup2(fd, STDERR_FILENO);
        }
        if (chdir(m_dir.c_str()) != 0) {
            _exit(126);
        }
        execlp("cupsd", "cupsd", "-f", "-c", conf.c_str(), "-s", files.c_str(), static_cast<char*>(nullptr));
        execl("/usr/sbin/cupsd", "cupsd", "-f", "-c", conf.c_str(), "-s", files.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!socketAnswers(socketPath())) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            throw std::runtime_error("cupsd stopped at once:\n" + readAll(out) + log());
        }
        if (std::chrono::steady_clock::now() > deadline) {
            throw std::runtime_error("cupsd does not answer:\n" + log());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void CupsServer::addDefaultQueue() const {
    const std::string server = "CUPS_SERVER=" + socketPath() + " ";
    const std::string quiet = " >>" + m_dir + "/log/lpadmin.out 2>&1";
    // A raw queue keeps the document as the program sent it; the spool keeps a copy of each job.
    const std::string add =
        server + "lpadmin -p " + QueueName + " -E -v file://" + m_dir + "/out.prn -m raw" + quiet;
    const std::string makeDefault = server + "lpadmin -d " + QueueName + quiet;
    if (std::system(add.c_str()) != 0 || std::system(makeDefault.c_str()) != 0) {
        throw std::runtime_error("lpadmin failed:\n" + readAll(m_dir + "/log/lpadmin.out") + log());
    }
}

void CupsServer::stop() {
    if (m_pid <= 0) {
        return;
    }
    kill(m_pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    int status = 0;
    while (waitpid(m_pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
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
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto documents = spooledDocuments();
        if (documents.size() > known) {
            return documents.back();
        }
        if (std::chrono::steady_clock::now() > deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

std::string CupsServer::log() const {
    return readAll(m_dir + "/log/error_log");
}

bool CupsServer::setAcceptingJobs(bool accepting) const {
    const std::string command = "CUPS_SERVER=" + socketPath() +
                                (accepting ? " cupsaccept " : " cupsreject ") + QueueName + " >>" + m_dir +
                                "/log/lpadmin.out 2>&1";
    return std::system(command.c_str()) == 0;
}
