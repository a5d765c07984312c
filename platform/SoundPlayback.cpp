#include "SoundPlayback.h"

#include <QAudioFormat>
#include <QAudioSink>

#include <algorithm>
#include <optional>
#include <vector>

#include "WavFile.h"

namespace tmf::qt {

namespace {

std::optional<QAudioFormat::SampleFormat> SinkSampleFormat(SampleFormat format) {
    switch (format) {
        case SampleFormat::UInt8: return QAudioFormat::UInt8;
        case SampleFormat::Int16: return QAudioFormat::Int16;
        case SampleFormat::Int32: return QAudioFormat::Int32;
        case SampleFormat::Float32: return QAudioFormat::Float;
        case SampleFormat::Int24: return std::nullopt;  // the sink has no packed 24-bit samples
    }
    return std::nullopt;
}

QAudioFormat MakeFormat(int channels, int rate, QAudioFormat::SampleFormat sample) {
    QAudioFormat format;
    format.setChannelCount(channels);
    format.setSampleRate(rate);
    format.setSampleFormat(sample);
    return format;
}

}  // namespace

SoundPlayback::SoundPlayback(const QAudioDevice& device, const WavSound& sound, QObject* parent)
    : QObject(parent),
      device_(device),
      sound_(sound) {
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
    // The file's own encoding when the device takes it, else the first of
    // the common ones it takes, with the file's channel count before the
    // other one.
    std::vector<QAudioFormat::SampleFormat> samples;
    if (const auto own = SinkSampleFormat(sound_.format)) samples.push_back(*own);
    for (auto s : {QAudioFormat::Int16, QAudioFormat::Float, QAudioFormat::Int32, QAudioFormat::UInt8})
        if (std::find(samples.begin(), samples.end(), s) == samples.end()) samples.push_back(s);
    const int channelChoices[] = {sound_.channels, 3 - sound_.channels};
    QAudioFormat format = MakeFormat(sound_.channels, sound_.sampleRate, samples.front());
    bool found = false;
    for (int channels : channelChoices) {
        for (auto sample : samples) {
            const QAudioFormat candidate = MakeFormat(channels, sound_.sampleRate, sample);
            if (device_.isFormatSupported(candidate)) {
                format = candidate;
                found = true;
                break;
            }
        }
        if (found) break;
    }
    const std::optional<QAudioFormat::SampleFormat> own = SinkSampleFormat(sound_.format);
    if (own && *own == format.sampleFormat() && format.channelCount() == sound_.channels)
        pcm_ = QByteArray(reinterpret_cast<const char*>(sound_.samples.data()),
                          static_cast<qsizetype>(sound_.samples.size()));
    else
        pcm_ = ConvertForSink(format);
    sound_.samples.clear();
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

QByteArray SoundPlayback::ConvertForSink(const QAudioFormat& format) const {
    SampleFormat to = SampleFormat::Int16;
    switch (format.sampleFormat()) {
        case QAudioFormat::UInt8: to = SampleFormat::UInt8; break;
        case QAudioFormat::Int32: to = SampleFormat::Int32; break;
        case QAudioFormat::Float: to = SampleFormat::Float32; break;
        default: break;
    }
    const std::vector<std::uint8_t> out = ConvertSamples(sound_, to, format.channelCount());
    return QByteArray(reinterpret_cast<const char*>(out.data()), static_cast<qsizetype>(out.size()));
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
