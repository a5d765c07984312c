// Playing sounds: the answers the core relies on ("Sound defekt !" only for
// a broken file), and that a waiting sound never holds the program up on a
// machine without an audio device.
#include <gtest/gtest.h>

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QMediaDevices>

#include <filesystem>

#include "QtSound.h"
#include "TempDir.h"

using tmf::qt::QtSound;

namespace {

std::string ShippedSound(const char* name) {
    return (std::filesystem::path(TMF_SOURCE_DIR) / "data/musik" / name)
        .lexically_normal()
        .string();
}

}  // namespace

TEST(PlatformSound, AMissingFileIsNoErrorWhetherWaitingOrNot) {
    tmf::test::TempDir dir;
    QtSound sound;
    EXPECT_TRUE(sound.Play(dir.file("gibtsnicht.wav"), true));
    EXPECT_TRUE(sound.Play(dir.file("gibtsnicht.wav"), false));
}

TEST(PlatformSound, AFileThatIsNoWavIsReportedAsBroken) {
    tmf::test::TempDir dir;
    dir.write("kaputt.wav", "RIFF\x10\0\0\0WAVEjunkjunkjunk");
    dir.write("text.wav", "nur Text");
    dir.write("leer.wav", "");
    QtSound sound;
    EXPECT_FALSE(sound.Play(dir.file("kaputt.wav"), true));
    EXPECT_FALSE(sound.Play(dir.file("text.wav"), false));
    EXPECT_FALSE(sound.Play(dir.file("leer.wav"), true));
}

TEST(PlatformSound, ASoundInAnEncodingWeCannotPlayStaysSilent) {
    tmf::test::TempDir dir;
    // RIFF, WAVE, a format chunk for ADPCM and two bytes of data.
    const std::string adpcm("RIFF\x26\0\0\0WAVEfmt \x10\0\0\0\x02\0\x01\0\x22\x56\0\0\x44\xAC\0\0\x02\0\x04\0"
                            "data\x02\0\0\0\0\0",
                            46);
    dir.write("adpcm.wav", adpcm);
    // 24-bit stereo, a few silent frames: played, or silently skipped without a device.
    const std::string wide("RIFF\x2A\0\0\0WAVEfmt \x10\0\0\0\x01\0\x02\0\x80\xBB\0\0\x00\x65\x04\0\x06\0\x18\0"
                           "data\x06\0\0\0\0\0\0\0\0\0",
                           50);
    dir.write("breit.wav", wide);
    QtSound sound;
    EXPECT_TRUE(sound.Play(dir.file("adpcm.wav"), true));
    EXPECT_TRUE(sound.Play(dir.file("breit.wav"), true));
}

TEST(PlatformSound, AFolderInPlaceOfTheFileIsReportedAsBroken) {
    tmf::test::TempDir dir;
    std::filesystem::create_directory(dir.file("Hinweis.wav"));
    QtSound sound;
    EXPECT_FALSE(sound.Play(dir.file("Hinweis.wav"), true));
}

TEST(PlatformSound, TheShippedChimePlaysWithoutHoldingTheProgramUp) {
    const std::string chime = ShippedSound("Hinweis.wav");
    ASSERT_TRUE(std::filesystem::exists(chime)) << chime;
    QtSound sound;
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(sound.Play(chime, true));
    // Without a device: at once. With one: the chime's length, under a second.
    EXPECT_LT(timer.elapsed(), 5000);
    if (QMediaDevices::audioOutputs().isEmpty()) {
        EXPECT_LT(timer.elapsed(), 1000);
    }

    timer.restart();
    EXPECT_TRUE(sound.Play(ShippedSound("tata.wav"), false));
    EXPECT_TRUE(sound.Play(ShippedSound("close.wav"), false));
    EXPECT_LT(timer.elapsed(), 1000);
}
