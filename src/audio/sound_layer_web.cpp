// Sound layer of the web build over OpenAL (Emscripten's, which plays through Web Audio): sample
// slots hold OpenAL buffers made from WAV files, channel numbers are OpenAL sources.
//
// One audio device and context serve every start of the demo on a page: a browser caps the audio
// contexts a page may make, and Emscripten's alcDestroyContext leaves the Web Audio context running.
// shutdown() stops and frees the sources and buffers and keeps the context for the next init().
//
// The page's data holds every sound as WAV (the build decodes the shipped MP3s under their own names:
// the content decides, not the extension), so nothing is decoded here but PCM. As on the desktop,
// buffers are kept per path with the bytes they came from, and every load still reads its file.
#include "audio/sound_layer.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <algorithm>  // Required for: std::clamp(), std::find()
#include <cstdio>
#include <iterator>  // Required for: std::begin(), std::end()
#include <map>
#include <string>
#include <vector>

#include "audio/wav_reader.h"
#include "platform/file_read.h"

namespace {

constexpr int kSlotCount = 256;  // sample slots 0..255

class OpenAlSoundLayer final : public SoundLayer {
 public:
  OpenAlSoundLayer() {
    for (int slot = 0; slot < kSlotCount; ++slot) samples_[slot].slot = slot;
  }

  // The mixing rate is Web Audio's own: OpenAL resamples each buffer from its file's rate.
  bool init(int /*mixRate*/, int channelCount, unsigned /*flags: none are defined*/) override {
    if (state_ == State::Open) return true;
    channelCount_ = std::max(channelCount, 0);
    state_ = State::Silent;
    if (muted) return true;
    if (device_ == nullptr) device_ = alcOpenDevice(nullptr);
    if (context_ == nullptr && device_ != nullptr) context_ = alcCreateContext(device_, nullptr);
    if (context_ == nullptr || alcMakeContextCurrent(context_) != ALC_TRUE) {
      closeDevice();
      return false;
    }
    sources_.assign(channelCount_, 0);
    alGenSources(channelCount_, sources_.data());
    if (alGetError() != AL_NO_ERROR) {
      closeDevice();
      return false;
    }
    playedSlot_.assign(channelCount_, -1);
    state_ = State::Open;
    return true;
  }

  SoundSample* loadSample(int slot, const char* path, int /*mode*/, int /*offset*/, int /*length*/) override {
    if (slot < 0 || slot >= kSlotCount || path == nullptr) return nullptr;
    if (state_ != State::Open) {
      std::FILE* file = std::fopen(path, "rb");  // a missing file is still reported
      if (file == nullptr) return nullptr;
      std::fclose(file);
      return &samples_[slot];
    }
    const ALuint buffer = bufferOf(path);
    if (buffer == 0) return nullptr;  // the slot keeps what it held
    releaseSlot(slot);
    buffers_[slot] = buffer;
    return &samples_[slot];
  }

  int play(int channel, SoundSample* sample) override {
    if (sample == nullptr || sample->slot < 0 || sample->slot >= kSlotCount) return kSoundNoChannel;
    if (!isChannel(channel)) return kSoundNoChannel;
    if (state_ != State::Open) return channel;
    const ALuint buffer = buffers_[sample->slot];
    if (buffer == 0) return kSoundNoChannel;
    const ALuint source = sources_[channel];
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
    alSourcef(source, AL_GAIN, 1.0f);  // each play starts at full volume; setVolume follows
    alSourcei(source, AL_LOOPING, AL_FALSE);
    alSourcePlay(source);
    playedSlot_[channel] = sample->slot;
    return alGetError() == AL_NO_ERROR ? channel : kSoundNoChannel;
  }

  void setVolume(int channelHandle, int volume) override {
    if (state_ != State::Open || !isChannel(channelHandle)) return;
    const int clamped = std::clamp(volume, 0, kSoundMaxVolume);
    alSourcef(sources_[channelHandle], AL_GAIN, static_cast<float>(clamped) / kSoundMaxVolume);
  }

  // OpenAL changes a source's looping while it plays: no restart, unlike SDL_mixer.
  void setLoopMode(int channelHandle, int loopMode) override {
    if (state_ != State::Open || !isChannel(channelHandle)) return;
    if (loopMode != kSoundLoopNormal && loopMode != kSoundLoopOff) return;
    alSourcei(sources_[channelHandle], AL_LOOPING, loopMode == kSoundLoopNormal ? AL_TRUE : AL_FALSE);
  }

  void stop(int channelHandle) override {
    if (state_ != State::Open || !isChannel(channelHandle)) return;
    alSourceStop(sources_[channelHandle]);
  }

