#pragma once
// termif98-sync run as a user or a timer runs it, in a home of its own with
// its own data folder and INI, against a Radicale started for each test.
#include <QProcess>
#include <filesystem>

#include "DavFixture.h"
#include "DavServers.h"

namespace tmf::test {

struct Outcome {
    int status = -1;  // -1: killed
    QString out;
    QString err;
};

class SyncProgram : public DavTest {
protected:
    void SetUp() override {
        DavTest::SetUp();
        // A copy of the program finds "daten/" beside it: its own data folder.
        std::filesystem::create_directories(home.path() + "daten");
        program = QString::fromStdString(home.path()) + QStringLiteral("termif98-sync");
        std::filesystem::copy_file(TMF_SYNC_PROGRAM, program.toStdString());
        home.write("passwort", "geheim\n");
        QString why;
        ASSERT_TRUE(server.start(&why)) << why.toStdString();
        book = server.makeAddressBook(QStringLiteral("kontakte"), QStringLiteral("Kontakte"));
    }

    QStringList Account() const {
        return {"--server", server.base().toString(), "--benutzer", "anna", "--passwort-befehl",
                QStringLiteral("cat '%1passwort'").arg(QString::fromStdString(home.path())), "--in",
                QString::fromStdString(target)};
    }

    // Runs the program; killAfterMs >= 0 kills it then, if it still runs.
    Outcome Run(const QStringList& arguments, int killAfterMs = -1) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", QString::fromStdString(home.path()) + "config");
        env.insert("HOME", QString::fromStdString(home.path()));
        p.setProcessEnvironment(env);
        p.start(program, arguments);
        if (!p.waitForStarted(10'000)) return {};
        if (killAfterMs >= 0 && !p.waitForFinished(killAfterMs)) {
            p.kill();
            p.waitForFinished(10'000);
            return {-1, p.readAllStandardOutput(), p.readAllStandardError()};
        }
        p.waitForFinished(60'000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    std::string Ini() const { return FileExists(home.file("config/Termifolio98/Termifolio98.ini")) ? home.read("config/Termifolio98/Termifolio98.ini") : ""; }

    TempDir home;
    QString program;
    Radicale server;
    QUrl book;
};

inline std::string Text(const Outcome& o) { return (o.out + o.err).toStdString(); }

}  // namespace tmf::test
