// Shared by the unit and GL tests: the one BMP, WAV and model writers, a scratch directory, captured
// console output, and the one recording sound layer.
#pragma once
#include <gtest/gtest.h>

#include <stdlib.h>  // Required for: mkdtemp

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "audio/sound_layer.h"

namespace test {

using Bytes = std::vector<uint8_t>;
using Rgb = std::array<uint8_t, 3>;

inline void putLe(Bytes& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A BMP file as its fields would carry it; the pixel data is already encoded by the caller.
struct BmpFile {
  bool fileHeader = true;    // false: a packed bitmap (info header first)
  uint32_t headerSize = 40;  // 12 (core) or 40; larger sizes are padded with zeros
  int32_t width = 1, height = 1;
  uint16_t bitsPerPixel = 24;
  uint32_t compression = 0, coloursUsed = 0;
  std::vector<Rgb> palette;     // red, green, blue; stored blue first
  std::vector<uint32_t> masks;  // bit fields, right after the header
  size_t gap = 0;               // junk bytes between the colour table and the pixels
  uint32_t offsetShift = 0;     // added to the stored pixel offset
  Bytes pixels;

  Bytes build() const {
    Bytes info;
    putLe(info, headerSize, 4);
    const int dimensionBytes = headerSize == 12 ? 2 : 4;
    putLe(info, static_cast<uint32_t>(width), dimensionBytes);
    putLe(info, static_cast<uint32_t>(height), dimensionBytes);
    putLe(info, 1, 2);
    putLe(info, bitsPerPixel, 2);
    if (headerSize != 12) {
      for (uint32_t v : {compression, static_cast<uint32_t>(pixels.size()), 2835u, 2835u, coloursUsed, 0u})
        putLe(info, v, 4);
      info.resize(std::max<size_t>(info.size(), headerSize), 0);
    }
    for (uint32_t mask : masks) putLe(info, mask, 4);
    for (const Rgb& c : palette) {
      info.insert(info.end(), {c[2], c[1], c[0]});
      if (headerSize != 12) info.push_back(0);
    }
    info.insert(info.end(), gap, 0xEE);
    Bytes file;
    if (fileHeader) {
      const uint32_t offset = 14 + static_cast<uint32_t>(info.size());
      file = {'B', 'M'};
      putLe(file, offset + static_cast<uint32_t>(pixels.size()), 4);
      putLe(file, 0, 4);
      putLe(file, offset + offsetShift, 4);
    }
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
  }
};

// A 24-bit picture from red-green-blue pixels, bottom row first; rows padded to 4 bytes.
inline BmpFile bmp24(int width, int height, const std::vector<Rgb>& pixels) {
  BmpFile f;
  f.width = width;
  f.height = height;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb& c = pixels[static_cast<size_t>(y * width + x)];
      f.pixels.insert(f.pixels.end(), {c[2], c[1], c[0]});
    }
    f.pixels.resize((f.pixels.size() + 3) / 4 * 4, 0);
  }
  return f;
}

// A RIFF/WAVE file: the format chunk (16 bytes, or 40 in the extensible form), the chunks `between`,
// then the data chunk of the given sample bytes.
inline std::string wavFile(int channels, int rate, int bits, const Bytes& samples, const std::string& between = "",
                           int formatTag = 1, bool extensible = false) {
  Bytes format;
  for (uint32_t v : {extensible ? 0xFFFEu : formatTag, uint32_t(channels)}) putLe(format, v, 2);
  for (uint32_t v : {uint32_t(rate), uint32_t(rate * channels * bits / 8)}) putLe(format, v, 4);
  for (uint32_t v : {uint32_t(channels * bits / 8), uint32_t(bits)}) putLe(format, v, 2);
  if (extensible) {  // extension size, valid bits, channel mask, then the subformat GUID
    for (uint32_t v : {22u, uint32_t(bits)}) putLe(format, v, 2);
    putLe(format, 0, 4);
    putLe(format, formatTag, 2);
    format.resize(format.size() + 14, 0);
  }
  Bytes sizes;
  putLe(sizes, static_cast<uint32_t>(4 + 8 + format.size() + between.size() + 8 + samples.size()), 4);
  putLe(sizes, static_cast<uint32_t>(format.size()), 4);
  putLe(sizes, static_cast<uint32_t>(samples.size()), 4);
  const auto field = [&](int i) { return std::string(sizes.begin() + 4 * i, sizes.begin() + 4 * i + 4); };
  return "RIFF" + field(0) + "WAVEfmt " + field(1) + std::string(format.begin(), format.end()) + between + "data" +
         field(2) + std::string(samples.begin(), samples.end());
}

