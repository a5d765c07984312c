#include "SoundPlayback.h"

#include <QAudioFormat>
#include <QAudioSink>

#include "WavFile.h"

namespace tmf::qt {

namespace {

QAudioFormat MakeFormat(int channels, int rate, int bits) {
    QAudioFormat format;
    format.setChannelCount(channels);
    format.setSampleRate(rate);
    format.setSampleFormat(bits == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
    return format;
}

// Unsigned 8-bit samples to signed 16-bit ones, for devices that take no
// 8-bit data.
QByteArray EightToSixteen(const QByteArray& in) {
    QByteArray out(in.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < in.size(); ++i) {
        const int s = (static_cast<unsigned char>(in[i]) - 128) * 256;
        out[2 * i] = static_cast<char>(s & 0xFF);
        out[2 * i + 1] = static_cast<char>((s >> 8) & 0xFF);
    }
    return out;
}

// Every frame twice as wide: the same sample for left and right.
QByteArray MonoToStereo(const QByteArray& in, int bytesPerSample) {
    QByteArray out;
    out.reserve(in.size() * 2);
    for (qsizetype i = 0; i + bytesPerSample <= in.size(); i += bytesPerSample) {
        out.append(in.constData() + i, bytesPerSample);
        out.append(in.constData() + i, bytesPerSample);
    }
    return out;
}

}  // namespace

SoundPlayback::SoundPlayback(const QAudioDevice& device, const WavSound& sound, QObject* parent)
    : QObject(parent),
      device_(device),
      pcm_(reinterpret_cast<const char*>(sound.samples.data()), static_cast<qsizetype>(sound.samples.size())),
      channels_(sound.channels),
      sampleRate_(sound.sampleRate),
      bits_(sound.bitsPerSample) {
    guard_.setSingleShot(true);
    guard_.setInterval(static_cast<int>((sound.duration() + kMargin).count()));
    connect(&guard_, &QTimer::timeout, this, &SoundPlayback::finish);
}

SoundPlayback::~SoundPlayback() {
    if (sink_) {
        sink_->disconnect(this);
        sink_->stop();
    }
}

bool SoundPlayback::start() {
    QAudioFormat format = MakeFormat(channels_, sampleRate_, bits_);
    if (!device_.isFormatSupported(format) && bits_ == 8) {
        pcm_ = EightToSixteen(pcm_);
        bits_ = 16;
        format = MakeFormat(channels_, sampleRate_, bits_);
    }
    if (!device_.isFormatSupported(format) && channels_ == 1) {
        pcm_ = MonoToStereo(pcm_, bits_ / 8);
        channels_ = 2;
        format = MakeFormat(channels_, sampleRate_, bits_);
    }
    // Still unsupported: let the sink try anyway; it says so if it cannot.
    sink_ = std::make_unique<QAudioSink>(device_, format);
    buffer_.setData(pcm_);
    if (!buffer_.open(QIODevice::ReadOnly)) return false;
    connect(sink_.get(), &QAudioSink::stateChanged, this, [this](QAudio::State state) {
        // Idle means the buffer has run dry, that is the sound has been
        // played out; Stopped comes with an error or after stop().
        if (state == QAudio::IdleState || state == QAudio::StoppedState) finish();
    });
    sink_->start(&buffer_);
    if (sink_->error() != QAudio::NoError && sink_->state() == QAudio::StoppedState) {
        finished_ = true;
        return false;
    }
    guard_.start();
    return true;
}

void SoundPlayback::stop() {
    finish();
}

void SoundPlayback::finish() {
    if (finished_) return;
    finished_ = true;
    guard_.stop();
    if (sink_) {
        sink_->disconnect(this);
        sink_->stop();
    }
    emit finished();
}

}  // namespace tmf::qt
