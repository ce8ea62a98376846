// Off-line sound layer: files decoded once with libavformat/libavcodec and resampled with
// libswresample; channels summed at their volumes into a stereo float stream.
#include "audio/sound_mixdown.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <algorithm>  // Required for: std::clamp(), std::fill()
#include <cstdio>

namespace {

constexpr int kSlotCount = 256;  // sample slots 0..255, as the live layer has

}  // namespace

struct SoundMixdown::Sound {
  std::vector<float> frames;  // interleaved stereo at the stream's rate
  size_t frameCount() const { return frames.size() / 2; }
};

namespace {

// Appends what `resampler` gives for `input` (nullptr: its remainder) to `out`, widening mono to
// stereo by copying, as the live device plays mono files: at full level on both sides.
void convert(SwrContext* resampler, const AVFrame* input, int outChannels, std::vector<float>& out) {
  const int inCount = input != nullptr ? input->nb_samples : 0;
  const int room = swr_get_out_samples(resampler, inCount);
  if (room <= 0) return;
  std::vector<float> buffer(static_cast<size_t>(room) * outChannels);
  auto* target = reinterpret_cast<uint8_t*>(buffer.data());
  const uint8_t** source = input != nullptr ? const_cast<const uint8_t**>(input->extended_data) : nullptr;
  const int made = swr_convert(resampler, &target, room, source, inCount);
  for (int i = 0; i < made; ++i) {
    const float left = buffer[static_cast<size_t>(i) * outChannels];
    const float right = outChannels == 2 ? buffer[static_cast<size_t>(i) * 2 + 1] : left;
    out.push_back(left);
    out.push_back(right);
  }
}

// A resampler from `frame`'s channels, rate and sample format to `outChannels` floats at `rate`;
// nullptr when it cannot be set up.
SwrContext* openResampler(const AVFrame* frame, int outChannels, int rate) {
  // FFmpeg's layout copy first releases what its target held: the targets start empty.
  AVChannelLayout in{};
  AVChannelLayout out{};
  if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
    av_channel_layout_default(&in, frame->ch_layout.nb_channels);
  } else if (av_channel_layout_copy(&in, &frame->ch_layout) < 0) {
    return nullptr;
  }
  av_channel_layout_default(&out, outChannels);
  SwrContext* resampler = nullptr;
  if (swr_alloc_set_opts2(&resampler, &out, AV_SAMPLE_FMT_FLT, rate, &in, static_cast<AVSampleFormat>(frame->format),
                          frame->sample_rate, 0, nullptr) < 0 ||
      swr_init(resampler) < 0) {
    swr_free(&resampler);
  }
  av_channel_layout_uninit(&in);
  return resampler;
}

// The whole file as interleaved stereo at `rate`; empty when it cannot be read or decoded. A packet
// that fails to decode is left out and the rest kept, as a player does; standard error names the file.
// A frame whose channels, rate or sample format differ from the one before (a damaged MP3 header
// can say so) gets a resampler of its own.
std::vector<float> decodeFile(const char* path, int rate) {
  std::vector<float> out;
  AVFormatContext* input = nullptr;
  if (avformat_open_input(&input, path, nullptr, nullptr) < 0) return out;
  const AVCodec* decoder = nullptr;
  AVCodecContext* codec = nullptr;
  SwrContext* resampler = nullptr;
  struct {
    int format = -1;
    int rate = 0;
    AVChannelLayout layout{};
    int outChannels = 2;  // 1 for mono input, widened when stored
  } resampled;  // what `resampler` was set up for
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  int streamIndex = -1;
  bool ok = packet != nullptr && frame != nullptr && avformat_find_stream_info(input, nullptr) >= 0 &&
            (streamIndex = av_find_best_stream(input, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0)) >= 0;
  if (ok) {
    codec = avcodec_alloc_context3(decoder);
    ok = codec != nullptr && avcodec_parameters_to_context(codec, input->streams[streamIndex]->codecpar) >= 0 &&
         avcodec_open2(codec, decoder, nullptr) >= 0;
  }
  // Packets, then the decoder's end-of-stream flush (packet nullptr), each followed by its frames.
  bool draining = false;
  int damaged = 0;  // packets and frames left out
  while (ok && !draining) {
    int result = av_read_frame(input, packet);
    if (result < 0) {
      draining = true;
      result = avcodec_send_packet(codec, nullptr);
    } else if (packet->stream_index == streamIndex) {
      result = avcodec_send_packet(codec, packet);
      av_packet_unref(packet);
    } else {
      av_packet_unref(packet);
      continue;
    }
    if (result < 0 && result != AVERROR(EAGAIN)) ++damaged;
    while ((result = avcodec_receive_frame(codec, frame)) >= 0) {
      if (frame->format != resampled.format || frame->sample_rate != resampled.rate ||
          av_channel_layout_compare(&frame->ch_layout, &resampled.layout) != 0) {
        if (resampler != nullptr) convert(resampler, nullptr, resampled.outChannels, out);  // the last input's rest
        swr_free(&resampler);
        resampled.outChannels = frame->ch_layout.nb_channels == 1 ? 1 : 2;
        resampler = openResampler(frame, resampled.outChannels, rate);
        resampled.format = frame->format;
        resampled.rate = frame->sample_rate;
        if (av_channel_layout_copy(&resampled.layout, &frame->ch_layout) < 0) swr_free(&resampler);
      }
      if (resampler != nullptr) {
        convert(resampler, frame, resampled.outChannels, out);
      } else {
        ++damaged;
      }
      av_frame_unref(frame);
    }
    if (result != AVERROR(EAGAIN) && result != AVERROR_EOF) ++damaged;
  }
  if (damaged > 0) {
    std::fprintf(stderr, "sound file %s is damaged: %d of its packets could not be decoded and were left out\n", path,
                 damaged);
  }
  if (ok && resampler != nullptr) convert(resampler, nullptr, resampled.outChannels, out);
  if (!ok) out.clear();
  swr_free(&resampler);
  av_channel_layout_uninit(&resampled.layout);
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&codec);
  avformat_close_input(&input);
  return out;
}

}  // namespace