// A model file's square from (x0, -half) to (x1, half) at z = 0 facing +z, as an exporter writes it:
// two faces, texture u across and v up, normals up; `extra` goes into its object after the mesh.
inline std::string aseSquare(int x0, int x1, int half, const std::string& extra) {
  const std::string a = std::to_string(x0), b = std::to_string(x1), lo = std::to_string(-half), hi = std::to_string(half);
  return "*GEOMOBJECT {\n*MESH { *MESH_NUMVERTEX 4 *MESH_NUMFACES 2\n*MESH_VERTEX_LIST { *MESH_VERTEX 0 " + a + " " + lo +
         " 0\n*MESH_VERTEX 1 " + b + " " + lo + " 0\n*MESH_VERTEX 2 " + b + " " + hi + " 0\n*MESH_VERTEX 3 " + a + " " + hi +
         " 0 }\n*MESH_FACE_LIST {\n*MESH_FACE 0: A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 0 *MESH_SMOOTHING 1 *MESH_MTLID 0\n"
         "*MESH_FACE 1: A: 0 B: 2 C: 3 AB: 0 BC: 1 CA: 1 *MESH_SMOOTHING 1 *MESH_MTLID 0 }\n*MESH_NUMTVERTEX 4\n"
         "*MESH_TVERTLIST { *MESH_TVERT 0 0 0 0 *MESH_TVERT 1 1 0 0 *MESH_TVERT 2 1 1 0 *MESH_TVERT 3 0 1 0 }\n"
         "*MESH_NORMALS { *MESH_FACENORMAL 0 0 0 1 *MESH_VERTEXNORMAL 0 0 0 1 *MESH_VERTEXNORMAL 1 0 0 1\n"
         "*MESH_VERTEXNORMAL 2 0 0 1 *MESH_FACENORMAL 1 0 0 1 *MESH_VERTEXNORMAL 3 0 0 1 } }\n" + extra + "\n}\n";
}

inline void writeFile(const std::string& path, const std::string& content) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << content;
}
inline void writeFile(const std::string& path, const Bytes& content) {
  writeFile(path, std::string(content.begin(), content.end()));
}

// A directory of its own for one test, removed afterwards.
class ScratchDir {
 public:
  ScratchDir() : path_((std::filesystem::temp_directory_path() / "karvosta_test_XXXXXX").string()) {
    if (mkdtemp(path_.data()) == nullptr) path_.clear();
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  template <typename Content>
  std::string write(const std::string& name, const Content& content) const {
    writeFile(path_ + "/" + name, content);
    return path_ + "/" + name;
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

struct Console {
  std::string out, err;
};

// Runs `action` with standard output and standard error captured.
template <typename Action>
Console captured(Action&& action) {
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  action();
  Console console;
  console.err = ::testing::internal::GetCapturedStderr();
  console.out = ::testing::internal::GetCapturedStdout();
  return console;
}

// Runs `action` in `directory`, standard output and standard error captured.
template <typename Action>
Console capturedIn(const std::string& directory, Action&& action) {
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(directory);
  Console console = captured(action);
  std::filesystem::current_path(previous);
  return console;
}

// Remembers the file each slot holds, and records the file, slot and volume of every play request,
// loop requests and stops. Returned channel handles differ from channel numbers, as the library's may.
class RecordingSoundLayer final : public SoundLayer {
 public:
  bool init(int, int, unsigned) override { return true; }
  SoundSample* loadSample(int slot, const char* path, int, int, int) override {
    slots_[slot] = {SoundSample{slot}, path};
    return &slots_[slot].first;
  }
  int play(int channel, SoundSample* sample) override {
    plays.push_back({sample != nullptr ? slots_[sample->slot].second : "", channel, -1});
    return channel + 1000;
  }
  void setVolume(int handle, int volume) override {
    if (!plays.empty() && plays.back().slot + 1000 == handle) plays.back().volume = volume;
  }
  void setLoopMode(int handle, int mode) override {
    if (mode == kSoundLoopNormal) looping.push_back(handle);
  }
  void stop(int handle) override { stopped.push_back(handle); }

  // Play requests whose file name contains `name`.
  int count(const char* name) const {
    return static_cast<int>(std::count_if(plays.begin(), plays.end(),
                                          [&](const Play& p) { return p.file.find(name) != std::string::npos; }));
  }

  struct Play {
    std::string file;
    int slot, volume;  // volume -1: none was set
  };
  std::vector<Play> plays;
  std::vector<int> looping, stopped;

 private:
  std::map<int, std::pair<SoundSample, std::string>> slots_;
};

}  // namespace test
