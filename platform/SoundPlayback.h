#pragma once
// One sound on its way through an audio sink. It ends when the sink has run
// out of data, or when a guard timer of the sound's length plus a margin
// fires, whichever comes first: a sink that never reports the end must not
// keep the program waiting.
#include <QAudioDevice>
#include <QAudioFormat>
#include <QBuffer>
#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <memory>

#include "WavFile.h"

class QAudioSink;

namespace tmf::qt {


class SoundPlayback : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kMargin{3000};

    SoundPlayback(const QAudioDevice& device, const WavSound& sound, QObject* parent = nullptr);
    ~SoundPlayback() override;

    // False when the sink refused to start.
    bool start();
    void stop();
    bool isFinished() const { return finished_; }

signals:
    void finished();

private:
    void finish();
    QByteArray ConvertForSink(const QAudioFormat& format) const;

    QAudioDevice device_;
    WavSound sound_;
    QByteArray pcm_;
    QBuffer buffer_;
    QTimer guard_;
    std::unique_ptr<QAudioSink> sink_;
    bool finished_ = false;
};

}  // namespace tmf::qt
