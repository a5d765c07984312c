#pragma once
// The account of the server sync as the program keeps it: section
// [Abgleich] of the program's INI ($XDG_CONFIG_HOME/Termifolio98/
// Termifolio98.ini). The windows' dialog and the terminal command read and
// write the same keys. A password is never among them.
#include <QSettings>
#include <QString>
#include <QStringList>

namespace tmf::dav {

// A calendar the program publishes a file to.
struct CalendarChoice {
    QString url;   // Adresse: the full collection URL
    QString name;  // Name: its display name, as found
    QString file;  // Datei: the appointment file that goes into it
    bool operator==(const CalendarChoice&) const = default;
};

struct SyncSettings {
    QString server;           // Server
    QString user;             // Benutzer
    QString passwordCommand;  // PasswortBefehl: the terminal's way to the password
    QStringList addressBooks; // Adressbuecher: full collection URLs
    QStringList addressBookNames;  // AdressbuchNamen: their display names, in the same order
    QList<CalendarChoice> calendars;  // Kalender: where files are published
    QString target;           // Datei: the appointment file they go into
    bool allowPlainHttp = false;  // UnverschluesseltErlaubt: for this server only
    bool operator==(const SyncSettings&) const = default;
};

// The program's INI file, as the windows open it.
QSettings ProgramIni();

SyncSettings LoadSyncSettings();
void SaveSyncSettings(const SyncSettings& settings);

}  // namespace tmf::dav
