// The WAV reader: what it takes, what it refuses, and the running time it
// reports, which bounds how long a waiting sound may keep the program.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <optional>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "WavFile.h"

using tmf::qt::ConvertSamples;
using tmf::qt::ReadWav;
using tmf::qt::SampleFormat;
using tmf::qt::WavRefusal;
using tmf::qt::WavSound;

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v & 0xFF));
    b.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

void PutId(Bytes& b, const char* id) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(id[i]));
}

void Chunk(Bytes& b, const char* id, const Bytes& body, std::uint32_t declared) {
    PutId(b, id);
    Put32(b, declared);
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() % 2) b.push_back(0);
}

void Chunk(Bytes& b, const char* id, const Bytes& body) {
    Chunk(b, id, body, static_cast<std::uint32_t>(body.size()));
}

Bytes Fmt(unsigned tag, unsigned channels, std::uint32_t rate, unsigned bits) {
    Bytes f;
    Put16(f, tag);
    Put16(f, channels);
    Put32(f, rate);
    Put32(f, rate * channels * bits / 8);
    Put16(f, channels * bits / 8);
    Put16(f, bits);
    return f;
}

Bytes Riff(const Bytes& chunks) {
    Bytes b;
    PutId(b, "RIFF");
    Put32(b, static_cast<std::uint32_t>(chunks.size() + 4));
    PutId(b, "WAVE");
    b.insert(b.end(), chunks.begin(), chunks.end());
    return b;
}

Bytes Wav(unsigned channels, std::uint32_t rate, unsigned bits, std::size_t dataBytes) {
    Bytes chunks;
    Chunk(chunks, "fmt ", Fmt(1, channels, rate, bits));
    Chunk(chunks, "data", Bytes(dataBytes, 0x80));
    return Riff(chunks);
}

Bytes ExtensibleFmt(unsigned subFormat, unsigned bits = 16) {
    Bytes f = Fmt(0xFFFE, 2, 44100, bits);
    Put16(f, 22);  // size of the extension
    Put16(f, bits);  // valid bits
    Put32(f, 3);   // channel mask
    Put16(f, subFormat);
    f.resize(40, 0x11);  // the rest of the GUID
    return f;
}

}  // namespace

TEST(PlatformWavReader, ReadsSixteenBitMonoWithFormatAndDuration) {
    const auto sound = ReadWav(Wav(1, 22050, 16, 22050 * 2));
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->channels, 1);
    EXPECT_EQ(sound->sampleRate, 22050);
    EXPECT_EQ(sound->bitsPerSample(), 16);
    EXPECT_EQ(sound->frameCount(), 22050u);
    EXPECT_EQ(sound->duration().count(), 1000);
}

TEST(PlatformWavReader, ReadsEightBitStereoFramesOfTwoBytes) {
    const auto sound = ReadWav(Wav(2, 8000, 8, 4000));
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->bytesPerFrame(), 2);
    EXPECT_EQ(sound->frameCount(), 2000u);
    EXPECT_EQ(sound->duration().count(), 250);
}

TEST(PlatformWavReader, RoundsAPartMillisecondUpSoThatWaitingNeverEndsEarly) {
    const auto sound = ReadWav(Wav(1, 22050, 16, 2));
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->duration().count(), 1);
}

TEST(PlatformWavReader, AcceptsAnEmptyDataChunkAsASoundOfNoLength) {
    const auto sound = ReadWav(Wav(1, 22050, 16, 0));
    ASSERT_TRUE(sound);
    EXPECT_TRUE(sound->samples.empty());
    EXPECT_EQ(sound->duration().count(), 0);
}

TEST(PlatformWavReader, SkipsOtherChunksIncludingOddSizedOnesWithTheirPadByte) {
    Bytes chunks;
    Chunk(chunks, "LIST", Bytes(7, 'x'));  // odd: one pad byte follows
    Chunk(chunks, "fmt ", Fmt(1, 1, 11025, 16));
    Chunk(chunks, "fact", Bytes{1, 2, 3, 4});
    Bytes data;
    for (int i = 0; i < 8; ++i) data.push_back(static_cast<std::uint8_t>(i));
    Chunk(chunks, "data", data);
    Chunk(chunks, "id3 ", Bytes(5, 0));
    const auto sound = ReadWav(Riff(chunks));
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->sampleRate, 11025);
    EXPECT_EQ(sound->samples, data);
}

TEST(PlatformWavReader, TakesTheFormatChunkEvenWhenItFollowsTheData) {
    Bytes chunks;
    Chunk(chunks, "data", Bytes(6, 0));
    Chunk(chunks, "fmt ", Fmt(1, 1, 8000, 16));
    const auto sound = ReadWav(Riff(chunks));
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->frameCount(), 3u);
}

