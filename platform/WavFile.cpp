#include "WavFile.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace tmf::qt {

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatFloat = 3;
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
    SampleFormat sample = SampleFormat::Int16;
};

std::optional<SampleFormat> SampleFormatOf(std::uint16_t tag, int bits) {
    if (tag == kFormatFloat) return bits == 32 ? std::optional(SampleFormat::Float32) : std::nullopt;
    if (tag != kFormatPcm) return std::nullopt;
    switch (bits) {
        case 8: return SampleFormat::UInt8;
        case 16: return SampleFormat::Int16;
        case 24: return SampleFormat::Int24;
        case 32: return SampleFormat::Int32;
        default: return std::nullopt;
    }
}

std::optional<Format> ReadFormat(std::span<const std::uint8_t> body, WavRefusal& refusal) {
    refusal = WavRefusal::Broken;
    if (body.size() < 16) return std::nullopt;
    std::uint16_t tag = U16(body, 0);
    if (tag == kFormatExtensible) {
        // The sub-format GUID starts with the plain format tag.
        if (body.size() < 40) return std::nullopt;
        tag = U16(body, 24);
    }
    const int channels = U16(body, 2);
    const std::uint32_t rate = U32(body, 4);
    if (channels == 0 || rate == 0) return std::nullopt;
    refusal = WavRefusal::Unplayable;
    const auto sample = SampleFormatOf(tag, U16(body, 14));
    if (!sample || channels > 2 || rate > kMaxSampleRate) return std::nullopt;
    // The block alignment in the header is not trusted: some writers get it
    // wrong, and channels and bits already say how large a frame is.
    return Format{channels, static_cast<int>(rate), *sample};
}

// One sample as a fraction of full scale in 32-bit two's complement.
std::int32_t Decode(const std::uint8_t* p, SampleFormat format) {
    switch (format) {
        case SampleFormat::UInt8:
            return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0] ^ 0x80) << 24);
        case SampleFormat::Int16:
            return static_cast<std::int32_t>((static_cast<std::uint32_t>(p[0]) << 16) |
                                             (static_cast<std::uint32_t>(p[1]) << 24));
        case SampleFormat::Int24:
            return static_cast<std::int32_t>((static_cast<std::uint32_t>(p[0]) << 8) |
                                             (static_cast<std::uint32_t>(p[1]) << 16) |
                                             (static_cast<std::uint32_t>(p[2]) << 24));
        case SampleFormat::Int32:
            return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                                             (static_cast<std::uint32_t>(p[2]) << 16) |
                                             (static_cast<std::uint32_t>(p[3]) << 24));
        case SampleFormat::Float32: {
            const std::uint32_t bits = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                                       (static_cast<std::uint32_t>(p[2]) << 16) |
                                       (static_cast<std::uint32_t>(p[3]) << 24);
            const double f = static_cast<double>(std::bit_cast<float>(bits));
            if (std::isnan(f)) return 0;
            const double scaled = std::clamp(f, -1.0, 1.0) * 2147483648.0;
            return static_cast<std::int32_t>(std::clamp(scaled, -2147483648.0, 2147483647.0));
        }
    }
    return 0;
}

void Encode(std::int32_t v, SampleFormat format, std::vector<std::uint8_t>& out) {
    const auto u = static_cast<std::uint32_t>(v);
    switch (format) {
        case SampleFormat::UInt8:
            out.push_back(static_cast<std::uint8_t>((u >> 24) ^ 0x80));
            return;
        case SampleFormat::Int16:
            out.push_back(static_cast<std::uint8_t>(u >> 16));
            out.push_back(static_cast<std::uint8_t>(u >> 24));
            return;
        case SampleFormat::Int24:
            for (int shift : {8, 16, 24}) out.push_back(static_cast<std::uint8_t>(u >> shift));
            return;
        case SampleFormat::Int32:
            for (int shift : {0, 8, 16, 24}) out.push_back(static_cast<std::uint8_t>(u >> shift));
            return;
        case SampleFormat::Float32: {
            const auto bits = std::bit_cast<std::uint32_t>(static_cast<float>(v / 2147483648.0));
            for (int shift : {0, 8, 16, 24}) out.push_back(static_cast<std::uint8_t>(bits >> shift));
            return;
        }
    }
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

int BytesPerSample(SampleFormat format) {
    switch (format) {
        case SampleFormat::UInt8: return 1;
        case SampleFormat::Int16: return 2;
        case SampleFormat::Int24: return 3;
        case SampleFormat::Int32:
        case SampleFormat::Float32: return 4;
    }
    return 0;
}

std::optional<WavSound> ReadWav(std::span<const std::uint8_t> bytes, WavRefusal* refusal) {
    WavRefusal why = WavRefusal::Broken;
    if (refusal) *refusal = why;
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
            format = ReadFormat(bytes.subspan(body, length), why);
            if (!format) {
                if (refusal) *refusal = why;
                return std::nullopt;
            }
        } else if (IdIs(bytes, at, "data") && !data) {
            data = bytes.subspan(body, length);
        }
        pos = body + declared + (declared & 1);  // chunks are padded to even sizes
    }
    if (!format || !data) return std::nullopt;

    WavSound sound;
    sound.channels = format->channels;
    sound.sampleRate = format->sampleRate;
    sound.format = format->sample;
    const std::size_t frame = static_cast<std::size_t>(sound.bytesPerFrame());
    const std::size_t whole = data->size() / frame * frame;
    sound.samples.assign(data->begin(), data->begin() + static_cast<std::ptrdiff_t>(whole));
    return sound;
}

std::vector<std::uint8_t> ConvertSamples(const WavSound& sound, SampleFormat to, int toChannels) {
    std::vector<std::uint8_t> out;
    const std::size_t frames = sound.frameCount();
    const int width = BytesPerSample(sound.format);
    out.reserve(frames * static_cast<std::size_t>(toChannels * BytesPerSample(to)));
    const std::uint8_t* p = sound.samples.data();
    for (std::size_t f = 0; f < frames; ++f, p += sound.bytesPerFrame()) {
        const std::int32_t left = Decode(p, sound.format);
        const std::int32_t right = sound.channels == 2 ? Decode(p + width, sound.format) : left;
        if (toChannels == 2) {
            Encode(left, to, out);
            Encode(right, to, out);
        } else {
            Encode(static_cast<std::int32_t>((std::int64_t{left} + right) / 2), to, out);
        }
    }
    return out;
}

}  // namespace tmf::qt
