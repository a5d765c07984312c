#pragma once
// A user may put any WAV file in place of our sounds; a reader of our own
// tells us the encoding and the running time, which the audio sink does not,
// and turns the samples into what the sink takes.
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tmf::qt {

// How one sample is stored, always little-endian.
enum class SampleFormat {
    UInt8,    // 8-bit PCM, unsigned, 128 is silence
    Int16,
    Int24,    // packed in three bytes
    Int32,
    Float32,  // IEEE float, full scale at ±1.0
};

int BytesPerSample(SampleFormat format);

struct WavSound {
    int channels = 0;    // 1 or 2
    int sampleRate = 0;  // frames per second
    SampleFormat format = SampleFormat::Int16;
    // Whole frames only, as stored in the file.
    std::vector<std::uint8_t> samples;

    int bitsPerSample() const { return BytesPerSample(format) * 8; }
    int bytesPerFrame() const { return channels * BytesPerSample(format); }
    std::size_t frameCount() const;
    std::chrono::milliseconds duration() const;  // rounded up
};

// Why a file was not read: one that is no WAV file at all is broken; a sound
// in an encoding we do not decode (ADPCM, 64-bit float, many channels) is a
// sound we cannot play, and no fault of the file.
enum class WavRefusal { Broken, Unplayable };

// Reads a RIFF/WAVE file with integer PCM of 8, 16, 24 or 32 bits or with
// 32-bit float samples, mono or stereo, also behind the extensible header.
// Chunks other than "fmt " and "data" are skipped. A data chunk that claims
// more bytes than the file holds is cut to what is there: a file broken off
// while copying still plays what it has. Anything else is refused, and
// refusal says why when asked.
std::optional<WavSound> ReadWav(std::span<const std::uint8_t> bytes, WavRefusal* refusal = nullptr);

// The sound's frames in another sample format and channel count (1 or 2):
// mono becomes the same sample left and right, stereo the mean of both.
// Values are scaled to the same fraction of full scale; floats beyond ±1.0
// are clipped.
std::vector<std::uint8_t> ConvertSamples(const WavSound& sound, SampleFormat to, int toChannels);

}  // namespace tmf::qt
