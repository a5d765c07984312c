#include "QtSound.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>

#include "SoundPlayback.h"
#include "WavFile.h"

namespace tmf::qt {

namespace {
// Our sounds are a few kilobytes; anything this large is not one of them
// and is not read into memory.
constexpr qint64 kMaxWavBytes = 64 * 1024 * 1024;
}  // namespace

QtSound::QtSound() = default;

QtSound::~QtSound() {
    StopCurrent();
}

void QtSound::StopCurrent() {
    if (current_) {
        current_->stop();
        delete current_.data();
    }
}

bool QtSound::Play(const std::string& path, bool wait) {
    const QString name = QString::fromStdString(path);
    const QFileInfo info(name);
    if (!info.exists()) return true;
    if (!info.isFile() || info.size() > kMaxWavBytes) return false;
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.readAll();
    WavRefusal refusal = WavRefusal::Broken;
    const auto sound = ReadWav(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                         static_cast<std::size_t>(bytes.size())),
                               &refusal);
    // A sound in an encoding we do not decode stays silent: the user chose
    // the file, and a message for every sound of every file would stall the
    // background check.
    if (!sound) return refusal == WavRefusal::Unplayable;

    StopCurrent();
    if (sound->samples.empty() || QMediaDevices::audioOutputs().isEmpty()) return true;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) return true;

    auto* playback = new SoundPlayback(device, *sound);
    if (!playback->start()) {
        delete playback;
        return false;
    }
    if (!wait) {
        QObject::connect(playback, &SoundPlayback::finished, playback, &QObject::deleteLater);
        current_ = playback;
        return true;
    }
    if (!playback->isFinished()) {
        QEventLoop loop;
        QObject::connect(playback, &SoundPlayback::finished, &loop, &QEventLoop::quit);
        // Only timers and the sink's own events: the caller expects nothing
        // else of the program to run while its sound plays.
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    delete playback;
    return true;
}

void QtSound::Beep() {
    QApplication::beep();
}

}  // namespace tmf::qt