SoundMixdown::SoundMixdown(int sampleRate) : sampleRate_(sampleRate), slots_(kSlotCount), samples_(kSlotCount) {
  for (int slot = 0; slot < kSlotCount; ++slot) samples_[slot].slot = slot;
}

SoundMixdown::~SoundMixdown() = default;

bool SoundMixdown::init(int /*mixRate*/, int channelCount, unsigned /*flags*/) {
  voices_.assign(static_cast<size_t>(std::max(channelCount, 0)), Voice{});
  return true;
}

std::shared_ptr<const SoundMixdown::Sound> SoundMixdown::decodeOnce(const std::string& path) {
  const auto known = decoded_.find(path);
  if (known != decoded_.end()) return known->second;
  std::shared_ptr<const Sound> sound;
  std::vector<float> frames = decodeFile(path.c_str(), sampleRate_);
  if (!frames.empty()) sound = std::make_shared<const Sound>(Sound{std::move(frames)});
  decoded_[path] = sound;
  return sound;
}

// As on the live device: a successful load replaces the slot's sample and silences whatever played it.
SoundSample* SoundMixdown::loadSample(int slot, const char* path, int /*mode*/, int /*offset*/, int /*length*/) {
  if (slot < 0 || slot >= kSlotCount || path == nullptr) return nullptr;
  std::shared_ptr<const Sound> sound = decodeOnce(path);
  if (sound == nullptr) return nullptr;  // the slot keeps what it held
  for (Voice& voice : voices_) {
    if (voice.sound != nullptr && voice.slot == slot) voice = Voice{};
  }
  slots_[slot] = std::move(sound);
  return &samples_[slot];
}

// A busy channel is cut off: the new sound takes its place from the start, at full volume, once.
int SoundMixdown::play(int channel, SoundSample* sample) {
  if (sample == nullptr || sample->slot < 0 || sample->slot >= kSlotCount || !isChannel(channel)) {
    return kSoundNoChannel;
  }
  if (slots_[sample->slot] == nullptr) return kSoundNoChannel;
  voices_[channel] = Voice{slots_[sample->slot], sample->slot, 0, 1.0f, false};
  return channel;
}

void SoundMixdown::setVolume(int channelHandle, int volume) {
  if (!isChannel(channelHandle)) return;
  voices_[channelHandle].gain = static_cast<float>(std::clamp(volume, 0, kSoundMaxVolume)) / kSoundMaxVolume;
}

// The loop mode applies from the channel's current position on; a channel that ended stays silent.
void SoundMixdown::setLoopMode(int channelHandle, int loopMode) {
  if (!isChannel(channelHandle)) return;
  if (loopMode == kSoundLoopNormal) voices_[channelHandle].looping = true;
  if (loopMode == kSoundLoopOff) voices_[channelHandle].looping = false;
}

void SoundMixdown::stop(int channelHandle) {
  if (isChannel(channelHandle)) voices_[channelHandle] = Voice{};
}

void SoundMixdown::mix(float* stereo, int frameCount) {
  std::fill(stereo, stereo + 2 * static_cast<size_t>(frameCount), 0.0f);
  for (Voice& voice : voices_) {
    if (voice.sound == nullptr) continue;
    const std::vector<float>& source = voice.sound->frames;
    const size_t length = voice.sound->frameCount();
    for (int i = 0; i < frameCount; ++i) {
      if (voice.position >= length) {
        if (!voice.looping) {
          voice = Voice{};
          break;
        }
        voice.position = 0;
      }
      stereo[2 * i] += source[2 * voice.position] * voice.gain;
      stereo[2 * i + 1] += source[2 * voice.position + 1] * voice.gain;
      ++voice.position;
    }
  }
  // Summed channels may pass full scale and are left so: a film's limiter brings such peaks down
  // without the distortion of cutting them off.
}
