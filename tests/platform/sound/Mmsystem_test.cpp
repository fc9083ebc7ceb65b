#include "platform/sound/Mmsystem.h"
#include "skin/Wavctrl.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <future>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

std::string Le(uint32_t v, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i)
    s += static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}

std::string Chunk(const std::string& id, const std::string& body) {
  return id + Le(static_cast<uint32_t>(body.size()), 4) + body + std::string(body.size() % 2, '\0');
}

std::string Format(unsigned tag, unsigned channels, unsigned rate, unsigned bits) {
  const unsigned block = channels * bits / 8;
  return Le(tag, 2) + Le(channels, 2) + Le(rate, 4) + Le(rate * block, 4) + Le(block, 2) +
         Le(bits, 2);
}

std::string Riff(const std::string& chunks) {
  return "RIFF" + Le(static_cast<uint32_t>(4 + chunks.size()), 4) + "WAVE" + chunks;
}

std::string Samples(size_t bytes) {
  std::string s;
  for (size_t i = 0; i < bytes; ++i)
    s += static_cast<char>((i * 7 + 3) & 0xFF);
  return s;
}

// Every sound goes to ALSA's null device through a file tap, so the test sees
// exactly the samples that were played.
class SoundTest : public ::testing::Test {
protected:
  void SetUp() override {
    UseDevice("type file\n slave.pcm { type null }\n file \"" + Out() + "\"\n format \"raw\"");
  }
  void TearDown() override { sndPlaySoundA(nullptr, 0); }

  void UseDevice(const std::string& body) {
    ::setenv("ALSA_CONFIG_PATH",
             dir.Write("asound.conf", "pcm.!default {\n " + body + "\n}\n").c_str(), 1);
  }
  std::string Out() const { return dir.File("out.raw"); }
  std::string Played() const { return ReadFileBytes(Out()); }
  // Waits until the tap holds at least bytes, or a second has passed.
  // A stop does not wait for the sound's thread: what it had handed to the
  // device still lands. Waits until nothing more comes for 60 ms.
  size_t PlayedWhenSettled() const {
    size_t size = Played().size();
    for (int i = 0; i < 40; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(60));
      if (Played().size() == size)
        return size;
      size = Played().size();
    }
    return size;
  }
  std::string PlayedAtLeast(size_t bytes) const {
    for (int i = 0; i < 200 && Played().size() < bytes; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return Played();
  }

  TTempDir dir;
};

} // namespace

TEST_F(SoundTest, SynchronousPlayHandsTheSamplesToTheDevice) {
  struct Case {
    const char* name;
    unsigned tag, channels, rate, bits;
    size_t bytes;
  };
  const Case cases[] = {
      {"8-bit mono", 1, 1, 8000, 8, 800},
      {"16-bit stereo", 1, 2, 22050, 16, 1764},
      {"24-bit mono", 1, 1, 16000, 24, 960},
      {"float stereo", 3, 2, 8000, 32, 1280},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(Out());
    const std::string data = Samples(c.bytes);
    // A chunk of another kind with an odd size comes first and is skipped.
    const std::string wave = Riff(Chunk("fmt ", Format(c.tag, c.channels, c.rate, c.bits)) +
                                  Chunk("LIST", "abc") + Chunk("data", data));
    EXPECT_TRUE(sndPlaySoundA(wave.data(), SND_MEMORY | SND_NODEFAULT)) << c.name;
    const std::string played = Played(); // synchronous: all there on return
    EXPECT_EQ(played.size(), data.size()) << c.name;
    EXPECT_TRUE(played == data) << c.name;
  }
}

TEST_F(SoundTest, AsynchronousPlayUsesItsOwnCopy) {
  const std::string data = Samples(1600);
  auto* wave = new std::string(Riff(Chunk("fmt ", Format(1, 1, 8000, 16)) + Chunk("data", data)));
  EXPECT_TRUE(sndPlaySoundMemory(wave->data(), wave->size(), SND_MEMORY | SND_ASYNC));
  std::fill(wave->begin(), wave->end(), '\0');
  delete wave;
  EXPECT_TRUE(PlayedAtLeast(data.size()) == data);
}

