// The wave player: a wave file stored in a layout, played through the sound
// layer onto ALSA's null device, whose file tap shows what was played.
#include "skin/Wavctrl.h"

#include "platform/rtl/Stringlist.h"
#include "platform/sound/Mmsystem.h"
#include "platform/ui/Layout.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string Le(uint32_t v, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i)
    s += static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}

// A 16-bit mono wave file at 8000 Hz (16 bytes a millisecond). dataSize,
// when given, is what the data chunk claims instead of its true size.
std::string WaveFile(const std::string& samples, uint32_t dataSize = 0) {
  const std::string format =
      Le(1, 2) + Le(1, 2) + Le(8000, 4) + Le(16000, 4) + Le(2, 2) + Le(16, 2);
  const std::string body = "WAVEfmt " + Le(16, 4) + format + "data" +
                           Le(dataSize != 0 ? dataSize : uint32_t(samples.size()), 4) + samples;
  return "RIFF" + Le(uint32_t(body.size()), 4) + body;
}

std::string Samples(size_t bytes, char value) {
  return std::string(bytes, value);
}

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

std::string Bytes(const TepWave& wave) {
  TMemoryStream* data = wave.Data();
  return std::string(reinterpret_cast<const char*>(data->Memory()), size_t(data->Size()));
}

void SetBytes(TepWave& wave, const std::string& bytes) {
  TMemoryStream source;
  source.WriteBuffer(bytes.data(), int(bytes.size()));
  source.SetPosition(0);
  wave.LoadFromStream(source);
}

class WavePlayer : public ::testing::Test {
protected:
  void SetUp() override {
    ::setenv("ALSA_CONFIG_PATH",
             dir.Write("asound.conf", "pcm.!default {\n type file\n slave.pcm { type null }\n"
                                      " file \"" +
                                          Out() + "\"\n format \"raw\"\n}\n")
                 .c_str(),
             1);
  }
  void TearDown() override { sndPlaySoundA(nullptr, 0); }

  std::string Out() const { return dir.File("out.raw"); }
  std::string Played() const { return ReadFileBytes(Out()); }
  // Waits until the tap holds at least bytes, or a second has passed.
  std::string PlayedAtLeast(size_t bytes) const {
    for (int i = 0; i < 200 && Played().size() < bytes; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return Played();
  }
  // True when nothing more reaches the device for a while. A stop does not
  // wait for the sound's thread, so what it had handed to the device may
  // still land first; a sound that goes on never falls silent.
  bool Silent() const {
    size_t before = Played().size();
    for (int i = 0; i < 40; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(80));
      const size_t now = Played().size();
      if (now == before)
        return true;
      before = now;
    }
    return false;
  }
  std::unique_ptr<TepWavePlayer> Player(const std::string& wave, TepWavePlayOpts options) {
    auto player = std::make_unique<TepWavePlayer>(nullptr);
    SetBytes(*player->Wave(), wave);
    player->SetOptions(options);
    return player;
  }

  TTempDir dir;
};

} // namespace

