#pragma once
// Sounds that travel inside a window's stored layout and play from memory: a
// wave holds the bytes of a whole wave file, a player owns one wave and plays
// it between two events.
#include "platform/rtl/Streams.h"
#include "platform/ui/Classes.h"
#include "platform/ui/Typinfo.h"

#include <cstdint>
#include <memory>

class TepWave : public TPersistent {
public:
  TepWave();
  ~TepWave() override;
  TepWave(const TepWave&) = delete;
  TepWave& operator=(const TepWave&) = delete;

  void DefineProperties(TFiler& Filer) override;
  // Another wave's bytes; null changes nothing but still counts as a change.
  void Assign(const TPersistent* Source) override;

  // True only without a data stream: a wave of zero bytes is not empty, and
  // playing it stops the sound that plays.
  bool Empty() const { return !data; }
  // The whole wave file, handed to the sound layer as it stands.
  TMemoryStream* Data() const { return data.get(); }

  // Reads as many bytes as Stream holds from its position; a shorter
  // remainder raises EReadError and keeps the bytes held before.
  void LoadFromStream(TStream& Stream);
  void SaveToStream(TStream& Stream) const;
  virtual void LoadFromFile(const AnsiString& FileName);
  virtual void SaveToFile(const AnsiString& FileName) const;

  bool Modified() const { return modified; }
  // True counts as a change; false only clears the flag.
  void SetModified(bool Value);
  void Changed();

  TNotifyEvent OnChange;

protected:
  virtual void ReadData(TStream& Stream);
  virtual void WriteData(TStream& Stream) const;

private:
  bool modified = false;
  std::unique_ptr<TMemoryStream> data;
};

enum TepWavePlayOpt { wpoSync, wpoAsync, wpoNoDefault, wpoLoop, wpoNoStop };
using TepWavePlayOpts = TSet<TepWavePlayOpt>;

class TepWavePlayer : public TComponent {
public:
  explicit TepWavePlayer(TComponent* AOwner);
  // Stops whatever sound plays, as Abort.
  ~TepWavePlayer() override;

  // BeforePlay, the sound when Enabled, AfterPlay; the events run also when
  // the player is disabled. Synchronous unless Options say otherwise.
  void Play();
  // Stops the sound that is playing, whoever started it.
  void Abort();

  bool Enabled() const { return enabled; }
  void SetEnabled(bool Value) { enabled = Value; }
  TepWavePlayOpts Options() const { return options; }
  void SetOptions(TepWavePlayOpts Value);
  // The sound layer's flags that Options make, always with the from-memory flag.
  uint16_t PlayFlags() const { return playFlags; }
  TepWave* Wave() const { return wave.get(); }
  // Copies Value's bytes into the owned wave.
  void SetWave(const TepWave* Value);
  void SetBeforePlay(TNotifyEvent Value) { BeforePlay = std::move(Value); }
  void SetAfterPlay(TNotifyEvent Value) { AfterPlay = std::move(Value); }

  TNotifyEvent BeforePlay;
  TNotifyEvent AfterPlay;

private:
  bool enabled = true;
  TepWavePlayOpts options{wpoSync};
  uint16_t playFlags;
  std::unique_ptr<TepWave> wave;
};

// The controls' click and hover sounds: plays Sound when it is set and holds
// a wave.
void PlaySound(TepWavePlayer* Sound);

WT_DECLARE_META(TepWave)
WT_DECLARE_META(TepWavePlayer)
