#pragma once

#include <string>

#include <sys/types.h>

// A private PostgreSQL server for the shared catalogue's tests: its own cluster in a temporary folder,
// listening only on a unix socket there, trusting every local connection. The machine's own clusters
// are never touched. The server refuses to run as root: a test run as root runs it as nobody. It runs
// as a child of the tests, which the system stops should the tests end without stopping it (a crash).
class PostgresServer {
public:
    static constexpr const char* User = "tessaline";

    // Makes the cluster and starts the server, waiting until it answers. Throws std::runtime_error (with
    // the server's log) on failure. With a password, the superuser must give it to log in.
    explicit PostgresServer(std::string password = {});
    // One server for all the tests of a program that need no other, started at the first call.
    static PostgresServer& shared();
    ~PostgresServer();
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    // A libpq connection string for `database` on this server, as its superuser (without the password).
    std::string connection(const std::string& database = "postgres") const;
    // A new empty database; throws on failure.
    void createDatabase(const std::string& name) const;
    // Stops the server (fast: sessions are cut) and starts it again (when stopped), for tests of a server
    // that goes away.
    void stop();
    void start();
    std::string log() const;

private:
    std::string command(const std::string& tool) const;

    std::string m_dir;
    std::string m_bin;
    std::string m_password;
    pid_t m_pid = -1;
};
