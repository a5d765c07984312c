#include "PasswordCommand.h"

#include <termios.h>
#include <unistd.h>

#include <QProcess>
#include <cstdio>
#include <string>

namespace tmf::sync {
namespace {

std::optional<QString> AskAtTerminal(const dav::Account& account, QString* why) {
    if (!isatty(STDIN_FILENO)) {
        *why = QStringLiteral("Kein Passwort: geben Sie --passwort-befehl an (ohne Terminal wird nicht gefragt).");
        return std::nullopt;
    }
    std::fprintf(stderr, "Passwort für %s an %s: ", account.user.toUtf8().constData(),
                 dav::ServerUrl(account.server).host().toUtf8().constData());
    std::fflush(stderr);
    termios old{};
    const bool hide = tcgetattr(STDIN_FILENO, &old) == 0;
    if (hide) {
        termios quiet = old;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string line;
    for (int c; (c = std::fgetc(stdin)) != EOF && c != '\n';) line += static_cast<char>(c);
    if (hide) tcsetattr(STDIN_FILENO, TCSAFLUSH, &old);
    std::fputc('\n', stderr);
    if (line.empty()) {
        *why = QStringLiteral("Kein Passwort eingegeben.");
        return std::nullopt;
    }
    return QString::fromStdString(line);
}

}  // namespace

std::optional<QString> RunPasswordCommand(const QString& command, QString* why) {
    QProcess process;
    process.setInputChannelMode(QProcess::ForwardedInputChannel);  // a password manager may ask at the terminal
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    if (!process.waitForStarted(10'000)) {
        *why = QStringLiteral("Der Passwort-Befehl ließ sich nicht starten.");
        return std::nullopt;
    }
    process.closeWriteChannel();
    if (!process.waitForFinished(60'000)) {
        process.kill();
        process.waitForFinished(1000);
        *why = QStringLiteral("Der Passwort-Befehl lief über 60 Sekunden und wurde beendet.");
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        *why = QStringLiteral("Der Passwort-Befehl ist gescheitert (Rückgabewert %1).").arg(process.exitCode());
        return std::nullopt;
    }
    QByteArray out = process.readAllStandardOutput();
    const qsizetype end = out.indexOf('\n');
    if (end >= 0) out.truncate(end);
    if (out.endsWith('\r')) out.chop(1);
    if (out.isEmpty()) {
        *why = QStringLiteral("Der Passwort-Befehl hat kein Passwort ausgegeben.");
        return std::nullopt;
    }
    return QString::fromUtf8(out);
}

void PasswordCommand::password(const dav::Account& account, Reason reason, Done done) {
    QString why;
    if (reason == Reason::Rejected) {
        done(std::nullopt, {});
        return;
    }
    const auto password = command_.isEmpty() ? AskAtTerminal(account, &why) : RunPasswordCommand(command_, &why);
    done(password, why);
}

}  // namespace tmf::sync
