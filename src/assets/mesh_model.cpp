// ASE model loader: one keyword-driven pass over the file's tokens into MeshModel's game values,
// materials and meshes, with every count and index checked so that a broken file cannot make
// drawing read outside an array. No GL.
#include "assets/mesh_model.h"

#include <algorithm>
#include <charconv>      // Required for: std::from_chars (numbers read the same under any locale)
#include <cerrno>
#include <cmath>
#include <cstdarg>       // Required for: va_list (the report lines)
#include <cstdio>        // Required for: std::printf
#include <cstdlib>       // Required for: std::strtod (where from_chars reads no floating point)
#include <limits>
#include <string>
#include <string_view>
#include <system_error>  // Required for: std::errc
#include <unordered_map>
#include <unordered_set>

#include "platform/dialog.h"
#include "platform/file_read.h"

namespace {

// A count above this is taken as a broken file, not as a mesh to allocate for.
constexpr int64_t kMaxCount = 10000000;  // entries
// Rejected indices are reported one line each up to this many; the rest only in the summary.
constexpr int kMaxNotes = 8;

// ---------------------------------------------------------------------------------------------
// File text and numbers
// ---------------------------------------------------------------------------------------------

// Blank, tab, line feed, vertical tab, form feed, carriage return.
inline bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Numbers are read from the start of a token, as a stream would; characters after the number in
// the same token are ignored. A token that does not start with a number is a failed read.
bool parseInt(std::string_view token, int64_t& value) {
  const char* first = token.data();
  const char* last = first + token.size();
  if (first != last && *first == '+') ++first;  // from_chars takes '-' but not '+'
  const char* digits = (first != last && *first == '-') ? first + 1 : first;
  if (digits == last || !isDigit(*digits)) return false;
  return std::from_chars(first, last, value).ec == std::errc();
}

// Decimal text to double, correctly rounded, under any locale. The web build's C++ library has no
// floating-point from_chars; there strtod is locale-free and correctly rounded too, and it is given
// only the characters from_chars would read (it would take hexadecimal as well).
bool readDouble(const char* first, const char* last, double& value) {
#if defined(__cpp_lib_to_chars)
  return std::from_chars(first, last, value, std::chars_format::general).ec == std::errc();
#else
  const char* end = first;
  if (end != last && *end == '-') ++end;
  while (end != last && isDigit(*end)) ++end;
  if (end != last && *end == '.') {
    for (++end; end != last && isDigit(*end);) ++end;
  }
  if (end != last && (*end == 'e' || *end == 'E')) {
    const char* exponent = end + 1;
    if (exponent != last && (*exponent == '+' || *exponent == '-')) ++exponent;
    if (exponent != last && isDigit(*exponent)) {
      while (exponent != last && isDigit(*exponent)) ++exponent;
      end = exponent;
    }
  }
  const std::string text(first, end);
  char* stop = nullptr;
  errno = 0;
  const double read = std::strtod(text.c_str(), &stop);
  if (stop == text.c_str() || errno == ERANGE) return false;  // from_chars: result_out_of_range
  value = read;
  return true;
#endif
}

bool parseReal(std::string_view token, float& value) {
  const char* first = token.data();
  const char* last = first + token.size();
  if (first != last && *first == '+') ++first;
  const char* digits = (first != last && *first == '-') ? first + 1 : first;
  // Only decimal notation: from_chars alone would also take "inf" and "nan".
  if (digits == last || !(isDigit(*digits) || *digits == '.')) return false;
  double wide = 0.0;
  if (!readDouble(first, last, wide)) return false;
  constexpr double kFloatMax = std::numeric_limits<float>::max();
  if (wide > kFloatMax || wide < -kFloatMax) return false;
  value = static_cast<float>(wide);  // tiny values become 0 or subnormal, as a float stream has it
  return true;
}

// ---------------------------------------------------------------------------------------------
// Loader state
// ---------------------------------------------------------------------------------------------

struct AseReader {
  MeshModel& model;
  const char* path;
  const char* begin;  // the whole file, in memory
  const char* pos;    // next character to read
  const char* end;

