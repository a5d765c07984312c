#include "SyncSettings.h"

#include <QSettings>

namespace tmf::dav {
QSettings ProgramIni() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Termifolio98"),
                     QStringLiteral("Termifolio98"));
}

SyncSettings LoadSyncSettings() {
    QSettings s = ProgramIni();
    s.beginGroup(QStringLiteral("Abgleich"));
    SyncSettings out;
    out.server = s.value(QStringLiteral("Server")).toString();
    out.user = s.value(QStringLiteral("Benutzer")).toString();
    out.passwordCommand = s.value(QStringLiteral("PasswortBefehl")).toString();
    out.addressBooks = s.value(QStringLiteral("Adressbuecher")).toStringList();
    out.addressBookNames = s.value(QStringLiteral("AdressbuchNamen")).toStringList();
    const int n = s.beginReadArray(QStringLiteral("Kalender"));
    for (int i = 0; i < n; ++i) {
        s.setArrayIndex(i);
        CalendarChoice c{s.value(QStringLiteral("Adresse")).toString(), s.value(QStringLiteral("Name")).toString(),
                         s.value(QStringLiteral("Datei")).toString()};
        if (!c.url.isEmpty()) out.calendars << c;
    }
    s.endArray();
    out.target = s.value(QStringLiteral("Datei")).toString();
    out.allowPlainHttp = s.value(QStringLiteral("UnverschluesseltErlaubt"), false).toBool();
    return out;
}

void SaveSyncSettings(const SyncSettings& in) {
    QSettings s = ProgramIni();
    s.beginGroup(QStringLiteral("Abgleich"));
    s.setValue(QStringLiteral("Server"), in.server);
    s.setValue(QStringLiteral("Benutzer"), in.user);
    s.setValue(QStringLiteral("PasswortBefehl"), in.passwordCommand);
    s.setValue(QStringLiteral("Adressbuecher"), in.addressBooks);
    s.setValue(QStringLiteral("AdressbuchNamen"), in.addressBookNames);
    s.remove(QStringLiteral("Kalender"));
    s.beginWriteArray(QStringLiteral("Kalender"), static_cast<int>(in.calendars.size()));
    for (int i = 0; i < in.calendars.size(); ++i) {
        s.setArrayIndex(i);
        s.setValue(QStringLiteral("Adresse"), in.calendars[i].url);
        s.setValue(QStringLiteral("Name"), in.calendars[i].name);
        s.setValue(QStringLiteral("Datei"), in.calendars[i].file);
    }
    s.endArray();
    s.setValue(QStringLiteral("Datei"), in.target);
    s.setValue(QStringLiteral("UnverschluesseltErlaubt"), in.allowPlainHttp);
    s.endGroup();
    s.sync();
}

}  // namespace tmf::dav
