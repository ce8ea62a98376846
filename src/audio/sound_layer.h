// audio/: sound out of the program. The sound layer (SDL2_mixer on the desktop, OpenAL in the page)
// with the web build's WAV reader, and the off-line side a film needs: the mixdown of the same slots
// and channels, and the loudness measure and limiter. The game's sound bank (sound/) plays through it.
//
// Sound layer: numbered sample slots and numbered channels, the narrow audio interface the sound bank
// plays through. The desktop's implementation mixes with SDL2_mixer, the web page's plays through
// OpenAL (sound_layer_web.cpp); tests install a recording one.
#pragma once

// A loaded sample, known by the slot it was loaded into. The layer owns the decoded data; a handle
// stays valid for the program's life and names whatever its slot holds at the moment of use.
struct SoundSample {
  int slot;
};

constexpr int kSoundMode2D = 8192;    // sample mode: plain stereo playback, no 3D positioning
constexpr int kSoundLoopOff = 1;      // loop modes for setLoopMode
constexpr int kSoundLoopNormal = 2;
constexpr int kSoundMaxVolume = 255;  // volumes run 0..255
constexpr int kSoundNoChannel = -1;   // channel handle of a failed play request

// The one seam between the sound bank and the audio library. Every call accepts a null sample and a
// channel handle of kSoundNoChannel and then does nothing.
class SoundLayer {
 public:
  virtual ~SoundLayer() = default;
  // Opens audio output at `mixRate` Hz with `channelCount` mixing channels. False on failure.
  virtual bool init(int mixRate, int channelCount, unsigned flags) = 0;
  // Loads the file (offset 0 and length 0: the whole file) into `slot`, replacing and stopping the
  // sample that slot held. nullptr when the file cannot be read or decoded.
  virtual SoundSample* loadSample(int slot, const char* path, int mode, int offset, int length) = 0;
  // Plays `sample` on channel number `channel`, cutting off what played there, at full volume and
  // without looping. Returns the channel handle for the calls below, or kSoundNoChannel.
  virtual int play(int channel, SoundSample* sample) = 0;
  virtual void setVolume(int channelHandle, int volume) = 0;  // 0..255, clamped
  virtual void setLoopMode(int channelHandle, int loopMode) = 0;
  virtual void stop(int channelHandle) = 0;
};

// The layer in use: the SDL2_mixer one unless a test has installed its own.
SoundLayer& soundLayer();
// Installs `layer` (not owned) as the layer in use; nullptr puts the SDL2_mixer layer back.
void setSoundLayer(SoundLayer* layer);

// Muted mode of the SDL2_mixer layer, for `--mute` and headless runs; set it before the sound bank is
// created. A muted layer opens no audio device: init succeeds, loads only check that the file can be
// opened, and nothing plays. A layer whose init failed behaves the same way.
void setSoundMuted(bool muted);
bool soundMuted();

// Closes the SDL2_mixer layer's audio and frees its samples, so that it can be initialised again.
// The program itself never calls this (audio stays up until exit); tests do, between cases.
void shutdownSoundLayer();
