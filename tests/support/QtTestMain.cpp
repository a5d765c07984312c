// Entry point of the test programs that need Qt: one QApplication for all
// tests, offscreen, with the program's German locale.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSettings>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    // Qt wants a private runtime folder; CI machines have none.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") || !QDir(qEnvironmentVariable("XDG_RUNTIME_DIR")).exists()) {
        const QString dir = QDir::tempPath() + "/tmf-xdg-runtime";
        QDir().mkpath(dir);
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", dir.toUtf8());
    }
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QApplication::setApplicationName("Termifolio98");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    // The program's own settings file (window size, ...) goes to a folder of
    // this run, never to the settings of the user who runs the tests.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
