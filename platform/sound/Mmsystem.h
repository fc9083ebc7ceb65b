#pragma once
// Playing wave sounds. A sound plays on a thread of its own from a copy of its
// bytes, so the caller may free them at once; one sound plays at a time. With
// no sound device the sound is silent and no error is shown. Starting or
// stopping a sound never waits for the one before to let go of the device.
#include "platform/rtl/Handles.h"

#include <cstddef>

constexpr unsigned SND_SYNC = 0x0000;      // return when the sound has ended
constexpr unsigned SND_ASYNC = 0x0001;     // return at once
constexpr unsigned SND_NODEFAULT = 0x0002; // no fallback sound when it cannot play
constexpr unsigned SND_MEMORY = 0x0004;    // the sound is a wave file in memory
constexpr unsigned SND_LOOP = 0x0008;      // repeat until stopped; implies SND_ASYNC
constexpr unsigned SND_NOSTOP = 0x0010;    // refuse when another sound is playing

// sound: a file name, or with SND_MEMORY the bytes of a RIFF WAVE file whose
// length its header tells. Null stops the sound that is playing. Answers 0
// when the sound was refused (unreadable, damaged, or SND_NOSTOP while
// another plays). There is no default sound, so SND_NODEFAULT changes nothing.
BOOL sndPlaySoundA(const char* sound, unsigned flags);

// The same with the length of the bytes known: nothing beyond size is read.
// An empty block stops the sound that is playing.
BOOL sndPlaySoundMemory(const void* wave, std::size_t size, unsigned flags);
