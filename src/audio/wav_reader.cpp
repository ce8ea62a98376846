// WAV reading: the chunks of a RIFF/WAVE file walked with every size checked against the bytes present.
#include "audio/wav_reader.h"

#include <cstring>

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;  // the real format is the first two bytes of its subformat
constexpr uint32_t kMaxSampleRate = 384000;     // Hz

uint32_t le32(const unsigned char* at) { return at[0] | (at[1] << 8) | (at[2] << 16) | (uint32_t{at[3]} << 24); }
uint16_t le16(const unsigned char* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }

}  // namespace

bool readWav(const std::string& bytes, WavSound& sound, std::string& error) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t size = bytes.size();
  if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0) {
    error = "not a WAV file (no RIFF/WAVE header)";
    return false;
  }
  bool haveFormat = false;
  int bits = 0, blockAlign = 0;
  for (size_t at = 12; at + 8 <= size;) {
    const unsigned char* chunk = data + at;
    const uint32_t length = le32(chunk + 4);
    const size_t body = at + 8;
    if (length > size - body) {
      error = "truncated: the \"" + std::string(reinterpret_cast<const char*>(chunk), 4) + "\" chunk announces " +
              std::to_string(length) + " bytes, " + std::to_string(size - body) + " are present";
      return false;
    }
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (length < 16) {
        error = "format chunk of " + std::to_string(length) + " bytes, 16 at least are needed";
        return false;
      }
      const unsigned char* format = data + body;
      uint16_t tag = le16(format);
      if (tag == kFormatExtensible && length >= 40) tag = le16(format + 24);
      sound.channels = le16(format + 2);
      sound.sampleRate = static_cast<int>(le32(format + 4));
      blockAlign = le16(format + 12);
      bits = le16(format + 14);
      if (tag != kFormatPcm || (bits != 8 && bits != 16)) {
        error = "format " + std::to_string(tag) + " with " + std::to_string(bits) +
                "-bit samples: only integer PCM of 8 or 16 bits is read";
        return false;
      }
      if (sound.channels < 1 || sound.channels > 2 || sound.sampleRate < 1 ||
          static_cast<uint32_t>(sound.sampleRate) > kMaxSampleRate || blockAlign != sound.channels * bits / 8) {
        error = std::to_string(sound.channels) + " channels at " + std::to_string(sound.sampleRate) +
                " Hz in blocks of " + std::to_string(blockAlign) + " bytes: mono or stereo up to 384 kHz is read";
        return false;
      }
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!haveFormat) {
        error = "the data chunk comes before the format chunk";
        return false;
      }
      const size_t frames = length / static_cast<size_t>(blockAlign);
      if (frames == 0) {
        error = "the data chunk holds no whole sample frame";
        return false;
      }
      const unsigned char* samples = data + body;
      sound.samples.resize(frames * static_cast<size_t>(sound.channels));
      for (size_t i = 0; i < sound.samples.size(); ++i) {
        // 8-bit samples are unsigned around 128, 16-bit ones signed.
        sound.samples[i] = bits == 8 ? static_cast<int16_t>((samples[i] - 128) * 256)
                                     : static_cast<int16_t>(le16(samples + 2 * i));
      }
      return true;
    }
    at = body + length + (length & 1);  // chunks are padded to even sizes
  }
  error = haveFormat ? "no data chunk" : "no format chunk";
  return false;
}
