// Where the reflection image has something in it. The image shows the mirrored objects on black,
// and black means "nothing mirrored here": the sea there is its own lit colour and its glints. So
// the sea reads the image only in the rectangles its objects cover, reached out by the ripples,
// and shades the rest of the screen with a program that skips that texture read (with a software
// renderer, the read is a third of the sea's cost). GL-free.
#pragma once
#include <array>
#include <vector>

// Rectangles in the reflection image's normalised device coordinates (-1..1 on both axes), one per
// object that can show on the image.
class ReflectionCover {
 public:
  struct Box {
    float xMin, yMin, xMax, yMax;  // within -1..1
  };

  // Nothing covered yet.
  void clear() { boxes_.clear(); }
  // Everything covered: the sea reads the image at every pixel.
  void coverAll();
  // Adds the box from `low` to `high` (object space) seen through `clipFromObject`, GL's column-major
  // projection x modelview. Only what lies in front of the eye counts (GL clips the rest); a box
  // beside the image adds nothing, and so does one with low above high on any axis.
  void addBox(const float clipFromObject[16], const std::array<float, 3>& low, const std::array<float, 3>& high);

  bool empty() const { return boxes_.empty(); }
  const std::vector<Box>& boxes() const { return boxes_; }

 private:
  std::vector<Box> boxes_;
};

// A rectangle of window pixels in glScissor's terms.
struct PixelRect {
  int x = 0, y = 0, width = 0, height = 0;
};

// Each sea draw repeats the vertex work of the grid it is given, so the mirrored part of the window
// is drawn in at most this many rectangles.
constexpr int kMaxMirroredRects = 4;

// The window pixels where the sea may show a mirrored object: each box of the cover mirrored left to
// right (as the sea reads the image), widened by `reach` in normalised device units and rounded out
// to whole pixels. Overlapping rectangles are joined, and the pair whose join adds the least area is
// joined while there are more than kMaxMirroredRects, so the result never overlaps itself. Empty for
// an empty cover.
std::vector<PixelRect> mirroredRects(const ReflectionCover& cover, float reach, int windowWidth, int windowHeight);

// A run of cells along one of the grid's strips: strip `strip`, cells `firstCell` to
// `firstCell + cells - 1` (a strip's cell j lies between its columns j and j + 1).
struct GridPiece {
  int strip = 0, firstCell = 0, cells = 0;
};

// The pieces of a grid's strips, `cellsPerPiece` cells long, that can put a pixel into `rect`: a
// scissored draw of them gives the same pixels as a draw of every strip, with less of the grid to
// set up. `window` holds the grid's vertices row by row (`columns` per row) as window x and y
// relative to the viewport, NaN for a vertex on the eye's plane or behind it (clip w <= 0). A piece
// with all its corners behind is dropped: GL's clipping leaves nothing of it. One with some is
// kept. Any other is kept when the box of its corners, widened by a pixel for rounding, meets the
// rectangle. In the strips' order.
std::vector<GridPiece> piecesInRect(const std::vector<float>& window, int columns, int rows, const PixelRect& rect,
                                    int cellsPerPiece);

// The pieces that can put a pixel into `viewport` outside all of `rects`: every piece piecesInRect
// would keep for the viewport, less those whose box, narrowed by a pixel for rounding, lies within
// one of the rectangles. With a scissored draw of each rectangle's pieces, a draw of these gives
// every pixel of the sea, and pays a program for few of the rectangles' pixels a second time.
std::vector<GridPiece> piecesOutside(const std::vector<float>& window, int columns, int rows,
                                     const PixelRect& viewport, const std::vector<PixelRect>& rects,
                                     int cellsPerPiece);
