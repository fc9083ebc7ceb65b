#include "skin/Wavctrl.h"

#include "platform/rtl/Filer.h"
#include "platform/sound/Mmsystem.h"

#include <limits>

// ---------------------------------------------------------------- TepWave

TepWave::TepWave() : data(std::make_unique<TMemoryStream>()) {}

TepWave::~TepWave() = default;

void TepWave::DefineProperties(TFiler& Filer) {
  Filer.DefineBinaryProperty(
      "Data", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); }, !Empty());
}

void TepWave::Assign(const TPersistent* Source) {
  if (const auto* other = dynamic_cast<const TepWave*>(Source)) {
    // A copy first, so that a wave assigned to itself keeps its bytes.
    auto copy = std::make_unique<TMemoryStream>();
    if (!other->Empty())
      other->SaveToStream(*copy);
    copy->SetPosition(0);
    data = std::move(copy);
  } else if (Source != nullptr) {
    TPersistent::Assign(Source);
  }
  Changed();
}

void TepWave::LoadFromStream(TStream& Stream) {
  const int64_t size = Stream.Size();
  if (size > std::numeric_limits<int>::max())
    throw EReadError("Wave too large");
  // Read aside, so that a short stream leaves the wave as it was.
  auto fresh = std::make_unique<TMemoryStream>();
  fresh->SetSize(size);
  Stream.ReadBuffer(fresh->Memory(), static_cast<int>(size));
  data = std::move(fresh);
  Changed();
}

void TepWave::SaveToStream(TStream& Stream) const {
  Stream.WriteBuffer(data->Memory(), static_cast<int>(data->Size()));
}

void TepWave::LoadFromFile(const AnsiString& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream);
}

void TepWave::SaveToFile(const AnsiString& FileName) const {
  TFileStream stream(FileName, fmCreate);
  SaveToStream(stream);
  stream.FlushBuffer();
}

void TepWave::ReadData(TStream& Stream) {
  LoadFromStream(Stream);
}

void TepWave::WriteData(TStream& Stream) const {
  SaveToStream(Stream);
}

void TepWave::SetModified(bool Value) {
  if (Value)
    Changed();
  else
    modified = false;
}

void TepWave::Changed() {
  modified = true;
  if (OnChange)
    OnChange(this);
}

// ---------------------------------------------------------------- TepWavePlayer

namespace {

uint16_t FlagsOf(TepWavePlayOpts Options) {
  unsigned flags = SND_MEMORY;
  if (Options.Contains(wpoAsync))
    flags |= SND_ASYNC;
  if (Options.Contains(wpoNoDefault))
    flags |= SND_NODEFAULT;
  if (Options.Contains(wpoLoop))
    flags |= SND_LOOP;
  if (Options.Contains(wpoNoStop))
    flags |= SND_NOSTOP;
  return static_cast<uint16_t>(flags);
}

} // namespace

TepWavePlayer::TepWavePlayer(TComponent* AOwner)
    : TComponent(AOwner), playFlags(SND_MEMORY), wave(std::make_unique<TepWave>()) {}

TepWavePlayer::~TepWavePlayer() {
  Destroying();
  Abort();
}

void TepWavePlayer::Play() {
  if (BeforePlay)
    BeforePlay(this);
  // With the length known, a header that claims more than the block holds
  // cannot make the sound layer read past it. The result is of no interest:
  // a sound that cannot play is simply not heard.
  if (enabled)
    sndPlaySoundMemory(wave->Data()->Memory(), static_cast<std::size_t>(wave->Data()->Size()),
                       playFlags);
  if (AfterPlay)
    AfterPlay(this);
}

void TepWavePlayer::Abort() {
  sndPlaySoundA(nullptr, 0);
}

void TepWavePlayer::SetOptions(TepWavePlayOpts Value) {
  if (Value == options)
    return;
  options = Value;
  playFlags = FlagsOf(options);
}

void TepWavePlayer::SetWave(const TepWave* Value) {
  wave->Assign(Value);
}

// Before the publishing below, which needs the identifiers for the default.
namespace {
[[maybe_unused]] const bool playOptIdents =
    RegisterEnum<TepWavePlayOpt>({{"wpoSync", wpoSync},
                                  {"wpoAsync", wpoAsync},
                                  {"wpoNoDefault", wpoNoDefault},
                                  {"wpoLoop", wpoLoop},
                                  {"wpoNoStop", wpoNoStop}});
}

void PlaySound(TepWavePlayer* Sound) {
  if (Sound != nullptr && !Sound->Wave()->Empty())
    Sound->Play();
}

WT_PUBLISH(TepWave, TPersistent) {}

WT_PUBLISH(TepWavePlayer, TComponent) {
  p.Property("Enabled", &TepWavePlayer::Enabled, &TepWavePlayer::SetEnabled);
  p.Property("Options", &TepWavePlayer::Options, &TepWavePlayer::SetOptions)
      .Default(TepWavePlayOpts{wpoSync});
  p.Object("Wave", &TepWavePlayer::Wave);
  p.Event("BeforePlay", &TepWavePlayer::BeforePlay);
  p.Event("AfterPlay", &TepWavePlayer::AfterPlay);
}
