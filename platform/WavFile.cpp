#include "WavFile.h"

#include <algorithm>
#include <cstring>

namespace tmf::qt {

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
constexpr int kMaxSampleRate = 768000;

std::uint16_t U16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

bool IdIs(std::span<const std::uint8_t> b, std::size_t at, const char (&id)[5]) {
    return std::memcmp(b.data() + at, id, 4) == 0;
}

struct Format {
    int channels = 0;
    int sampleRate = 0;
    int bits = 0;
};

std::optional<Format> ReadFormat(std::span<const std::uint8_t> body) {
    if (body.size() < 16) return std::nullopt;
    std::uint16_t tag = U16(body, 0);
    if (tag == kFormatExtensible) {
        // The sub-format GUID starts with the plain format tag.
        if (body.size() < 40) return std::nullopt;
        tag = U16(body, 24);
    }
    if (tag != kFormatPcm) return std::nullopt;
    Format f;
    f.channels = U16(body, 2);
    const std::uint32_t rate = U32(body, 4);
    f.bits = U16(body, 14);
    if (f.channels != 1 && f.channels != 2) return std::nullopt;
    if (f.bits != 8 && f.bits != 16) return std::nullopt;
    if (rate == 0 || rate > kMaxSampleRate) return std::nullopt;
    f.sampleRate = static_cast<int>(rate);
    // The block alignment in the header is not trusted: some writers get it
    // wrong, and channels and bits already say how large a frame is.
    return f;
}

}  // namespace

std::size_t WavSound::frameCount() const {
    const int frame = bytesPerFrame();
    return frame > 0 ? samples.size() / static_cast<std::size_t>(frame) : 0;
}

std::chrono::milliseconds WavSound::duration() const {
    if (sampleRate <= 0) return std::chrono::milliseconds{0};
    const std::uint64_t frames = frameCount();
    const std::uint64_t rate = static_cast<std::uint64_t>(sampleRate);
    return std::chrono::milliseconds{static_cast<std::int64_t>((frames * 1000 + rate - 1) / rate)};
}

std::optional<WavSound> ReadWav(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 12 || !IdIs(bytes, 0, "RIFF") || !IdIs(bytes, 8, "WAVE")) return std::nullopt;
    // The RIFF size field is often wrong in files cut or glued together by
    // hand; the chunks themselves are walked up to the real end instead.
    std::optional<Format> format;
    std::optional<std::span<const std::uint8_t>> data;
    std::uint64_t pos = 12;
    while (pos + 8 <= bytes.size() && !(format && data)) {
        const std::size_t at = static_cast<std::size_t>(pos);
        const std::uint64_t declared = U32(bytes, at + 4);
        const std::size_t body = at + 8;
        const std::size_t available = bytes.size() - body;
        const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(declared, available));
        if (IdIs(bytes, at, "fmt ")) {
            if (format || declared > available) return std::nullopt;
            format = ReadFormat(bytes.subspan(body, length));
            if (!format) return std::nullopt;
        } else if (IdIs(bytes, at, "data") && !data) {
            data = bytes.subspan(body, length);
        }
        pos = body + declared + (declared & 1);  // chunks are padded to even sizes
    }
    if (!format || !data) return std::nullopt;

    WavSound sound;
    sound.channels = format->channels;
    sound.sampleRate = format->sampleRate;
    sound.bitsPerSample = format->bits;
    const std::size_t frame = static_cast<std::size_t>(sound.bytesPerFrame());
    const std::size_t whole = data->size() / frame * frame;
    sound.samples.assign(data->begin(), data->begin() + static_cast<std::ptrdiff_t>(whole));
    return sound;
}

}  // namespace tmf::qt
