// The autostart entry: where it goes, that the desktop's own checker takes
// it, and that the Exec line brings back exactly the program path, however
// odd the folder's name.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

#include <filesystem>
#include <optional>

#include "PlatformTestSupport.h"
#include "TempDir.h"
#include "XdgAutostart.h"

using tmf::qt::XdgAutostart;
using tmf::test::ScopedEnv;

namespace {

QString ReadText(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll());
}

QString ValueOf(const QString& entry, const QString& key) {
    for (const QString& line : entry.split(QLatin1Char('\n'))) {
        if (line.startsWith(key + QLatin1Char('='))) return line.mid(key.size() + 1);
    }
    return {};
}

// Reads an Exec value back the way a desktop does: first the string escapes,
// then the double-quote rule, then the doubled percent signs.
QStringList ExecArguments(const QString& value) {
    QString unescaped;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == QLatin1Char('\\') && i + 1 < value.size()) {
            const QChar n = value[++i];
            if (n == QLatin1Char('n'))
                unescaped += QLatin1Char('\n');
            else if (n == QLatin1Char('t'))
                unescaped += QLatin1Char('\t');
            else if (n == QLatin1Char('r'))
                unescaped += QLatin1Char('\r');
            else if (n == QLatin1Char('s'))
                unescaped += QLatin1Char(' ');
            else if (n == QLatin1Char('\\'))
                unescaped += QLatin1Char('\\');
            else
                unescaped += QLatin1Char('\\'), unescaped += n;
        } else {
            unescaped += value[i];
        }
    }
    QStringList args;
    QString current;
    bool quoted = false, inArg = false;
    for (qsizetype i = 0; i < unescaped.size(); ++i) {
        const QChar c = unescaped[i];
        if (quoted) {
            if (c == QLatin1Char('\\') && i + 1 < unescaped.size())
                current += unescaped[++i];
            else if (c == QLatin1Char('"'))
                quoted = false;
            else
                current += c;
        } else if (c == QLatin1Char('"')) {
            quoted = inArg = true;
        } else if (c == QLatin1Char(' ')) {
            if (inArg) args << current;
            current.clear();
            inArg = false;
        } else {
            current += c;
            inArg = true;
        }
    }
    if (inArg) args << current;
    for (QString& a : args) a.replace(QLatin1String("%%"), QLatin1String("%"));
    return args;
}

// Empty when the checker is content (or not installed), its complaint otherwise.
QString ValidatorComplaint(const QString& path) {
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty()) return {};
    QProcess p;
    p.start(validator, {path});
    p.waitForFinished(30000);
    const QString out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    if (p.exitCode() != 0 || out.contains(QLatin1String("error"), Qt::CaseInsensitive)) {
        return out.isEmpty() ? QStringLiteral("exit code %1").arg(p.exitCode()) : out;
    }
    return {};
}

class PlatformAutostart : public ::testing::Test {
protected:
    tmf::test::TempDir dir;
    ScopedEnv home{"HOME", QByteArray::fromStdString(dir.file("home"))};
    ScopedEnv config{"XDG_CONFIG_HOME", QByteArray::fromStdString(dir.file("cfg"))};
    XdgAutostart autostart;
    QString entryPath = QString::fromStdString(dir.file("cfg/autostart/Termifolio98.desktop"));
};

}  // namespace

TEST_F(PlatformAutostart, AddWritesAnEntryThatStartsTheProgram) {
    ASSERT_TRUE(autostart.Add("/opt/termifolio/Termif98", "Termifolio98"));
    const QString entry = ReadText(entryPath);
    ASSERT_FALSE(entry.isEmpty());
    EXPECT_TRUE(entry.startsWith(QLatin1String("[Desktop Entry]\n")));
    EXPECT_EQ(ValueOf(entry, "Type"), "Application");
    EXPECT_EQ(ValueOf(entry, "Name"), "Termifolio98");
    EXPECT_EQ(ValueOf(entry, "Comment"), QStringLiteral("Termine prüfen und an Geburtstage erinnern"));
    EXPECT_EQ(ExecArguments(ValueOf(entry, "Exec")), QStringList{"/opt/termifolio/Termif98"});
    EXPECT_EQ(ValidatorComplaint(entryPath), QString());
}

