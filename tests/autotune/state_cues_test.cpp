#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "autotune/state_cues.h"
#include "support/temp_dir.h"

namespace orvel {
namespace {

// A PCM WAV file: 8 kHz, 16-bit mono (16000 bytes a second), with an extra
// chunk before the sound so the chunk walk is exercised.
void WriteWav(const std::filesystem::path& path, std::uint32_t dataBytes) {
  const auto le32 = [](std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
      out.push_back(static_cast<char>((v >> (8 * i)) & 0xFFU));
    }
  };
  const auto le16 = [](std::string& out, std::uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFFU));
    out.push_back(static_cast<char>(v >> 8U));
  };
  std::string bytes = "RIFF";
  le32(bytes, 0);
  bytes += "WAVEfmt ";
  le32(bytes, 16);
  le16(bytes, 1);
  le16(bytes, 1);
  le32(bytes, 8000);
  le32(bytes, 16000);
  le16(bytes, 2);
  le16(bytes, 16);
  bytes += "LIST";
  le32(bytes, 3);
  bytes += "abc";
  bytes.push_back('\0');  // pad byte of the odd chunk
  bytes += "data";
  le32(bytes, dataBytes);
  bytes.append(dataBytes, '\0');
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(WavDuration, ComesFromTheDataLengthAndByteRate) {
  test::TempDir folder;
  WriteWav(folder.Path() / "half.wav", 8000);
  EXPECT_EQ(WavDuration(folder.Path() / "half.wav"), std::chrono::milliseconds{500});
  EXPECT_EQ(WavDuration(folder.Path() / "missing.wav"), std::nullopt);
  std::ofstream(folder.Path() / "text.wav") << "not a sound file at all";
  EXPECT_EQ(WavDuration(folder.Path() / "text.wav"), std::nullopt);
  // A FIFO under a cue's name is refused at once, never waited on.
  ASSERT_EQ(::mkfifo((folder.Path() / "fifo.wav").c_str(), 0600), 0);
  EXPECT_EQ(WavDuration(folder.Path() / "fifo.wav"), std::nullopt);
}

struct Recorder final : CuePlayer {
  [[nodiscard]] bool StillPlaying() const override { return Sounding; }
  void Play(const std::string& path) override { Played.push_back(path); }
  bool Sounding = false;
  std::vector<std::string> Played;
};

TEST(StateCues, FolderIsJoinedAsItIsAndABusyPlayerDropsTheCue) {
  Recorder player;
  StateCues cues(player);
  cues.SetFolder("Sound/Ru/");
  cues.Play(Rgb(0xFF, 0, 0));
  player.Sounding = true;
  cues.Play(Rgb(0, 0x80, 0));
  player.Sounding = false;
  cues.Play(Rgb(0xED, 0xF0, 0x6C));  // idle: no cue
  EXPECT_EQ(player.Played, std::vector<std::string>{"Sound/Ru/puls.wav"});
}

}  // namespace
}  // namespace orvel
