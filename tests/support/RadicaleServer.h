#pragma once
// A real CardDAV/CalDAV server for the tests: Debian's Radicale on 127.0.0.1
// and a free port, in a folder of its own, its users in an htpasswd file,
// optionally behind TLS with a certificate made for the test. Started and
// stopped by the test; it dies with the test program should that crash.
#include <sys/types.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace tmf::test {

class RadicaleServer {
public:
    struct User {
        std::string name;
        std::string password;
    };

    explicit RadicaleServer(std::initializer_list<User> users);
    ~RadicaleServer();
    RadicaleServer(const RadicaleServer&) = delete;
    RadicaleServer& operator=(const RadicaleServer&) = delete;

    // Before Start: serve https with a self-signed certificate for
    // 127.0.0.1 and localhost, made now; false when openssl failed.
    bool UseTls(std::string* why = nullptr);

    // Starts the server and waits until it takes connections. False, with
    // the reason, when Radicale is missing or did not come up.
    bool Start(std::string* why = nullptr);
    void Stop();
    bool Running() const { return pid_ > 0; }

    int port() const { return port_; }
    // "http://127.0.0.1:<port>/" (https once UseTls succeeded).
    std::string url() const;
    // The server's folder: its configuration, log and certificate; the
    // collections are under storage().
    const std::string& folder() const { return folder_; }
    std::string storage() const { return folder_ + "collections/"; }
    // The certificate in PEM, for a test that trusts or compares it.
    std::string certificateFile() const { return folder_ + "cert.pem"; }
    // What the server wrote to its log so far.
    std::string log() const;

    // True when Debian's Radicale can be run here.
    static bool Installed();

private:
    bool StartOnce(std::string* why);

    std::vector<User> users_;
    std::string folder_;
    bool tls_ = false;
    int port_ = 0;
    pid_t pid_ = -1;
};

}  // namespace tmf::test
