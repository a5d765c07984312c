#pragma once
// The command line of termif98-sync, and how it meets the settings kept from
// the last call.
#include <QString>
#include <QStringList>

#include "SyncSettings.h"

namespace tmf::sync {

struct SyncCommand {
    bool help = false;
    bool version = false;
    bool fetch = false;     // --holen
    bool send = false;      // --senden
    bool discover = false;  // --suchen
    bool allowPlainHttp = false;
    QString server, user, passwordCommand, target, fingerprint;
    bool passwordCommandGiven = false;  // an empty one given clears the kept one
    QStringList addressBooks;
    QStringList calendars;  // --kalender: for the file of --in (or the kept one)
};

// Reads the options; a German error text when they are not understood.
QString ParseSyncCommand(const QStringList& arguments, SyncCommand& command);

// The settings for this call: the kept ones with what was given laid over
// them. A new server forgets the address books, the calendars and the
// http:// acceptance of the old one unless they are given again. A calendar
// given takes the file of --in (or the kept one); the caller fills in the
// file where none is known yet.
dav::SyncSettings MergeSettings(const dav::SyncSettings& kept, const SyncCommand& command);

extern const char* const kSyncHelp;

}  // namespace tmf::sync
