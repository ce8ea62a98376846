// Off-line sound layer: the sound bank's slots and channels mixed into a stereo stream on request, in
// step with a fixed clock instead of an audio device. Each file is decoded once (FFmpeg).
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "audio/sound_layer.h"

class SoundMixdown final : public SoundLayer {
 public:
  // `sampleRate`: Hz of the mixed stream. The rate the sound bank asks of init is not used: the stream
  // is made for a file, whose rate the recorder chooses.
  explicit SoundMixdown(int sampleRate);
  ~SoundMixdown() override;

  bool init(int mixRate, int channelCount, unsigned flags) override;
  SoundSample* loadSample(int slot, const char* path, int mode, int offset, int length) override;
  int play(int channel, SoundSample* sample) override;
  void setVolume(int channelHandle, int volume) override;
  void setLoopMode(int channelHandle, int loopMode) override;
  void stop(int channelHandle) override;

  // Mixes the next `frameCount` sample frames of every playing channel into `stereo` (interleaved
  // left/right, 2 x frameCount floats; full scale is 1, and sums may pass it). Sounds started since the last call start at the first
  // of these frames.
  void mix(float* stereo, int frameCount);

  struct Sound;  // one file's samples at the stream's rate

 private:
  struct Voice {
    std::shared_ptr<const Sound> sound;  // nullptr: the channel is silent
    int slot = -1;                       // the slot the sound was played from
    size_t position = 0;                 // next sample frame
    float gain = 1.0f;                   // volume / 255
    bool looping = false;
  };

  bool isChannel(int channel) const { return channel >= 0 && channel < static_cast<int>(voices_.size()); }
  std::shared_ptr<const Sound> decodeOnce(const std::string& path);

  int sampleRate_;
  std::vector<Voice> voices_;
  std::vector<std::shared_ptr<const Sound>> slots_;
  std::vector<SoundSample> samples_;
  std::map<std::string, std::shared_ptr<const Sound>> decoded_;  // by path; nullptr: unreadable
};