  std::string_view token;  // the current token: the last word read (reading numbers leaves it)
  int depth = 0;           // brace depth; "*GEOMOBJECT" resets it
  std::unique_ptr<GeomObject> current;  // the object being built
  GeomObject outside;  // takes mesh keys met before the first "*GEOMOBJECT"; never kept
  bool failed = false;
  int notes = 0;
  int64_t countBudget;  // entries all counts may still announce: the file's size, less those read

  AseReader(MeshModel& target, const char* filePath, const std::string& text)
      : model(target),
        path(filePath),
        begin(text.data()),
        pos(text.data()),
        end(text.data() + text.size()),
        countBudget(static_cast<int64_t>(text.size())) {}

  // The next whitespace-separated token, or false at the end of the file.
  bool nextWord(std::string_view& word) {
    while (pos != end && isBlank(*pos)) ++pos;
    if (pos == end) return false;
    const char* start = pos;
    while (pos != end && !isBlank(*pos)) ++pos;
    word = std::string_view(start, static_cast<size_t>(pos - start));
    return true;
  }

  // A path as exporters write it: between double quotes, blanks included, quotes removed. Without
  // an opening quote, or without a closing one on the same line, the path is one token as it stands.
  bool nextPath(std::string_view& path) {
    while (pos != end && isBlank(*pos)) ++pos;
    if (pos != end && *pos == '"') {
      const char* close = pos + 1;
      while (close != end && *close != '"' && *close != '\n' && *close != '\r') ++close;
      if (close != end && *close == '"') {
        path = std::string_view(pos + 1, static_cast<size_t>(close - pos - 1));
        pos = close + 1;
        return true;
      }
    }
    return nextWord(path);
  }

  // Reads the next token as the current token; at the end of the file that is a failed read.
  bool next(const char* where) {
    if (nextWord(token)) return true;
    return fail("the file ends inside %s", where);
  }

  bool readInt(int64_t& value, const char* what) {
    std::string_view word;
    if (!nextWord(word)) return fail("the file ends where %s belongs", what);
    if (!parseInt(word, value)) return failAt(word, what);
    return true;
  }

  bool readInt32(int32_t& value, const char* what) {
    int64_t wide = 0;
    if (!readInt(wide, what)) return false;
    if (wide < std::numeric_limits<int32_t>::min() || wide > std::numeric_limits<int32_t>::max()) {
      return fail("%s %lld is out of range", what, static_cast<long long>(wide));
    }
    value = static_cast<int32_t>(wide);
    return true;
  }

  bool readReal(float& value, const char* what) {
    std::string_view word;
    if (!nextWord(word)) return fail("the file ends where %s belongs", what);
    if (!parseReal(word, value)) return failAt(word, what);
    return true;
  }

  bool readReals(float* values, int n, const char* what) {
    for (int i = 0; i < n; ++i) {
      if (!readReal(values[i], what)) return false;
    }
    return true;
  }

  // A list of n entries cannot fit in fewer than n bytes: larger counts would only allocate for
  // entries the file cannot hold. The same holds for all lists together, so the counts share one
  // budget of the file's size: a file repeating a large count would otherwise allocate and clear
  // its arrays once per repetition, quadratic in the file's size.
  bool readCount(int32_t& count, const char* what) {
    int64_t n = 0;
    if (!readInt(n, what)) return false;
    if (n < 0 || n > kMaxCount || n > end - pos || n > countBudget) {
      return fail("%s %lld is impossible for this file", what, static_cast<long long>(n));
    }
    countBudget -= n;
    count = static_cast<int32_t>(n);
    return true;
  }

  GeomObject& object() { return current ? *current : outside; }

  int lineOf(const char* at) const {
    int line = 1;
    for (const char* c = begin; c < at && c < end; ++c) line += (*c == '\n');
    return line;
  }

  // Reports why the load stops; the caller returns false up to the main loop.
  bool fail(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    std::fprintf(stderr, "ASE file \"%s\", line %d: ", path, lineOf(pos));
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fprintf(stderr, "; loading stops here, keeping what was read.\n");
    failed = true;
    return false;
  }

  bool failAt(std::string_view word, const char* what) {
    const int shown = static_cast<int>(word.size() < 40 ? word.size() : 40);
    return fail("\"%.*s\" where %s belongs", shown, word.data(), what);
  }