TEST(PlatformWavReader, CutsATruncatedDataChunkToTheWholeFramesPresent) {
    Bytes chunks;
    Chunk(chunks, "fmt ", Fmt(1, 1, 22050, 16));
    Chunk(chunks, "data", Bytes(101, 0), 1000);  // claims 1000 bytes, holds 101
    Bytes file = Riff(chunks);
    file.pop_back();  // Chunk() padded the odd body; a cut file has no pad
    const auto sound = ReadWav(file);
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->samples.size(), 100u);
    EXPECT_EQ(sound->frameCount(), 50u);
}

TEST(PlatformWavReader, ReadsADataChunkOfUnknownLengthToTheEndOfTheFile) {
    Bytes chunks;
    Chunk(chunks, "fmt ", Fmt(1, 2, 22050, 16));
    Chunk(chunks, "data", Bytes(40, 0), 0xFFFFFFFFu);
    const auto sound = ReadWav(Riff(chunks));
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->frameCount(), 10u);
}

TEST(PlatformWavReader, AcceptsTheExtensibleHeaderWhenItsSubFormatIsPcmOrFloat) {
    Bytes pcm, floats;
    Chunk(pcm, "fmt ", ExtensibleFmt(1));
    Chunk(pcm, "data", Bytes(8, 0));
    Chunk(floats, "fmt ", ExtensibleFmt(3));
    Chunk(floats, "data", Bytes(8, 0));
    const auto sound = ReadWav(Riff(pcm));
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->channels, 2);
    EXPECT_FALSE(ReadWav(Riff(floats))) << "16-bit floats do not exist";
    Bytes floats32;
    Chunk(floats32, "fmt ", ExtensibleFmt(3, 32));
    Chunk(floats32, "data", Bytes(8, 0));
    const auto floatSound = ReadWav(Riff(floats32));
    ASSERT_TRUE(floatSound);
    EXPECT_EQ(floatSound->format, SampleFormat::Float32);
    EXPECT_EQ(floatSound->frameCount(), 1u);

}

TEST(PlatformWavReader, RefusesWhatIsNotAPlayablePcmFile) {
    const std::string text = "Dies ist keine Klangdatei, nur Text.";
    EXPECT_FALSE(ReadWav(Bytes(text.begin(), text.end()))) << "garbage";
    EXPECT_FALSE(ReadWav(Bytes{})) << "empty";
    Bytes riffOnly = Riff({});
    EXPECT_FALSE(ReadWav(riffOnly)) << "no chunks";
    Bytes avi = Wav(1, 22050, 16, 4);
    avi[8] = 'A', avi[9] = 'V', avi[10] = 'I', avi[11] = ' ';
    EXPECT_FALSE(ReadWav(avi)) << "RIFF but not WAVE";

    auto withFmt = [](const Bytes& fmt) {
        Bytes chunks;
        Chunk(chunks, "fmt ", fmt);
        Chunk(chunks, "data", Bytes(12, 0));
        return Riff(chunks);
    };
    // Sound encodings we do not decode are told apart from broken files.
    auto refusal = [](const Bytes& file) {
        WavRefusal why{};
        return ReadWav(file, &why) ? std::optional<WavRefusal>() : std::optional(why);
    };
    EXPECT_EQ(refusal(withFmt(Fmt(3, 1, 22050, 64))), WavRefusal::Unplayable) << "64-bit float";
    EXPECT_EQ(refusal(withFmt(Fmt(2, 1, 22050, 4))), WavRefusal::Unplayable) << "ADPCM";
    EXPECT_EQ(refusal(withFmt(Fmt(1, 1, 22050, 12))), WavRefusal::Unplayable) << "12 bits";
    EXPECT_EQ(refusal(withFmt(Fmt(1, 6, 22050, 16))), WavRefusal::Unplayable) << "six channels";
    EXPECT_EQ(refusal(withFmt(Fmt(1, 0, 22050, 16))), WavRefusal::Broken) << "no channels";
    EXPECT_EQ(refusal(withFmt(Fmt(1, 1, 0, 16))), WavRefusal::Broken) << "rate 0";
    EXPECT_EQ(refusal(Bytes(text.begin(), text.end())), WavRefusal::Broken) << "garbage";
    Bytes shortFmt = Fmt(1, 1, 22050, 16);
    shortFmt.resize(12);
    EXPECT_FALSE(ReadWav(withFmt(shortFmt))) << "format chunk too short";

    Bytes noData;
    Chunk(noData, "fmt ", Fmt(1, 1, 22050, 16));
    EXPECT_FALSE(ReadWav(Riff(noData))) << "no data chunk";
    Bytes noFmt;
    Chunk(noFmt, "data", Bytes(10, 0));
    EXPECT_FALSE(ReadWav(Riff(noFmt))) << "no format chunk";
}

