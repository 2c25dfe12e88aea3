#include "platform/Sound.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// A short silent 8 kHz mono WAV file.
void WriteWave(const std::string& path) {
    const uint32_t samples = 800;
    auto le32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    auto le16 = [](uint16_t v) { return std::string{char(v), char(v >> 8)}; };
    std::string data = "RIFF" + le32(36 + samples) + "WAVEfmt " + le32(16) + le16(1) + le16(1) + le32(8000) +
                       le32(8000) + le16(1) + le16(8) + "data" + le32(samples) + std::string(samples, '\x80');
    std::ofstream(path, std::ios::binary) << data;
}

} // namespace

TEST(SoundTest, OnlyRegularFilesUpToTheCapArePlayable) {
    CTempFolder folder;
    const std::string wave = folder / "ring.wav";
    WriteWave(wave);
    EXPECT_TRUE(CSound::IsPlayableFile(wave));
    ASSERT_EQ(symlink(wave.c_str(), (folder / "link.wav").c_str()), 0);
    EXPECT_TRUE(CSound::IsPlayableFile(folder / "link.wav"));

    EXPECT_FALSE(CSound::IsPlayableFile(""));
    EXPECT_FALSE(CSound::IsPlayableFile(folder / "missing.wav"));
    EXPECT_FALSE(CSound::IsPlayableFile(folder.Path()));
    ASSERT_EQ(mkfifo((folder / "pipe.wav").c_str(), 0600), 0);
    EXPECT_FALSE(CSound::IsPlayableFile(folder / "pipe.wav"));
    EXPECT_FALSE(CSound::IsPlayableFile("/dev/zero"));

    // Sparse files: the size counts, not the blocks.
    const std::string atCap = folder / "at-cap.wav";
    const std::string overCap = folder / "over-cap.wav";
    ASSERT_EQ(truncate((std::ofstream(atCap), atCap).c_str(), CSound::kMaxWaveBytes), 0);
    ASSERT_EQ(truncate((std::ofstream(overCap), overCap).c_str(), CSound::kMaxWaveBytes + 1), 0);
    EXPECT_TRUE(CSound::IsPlayableFile(atCap));
    EXPECT_FALSE(CSound::IsPlayableFile(overCap));
}

TEST(SoundTest, UnplayablePathsAreRefusedWithoutHangingTheWorker) {
    CTempFolder folder;
    ASSERT_EQ(mkfifo((folder / "pipe.wav").c_str(), 0600), 0);
    CSound sound;
    EXPECT_EQ(sound.LastOutcome(), CSound::EOutcome::None);
    // Opening a FIFO with no writer would block for ever: a hang shows as a time-out here.
    for (const std::string& path :
         {folder / "pipe.wav", folder.Path(), folder / "missing.wav", std::string("/dev/zero")}) {
        const auto start = Clock::now();
        sound.PlayFile(path);
        EXPECT_LT(Clock::now() - start, 1s) << "the caller waited for " << path;
        ASSERT_TRUE(sound.WaitIdle(10s)) << path;
        EXPECT_EQ(sound.LastOutcome(), CSound::EOutcome::Refused) << path;
    }
}

TEST(SoundTest, WaveFilesAndBeepsAreHandledWhetherOrNotASoundSystemExists) {
    CTempFolder folder;
    WriteWave(folder / "ring.wav");
    CSound sound;
    sound.PlayFile(folder / "ring.wav");
    ASSERT_TRUE(sound.WaitIdle(10s));
    const CSound::EOutcome played = sound.LastOutcome();
    EXPECT_TRUE(played == CSound::EOutcome::Played || played == CSound::EOutcome::Silent);
    sound.Beep();
    ASSERT_TRUE(sound.WaitIdle(10s));
    EXPECT_NE(sound.LastOutcome(), CSound::EOutcome::Refused);
    EXPECT_NE(sound.LastOutcome(), CSound::EOutcome::None);
}

TEST(SoundTest, BurstsAreBoundedAndDestructionDoesNotWaitForThem) {
    const auto start = Clock::now();
    {
        CSound sound;
        for (int i = 0; i < 100; ++i)
            sound.Beep();
    }
    EXPECT_LT(Clock::now() - start, CSound::kStopWait + 2s);
}