TEST_F(SoundTest, LoopPlaysUntilStoppedAndNoStopRefuses) {
  const std::string data = Samples(320); // 20 ms
  const std::string wave = Riff(Chunk("fmt ", Format(1, 1, 8000, 16)) + Chunk("data", data));
  // Loop implies asynchronous: the call returns while the sound repeats.
  EXPECT_TRUE(sndPlaySoundMemory(wave.data(), wave.size(), SND_MEMORY | SND_LOOP));
  const std::string looped = PlayedAtLeast(3 * data.size());
  ASSERT_GE(looped.size(), 3 * data.size());
  EXPECT_TRUE(looped.substr(0, 3 * data.size()) == data + data + data);

  EXPECT_FALSE(sndPlaySoundMemory(wave.data(), wave.size(), SND_MEMORY | SND_NOSTOP));
  EXPECT_TRUE(sndPlaySoundA(nullptr, 0));
  const size_t stopped = PlayedWhenSettled();
  std::this_thread::sleep_for(std::chrono::milliseconds(80));
  EXPECT_EQ(Played().size(), stopped);
  // Nothing plays now, so no-stop may start a sound.
  EXPECT_TRUE(sndPlaySoundMemory(wave.data(), wave.size(), SND_MEMORY | SND_NOSTOP));
}

TEST_F(SoundTest, AnEmptyBlockStopsTheSoundThatPlays) {
  const std::string data = Samples(16000); // a second
  const std::string wave = Riff(Chunk("fmt ", Format(1, 1, 8000, 16)) + Chunk("data", data));
  EXPECT_TRUE(sndPlaySoundMemory(wave.data(), wave.size(), SND_MEMORY | SND_ASYNC));
  PlayedAtLeast(320);
  EXPECT_FALSE(sndPlaySoundMemory(wave.data(), 0, SND_MEMORY | SND_ASYNC));
  const size_t stopped = PlayedWhenSettled();
  std::this_thread::sleep_for(std::chrono::milliseconds(80));
  EXPECT_EQ(Played().size(), stopped);
  EXPECT_LT(stopped, data.size());
}

TEST_F(SoundTest, DamagedWavesAreRefused) {
  const std::string fmt16 = Chunk("fmt ", Format(1, 1, 8000, 16));
  const std::string data = Chunk("data", Samples(64));
  struct Case {
    const char* name;
    std::string wave;
  };
  const Case cases[] = {
      {"not a riff file", "RIFX" + Riff(fmt16 + data).substr(4)},
      {"not a wave", Riff(fmt16 + data).replace(8, 4, "AVI ")},
      {"no format", Riff(data)},
      {"data before format", Riff(data + fmt16)},
      {"short format", Riff(Chunk("fmt ", Format(1, 1, 8000, 16).substr(0, 12)) + data)},
      {"compressed", Riff(Chunk("fmt ", Format(2, 1, 8000, 16)) + data)},
      {"12-bit samples", Riff(Chunk("fmt ", Format(1, 1, 8000, 12)) + data)},
      {"no channels", Riff(Chunk("fmt ", Format(1, 0, 8000, 16)) + data)},
      {"absurd rate", Riff(Chunk("fmt ", Format(1, 1, 5, 16)) + data)},
      {"no data", Riff(fmt16)},
      {"empty data", Riff(fmt16 + Chunk("data", ""))},
      {"format beyond the end", Riff(fmt16).substr(0, 30)},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(sndPlaySoundMemory(c.wave.data(), c.wave.size(), SND_MEMORY)) << c.name;
    EXPECT_FALSE(std::filesystem::exists(Out())) << c.name << " reached the device";
  }
  EXPECT_FALSE(sndPlaySoundA(dir.File("missing.wav").c_str(), SND_SYNC));
}

