#pragma once
// One copy of the program per data folder. Two copies on the same folder
// would each write their own "Liste.dat" and header counts at their exit,
// and the last one would undo the other's changes. The first copy holds the
// folder's lock (the one termif98-check takes too) and listens for later
// starts; a later start only asks it to come to the front and ends without
// touching any file.
#include <QLocalServer>
#include <QObject>
#include <QString>
#include <memory>

#include "DataLock.h"

namespace tmf::app {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // dataDir ends in "/".
    explicit SingleInstance(const QString& dataDir, QObject* parent = nullptr);
    ~SingleInstance() override;

    // HeldByOther: a running copy holds the folder and answers;
    // HeldWithoutAnswer: another program (termif98-check) still holds it
    // when the wait is over; NoLock: the folder cannot hold the lock file
    // (missing, read-only), and the program runs as before and reports its
    // file errors itself.
    enum class Result { Acquired, HeldByOther, HeldWithoutAnswer, NoLock };
    // Takes the lock; while it is held and no running copy answers, tries
    // again for up to waitMs.
    Result Acquire(int waitMs = 0);
    // Asks the copy holding the lock to bring its window to the front.
    bool WakeRunningCopy(int timeoutMs = 2000) const;
    // Whether a running copy listens, without waking it.
    bool RunningCopyAnswers(int timeoutMs = 500) const;
    // Who holds the lock by the lock file's text, for a message.
    QString HolderText() const;

    QString LockFileName() const { return dataDir_ + QString::fromLatin1(kDataLockFileName); }
    QString ServerName() const { return serverName_; }

signals:
    void WakeRequested();

private:
    bool Contact(bool wake, int timeoutMs) const;
    void Listen();

    QString dataDir_;
    QString serverName_;
    DataLock lock_;
    std::unique_ptr<QLocalServer> server_;
};

// Whether "Liste.dat" in dataDir asks for the background mode; read only,
// for a second start that must end quietly then.
bool BackgroundModeSet(const QString& dataDir);

// Brings the program's visible window to the front: the main window, or
// whatever modal window the running copy shows at the moment.
void RaiseProgramWindow(QWidget* mainWindow);

}  // namespace tmf::app
