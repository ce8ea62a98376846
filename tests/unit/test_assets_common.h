// Shared helpers of the generated-asset checks: where the run-time data lives, whole-file reads and
// little-endian fields. Independent of the generator's own code on purpose.
#pragma once
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace asset_check {

inline std::string dataDir() { return std::string(KARVOSTA_RUNTIME_DIR) + "/data"; }
inline std::string generatorPath() { return std::string(KARVOSTA_RUNTIME_DIR) + "/tools/assetgen/assetgen"; }

inline std::vector<uint8_t> readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline uint32_t le16(const std::vector<uint8_t>& b, size_t at) {
  return at + 2 <= b.size() ? static_cast<uint32_t>(b[at] | (b[at + 1] << 8)) : 0;
}
inline uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
  return at + 4 <= b.size() ? le16(b, at) | (le16(b, at + 2) << 16) : 0;
}
inline int32_t le32s(const std::vector<uint8_t>& b, size_t at) { return static_cast<int32_t>(le32(b, at)); }

inline bool isPowerOfTwo(int64_t v) { return v > 0 && (v & (v - 1)) == 0; }

}  // namespace asset_check
