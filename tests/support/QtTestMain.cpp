// Entry point of the test programs that need Qt: one QApplication for all
// tests, offscreen, with the program's German locale.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocale>

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
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