  void shutdown() {
    if (state_ == State::Open) {
      for (ALuint source : sources_) {
        alSourceStop(source);
        alSourcei(source, AL_BUFFER, 0);
      }
      alDeleteSources(static_cast<ALsizei>(sources_.size()), sources_.data());
      for (ALuint& buffer : buffers_) buffer = 0;
      for (auto& [path, kept] : kept_) alDeleteBuffers(1, &kept.buffer);
      kept_.clear();
    }
    state_ = State::Closed;
    channelCount_ = 0;
    sources_.clear();
    playedSlot_.clear();
  }

  bool muted = false;

 private:
  // Closed: never initialised. Silent: muted or init failed; calls check files, nothing plays.
  enum class State { Closed, Silent, Open };

  bool isChannel(int channel) const { return channel >= 0 && channel < channelCount_; }

  void closeDevice() {
    alcMakeContextCurrent(nullptr);
    if (context_ != nullptr) alcDestroyContext(context_);
    if (device_ != nullptr) alcCloseDevice(device_);
    context_ = nullptr;
    device_ = nullptr;
  }

  // The buffer made from the file's current bytes: the kept one when they are unchanged. 0 when the
  // file cannot be read or is no WAV file the layer reads; then nothing kept changes.
  ALuint bufferOf(const char* path) {
    if (!readWholeFile(path, fileBytes_)) return 0;
    Kept& kept = kept_[path];
    if (kept.buffer != 0 && kept.bytes == fileBytes_) return kept.buffer;
    WavSound sound;
    std::string error;
    if (!readWav(fileBytes_, sound, error)) {
      std::fprintf(stderr, "sound file %s: %s\n", path, error.c_str());
      if (kept.buffer == 0) kept_.erase(path);
      return 0;
    }
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    alBufferData(buffer, sound.channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16, sound.samples.data(),
                 static_cast<ALsizei>(sound.samples.size() * sizeof(int16_t)), sound.sampleRate);
    if (alGetError() != AL_NO_ERROR) {
      alDeleteBuffers(1, &buffer);
      if (kept.buffer == 0) kept_.erase(path);
      return 0;
    }
    const ALuint replaced = kept.buffer;
    kept.buffer = buffer;
    kept.bytes.swap(fileBytes_);
    deleteIfUnused(replaced);
    return buffer;
  }

  // Emptying a slot stops the sources started from it; its buffer goes once no slot and no kept file
  // holds it any more.
  void releaseSlot(int slot) {
    const ALuint buffer = buffers_[slot];
    if (buffer == 0) return;
    for (int channel = 0; channel < channelCount_; ++channel) {
      if (playedSlot_[channel] == slot) detach(channel, buffer);
    }
    buffers_[slot] = 0;
    deleteIfUnused(buffer);
  }

  void deleteIfUnused(ALuint buffer) {
    if (buffer == 0 || std::find(std::begin(buffers_), std::end(buffers_), buffer) != std::end(buffers_)) return;
    for (const auto& [path, kept] : kept_) {
      if (kept.buffer == buffer) return;
    }
    for (int channel = 0; channel < channelCount_; ++channel) detach(channel, buffer);
    alDeleteBuffers(1, &buffer);  // OpenAL refuses to delete a buffer a source still holds
  }

  void detach(int channel, ALuint buffer) {
    ALint held = 0;
    alGetSourcei(sources_[channel], AL_BUFFER, &held);
    if (static_cast<ALuint>(held) != buffer) return;
    alSourceStop(sources_[channel]);
    alSourcei(sources_[channel], AL_BUFFER, 0);
  }

  struct Kept {
    std::string bytes;  // the file as its buffer was made
    ALuint buffer = 0;
  };

  State state_ = State::Closed;
  ALCdevice* device_ = nullptr;
  ALCcontext* context_ = nullptr;
  int channelCount_ = 0;
  std::vector<ALuint> sources_;  // one per channel
  std::vector<int> playedSlot_;  // per channel: the slot of the sample played last (-1: none)
  ALuint buffers_[kSlotCount] = {};  // a buffer may sit in several slots
  SoundSample samples_[kSlotCount];
  std::map<std::string, Kept> kept_;  // by path as given
  std::string fileBytes_;             // read buffer, kept to spare an allocation per load
};

OpenAlSoundLayer& openAlLayer() {
  static OpenAlSoundLayer layer;
  return layer;
}

SoundLayer* g_installedLayer = nullptr;

}  // namespace

SoundLayer& soundLayer() { return g_installedLayer != nullptr ? *g_installedLayer : openAlLayer(); }

void setSoundLayer(SoundLayer* layer) { g_installedLayer = layer; }

void setSoundMuted(bool muted) { openAlLayer().muted = muted; }

bool soundMuted() { return openAlLayer().muted; }

void shutdownSoundLayer() { openAlLayer().shutdown(); }