TEST_F(SoundTest, TruncatedDataPlaysWhatThereIs) {
  // The data chunk claims more than the file holds, as from a cut download.
  const std::string samples = Samples(401);
  std::string wave = Riff(Chunk("fmt ", Format(1, 1, 8000, 16)) + "data" + Le(100000, 4) + samples);
  EXPECT_TRUE(sndPlaySoundMemory(wave.data(), wave.size(), SND_MEMORY));
  EXPECT_TRUE(Played() == samples.substr(0, 400)); // whole frames only
}

TEST_F(SoundTest, FilesPlayByName) {
  const std::string data = Samples(400);
  const std::string path =
      dir.Write("beep.wav", Riff(Chunk("fmt ", Format(1, 1, 8000, 16)) + Chunk("data", data)));
  EXPECT_TRUE(sndPlaySoundA(path.c_str(), SND_SYNC));
  EXPECT_TRUE(Played() == data);
}

TEST_F(SoundTest, NoDeviceMeansSilence) {
  UseDevice("type hw\n card 99");
  const std::string wave =
      Riff(Chunk("fmt ", Format(1, 1, 8000, 16)) + Chunk("data", Samples(160000)));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(sndPlaySoundMemory(wave.data(), wave.size(), SND_MEMORY));
  // Ten seconds of sound that cannot play do not hold the caller for them;
  // half of them is room for a loaded machine.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// A device that does not answer: its samples go to a pipe that nobody reads
// yet, so the sound's thread hangs in the device as long as the test wants.
class StuckDeviceTest : public SoundTest {
protected:
  void SetUp() override {
    std::signal(SIGPIPE, SIG_IGN);
    fifo = dir.File("stuck.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    UseDevice("type file\n slave.pcm { type null }\n file \"" + fifo + "\"\n format \"raw\"");
  }
  // Lets the stuck threads through and waits until a new sound plays at once.
  void TearDown() override {
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    char sink[4096];
    for (int i = 0; i < 100; ++i) {
      while (::read(reader, sink, sizeof sink) > 0) {
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ::close(reader);
    SoundTest::TearDown();
  }
  // Runs call on a thread of its own; true when it came back within the limit.
  // A call that hangs is let go by TearDown, before the futures are waited for.
  bool ReturnsAtOnce(std::function<void()> call) {
    calls.push_back(std::async(std::launch::async, std::move(call)));
    return calls.back().wait_for(std::chrono::milliseconds(500)) == std::future_status::ready;
  }
  std::string fifo;
  std::vector<std::future<void>> calls;
};

TEST_F(StuckDeviceTest, NeitherANewSoundNorAStopWaitsForTheOldOne) {
  const std::string wave =
      Riff(Chunk("fmt ", Format(1, 1, 8000, 16)) + Chunk("data", Samples(1600)));
  const auto play = [&] { sndPlaySoundMemory(wave.data(), wave.size(), SND_MEMORY | SND_ASYNC); };
  EXPECT_TRUE(ReturnsAtOnce(play));
  std::this_thread::sleep_for(std::chrono::milliseconds(50)); // the thread is in the device
  EXPECT_TRUE(ReturnsAtOnce(play)) << "a new beep waited for the stuck one";
  EXPECT_TRUE(ReturnsAtOnce([] { sndPlaySoundA(nullptr, 0); })) << "the stop waited";
}

TEST_F(StuckDeviceTest, TheAsynchronousPlayerOptionReachesTheSoundLayer) {
  const std::string wave =
      Riff(Chunk("fmt ", Format(1, 1, 8000, 16)) + Chunk("data", Samples(1600)));
  TepWavePlayer player(nullptr);
  player.Wave()->Data()->Write(wave.data(), static_cast<int>(wave.size()));
  player.SetOptions(TepWavePlayOpts{wpoAsync});
  EXPECT_TRUE(ReturnsAtOnce([&] { player.Play(); }));
  EXPECT_TRUE(ReturnsAtOnce([&] { player.Play(); }));
  EXPECT_TRUE(ReturnsAtOnce([&] { player.Abort(); }));
}