TEST_F(WavePlayer, StoredLayoutsCarryTheWaveFileAsItStands) {
  const std::string wave = WaveFile(Samples(64, 0x21));
  const AnsiString text = "object Sounds: TComponent\n"
                          "  object bipPlayer: TepWavePlayer\n"
                          "    Enabled = False\n"
                          "    Options = [wpoAsync, wpoNoStop]\n"
                          "    Wave.Data = {" +
                          Hex(wave) +
                          "}\n"
                          "  end\n"
                          "  object quiet: TepWavePlayer\n"
                          "    Enabled = True\n"
                          "  end\n"
                          "end\n";
  std::unique_ptr<TComponent> root(CreateFromLayout(text, "sounds.lay", nullptr));
  auto* bip = dynamic_cast<TepWavePlayer*>(root->FindComponent("bipPlayer"));
  auto* quiet = dynamic_cast<TepWavePlayer*>(root->FindComponent("quiet"));
  ASSERT_NE(bip, nullptr);
  ASSERT_NE(quiet, nullptr);
  EXPECT_EQ(Bytes(*bip->Wave()), wave);
  EXPECT_FALSE(bip->Enabled());
  EXPECT_EQ(bip->PlayFlags(), SND_MEMORY | SND_ASYNC | SND_NOSTOP);
  // Without an Options entry a player plays synchronously.
  EXPECT_TRUE(quiet->Options() == TepWavePlayOpts{wpoSync});
  EXPECT_EQ(quiet->PlayFlags(), SND_MEMORY);

  // Written back: the bytes with no prefix, Enabled always, the default
  // Options not, and an empty wave still as its (empty) data.
  const AnsiString written = WriteComponentLayout(root.get());
  const TLayoutObject tree = ParseLayout(written, "written.lay");
  ASSERT_EQ(tree.Children.size(), 2u);
  const TLayoutValue* data = nullptr;
  for (const auto& property : tree.Children[0].Properties)
    if (property.Name == "Wave.Data")
      data = &property.Value;
  ASSERT_NE(data, nullptr) << written;
  EXPECT_EQ(std::string(data->Bytes.begin(), data->Bytes.end()), wave);
  EXPECT_NE(written.find("Enabled = True"), AnsiString::npos) << written;
  EXPECT_NE(written.find("Enabled = False"), AnsiString::npos) << written;
  EXPECT_NE(written.find("Options = [wpoAsync, wpoNoStop]"), AnsiString::npos) << written;
  EXPECT_EQ(written.find("wpoSync"), AnsiString::npos) << written;

  std::unique_ptr<TComponent> again(CreateFromLayout(written, "again.lay", nullptr));
  auto* bip2 = dynamic_cast<TepWavePlayer*>(again->FindComponent("bipPlayer"));
  auto* quiet2 = dynamic_cast<TepWavePlayer*>(again->FindComponent("quiet"));
  ASSERT_NE(bip2, nullptr);
  ASSERT_NE(quiet2, nullptr);
  EXPECT_EQ(Bytes(*bip2->Wave()), wave);
  EXPECT_EQ(bip2->PlayFlags(), bip->PlayFlags());
  EXPECT_FALSE(quiet2->Wave()->Empty());
  EXPECT_EQ(quiet2->Wave()->Data()->Size(), 0);
}

TEST_F(WavePlayer, OptionsMakeTheSoundLayersFlags) {
  struct Case {
    TepWavePlayOpts options;
    unsigned flags;
  };
  const Case cases[] = {
      {{wpoSync}, 4},
      {{}, 4},
      {{wpoAsync, wpoLoop}, 4 + 1 + 8},
      {{wpoNoDefault}, 4 + 2},
      {{wpoSync, wpoAsync, wpoNoDefault, wpoLoop, wpoNoStop}, 4 + 1 + 2 + 8 + 16},
  };
  TepWavePlayer player(nullptr);
  EXPECT_EQ(player.PlayFlags(), 4);
  for (const auto& c : cases) {
    player.SetOptions(c.options);
    EXPECT_TRUE(player.Options() == c.options);
    EXPECT_EQ(player.PlayFlags(), c.flags);
  }
}

TEST_F(WavePlayer, SynchronousPlayEndsBeforeAfterPlay) {
  const std::string samples = Samples(800, 0x33);
  auto player = Player(WaveFile(samples), {wpoSync});
  std::vector<std::string> seen; // what the device held at each event
  player->BeforePlay = [&](TObject* sender) {
    EXPECT_EQ(sender, player.get());
    seen.push_back("before:" + Played());
  };
  player->AfterPlay = [&](TObject*) { seen.push_back("after:" + Played()); };
  player->Play();
  EXPECT_EQ(seen, (std::vector<std::string>{"before:", "after:" + samples}));

  // Disabled: both events, no sound.
  std::filesystem::remove(Out());
  seen.clear();
  player->SetEnabled(false);
  player->Play();
  EXPECT_EQ(seen, (std::vector<std::string>{"before:", "after:"}));
  EXPECT_FALSE(std::filesystem::exists(Out()));
}

TEST_F(WavePlayer, LoopingPlaysUntilAborted) {
  const std::string samples = Samples(320, 0x44); // 20 ms
  auto player = Player(WaveFile(samples), {wpoAsync, wpoLoop});
  player->Play(); // returns while the sound repeats
  const std::string looped = PlayedAtLeast(3 * samples.size());
  ASSERT_GE(looped.size(), 3 * samples.size());
  EXPECT_EQ(looped.substr(0, 3 * samples.size()), samples + samples + samples);
  // Another player's no-stop sound is refused while this one plays.
  auto polite = Player(WaveFile(Samples(320, 0x55)), {wpoAsync, wpoNoStop});
  polite->Play();
  player->Abort();
  EXPECT_TRUE(Silent());
  EXPECT_EQ(Played().find('\x55'), std::string::npos);
}

