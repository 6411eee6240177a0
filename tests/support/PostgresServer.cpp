#include "support/PostgresServer.h"

#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include <unistd.h>

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

PostgresServer::PostgresServer() : m_bin(ServerPrograms()) {
    char pattern[] = "/tmp/tessaline-pg-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        throw std::runtime_error("cannot make a folder for the PostgreSQL server");
    }
    m_dir = pattern;
    if (::geteuid() == 0 && ::chown(m_dir.c_str(), Nobody, Nobody) != 0) {
        throw std::runtime_error("cannot give the PostgreSQL server's folder to nobody");
    }
    if (std::system((command("initdb") + " -D " + m_dir + "/data -U " + User +
                     " --auth=trust -E UTF8 --locale=C.UTF-8 --no-sync >" + m_dir + "/initdb.log 2>&1")
                        .c_str()) != 0) {
        const std::string why = "initdb failed:\n" + ReadBytes(m_dir + "/initdb.log");
        fs::remove_all(m_dir);
        throw std::runtime_error(why);
    }
    start();
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
    // Fast and forgetful: the cluster lives as long as the test.
    const std::string options = "-k " + m_dir + " -p " + std::to_string(Port) +
                                " -c listen_addresses='' -c fsync=off -c synchronous_commit=off" +
                                " -c full_page_writes=off";
    if (std::system((command("pg_ctl") + " -D " + m_dir + "/data -l " + m_dir + "/server.log -w -t 60 -o \"" +
                     options + "\" start >/dev/null 2>&1")
                        .c_str()) != 0) {
        throw std::runtime_error("the PostgreSQL server did not start:\n" + log());
    }
    m_running = true;
}

void PostgresServer::stop() {
    if (m_running) {
        (void)std::system(
            (command("pg_ctl") + " -D " + m_dir + "/data -m fast -w stop >/dev/null 2>&1").c_str());
        m_running = false;
    }
}

std::string PostgresServer::log() const {
    return ReadBytes(m_dir + "/server.log");
}
