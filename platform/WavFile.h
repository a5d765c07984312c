#pragma once
// The few WAV files this program plays are plain PCM; a reader of our own
// tells us the format and the running time, which the audio sink does not.
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tmf::qt {

struct WavSound {
    int channels = 0;       // 1 or 2
    int sampleRate = 0;     // frames per second
    int bitsPerSample = 0;  // 8 (unsigned) or 16 (signed, little-endian)
    // Whole frames only, as stored in the file.
    std::vector<std::uint8_t> samples;

    int bytesPerFrame() const { return channels * bitsPerSample / 8; }
    std::size_t frameCount() const;
    std::chrono::milliseconds duration() const;  // rounded up
};

// Reads a RIFF/WAVE file with PCM samples of 8 or 16 bits, mono or stereo.
// Chunks other than "fmt " and "data" are skipped. A data chunk that claims
// more bytes than the file holds is cut to what is there: a file broken off
// while copying still plays what it has. Anything else is refused.
std::optional<WavSound> ReadWav(std::span<const std::uint8_t> bytes);

}  // namespace tmf::qt