TEST_F(WavePlayer, SoundStopsWithItsPlayerAndWithAnEmptyWave) {
  const std::string second = Samples(16000, 0x66);
  auto player = Player(WaveFile(second), {wpoAsync});
  player->Play();
  PlayedAtLeast(320);
  player.reset();
  EXPECT_TRUE(Silent());
  EXPECT_LT(Played().size(), second.size());

  // A wave of no bytes is not empty: playing it stops the sound that plays.
  std::filesystem::remove(Out());
  auto other = Player(WaveFile(second), {wpoAsync});
  other->Play();
  PlayedAtLeast(320);
  TepWavePlayer hush(nullptr);
  EXPECT_FALSE(hush.Wave()->Empty());
  hush.Play();
  EXPECT_TRUE(Silent());
  EXPECT_LT(Played().size(), second.size());
}

TEST_F(WavePlayer, DamagedWavesPlayNoMoreThanTheyHold) {
  // The header claims far more than the block holds, as after a cut copy:
  // what is there plays and nothing beyond the block is read.
  const std::string samples = Samples(400, 0x77);
  auto cut = Player(WaveFile(samples, 100000), {wpoSync});
  int events = 0;
  cut->AfterPlay = [&](TObject*) { ++events; };
  cut->Play();
  EXPECT_EQ(Played(), samples);

  std::filesystem::remove(Out());
  for (const std::string& bytes :
       {std::string("RIF"), std::string("not a wave at all"), WaveFile(samples).substr(0, 30)}) {
    SetBytes(*cut->Wave(), bytes);
    cut->Play();
    EXPECT_FALSE(std::filesystem::exists(Out())) << bytes;
  }
  EXPECT_EQ(events, 4);
}

TEST(Wave, StreamsAndFilesKeepTheBytes) {
  TTempDir dir;
  const std::string bytes = WaveFile(Samples(33, 0x12));
  TepWave wave;
  SetBytes(wave, bytes);
  TMemoryStream saved;
  wave.SaveToStream(saved);
  saved.SetPosition(0);
  TepWave copy;
  copy.LoadFromStream(saved);
  EXPECT_EQ(Bytes(copy), bytes);

  const std::string path = dir.File("beep.wav");
  wave.SaveToFile(path);
  EXPECT_EQ(ReadFileBytes(path), bytes);
  TepWave fromFile;
  fromFile.LoadFromFile(path);
  EXPECT_EQ(Bytes(fromFile), bytes);
  EXPECT_THROW(fromFile.LoadFromFile(dir.File("missing.wav")), EFOpenError);

  // A stream read from past its start is short: an error, and the wave keeps
  // what it held.
  saved.SetPosition(10);
  EXPECT_THROW(fromFile.LoadFromStream(saved), EReadError);
  EXPECT_EQ(Bytes(fromFile), bytes);
}

TEST(Wave, AssignCopiesAndEveryChangeIsTold) {
  TepWave a, b;
  int changes = 0;
  b.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &b);
    ++changes;
  };
  SetBytes(a, "first");
  b.Assign(&a);
  EXPECT_EQ(Bytes(b), "first");
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(b.Modified());
  SetBytes(a, "second"); // a copy, not a share
  EXPECT_EQ(Bytes(b), "first");
  b.Assign(&b);
  EXPECT_EQ(Bytes(b), "first");

  b.SetModified(false);
  EXPECT_FALSE(b.Modified());
  b.Assign(nullptr); // no bytes change, yet it counts
  EXPECT_EQ(Bytes(b), "first");
  EXPECT_TRUE(b.Modified());
  EXPECT_EQ(changes, 3);

  TStringList other;
  EXPECT_THROW(b.Assign(&other), EConvertError);
  EXPECT_EQ(changes, 3);
  b.SetModified(true);
  EXPECT_EQ(changes, 4);

  // The player's Wave setter copies too.
  TepWavePlayer player(nullptr);
  player.SetWave(&a);
  EXPECT_EQ(Bytes(*player.Wave()), "second");
  EXPECT_NE(player.Wave(), &a);
}