TEST_F(PlatformAutostart, AProgramPathWithBlanksQuotesAndShellCharactersComesBackUnchanged) {
    const QString odd = QString::fromStdString(dir.file(R"(Meine "Termine" $HOME `x` 100% a\b ä/Termif98)"));
    ASSERT_TRUE(autostart.Add(odd.toStdString(), "Termifolio98"));
    const QString entry = ReadText(entryPath);
    EXPECT_EQ(ExecArguments(ValueOf(entry, "Exec")), QStringList{odd});
    EXPECT_EQ(ValidatorComplaint(entryPath), QString());
}

TEST_F(PlatformAutostart, AddCreatesTheMissingFoldersAndLeavesNoTemporaryFiles) {
    ASSERT_FALSE(QDir(QString::fromStdString(dir.file("cfg"))).exists());
    ASSERT_TRUE(autostart.Add("/a/Termif98", "Termifolio98"));
    ASSERT_TRUE(autostart.Add("/b/Termif98", "Termifolio98"));
    EXPECT_EQ(ExecArguments(ValueOf(ReadText(entryPath), "Exec")), QStringList{"/b/Termif98"});
    EXPECT_EQ(QDir(QString::fromStdString(dir.file("cfg/autostart"))).entryList(QDir::Files),
              QStringList{"Termifolio98.desktop"});
}

TEST_F(PlatformAutostart, ARelativeConfigHomeIsIgnoredInFavourOfTheHomeFolder) {
    ScopedEnv relative{"XDG_CONFIG_HOME", "relative/cfg"};
    ASSERT_TRUE(autostart.Add("/opt/Termif98", "Termifolio98"));
    EXPECT_TRUE(
        QFile::exists(QString::fromStdString(dir.file("home/.config/autostart/Termifolio98.desktop"))));
    EXPECT_FALSE(QDir(QStringLiteral("relative")).exists());
    EXPECT_TRUE(autostart.Remove("Termifolio98"));
    EXPECT_FALSE(
        QFile::exists(QString::fromStdString(dir.file("home/.config/autostart/Termifolio98.desktop"))));
}

TEST_F(PlatformAutostart, AnUnsetConfigHomeMeansDotConfigInTheHomeFolder) {
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(tmf::qt::AutostartFolder(), QString::fromStdString(dir.file("home/.config/autostart/")));
}

TEST_F(PlatformAutostart, RemoveDeletesTheEntryAndAMissingEntryIsNoError) {
    ASSERT_TRUE(autostart.Add("/opt/Termif98", "Termifolio98"));
    ASSERT_TRUE(QFile::exists(entryPath));
    EXPECT_TRUE(autostart.Remove("Termifolio98"));
    EXPECT_FALSE(QFile::exists(entryPath));
    EXPECT_TRUE(autostart.Remove("Termifolio98"));
}

TEST_F(PlatformAutostart, AddReportsFailureWhenTheFolderCannotBeMadeOrThereIsNoProgram) {
    EXPECT_FALSE(autostart.Add("", "Termifolio98"));
    EXPECT_FALSE(QFile::exists(entryPath));
    dir.write("cfg", "a file where the configuration folder should be");
    EXPECT_FALSE(autostart.Add("/opt/Termif98", "Termifolio98"));
}

TEST_F(PlatformAutostart, AnItemNameCannotLeadTheEntryOutOfTheAutostartFolder) {
    EXPECT_FALSE(tmf::qt::AutostartFileName("../../evil").contains(QLatin1Char('/')));
    EXPECT_EQ(tmf::qt::AutostartFileName(""), "Termifolio98.desktop");
    ASSERT_TRUE(autostart.Add("/opt/Termif98", "Mein Termin/Plan"));
    const QString path = QString::fromStdString(dir.file("cfg/autostart/Mein_Termin_Plan.desktop"));
    EXPECT_EQ(ValueOf(ReadText(path), "Name"), "Mein Termin/Plan");
    EXPECT_TRUE(autostart.Remove("Mein Termin/Plan"));
    EXPECT_FALSE(QFile::exists(path));
}
