#include "RadicaleServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace tmf::test {

namespace {

constexpr const char* kPython = "/usr/bin/python3";

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

// A port nobody listens on now. Another program may take it before the
// server binds; Start tries again then.
int FreePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0) return 0;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    socklen_t len = sizeof a;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    ::close(s);
    return port;
}

bool Accepts(int port) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0) return false;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    const bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(s);
    return ok;
}

int RunQuietly(const std::vector<std::string>& argv, const std::string& log) {
    const pid_t pid = ::fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (fd >= 0) {
            ::dup2(fd, 1);
            ::dup2(fd, 2);
        }
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

RadicaleServer::RadicaleServer(std::initializer_list<User> users) : users_(users) {
    char name[] = "/tmp/tmf-radicale-XXXXXX";
    if (::mkdtemp(name)) folder_ = std::string(name) + "/";
}

RadicaleServer::~RadicaleServer() {
    Stop();
    if (!folder_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
}

bool RadicaleServer::Installed() {
    return ::access(kPython, X_OK) == 0 &&
           RunQuietly({kPython, "-c", "import radicale"}, "/dev/null") == 0;
}

bool RadicaleServer::UseTls(std::string* why) {
    const int rc = RunQuietly({"/usr/bin/openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                               "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost",
                               "-keyout", folder_ + "key.pem", "-out", folder_ + "cert.pem"},
                              folder_ + "openssl.log");
    tls_ = rc == 0;
    if (!tls_ && why) *why = "openssl made no certificate (" + std::to_string(rc) + ")";
    return tls_;
}

std::string RadicaleServer::url() const {
    return std::string(tls_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) + "/";
}

std::string RadicaleServer::log() const {
    std::ifstream in(folder_ + "radicale.log", std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool RadicaleServer::Start(std::string* why) {
    if (folder_.empty()) {
        if (why) *why = "no temporary folder";
        return false;
    }
    if (!Installed()) {
        if (why) *why = "Radicale is not installed (Debian package radicale)";
        return false;
    }
    for (int attempt = 0; attempt < 3; ++attempt)
        if (StartOnce(why)) return true;
    return false;
}

bool RadicaleServer::StartOnce(std::string* why) {
    Stop();
    port_ = FreePort();
    std::string users;
    for (const User& u : users_) users += u.name + ":" + u.password + "\n";
    WriteText(folder_ + "users", users);
    std::string config = "[server]\nhosts = 127.0.0.1:" + std::to_string(port_) + "\n";
    if (tls_) config += "ssl = True\ncertificate = " + folder_ + "cert.pem\nkey = " + folder_ + "key.pem\n";
    config += "[auth]\ntype = htpasswd\nhtpasswd_filename = " + folder_ +
              "users\nhtpasswd_encryption = plain\ndelay = 0\n"
              "[storage]\nfilesystem_folder = " + storage() +
              "\n[rights]\ntype = owner_only\n[logging]\nlevel = warning\nmask_passwords = True\n";
    WriteText(folder_ + "config", config);

    const std::string log = folder_ + "radicale.log";
    const std::string configPath = folder_ + "config";
    const pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ < 0) {
        if (why) *why = "fork failed";
        return false;
    }
    if (pid_ == 0) {
        // The server goes when the test program goes, however it ends.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) ::_exit(1);
        const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (fd >= 0) {
            ::dup2(fd, 1);
            ::dup2(fd, 2);
        }
        ::execl(kPython, kPython, "-m", "radicale", "--config", configPath.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < until) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            if (why) *why = "Radicale ended at once:\n" + this->log();
            return false;
        }
        if (Accepts(port_)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (why) *why = "Radicale did not answer within 20 seconds:\n" + this->log();
    Stop();
    return false;
}

void RadicaleServer::Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

}  // namespace tmf::test
