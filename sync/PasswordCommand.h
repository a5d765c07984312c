#pragma once
// The terminal's way to a password: the first line a command writes (as mail
// and calendar sync tools take it from a password manager), or, without a
// command and at a terminal, a question with the typing hidden. A password
// refused by the server is not asked again: the run fails instead.
#include <QString>

#include "Credentials.h"

namespace tmf::sync {

class PasswordCommand : public dav::PasswordSource {
public:
    // command: run by /bin/sh -c; empty asks at the terminal when there is one.
    explicit PasswordCommand(QString command) : command_(std::move(command)) {}
    void password(const dav::Account& account, Reason reason, Done done) override;

private:
    QString command_;
};

// Runs the command and gives the first line of its output; nothing and the
// reason when it fails, writes nothing or runs over 60 seconds.
std::optional<QString> RunPasswordCommand(const QString& command, QString* why);

}  // namespace tmf::sync
