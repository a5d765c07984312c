#pragma once
// Where the password comes from, behind a port: the desktop's secret store
// or a question in the windows, a password command in the terminal, a script
// in the tests. The protocol asks for it when it first needs it and again
// after the server refused it (401).
#include <QString>
#include <functional>
#include <optional>

#include "DavTypes.h"

namespace tmf::dav {

class PasswordSource {
public:
    virtual ~PasswordSource() = default;

    enum class Reason {
        First,     // the session's first request needs it
        Rejected,  // the server answered 401 to the one given before
    };
    // Calls done exactly once, now or later from the event loop: with the
    // password, or with nothing and a German reason (cancelled, no store, a
    // failed command). A terminal gives nothing after Rejected: a wrong
    // password there is an error, not a question.
    using Done = std::function<void(std::optional<QString> password, QString why)>;
    virtual void password(const Account& account, Reason reason, Done done) = 0;

    // The server took the password (a store keeps it now, not before).
    virtual void accepted(const Account& account, const QString& password) {
        (void)account;
        (void)password;
    }
};

// A password known beforehand (tests, a dialog that has just asked); gives
// nothing after a 401.
class FixedPassword : public PasswordSource {
public:
    explicit FixedPassword(QString password) : password_(std::move(password)) {}
    void password(const Account&, Reason reason, Done done) override {
        if (reason == Reason::Rejected) done(std::nullopt, QStringLiteral("Der Server hat das Passwort abgelehnt."));
        else done(password_, {});
    }

private:
    QString password_;
};

}  // namespace tmf::dav