  // A rejected index: reported, and the load goes on without it. Objects are checked when they
  // are complete, so their notes name the object instead of a line.
  void note(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    // Past the shown notes only the count matters: finding the line scans the file from its start,
    // which for every one of thousands of bad entries would make the load quadratic.
    if (notes >= kMaxNotes) {
      ++notes;
      return;
    }
    va_list args;
    va_start(args, format);
    report(lineOf(pos), format, args);
    va_end(args);
  }
  void noteObject(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    va_list args;
    va_start(args, format);
    report(0, format, args);
    va_end(args);
  }
  void report(int line, const char* format, va_list args) {
    if (++notes > kMaxNotes) return;
    if (line > 0) {
      std::fprintf(stderr, "ASE file \"%s\", line %d: ", path, line);
    } else {
      std::fprintf(stderr, "ASE file \"%s\": ", path);
    }
    std::vfprintf(stderr, format, args);
    std::fprintf(stderr, "\n");
  }
};

// ---------------------------------------------------------------------------------------------
// Object completion and model checks
// ---------------------------------------------------------------------------------------------

// Drawing indexes vertices and vertex normals with every face corner, so a face with a corner
// outside its object is dropped. Corners are checked here, when the object is complete, because a
// later "*MESH_NUMVERTEX" may have changed the vertex count.
void dropFacesOutsideVertices(AseReader& r, GeomObject& object) {
  const uint64_t vertexCount = static_cast<uint64_t>(object.numVertex);
  int32_t kept = 0;
  for (int32_t f = 0; f < object.numFaces; ++f) {
    const size_t from = 3 * static_cast<size_t>(f);
    const size_t to = 3 * static_cast<size_t>(kept);
    const uint32_t* corner = &object.faces[from];
    if (corner[0] >= vertexCount || corner[1] >= vertexCount || corner[2] >= vertexCount) continue;
    for (size_t k = 0; k < 3; ++k) object.faces[to + k] = corner[k];
    ++kept;
  }
  if (kept == object.numFaces) return;
  r.noteObject("object %s: %d faces with a corner outside its %d vertices dropped",
               object.name.c_str(), object.numFaces - kept, object.numVertex);
  object.numFaces = kept;
  object.faces.resize(3 * static_cast<size_t>(kept));
}

void appendCurrentObject(AseReader& r) {
  if (!r.current) return;
  dropFacesOutsideVertices(r, *r.current);
  r.model.objects.push_back(std::move(r.current));
}

// Material references are checked once the whole file is read: the material list may be given
// (or given again) after an object refers to it.
void dropMaterialRefsOutsideMaterials(AseReader& r) {
  const int32_t count = static_cast<int32_t>(r.model.materials.size());
  for (const std::unique_ptr<GeomObject>& object : r.model.objects) {
    if (object->materialRef >= count) {
      r.noteObject("object %s: material %d does not exist (%d materials); drawn without material",
                   object->name.c_str(), object->materialRef, count);
      object->materialRef = -1;
    } else if (object->materialRef < -1) {
      object->materialRef = -1;
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Keyword handlers. Each returns false when a read failed, which ends the load.
// ---------------------------------------------------------------------------------------------

bool openBrace(AseReader& r) { ++r.depth; return true; }
bool closeBrace(AseReader& r) { --r.depth; return true; }

bool readMaterialCount(AseReader& r) {
  int32_t n = 0;
  if (!r.readCount(n, "the material count")) return false;
  r.model.materials.assign(static_cast<size_t>(n), Material{});
  return true;
}

template <int32_t MeshModel::*key>
bool readGameKey(AseReader& r) {
  return r.readInt32(r.model.*key, "a game value");
}

bool readColor(AseReader& r, std::array<float, 3>& color) {
  std::array<float, 3> read{};
  if (!r.readReals(read.data(), 3, "a colour component")) return false;
  color = read;
  return true;
}

// "*MATERIAL m {": the block ends at the brace that brings the depth back to where the material
// list keeps it (1). Keys at any depth inside apply to material m, the last one given wins; game
// keys, geometry keys and anything else inside are skipped.
bool readMaterialBlock(AseReader& r) {
  int64_t index = 0;
  if (!r.readInt(index, "the material index")) return false;
  Material dropped;
  Material* material = &dropped;
  if (index >= 0 && index < static_cast<int64_t>(r.model.materials.size())) {
    material = &r.model.materials[static_cast<size_t>(index)];
  } else {
    r.note("material %lld does not exist (%zu materials); its block is skipped",
           static_cast<long long>(index), r.model.materials.size());
  }
  float tiling = 0.0f;  // read and dropped: textures repeat as their coordinates say
  if (!r.next("a material block")) return false;  // the block's "{", whatever the token is
  ++r.depth;
  while (r.depth > 1) {
    if (!r.next("a material block")) return false;
    const std::string_view key = r.token;
    bool ok = true;
    if (key == "{") ++r.depth;
    else if (key == "}") --r.depth;
    else if (key == "*MATERIAL_AMBIENT") ok = readColor(r, material->ambient);
    else if (key == "*MATERIAL_DIFFUSE") ok = readColor(r, material->diffuse);
    else if (key == "*MATERIAL_SPECULAR") ok = readColor(r, material->specular);
    else if (key == "*MATERIAL_SHINE") ok = r.readReal(material->shine, "the shininess");
    else if (key == "*UVW_U_TILING" || key == "*UVW_V_TILING") ok = r.readReal(tiling, "a tiling value");
    else if (key == "*BITMAP") {
      std::string_view value;  // read aside: the current token stays "*BITMAP"
      if (!r.nextPath(value)) return r.fail("the file ends where a bitmap path belongs");
      material->bitmapName.assign(value.data(), value.size());
    }
    if (!ok) return false;
  }
  return true;
}

bool startObject(AseReader& r) {
  appendCurrentObject(r);
  r.current = std::make_unique<GeomObject>();
  r.depth = 0;
  return true;
}

bool readNodeName(AseReader& r) {
  if (!r.next("a node name")) return false;
  r.object().name.assign(r.token.data(), r.token.size());
  return true;
}

// Counts allocate their arrays at once, zero-filled (normals pointing up), so that an object whose
// list is missing or cut short is still sized by its counts.
bool readVertexCount(AseReader& r) {
  GeomObject& o = r.object();
  if (!r.readCount(o.numVertex, "the vertex count")) return false;
  o.vertices.assign(3 * static_cast<size_t>(o.numVertex), 0.0f);
  o.vertexNormals.resize(3 * static_cast<size_t>(o.numVertex));
  for (size_t v = 0; v < static_cast<size_t>(o.numVertex); ++v) {
    o.vertexNormals[3 * v + 0] = 0.0f;
    o.vertexNormals[3 * v + 1] = 0.0f;
    o.vertexNormals[3 * v + 2] = 1.0f;
  }
  return true;
}

bool readFaceCount(AseReader& r) {
  GeomObject& o = r.object();
  if (!r.readCount(o.numFaces, "the face count")) return false;
  o.faces.assign(3 * static_cast<size_t>(o.numFaces), 0u);
  return true;
}

bool readTVertexCount(AseReader& r) {
  GeomObject& o = r.object();
  if (!r.readCount(o.numTVertex, "the texture vertex count")) return false;
  o.tvertices.assign(3 * static_cast<size_t>(o.numTVertex), 0.0f);
  return true;
}

bool readTVFaceCount(AseReader& r) {
  GeomObject& o = r.object();
  return r.readCount(o.numTVFaces, "the texture face count");
}

// Opening "{" of a list: counted if it is one, consumed either way.
bool readListOpening(AseReader& r, const char* where) {
  if (!r.next(where)) return false;
  if (r.token == "{") ++r.depth;
  return true;
}

// Entry head: the entry's keyword and its printed index, both ignored (entries are stored in file
// order). A brace there means the list has fewer entries than its count.
bool readEntryHead(AseReader& r, const char* where) {
  for (int k = 0; k < 2; ++k) {
    if (!r.next(where)) return false;
    if (r.token == "}" || r.token == "{") {
      return r.fail("%s has fewer entries than its count", where);
    }
  }
  return true;
}

// "*MESH_VERTEX_LIST" and "*MESH_TVERTLIST": `count` entries of three reals, read by the count;
// surplus entries are left to the main loop, which skips them.
bool readRealTriples(AseReader& r, int32_t count, std::vector<float>& values, const char* where) {
  if (!readListOpening(r, where)) return false;
  for (size_t i = 0; i < static_cast<size_t>(count); ++i) {
    if (!readEntryHead(r, where)) return false;
    if (!r.readReals(&values[3 * i], 3, "a coordinate")) return false;
  }
  return true;
}

bool readVertexList(AseReader& r) {
  GeomObject& o = r.object();
  return readRealTriples(r, o.numVertex, o.vertices, "a vertex list");
}

bool readTVertexList(AseReader& r) {
  GeomObject& o = r.object();
  return readRealTriples(r, o.numTVertex, o.tvertices, "a texture vertex list");
}

// Texture faces are read through and dropped: texture vertex i belongs to vertex i (see
// hasTexCoordPerVertex), so drawing has no use for them.
bool readTFaceList(AseReader& r) {
  GeomObject& o = r.object();
  const char* where = "a texture face list";
  if (!readListOpening(r, where)) return false;
  for (size_t i = 0; i < static_cast<size_t>(o.numTVFaces); ++i) {
    if (!readEntryHead(r, where)) return false;
    int32_t index = 0;
    for (size_t k = 0; k < 3; ++k) {
      if (!r.readInt32(index, "a texture vertex index")) return false;
    }
  }
  return true;
}

// A corner as an unsigned index; anything that cannot be a vertex number becomes a value that
// dropFacesOutsideVertices rejects.
bool readCorner(AseReader& r, uint32_t& corner) {
  int64_t value = 0;
  if (!r.readInt(value, "a face corner")) return false;
  const bool representable = value >= 0 && value < int64_t{1} << 32;
  corner = representable ? static_cast<uint32_t>(value) : std::numeric_limits<uint32_t>::max();
  return true;
}

// "*MESH_FACE 0: A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 0 *MESH_SMOOTHING 1 *MESH_MTLID 0": the corners are
// read after their labels, the edge flags are discarded, and the rest of the line is skipped up to
// the next "*MESH_FACE". The printed face number is not used.
bool readFaceList(AseReader& r) {
  GeomObject& o = r.object();
  const char* where = "a face list";
  if (!readListOpening(r, where)) return false;
  if (o.numFaces == 0) return true;  // no first "*MESH_FACE" to read: the list may be just "}"
  if (!r.next(where)) return false;  // the first "*MESH_FACE"
  for (int32_t i = 0; i < o.numFaces; ++i) {
    uint32_t corner[3] = {0, 0, 0};
    if (!readEntryHead(r, where)) return false;  // face number with its colon, label "A:"
    if (!readCorner(r, corner[0])) return false;
    for (int k = 1; k < 3; ++k) {
      if (!r.next(where) || !readCorner(r, corner[k])) return false;
    }
    for (int k = 0; k < 3; ++k) {
      int64_t edgeFlag = 0;
      if (!r.next(where) || !r.readInt(edgeFlag, "an edge flag")) return false;
    }
    for (size_t k = 0; k < 3; ++k) o.faces[3 * static_cast<size_t>(i) + k] = corner[k];
    if (i + 1 < o.numFaces) {
      do {
        if (!r.next(where)) return false;
        if (r.token == "}") return r.fail("%s has fewer entries than its count", where);
      } while (r.token != "*MESH_FACE");
    }
  }
  return true;
}

// One normal entry: index and three reals, stored only where the index is inside the array (and
// not at all without an array: face normals are read and dropped, since lighting uses the vertex
// normals).
bool readNormal(AseReader& r, std::vector<float>* normals, int32_t count, const char* kind) {
  int64_t index = 0;
  float normal[3] = {0.0f, 0.0f, 0.0f};
  if (!r.readInt(index, "a normal index") || !r.readReals(normal, 3, "a normal component")) {
    return false;
  }
  if (index < 0 || index >= count) {
    r.note("%s normal %lld outside 0..%d skipped", kind, static_cast<long long>(index), count - 1);
    return true;
  }
  if (normals == nullptr) return true;
  for (size_t k = 0; k < 3; ++k) (*normals)[3 * static_cast<size_t>(index) + k] = normal[k];
  return true;
}

// "*MESH_NORMALS { ... }": face normals and vertex normals by their printed index, the last one
// given for a vertex wins. Tokens of any other kind inside are skipped.
bool readNormalsBlock(AseReader& r) {
  GeomObject& o = r.object();
  const char* where = "a normals block";
  if (!r.next(where)) return false;  // the block's "{", whatever the token is
  ++r.depth;
  if (!r.next(where)) return false;
  while (r.token != "}") {
    bool known = false;
    if (r.token == "*MESH_FACENORMAL") {
      known = true;
      if (!readNormal(r, nullptr, o.numFaces, "face") || !r.next(where)) return false;
    }
    if (r.token == "*MESH_VERTEXNORMAL") {
      known = true;
      if (!readNormal(r, &o.vertexNormals, o.numVertex, "vertex") || !r.next(where)) return false;
    }
    if (!known && !r.next(where)) return false;
  }
  --r.depth;
  return true;
}

bool readMaterialRef(AseReader& r) {
  return r.readInt32(r.object().materialRef, "a material reference");
}

bool readWireframeColor(AseReader& r) { return readColor(r, r.object().wireframeColor); }

// Every token is tested against every row, in this order; a handler that reads tokens leaves the
// last one as the current token, and the rows after it are tested against that.
struct KeywordRow {
  std::string_view keyword;
  bool (*handle)(AseReader&);
};

constexpr KeywordRow kKeywords[] = {
    {"{", openBrace},
    {"}", closeBrace},
    {"*MATERIAL_COUNT", readMaterialCount},
    {"*BRENNWEITE", readGameKey<&MeshModel::focalDistance>},
    {"*RADIUS", readGameKey<&MeshModel::radius>},
    {"*ENERGIE", readGameKey<&MeshModel::energy>},
    {"*ZOFFSET", readGameKey<&MeshModel::zOffset>},
    {"*HOEHE", readGameKey<&MeshModel::height>},
    {"*GESCHWINDIGKEIT", readGameKey<&MeshModel::speed>},
    {"*KURVE", readGameKey<&MeshModel::turnRate>},
    {"*KANONEN", readGameKey<&MeshModel::cannons>},
    {"*MUNITION", readGameKey<&MeshModel::ammunition>},
    {"*REICHWEITE", readGameKey<&MeshModel::range>},
    {"*KANONENGESCHW", readGameKey<&MeshModel::cannonSpeed>},
    {"*MATERIAL", readMaterialBlock},
    {"*GEOMOBJECT", startObject},
    {"*NODE_NAME", readNodeName},
    {"*MESH_NUMVERTEX", readVertexCount},
    {"*MESH_NUMFACES", readFaceCount},
    {"*MESH_NUMTVERTEX", readTVertexCount},
    {"*MESH_NUMTVFACES", readTVFaceCount},
    {"*MESH_VERTEX_LIST", readVertexList},
    {"*MESH_FACE_LIST", readFaceList},
    {"*MESH_TVERTLIST", readTVertexList},
    {"*MESH_TFACELIST", readTFaceList},
    {"*MESH_NORMALS", readNormalsBlock},
    {"*MATERIAL_REF", readMaterialRef},
    {"*WIREFRAME_COLOR", readWireframeColor},
};

// Editors that save "Unicode" write UTF-16 with a byte-order mark: every other byte is zero and no
// keyword would ever match, so such a file is named instead of loading as a silently empty model.
const char* utf16Encoding(const std::string& text) {
  if (text.size() >= 2 && text[0] == '\xFF' && text[1] == '\xFE') return "UTF-16 (little-endian)";
  if (text.size() >= 2 && text[0] == '\xFE' && text[1] == '\xFF') return "UTF-16 (big-endian)";
  return nullptr;
}

// Every keyword starts with one of these; other tokens (numbers, names) skip the table.
inline bool mayBeKeyword(std::string_view token) {
  const char c = token[0];
  return c == '*' || c == '{' || c == '}';
}

// Watertight and wound outward; see GeomObject::closedSurface.
bool isClosedOutward(const GeomObject& object) {
  // One number per distinct position; -0 and 0 are one position.
  struct PositionHash {
    size_t operator()(const std::array<float, 3>& p) const {
      size_t hash = 0;
      for (float value : p) hash = hash * 1000003u ^ std::hash<float>()(value == 0.0f ? 0.0f : value);
      return hash;
    }
  };
  std::unordered_map<std::array<float, 3>, uint32_t, PositionHash> positionIds;
  std::vector<uint32_t> idOfVertex(static_cast<size_t>(object.numVertex));
  for (size_t v = 0; v < idOfVertex.size(); ++v) {
    const std::array<float, 3> p{object.vertices[3 * v], object.vertices[3 * v + 1], object.vertices[3 * v + 2]};
    if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) return false;
    idOfVertex[v] = positionIds.emplace(p, static_cast<uint32_t>(positionIds.size())).first->second;
  }
  auto position = [&](uint32_t v) {
    const float* p = &object.vertices[3 * static_cast<size_t>(v)];
    return std::array<double, 3>{p[0], p[1], p[2]};
  };

  // Directed edges, each at most once; a face whose corners share a position has no area and no say.
  std::unordered_set<uint64_t> edges;
  double volume = 0.0;  // six times the enclosed volume: the sum of a . (b x c) over the faces
  for (int32_t f = 0; f < object.numFaces; ++f) {
    const uint32_t* corner = &object.faces[3 * static_cast<size_t>(f)];
    const uint32_t ids[3] = {idOfVertex[corner[0]], idOfVertex[corner[1]], idOfVertex[corner[2]]};
    if (ids[0] == ids[1] || ids[1] == ids[2] || ids[2] == ids[0]) continue;
    for (int k = 0; k < 3; ++k) {
      if (!edges.insert(static_cast<uint64_t>(ids[k]) << 32 | ids[(k + 1) % 3]).second) return false;
    }
    const auto a = position(corner[0]), b = position(corner[1]), c = position(corner[2]);
    volume += a[0] * (b[1] * c[2] - b[2] * c[1]) + a[1] * (b[2] * c[0] - b[0] * c[2]) +
              a[2] * (b[0] * c[1] - b[1] * c[0]);
  }
  if (edges.empty() || !(volume > 0.0)) return false;
  for (uint64_t edge : edges) {
    if (edges.count(edge >> 32 | edge << 32) == 0) return false;  // a face on one side only: a hole
  }
  return true;
}

}  // namespace

void MeshModel::computeBounds() {
  boundsLow = {1.0f, 1.0f, 1.0f};
  boundsHigh = {-1.0f, -1.0f, -1.0f};
  bool first = true;
  for (const std::unique_ptr<GeomObject>& object : objects) {
    for (size_t i = 0; i + 2 < object->vertices.size(); i += 3) {
      for (size_t axis = 0; axis < 3; ++axis) {
        const float value = object->vertices[i + axis];
        boundsLow[axis] = first ? value : std::min(boundsLow[axis], value);
        boundsHigh[axis] = first ? value : std::max(boundsHigh[axis], value);
      }
      first = false;
    }
  }
}

void MeshModel::findClosedSurfaces() {
  for (const std::unique_ptr<GeomObject>& object : objects) object->closedSurface = isClosedOutward(*object);
}

void MeshModel::loadAse(const char* path) {
  std::printf("loading \"%s\" ...", path);
  std::fflush(stdout);  // the line shows while a large model loads

  std::string text;
  if (!readWholeFile(path, text)) {
    std::string message = "Failed to open ASE file ";
    message += path;
    message += ".\n";
    showErrorDialog("Error", message.c_str());
    std::printf("done\n");
    return;
  }

  if (const char* encoding = utf16Encoding(text)) {
    std::fprintf(stderr, "ASE file \"%s\" is %s text; save it as ASCII or UTF-8.\n", path, encoding);
    std::printf("done\n");
    return;
  }
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.replace(0, 3, "   ");  // a UTF-8 mark reads as blanks

  AseReader r(*this, path, text);
  while (!r.failed && r.nextWord(r.token)) {
    if (!mayBeKeyword(r.token)) continue;
    for (const KeywordRow& row : kKeywords) {
      if (r.token == row.keyword && !row.handle(r)) break;
    }
  }
  if (!r.failed && r.depth > 0) {
    std::fprintf(stderr, "ASE file \"%s\" ends inside a block; keeping what was read.\n", path);
  }
  appendCurrentObject(r);
  if (!r.failed && objects.empty()) {
    std::fprintf(stderr, "ASE file \"%s\" has no geometry object (*GEOMOBJECT); the model draws nothing.\n",
                 path);
  }
  dropMaterialRefsOutsideMaterials(r);
  computeBounds();
  findClosedSurfaces();
  if (r.notes > kMaxNotes) {
    std::fprintf(stderr, "ASE file \"%s\": %d rejected indices in all.\n", path, r.notes);
  }
  std::printf("done\n");
}
