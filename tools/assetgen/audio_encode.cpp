// WAV and MP3 encoding of synthesised sounds.
#include <lame/lame.h>  // Required for: MP3 encoding

#include <cmath>  // Required for: std::floor (exact)
#include <cstdio>

#include "audio.h"
#include "det_math.h"

namespace {

constexpr int kMp3BitRate = 96;  // kbit/s, plenty for mono effects

void put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v & 0xFF));
  out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}
void putTag(std::vector<uint8_t>& out, const char* tag) {
  for (int k = 0; k < 4; ++k) out.push_back(static_cast<uint8_t>(tag[k]));
}

std::vector<int16_t> toPcm(const Samples& samples) {
  std::vector<int16_t> pcm(samples.size());
  for (size_t i = 0; i < samples.size(); ++i) {
    pcm[i] = static_cast<int16_t>(std::floor(dm::clamp(samples[i], -1.0, 1.0) * 32767.0 + 0.5));
  }
  return pcm;
}

}  // namespace

Samples crossfadeLoop(const Samples& x, size_t n, size_t fade) {
  Samples out(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(n));
  for (size_t i = 0; i < fade && n + i < x.size(); ++i) {
    // Equal-power fade: the material is noise, uncorrelated between head and tail.
    const double a = dm::sin(0.5 * dm::kPi * static_cast<double>(i) / fade);
    const double b = dm::cos(0.5 * dm::kPi * static_cast<double>(i) / fade);
    out[i] = x[i] * a + x[n + i] * b;
  }
  return out;
}

std::vector<uint8_t> encodeWav(const Samples& samples) {
  const std::vector<int16_t> pcm = toPcm(samples);
  const uint32_t dataBytes = static_cast<uint32_t>(pcm.size() * 2);
  std::vector<uint8_t> out;
  out.reserve(44 + dataBytes);
  putTag(out, "RIFF");
  put32(out, 36 + dataBytes);
  putTag(out, "WAVE");
  putTag(out, "fmt ");
  put32(out, 16);              // fmt chunk size
  put16(out, 1);               // PCM
  put16(out, 1);               // mono
  put32(out, kSampleRate);
  put32(out, kSampleRate * 2);  // bytes per second
  put16(out, 2);               // bytes per frame
  put16(out, 16);              // bits per sample
  putTag(out, "data");
  put32(out, dataBytes);
  for (int16_t s : pcm) put16(out, static_cast<uint16_t>(s));
  return out;
}

std::vector<uint8_t> encodeMp3(const Samples& samples) {
  std::vector<int16_t> pcm = toPcm(samples);
  lame_global_flags* lame = lame_init();
  if (!lame) return {};
  lame_set_in_samplerate(lame, kSampleRate);
  lame_set_out_samplerate(lame, kSampleRate);
  lame_set_num_channels(lame, 1);
  lame_set_mode(lame, MONO);
  lame_set_brate(lame, kMp3BitRate);
  lame_set_quality(lame, 2);
  lame_set_bWriteVbrTag(lame, 0);           // first bytes are a real audio frame
  lame_set_write_id3tag_automatic(lame, 0);  // no ID3 tags: the file is frames only
  if (lame_init_params(lame) < 0) {
    lame_close(lame);
    return {};
  }
  // Worst case from the encoder's documentation: 1.25 * samples + 7200 bytes.
  std::vector<uint8_t> out(pcm.size() * 5 / 4 + 7200);
  const int written = lame_encode_buffer(lame, pcm.data(), nullptr, static_cast<int>(pcm.size()), out.data(),
                                         static_cast<int>(out.size()));
  if (written < 0) {
    lame_close(lame);
    return {};
  }
  std::vector<uint8_t> tail(7200);
  const int flushed = lame_encode_flush(lame, tail.data(), static_cast<int>(tail.size()));
  lame_close(lame);
  if (flushed < 0) return {};
  out.resize(static_cast<size_t>(written));
  out.insert(out.end(), tail.begin(), tail.begin() + flushed);
  return out;
}
