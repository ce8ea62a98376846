// Sound layer over SDL2_mixer: sample slots hold decoded Mix_Chunks, channel numbers are mixer channels.
//
// Decoding a file converts it to the mixer's output format, and a 44.1 kHz file played at a 44 kHz
// mixing rate is resampled on the way: milliseconds per one-shot, on the caller's thread. So decoded
// chunks are kept per path together with the bytes they came from. Every load still reads the file
// (a missing or unreadable one fails as before) and compares its bytes with the kept ones: the same
// bytes reuse the chunk, changed bytes are decoded anew.
#include "audio/sound_layer.h"

#include "platform/file_read.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <algorithm>  // Required for: std::clamp(), std::find()
#include <cstdio>
#include <iterator>  // Required for: std::begin(), std::end()
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kSlotCount = 256;        // sample slots 0..255
constexpr int kMixFramesPerBuffer = 1024;  // ~23 ms at 44 kHz: the latency of a play request
constexpr int kOutputChannels = 2;     // stereo

class SdlSoundLayer final : public SoundLayer {
 public:
  SdlSoundLayer() {
    for (int slot = 0; slot < kSlotCount; ++slot) samples_[slot].slot = slot;
  }
  // Nothing is released at exit: the mixer thread may still be running while statics are destroyed.
  ~SdlSoundLayer() override = default;

  bool init(int mixRate, int channelCount, unsigned /*flags: none are defined*/) override {
    if (state_ == State::Open) return true;
    channelCount_ = std::max(channelCount, 0);
    looping_.assign(channelCount_, false);
    playedSlot_.assign(channelCount_, -1);
    state_ = State::Silent;
    if (muted) return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    // Without the MP3 decoder the WAV files still play; each MP3 then reports its load failure.
    Mix_Init(MIX_INIT_MP3);
    if (Mix_OpenAudio(mixRate, AUDIO_S16SYS, kOutputChannels, kMixFramesPerBuffer) != 0) {
      Mix_Quit();
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      return false;
    }
    channelCount_ = Mix_AllocateChannels(channelCount_);
    looping_.assign(channelCount_, false);
    playedSlot_.assign(channelCount_, -1);
    state_ = State::Open;
    return true;
  }

  // Offset and length select a part of a file in memory; this layer always loads whole files.
  SoundSample* loadSample(int slot, const char* path, int /*mode*/, int /*offset*/, int /*length*/) override {
    if (slot < 0 || slot >= kSlotCount || path == nullptr) return nullptr;
    if (state_ != State::Open) {
      // Nothing is decoded without an output format to decode to; a missing file is still reported.
      std::FILE* file = std::fopen(path, "rb");
      if (file == nullptr) return nullptr;
      std::fclose(file);
      return &samples_[slot];
    }
    Mix_Chunk* chunk = decodedChunk(path);
    if (chunk == nullptr) return nullptr;  // the slot keeps what it held
    releaseSlot(slot);
    chunks_[slot] = chunk;
    return &samples_[slot];
  }

  int play(int channel, SoundSample* sample) override {
    if (sample == nullptr || sample->slot < 0 || sample->slot >= kSlotCount) return kSoundNoChannel;
    if (!isChannel(channel)) return kSoundNoChannel;
    if (state_ != State::Open) return channel;
    Mix_Chunk* chunk = chunks_[sample->slot];
    if (chunk == nullptr) return kSoundNoChannel;
    // Each play starts at the sample's full volume; setVolume follows. The channel keeps its volume
    // across plays in SDL_mixer, so it is reset here.
    Mix_Volume(channel, MIX_MAX_VOLUME);
    looping_[channel] = false;
    playedSlot_[channel] = sample->slot;
    return Mix_PlayChannel(channel, chunk, 0) == channel ? channel : kSoundNoChannel;
  }

  // Trap: SDL_mixer reads channel -1 as "every channel", so a failed play's handle must stop here.
  void setVolume(int channelHandle, int volume) override {
    if (state_ != State::Open || !isChannel(channelHandle)) return;
    const int clamped = std::clamp(volume, 0, kSoundMaxVolume);
    Mix_Volume(channelHandle, (clamped * MIX_MAX_VOLUME + kSoundMaxVolume / 2) / kSoundMaxVolume);
  }

