#pragma once
// Sounds through Qt Multimedia's audio sink, fed by our own WAV reader.
#include <QPointer>

#include <string>

#include "Ports.h"

namespace tmf::qt {

class SoundPlayback;

class QtSound : public Sound {
public:
    QtSound();
    ~QtSound() override;
    QtSound(const QtSound&) = delete;
    QtSound& operator=(const QtSound&) = delete;

    // A missing file plays nothing and counts as played: the program never
    // checks for its sound files. A file that is not a PCM WAV gives false.
    // Without an audio output device nothing is played and the call returns
    // at once.
    bool Play(const std::string& path, bool wait) override;
    void Beep() override;

private:
    void StopCurrent();
    // Like the system's own sound call, a new sound ends the one still
    // playing, so that a burst of sounds does not pile up.
    QPointer<SoundPlayback> current_;
};

}  // namespace tmf::qt
