#include "platform/sound/Mmsystem.h"

#include <alsa/asoundlib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Waves larger than this are refused rather than copied.
constexpr std::size_t kMaxWaveBytes = 256u << 20;

struct TWaveFormat {
  snd_pcm_format_t format = SND_PCM_FORMAT_UNKNOWN;
  unsigned channels = 0;
  unsigned rate = 0;
  unsigned frameBytes = 0;
};

uint32_t Le32(const uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}
uint16_t Le16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

snd_pcm_format_t SampleFormat(unsigned tag, unsigned bits) {
  if (tag == 3)
    return bits == 32 ? SND_PCM_FORMAT_FLOAT_LE : SND_PCM_FORMAT_UNKNOWN;
  if (tag != 1)
    return SND_PCM_FORMAT_UNKNOWN;
  switch (bits) {
  case 8:
    return SND_PCM_FORMAT_U8;
  case 16:
    return SND_PCM_FORMAT_S16_LE;
  case 24:
    return SND_PCM_FORMAT_S24_3LE;
  case 32:
    return SND_PCM_FORMAT_S32_LE;
  default:
    return SND_PCM_FORMAT_UNKNOWN;
  }
}

// Reads the format and finds the samples of a RIFF WAVE file; false for
// anything damaged or of a kind we cannot play. A data chunk that claims more
// than there is plays what there is, in whole frames.
bool ParseWave(const uint8_t* p, std::size_t size, TWaveFormat& format, std::size_t& dataAt,
               std::size_t& dataBytes) {
  if (size < 12 || std::memcmp(p, "RIFF", 4) != 0 || std::memcmp(p + 8, "WAVE", 4) != 0)
    return false;
  bool haveFormat = false;
  for (std::size_t at = 12; at + 8 <= size;) {
    const uint32_t chunk = Le32(p + at + 4);
    const std::size_t body = at + 8;
    if (std::memcmp(p + at, "fmt ", 4) == 0) {
      if (chunk < 16 || body + chunk > size)
        return false;
      unsigned tag = Le16(p + body);
      const unsigned bits = Le16(p + body + 14);
      if (tag == 0xFFFE && chunk >= 40) // extensible: the sub-format's first word
        tag = Le16(p + body + 24);
      format.format = SampleFormat(tag, bits);
      format.channels = Le16(p + body + 2);
      format.rate = Le32(p + body + 4);
      format.frameBytes = Le16(p + body + 12);
      haveFormat = format.format != SND_PCM_FORMAT_UNKNOWN && format.channels >= 1 &&
                   format.channels <= 8 && format.rate >= 1000 && format.rate <= 384000 &&
                   format.frameBytes == format.channels * bits / 8;
      if (!haveFormat)
        return false;
    } else if (std::memcmp(p + at, "data", 4) == 0) {
      if (!haveFormat)
        return false;
      dataAt = body;
      dataBytes = std::min<std::size_t>(chunk, size - body);
      dataBytes -= dataBytes % format.frameBytes;
      return dataBytes > 0;
    }
    at = body + chunk + (chunk & 1);
  }
  return false;
}

void Silent(const char*, int, const char*, int, const char*, ...) {}

// How many sounds still run on their threads. Never freed: a thread that
// outlives the end of the program must still find it.
struct TLiveSounds {
  std::mutex lock;
  std::condition_variable ended;
  int count = 0;
};
TLiveSounds& LiveSounds() {
  static auto* live = new TLiveSounds;
  return *live;
}

// One sound on a thread of its own, from its own copy of the bytes. Nobody
// waits for the thread: a stopped sound ends by itself, so that a new beep
// never waits for the old one to leave a device that is slow to answer.
class TPlayback {
public:
  static std::shared_ptr<TPlayback> Start(std::vector<uint8_t> wave, TWaveFormat format,
                                          std::size_t dataAt, std::size_t dataBytes, bool loop) {
    auto playback =
        std::shared_ptr<TPlayback>(new TPlayback(std::move(wave), format, dataAt, dataBytes, loop));
    TLiveSounds& live = LiveSounds();
    {
      std::lock_guard<std::mutex> guard(live.lock);
      ++live.count;
    }
    std::thread([playback, &live] {
      playback->Run();
      std::lock_guard<std::mutex> guard(live.lock);
      --live.count;
      live.ended.notify_all();
    }).detach();
    return playback;
  }
  void Stop() { stop = true; }
  bool Playing() const { return !done; }

private:
  TPlayback(std::vector<uint8_t> wave, TWaveFormat format, std::size_t dataAt,
            std::size_t dataBytes, bool loop)
      : wave(std::move(wave)), format(format), dataAt(dataAt), dataBytes(dataBytes), loop(loop) {}

