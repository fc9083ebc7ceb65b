// The wave player's stream: read into a wave, handed to the sound layer (a
// null device) and stopped.
#include "fuzz/FuzzSupport.h"
#include "platform/sound/Mmsystem.h"
#include "skin/Wavctrl.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const std::string text = "pcm.!default { type null }\n";
  const std::string config =
      InputFile(reinterpret_cast<const uint8_t*>(text.data()), text.size(), ".conf");
  ::setenv("ALSA_CONFIG_PATH", config.c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto input = InputStream(data, size);
  TepWavePlayer player(nullptr);
  try {
    player.Wave()->LoadFromStream(*input);
  } catch (const std::exception&) {
    return 0;
  }
  player.SetOptions(TepWavePlayOpts{wpoAsync});
  player.Play();
  player.Abort();
  return 0;
}