TEST(PlatformWavReader, SurvivesChunkSizesNearTheFourGigabyteLimit) {
    Bytes chunks;
    Chunk(chunks, "LIST", Bytes(4, 0), 0xFFFFFFF0u);  // would wrap a 32-bit position
    Chunk(chunks, "fmt ", Fmt(1, 1, 22050, 16));
    Chunk(chunks, "data", Bytes(10, 0));
    EXPECT_FALSE(ReadWav(Riff(chunks)));
    Bytes bigFmt;
    Chunk(bigFmt, "fmt ", Fmt(1, 1, 22050, 16), 0xFFFFFFFFu);
    EXPECT_FALSE(ReadWav(Riff(bigFmt)));
}

TEST(PlatformWavReader, EveryShippedSoundIsSixteenBitMonoAndShort) {
    const auto folder = std::filesystem::path(TMF_SOURCE_DIR) / "data/musik";
    for (const char* name : {"Hinweis", "tata", "fehler", "close"}) {
        std::ifstream in(folder / (std::string(name) + ".wav"), std::ios::binary);
        ASSERT_TRUE(in) << name;
        const Bytes bytes{std::istreambuf_iterator<char>(in), {}};
        const auto sound = ReadWav(bytes);
        ASSERT_TRUE(sound) << name;
        EXPECT_EQ(sound->channels, 1) << name;
        EXPECT_EQ(sound->bitsPerSample(), 16) << name;
        EXPECT_EQ(sound->sampleRate, 22050) << name;
        EXPECT_GT(sound->duration().count(), 200) << name;
        EXPECT_LT(sound->duration().count(), 1500) << name;
    }
}

// Every encoding a user's sound file may have, turned into what a sink
// takes: the same fraction of full scale, mono spread to both sides and
// stereo mixed down.
TEST(PlatformWavReader, DecodesEveryCommonEncodingToTheSameLoudness) {
    auto le = [](std::uint32_t v, int bytes) {
        Bytes b;
        for (int i = 0; i < bytes; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        return b;
    };
    auto floatBytes = [&](float f) { return le(std::bit_cast<std::uint32_t>(f), 4); };
    // One stereo frame: half of full scale left, minus a quarter right.
    const struct {
        unsigned tag, bits;
        SampleFormat format;
        Bytes left, right;
    } cases[] = {
        {1, 8, SampleFormat::UInt8, {0xC0}, {0x60}},
        {1, 16, SampleFormat::Int16, le(0x4000, 2), le(0xE000, 2)},
        {1, 24, SampleFormat::Int24, le(0x400000, 3), le(0xE00000, 3)},
        {1, 32, SampleFormat::Int32, le(0x40000000, 4), le(0xE0000000, 4)},
        {3, 32, SampleFormat::Float32, floatBytes(0.5f), floatBytes(-0.25f)},
    };
    for (const auto& c : cases) {
        Bytes frame = c.left;
        frame.insert(frame.end(), c.right.begin(), c.right.end());
        Bytes chunks;
        Chunk(chunks, "fmt ", Fmt(c.tag, 2, 48000, c.bits));
        Chunk(chunks, "data", frame);
        const auto sound = ReadWav(Riff(chunks));
        ASSERT_TRUE(sound) << c.bits;
        EXPECT_EQ(sound->format, c.format) << c.bits;
        EXPECT_EQ(sound->frameCount(), 1u) << c.bits;
        Bytes stereo16 = le(0x4000, 2), right16 = le(0xE000, 2);
        stereo16.insert(stereo16.end(), right16.begin(), right16.end());
        EXPECT_EQ(ConvertSamples(*sound, SampleFormat::Int16, 2), stereo16) << c.bits;
        EXPECT_EQ(ConvertSamples(*sound, SampleFormat::Int16, 1), le(0x1000, 2)) << c.bits;  // (1/2 - 1/4) / 2
        Bytes floats = floatBytes(0.5f), rightFloat = floatBytes(-0.25f);
        floats.insert(floats.end(), rightFloat.begin(), rightFloat.end());
        EXPECT_EQ(ConvertSamples(*sound, SampleFormat::Float32, 2), floats) << c.bits;
        // Mono to stereo: the one sample on both sides.
        WavSound mono = *sound;
        mono.channels = 1;
        EXPECT_EQ(ConvertSamples(mono, SampleFormat::UInt8, 2), (Bytes{0xC0, 0xC0, 0x60, 0x60})) << c.bits;
    }
}

TEST(PlatformWavReader, FloatsBeyondFullScaleAreClippedAndNotANumberIsSilence) {
    WavSound sound;
    sound.channels = 1;
    sound.sampleRate = 8000;
    sound.format = SampleFormat::Float32;
    for (float f : {1.5f, -3.0f, std::numeric_limits<float>::quiet_NaN(), 1.0f}) {
        const auto bits = std::bit_cast<std::uint32_t>(f);
        for (int i = 0; i < 4; ++i) sound.samples.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    }
    EXPECT_EQ(ConvertSamples(sound, SampleFormat::Int16, 1), (Bytes{0xFF, 0x7F, 0x00, 0x80, 0x00, 0x00, 0xFF, 0x7F}));
}