  void Run() {
    snd_pcm_t* pcm = nullptr;
    if (!stop && snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, 0) == 0) {
      if (!stop && snd_pcm_set_params(pcm, format.format, SND_PCM_ACCESS_RW_INTERLEAVED,
                                      format.channels, format.rate, 1, 100000) == 0)
        Play(pcm);
      snd_pcm_close(pcm);
    }
    done = true;
  }

  void Play(snd_pcm_t* pcm) {
    // Devices without a clock of their own take samples as fast as they come;
    // staying at most this far ahead of real time keeps every device honest.
    constexpr double kLeadSeconds = 0.1;
    const std::size_t chunkFrames = std::max(1u, format.rate / 50);
    const auto start = std::chrono::steady_clock::now();
    uint64_t framesWritten = 0;
    const std::size_t totalFrames = dataBytes / format.frameBytes;
    do {
      for (std::size_t frame = 0; frame < totalFrames && !stop;) {
        const std::size_t n = std::min(chunkFrames, totalFrames - frame);
        const snd_pcm_sframes_t w =
            snd_pcm_writei(pcm, wave.data() + dataAt + frame * format.frameBytes, n);
        if (w < 0) {
          if (snd_pcm_recover(pcm, static_cast<int>(w), 1) < 0)
            return;
          continue;
        }
        frame += static_cast<std::size_t>(w);
        framesWritten += static_cast<uint64_t>(w);
        const double ahead =
            static_cast<double>(framesWritten) / format.rate -
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (ahead > kLeadSeconds)
          std::this_thread::sleep_for(std::chrono::duration<double>(ahead - kLeadSeconds));
      }
    } while (loop && !stop);
    if (stop) {
      snd_pcm_drop(pcm);
      return;
    }
    // Let the lead run out before draining, so that a stop still cuts it.
    while (!stop &&
           static_cast<double>(framesWritten) / format.rate >
               std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count())
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (stop)
      snd_pcm_drop(pcm);
    else
      snd_pcm_drain(pcm);
  }

  std::vector<uint8_t> wave;
  TWaveFormat format;
  std::size_t dataAt, dataBytes;
  bool loop;
  std::atomic<bool> stop{false};
  std::atomic<bool> done{false};
};

std::mutex playerLock;
std::shared_ptr<TPlayback> current;

void StopLocked() {
  if (current)
    current->Stop();
  current.reset();
}

// At the end of the program the sound stops, and its thread gets a moment to
// let go of the device before the libraries it uses are torn down.
struct TStopAtExit {
  ~TStopAtExit() {
    {
      std::lock_guard<std::mutex> guard(playerLock);
      StopLocked();
    }
    TLiveSounds& live = LiveSounds();
    std::unique_lock<std::mutex> guard(live.lock);
    live.ended.wait_for(guard, std::chrono::seconds(1), [&] { return live.count == 0; });
  }
} stopAtExit;

BOOL Play(const uint8_t* bytes, std::size_t size, unsigned flags) {
  std::unique_lock<std::mutex> guard(playerLock);
  if ((flags & SND_NOSTOP) != 0 && current && current->Playing())
    return 0;
  StopLocked();
  if (size == 0)
    return 0;
  TWaveFormat format;
  std::size_t dataAt = 0, dataBytes = 0;
  if (size > kMaxWaveBytes || !ParseWave(bytes, size, format, dataAt, dataBytes))
    return 0;
  static const bool quiet = (snd_lib_error_set_handler(Silent), true);
  (void)quiet;
  const bool loop = (flags & SND_LOOP) != 0;
  current =
      TPlayback::Start(std::vector<uint8_t>(bytes, bytes + size), format, dataAt, dataBytes, loop);
  if (loop || (flags & SND_ASYNC) != 0)
    return 1;
  // Synchronous: wait here without holding the lock, so that another thread
  // may still stop the sound.
  const std::shared_ptr<TPlayback> mine = current;
  guard.unlock();
  while (true) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    std::lock_guard<std::mutex> check(playerLock);
    if (current != mine || !mine->Playing())
      return 1;
  }
}

} // namespace

BOOL sndPlaySoundMemory(const void* wave, std::size_t size, unsigned flags) {
  return Play(static_cast<const uint8_t*>(wave), wave == nullptr ? 0 : size, flags);
}

BOOL sndPlaySoundA(const char* sound, unsigned flags) {
  if (sound == nullptr) {
    std::lock_guard<std::mutex> guard(playerLock);
    StopLocked();
    return 1;
  }
  if ((flags & SND_MEMORY) != 0) {
    const auto* p = reinterpret_cast<const uint8_t*>(sound);
    // The header tells the length; nothing is read beyond it.
    if (std::memcmp(p, "RIFF", 4) != 0)
      return Play(p, 0, flags);
    return Play(p, std::size_t(Le32(p + 4)) + 8, flags);
  }
  std::ifstream in(sound, std::ios::binary);
  if (!in)
    return Play(nullptr, 0, flags);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
  return Play(bytes.data(), bytes.size(), flags);
}
