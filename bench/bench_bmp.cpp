// BMP loading speed: loadDib on a 512 x 512 24-bit file (the size of the sea's normal map), from a
// temporary directory, mapping and decoding included.
#include <benchmark/benchmark.h>

#include <unistd.h>  // Required for: getpid()

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "assets/bmp_image.h"

namespace {

void putU16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void putU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A bottom-up 24-bit file with a file header; a gradient so the pixels are not all alike.
std::vector<uint8_t> makeRgb24(int width, int height) {
  const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) / 4 * 4;
  const uint32_t pixelBytes = stride * static_cast<uint32_t>(height);
  std::vector<uint8_t> file = {'B', 'M'};
  putU32(file, 54 + pixelBytes);
  putU32(file, 0);
  putU32(file, 54);
  putU32(file, 40);
  putU32(file, static_cast<uint32_t>(width));
  putU32(file, static_cast<uint32_t>(height));
  putU16(file, 1);
  putU16(file, 24);
  for (int i = 0; i < 6; ++i) putU32(file, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      file.push_back(static_cast<uint8_t>(x));
      file.push_back(static_cast<uint8_t>(y));
      file.push_back(static_cast<uint8_t>(x ^ y));
    }
    file.resize(file.size() + (stride - static_cast<uint32_t>(width) * 3), 0);
  }
  return file;
}

void BM_LoadDib512Rgb24(benchmark::State& state) {
  const std::filesystem::path directory =
      std::filesystem::temp_directory_path() / ("karvosta_bench_bmp_" + std::to_string(getpid()));
  std::filesystem::create_directories(directory);
  const std::string path = (directory / "rgb24_512.bmp").string();
  const std::vector<uint8_t> bytes = makeRgb24(512, 512);
  {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  for (auto _ : state) {
    std::unique_ptr<RgbImage> image = loadDib(path.c_str());
    if (image == nullptr) {
      state.SkipWithError("loadDib failed");
      break;
    }
    benchmark::DoNotOptimize(image->pixels.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
  std::filesystem::remove_all(directory);
}
BENCHMARK(BM_LoadDib512Rgb24)->Unit(benchmark::kMicrosecond);

}  // namespace
