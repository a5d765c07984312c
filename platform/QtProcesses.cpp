#include "QtProcesses.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace tmf::qt {

namespace {
constexpr int kWaitSliceMs = 50;
}

QString ResolveProgram(const QString& program, const QString& folder) {
    if (program.isEmpty() || QDir::isAbsolutePath(program) || folder.isEmpty()) return program;
    const QFileInfo inFolder(QDir(folder), program);
    if (inFolder.isFile()) return inFolder.absoluteFilePath();
    return program.contains(QLatin1Char('/')) ? inFolder.absoluteFilePath() : program;
}

bool QtProcesses::RunAndWait(const std::string& program, const std::vector<std::string>& arguments,
                             const std::string& folder) {
    const QString workDir = QString::fromStdString(folder);
    QStringList args;
    for (const auto& a : arguments) args << QString::fromStdString(a);

    QProcess process;
    process.setProgram(ResolveProgram(QString::fromStdString(program), workDir));
    process.setArguments(args);
    if (!workDir.isEmpty()) process.setWorkingDirectory(workDir);
    // Unread pipes would fill up and stall a chatty child for ever, and a
    // child that reads its input must see an end rather than wait for us.
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted(-1)) return false;
    while (process.state() != QProcess::NotRunning && !process.waitForFinished(kWaitSliceMs)) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    return true;
}

std::string QtProcesses::ProgramDir() {
    std::string dir = QCoreApplication::applicationDirPath().toStdString();
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

std::string QtProcesses::ProgramFile() {
    const QString file = QCoreApplication::applicationFilePath();
    // Without an application object there is no path to ask for.
    return file.isEmpty() ? ProgramDir() + "Termif98" : file.toStdString();
}

}  // namespace tmf::qt