  // SDL_mixer fixes a channel's looping when playback starts and cannot change it later, so a new
  // loop mode restarts the channel's chunk from its beginning with the new loop count (the volume
  // stays). Callers set the loop mode right after play, when at most one mixing buffer (~23 ms) has
  // been heard, so the restart is inaudible in practice. A channel that already ended stays silent.
  void setLoopMode(int channelHandle, int loopMode) override {
    if (state_ != State::Open || !isChannel(channelHandle)) return;
    if (loopMode != kSoundLoopNormal && loopMode != kSoundLoopOff) return;
    const bool loop = loopMode == kSoundLoopNormal;
    if (looping_[channelHandle] == loop || Mix_Playing(channelHandle) == 0) return;
    Mix_Chunk* chunk = Mix_GetChunk(channelHandle);
    if (chunk == nullptr) return;
    Mix_PlayChannel(channelHandle, chunk, loop ? -1 : 0);
    looping_[channelHandle] = loop;
  }

  void stop(int channelHandle) override {
    if (state_ != State::Open || !isChannel(channelHandle)) return;
    Mix_HaltChannel(channelHandle);
  }

  void shutdown() {
    if (state_ == State::Open) {
      Mix_HaltChannel(-1);
      for (int slot = 0; slot < kSlotCount; ++slot) releaseSlot(slot);
      for (auto& [path, decoded] : decoded_) Mix_FreeChunk(decoded.chunk);
      decoded_.clear();  // chunks are in the format of the device that is closing now
      Mix_CloseAudio();
      Mix_Quit();
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    state_ = State::Closed;
    channelCount_ = 0;
    looping_.clear();
    playedSlot_.clear();
  }

  bool muted = false;

 private:
  // Closed: never initialised. Silent: muted or init failed; calls check files, nothing plays.
  enum class State { Closed, Silent, Open };

  bool isChannel(int channel) const { return channel >= 0 && channel < channelCount_; }

  // The chunk decoded from the file's current bytes: the kept one when the bytes are unchanged.
  // nullptr when the file cannot be read or decoded; then nothing kept changes.
  Mix_Chunk* decodedChunk(const char* path) {
    if (!readWholeFile(path, fileBytes_)) return nullptr;
    Decoded& kept = decoded_[path];
    if (kept.chunk != nullptr && kept.bytes == fileBytes_) return kept.chunk;
    // Sniffs the content: RIFF/WAVE, MP3, Ogg...
    Mix_Chunk* chunk = Mix_LoadWAV_RW(SDL_RWFromConstMem(fileBytes_.data(), static_cast<int>(fileBytes_.size())), 1);
    if (chunk == nullptr) return nullptr;
    Mix_Chunk* replaced = kept.chunk;
    kept.chunk = chunk;
    kept.bytes.swap(fileBytes_);
    freeIfUnused(replaced);
    return chunk;
  }

  // Emptying a slot stops the channels that were started from it; its chunk goes once no slot and
  // no kept file holds it any more.
  void releaseSlot(int slot) {
    Mix_Chunk* chunk = chunks_[slot];
    if (chunk == nullptr) return;
    for (int channel = 0; channel < channelCount_; ++channel) {
      if (playedSlot_[channel] == slot && Mix_GetChunk(channel) == chunk) Mix_HaltChannel(channel);
    }
    chunks_[slot] = nullptr;
    freeIfUnused(chunk);
  }

  void freeIfUnused(Mix_Chunk* chunk) {
    if (chunk == nullptr || std::find(std::begin(chunks_), std::end(chunks_), chunk) != std::end(chunks_)) return;
    for (const auto& [path, decoded] : decoded_) {
      if (decoded.chunk == chunk) return;
    }
    for (int channel = 0; channel < channelCount_; ++channel) {
      if (Mix_GetChunk(channel) == chunk) Mix_HaltChannel(channel);
    }
    Mix_FreeChunk(chunk);
  }

  struct Decoded {
    std::string bytes;          // the file as it was decoded
    Mix_Chunk* chunk = nullptr;        // in the open device's format
  };

  State state_ = State::Closed;
  int channelCount_ = 0;
  std::vector<bool> looping_;  // per channel: started (or restarted) with endless loops
  std::vector<int> playedSlot_;  // per channel: the slot of the sample played last (-1: none)
  Mix_Chunk* chunks_[kSlotCount] = {};  // a chunk may sit in several slots
  SoundSample samples_[kSlotCount];
  std::map<std::string, Decoded> decoded_;  // by path as given
  std::string fileBytes_;                   // read buffer, kept to spare an allocation per load
};

SdlSoundLayer& sdlLayer() {
  static SdlSoundLayer layer;
  return layer;
}

SoundLayer* g_installedLayer = nullptr;

}  // namespace

SoundLayer& soundLayer() { return g_installedLayer != nullptr ? *g_installedLayer : sdlLayer(); }

void setSoundLayer(SoundLayer* layer) { g_installedLayer = layer; }

void setSoundMuted(bool muted) { sdlLayer().muted = muted; }

bool soundMuted() { return sdlLayer().muted; }

void shutdownSoundLayer() { sdlLayer().shutdown(); }
