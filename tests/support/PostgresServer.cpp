#include "support/PostgresServer.h"

#include "support/TempDir.h"

#include "core/catalogue/PgConnection.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

// The server's programs where Debian keeps them (the newest version), else on the PATH.
std::string ServerPrograms() {
    std::string newest;
    std::error_code ec;
    for (const auto& version : fs::directory_iterator("/usr/lib/postgresql", ec)) {
        if (fs::exists(version.path() / "bin" / "pg_ctl") && version.path().string() > newest) {
            newest = version.path().string();
        }
    }
    return newest.empty() ? "" : newest + "/bin/";
}

constexpr int Port = 5432; // on the folder's own socket: no other server shares it
constexpr unsigned Nobody = 65534;

} // namespace

PostgresServer::PostgresServer(std::string password)
    : m_bin(ServerPrograms()), m_password(std::move(password)) {
    char pattern[] = "/tmp/tessaline-pg-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        throw std::runtime_error("cannot make a folder for the PostgreSQL server");
    }
    m_dir = pattern;
    if (::geteuid() == 0 && ::chown(m_dir.c_str(), Nobody, Nobody) != 0) {
        throw std::runtime_error("cannot give the PostgreSQL server's folder to nobody");
    }
    std::string logins = "--auth=trust";
    if (!m_password.empty()) {
        WriteBytes(m_dir + "/password", m_password);
        logins = "--auth=scram-sha-256 --pwfile=" + m_dir + "/password";
    }
    if (std::system((command("initdb") + " -D " + m_dir + "/data -U " + User + " " + logins +
                     " -E UTF8 --locale=C.UTF-8 --no-sync >" + m_dir + "/initdb.log 2>&1")
                        .c_str()) != 0) {
        const std::string why = "initdb failed:\n" + ReadBytes(m_dir + "/initdb.log");
        fs::remove_all(m_dir);
        throw std::runtime_error(why);
    }
    start();
}

PostgresServer& PostgresServer::shared() {
    static const std::unique_ptr<PostgresServer> server = std::make_unique<PostgresServer>();
    return *server;
}

PostgresServer::~PostgresServer() {
    stop();
    std::error_code ignored;
    fs::remove_all(m_dir, ignored);
}

std::string PostgresServer::command(const std::string& tool) const {
    const std::string asServer =
        ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    return asServer + m_bin + tool;
}

std::string PostgresServer::connection(const std::string& database) const {
    return "host=" + m_dir + " port=" + std::to_string(Port) + " user=" + User + " dbname=" + database;
}

void PostgresServer::createDatabase(const std::string& name) const {
    if (std::system((command("createdb") + " -h " + m_dir + " -p " + std::to_string(Port) + " -U " + User +
                     " " + name + " >>" + m_dir + "/server.log 2>&1")
                        .c_str()) != 0) {
        throw std::runtime_error("createdb " + name + " failed:\n" + log());
    }
}

void PostgresServer::start() {
    if (m_pid > 0) {
        return; // running: a second server on the same cluster would only fail
    }
    // Fast and forgetful: the cluster lives as long as the test.
    std::vector<std::string> args = {"setpriv", "--pdeathsig", "SIGINT"};
    if (::geteuid() == 0) {
        args.insert(args.end(), {"--reuid=65534", "--regid=65534", "--clear-groups"});
    }
    args.insert(args.end(), {m_bin + "postgres", "-D", m_dir + "/data", "-k", m_dir, "-p",
                             std::to_string(Port), "-c", "listen_addresses=", "-c", "fsync=off", "-c",
                             "synchronous_commit=off", "-c", "full_page_writes=off"});
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, (m_dir + "/server.log").c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (posix_spawnp(&m_pid, "setpriv", &actions, nullptr, argv.data(), environ) != 0) {
        m_pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    // Ready once it takes a connection: its socket appears before it does.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int status = 0;
    const std::string login = connection() + (m_password.empty() ? "" : " password='" + m_password + "'");
    while (m_pid > 0 && waitpid(m_pid, &status, WNOHANG) == 0 && !PgConnection::open(login)) {
        if (std::chrono::steady_clock::now() > deadline) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (m_pid <= 0 || !PgConnection::open(login)) {
        stop();
        throw std::runtime_error("the PostgreSQL server did not start:\n" + log());
    }
}

void PostgresServer::stop() {
    if (m_pid > 0) {
        kill(m_pid, SIGINT); // a fast shutdown: sessions are cut
        int status = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (waitpid(m_pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(m_pid, SIGKILL);
                waitpid(m_pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    m_pid = -1;
}

std::string PostgresServer::log() const {
    return ReadBytes(m_dir + "/server.log");
}
