#pragma once
// Another client's view of a calendar: python3-caldav reads it back and
// prints one line per event (uid, summary, its day in 2027 and in 2028, the
// alarms' leads), sorted; see tests/scripts/read_calendar.py.
#include <gtest/gtest.h>

#include <QProcess>
#include <QUrl>
#include <string>
#include <vector>

namespace tmf::test {

inline std::vector<std::string> ReadCalendar(const QUrl& url, const QString& user, const QString& password) {
    QProcess p;
    p.start("/usr/bin/python3", {TMF_TEST_SCRIPTS "read_calendar.py", url.toString(), user, password});
    p.waitForFinished(120'000);
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    std::vector<std::string> lines;
    for (const QByteArray& line : p.readAllStandardOutput().split('\n'))
        if (!line.isEmpty()) lines.push_back(line.toStdString());
    return lines;
}

}  // namespace tmf::test
