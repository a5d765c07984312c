#pragma once
// What the sync tests share: the scripted platform, a data folder with one
// appointment file, and a run of the library against a server.
#include <gtest/gtest.h>

#include <QList>
#include <QUrl>
#include <algorithm>
#include <string>
#include <vector>

#include "AppointmentFile.h"
#include "CertificatePins.h"
#include "ContactSyncRun.h"
#include "Credentials.h"
#include "DavClient.h"
#include "SampleFiles.h"
#include "ScriptedPlatform.h"
#include "State.h"
#include "SyncState.h"
#include "TempDir.h"

namespace tmf::test {

class DavTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform.install();
        ResetProgramState();
        DataDir = dir.path();
        target = dir.file("Geburtstage.tmf");
        WriteAppointmentFileBytes(target, AppointmentFileBytes(std::vector<EntrySpec>{}, "10.06.2024"));
    }
    void TearDown() override { ResetProgramState(); }

    dav::ContactSyncResult Sync(const QUrl& server, const QString& user, const QString& password,
                                const QList<QUrl>& books, dav::ConnectionLimits limits = {}) {
        dav::FixedPassword passwords(password);
        dav::DavClient client({server.toString(), user, false}, passwords, pins, limits);
        return Sync(client, books);
    }
    dav::ContactSyncResult Sync(dav::DavClient& client, const QList<QUrl>& books) {
        dav::ContactSyncOptions options;
        options.target = QString::fromStdString(target);
        options.addressBooks = books;
        options.dataFolder = QString::fromStdString(dir.path());
        options.multigetBatch = 7;  // several batches even for a few cards
        return dav::RunContactSync(client, options);
    }

    // "Vorname Nachname|Terminart|TerminAm" of every entry, sorted.
    std::vector<std::string> Entries() {
        std::vector<std::string> out;
        if (LoadAppointmentFile(target, "Alles") != LoadResult::Loaded) return {"(nicht ladbar)"};
        for (int r = 1; r <= EntryCount; ++r)
            out.push_back(EntryTable(Vorname, r).asText() + " " + EntryTable(Nachname, r).asText() + "|" +
                          EntryTable(Terminart, r).asText() + "|" + EntryTable(TerminAm, r).asText());
        std::sort(out.begin(), out.end());
        return out;
    }
    std::string FileBytes() const { return dir.read("Geburtstage.tmf"); }
    std::string StateBytes() const {
        const std::string path = SyncStatePath(dir.path(), target);
        return FileExists(path) ? dir.read(path.substr(dir.path().size())) : std::string();
    }

    ScriptedPlatform platform;
    TempDir dir;
    std::string target;
    dav::MemoryCertificatePins pins;
};

// A vCard 3.0 with a UID, names and whatever lines follow.
inline QByteArray Card(const QByteArray& uid, const QByteArray& given, const QByteArray& family,
                       const QByteArray& more) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\nN:" + family + ";" + given + ";;;\r\nFN:" + given + " " +
           family + "\r\n" + more + "END:VCARD\r\n";
}

}  // namespace tmf::test
