// Page loading: the page file's bitmap is fitted into the fixed frame of
// 480 x 640 (landscape) or 640 x 480 (portrait) in g_loadBuffer, turned into
// the landscape page image, mirrored for a test print, cleaned of speckle for
// camera pictures and colour matched. The progress bar moves from 0 to 60.
//
// The bitmap's rows are read as stored, the first stored row being the top of
// the page, and its pixel data always starts 54 bytes after where the file
// stood when loading began. Before anything is placed the header is checked
// and the file's size is compared with the rows it promises, so a damaged or
// cut-off page is refused rather than printed from stale buffer contents.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "base/bitmap_file.h"
#include "base/resource_ids.h"
#include "framework/afx.h"
#include "imaging/color_match.h"
#include "imaging/dot_filter.h"
#include "imaging/page_buffers.h"
#include "settings/settings.h"

namespace {

constexpr uint8_t kWhite = 255;
// The three stored rows of working memory may take at most this much. The
// frame samples at most 640 columns of a row and their neighbours, so a row
// of millions of pixels is already far past any page; a header claiming more
// is not trusted with the memory it asks for.
constexpr int64_t kMaxWorkingBytes = int64_t{64} << 20;

void SetProgress(CWnd* progress, int pos) {
  if (progress) progress->SendMessage(PBM_SETPOS, static_cast<WPARAM>(pos));
}

uint8_t* LoadPixel(int row, int col) { return g_loadBuffer + row * kPageStride + col * 3; }
uint8_t* PagePixel(int row, int col) { return g_pageImage + row * kPageStride + col * 3; }

// The smoothing kernel for a reduction by t tenths; rows top to bottom, each
// summing with its neighbours to 32.
const uint8_t (&KernelFor(int64_t t))[3][3] {
  static constexpr uint8_t k10[3][3] = {{0, 0, 0}, {0, 32, 0}, {0, 0, 0}};
  static constexpr uint8_t k11[3][3] = {{0, 1, 0}, {1, 28, 1}, {0, 1, 0}};
  static constexpr uint8_t k12[3][3] = {{1, 2, 1}, {2, 20, 2}, {1, 2, 1}};
  static constexpr uint8_t k13[3][3] = {{1, 3, 1}, {3, 16, 3}, {1, 3, 1}};
  static constexpr uint8_t k14[3][3] = {{1, 4, 1}, {4, 12, 4}, {1, 4, 1}};
  static constexpr uint8_t k15[3][3] = {{2, 4, 2}, {4, 8, 4}, {2, 4, 2}};
  static constexpr uint8_t k20[3][3] = {{3, 4, 3}, {4, 4, 4}, {3, 4, 3}};
  if (t <= 10) return k10;
  if (t == 11) return k11;
  if (t == 12) return k12;
  if (t == 13) return k13;
  if (t == 14) return k14;
  if (t < 20) return k15;
  return k20;
}

// The bitmap being placed: its size, the stored row size, where its pixel rows
// begin in the file and three stored rows of working memory.
struct SourceBitmap {
  FILE* file;
  long pixelStart;
  int64_t width;
  int64_t height;
  int64_t rowSize;
  uint8_t* rows;        // three stored rows
  int64_t held[3];      // the row each slot holds, -1 for none
};

bool ReadRowInto(SourceBitmap& src, int slot, int64_t row) {
  const long at = src.pixelStart + static_cast<long>(row * src.rowSize);
  uint8_t* dst = src.rows + slot * src.rowSize;
  if (std::fseek(src.file, at, SEEK_SET) != 0 ||
      std::fread(dst, 1, static_cast<size_t>(src.rowSize), src.file) !=
          static_cast<size_t>(src.rowSize)) {
    src.held[slot] = -1;
    return false;
  }
  src.held[slot] = row;
  return true;
}

// Direct placement: the bitmap fits the frame and is centred in white.
bool PlaceDirect(SourceBitmap& src, int frameRows, int frameCols) {
  const int h = static_cast<int>(src.height), w = static_cast<int>(src.width);
  const int offR = (frameRows - h) / 2, offC = (frameCols - w) / 2;
  if (std::fseek(src.file, src.pixelStart, SEEK_SET) != 0) return false;
  for (int r = 0; r < frameRows; ++r) {
    uint8_t* dst = LoadPixel(r, 0);
    if (r < offR || r >= offR + h) {
      std::memset(dst, kWhite, static_cast<size_t>(frameCols) * 3);
      continue;
    }
    if (std::fread(src.rows, 1, static_cast<size_t>(src.rowSize), src.file) !=
        static_cast<size_t>(src.rowSize))
      return false;
    std::memset(dst, kWhite, static_cast<size_t>(offC) * 3);
    std::memcpy(dst + offC * 3, src.rows, static_cast<size_t>(w) * 3);
    std::memset(dst + (offC + w) * 3, kWhite, static_cast<size_t>(frameCols - offC - w) * 3);
  }
  return true;
}

// Makes the working rows hold v - 1, v and v + 1 (a row beyond the bitmap
// stands for v itself); reads only the rows not already held. On return
// slot[i] is the working slot of neighbour row v - 1 + i.
bool HoldRowsAround(SourceBitmap& src, int64_t v, int slot[3]) {
  const int64_t want[3] = {v > 0 ? v - 1 : v, v, v + 1 < src.height ? v + 1 : v};
  bool keep[3] = {false, false, false};
  for (int i = 0; i < 3; ++i) {
    slot[i] = -1;
    for (int s = 0; s < 3; ++s) {
      if (src.held[s] == want[i]) {
        slot[i] = s;
        keep[s] = true;
      }
    }
  }
  for (int i = 0; i < 3; ++i) {
    if (slot[i] >= 0) continue;
    for (int j = 0; j < i; ++j) {
      if (want[j] == want[i]) slot[i] = slot[j];
    }
    if (slot[i] >= 0) continue;
    int s = 0;
    while (keep[s]) ++s;
    if (!ReadRowInto(src, s, want[i])) return false;
    keep[s] = true;
    slot[i] = s;
  }
  return true;
}

// Reduced placement: the bitmap is larger than the frame and is sampled every
// t tenths of a pixel through a 3 x 3 smoothing kernel; whatever of the
// reduced picture still exceeds the frame is cut at the bottom and right.
bool PlaceReduced(SourceBitmap& src, int frameRows, int frameCols) {
  const int64_t h = src.height, w = src.width;
  int64_t t = h * 10 / frameRows;
  if (w * 10 / frameCols > t) t = w * 10 / frameCols;
  if (t < 10) t = 10;
  const uint8_t(&kernel)[3][3] = KernelFor(t);
  const int64_t dstH = h * 10 / t, dstW = w * 10 / t;
  int64_t offR = (frameRows - dstH) / 2, offC = (frameCols - dstW) / 2;
  if (offR < 0) offR = 0;
  if (offC < 0) offC = 0;

  for (int r = 0; r < frameRows; ++r) {
    uint8_t* dst = LoadPixel(r, 0);
    if (r < offR || r >= offR + dstH) {
      std::memset(dst, kWhite, static_cast<size_t>(frameCols) * 3);
      continue;
    }
    const int64_t v = (r - offR) * t / 10;
    int slot[3];
    if (!HoldRowsAround(src, v, slot)) return false;
    const uint8_t* rowAt[3] = {src.rows + slot[0] * src.rowSize, src.rows + slot[1] * src.rowSize,
                               src.rows + slot[2] * src.rowSize};
    for (int c = 0; c < frameCols; ++c, dst += 3) {
      if (c < offC || c >= offC + dstW) {
        dst[0] = dst[1] = dst[2] = kWhite;
        continue;
      }
      const int64_t u = (c - offC) * t / 10;
      const int64_t col[3] = {u > 0 ? u - 1 : u, u, u + 1 < w ? u + 1 : u};
      for (int ch = 0; ch < 3; ++ch) {
        unsigned sum = 0;
        for (int i = 0; i < 3; ++i)
          for (int j = 0; j < 3; ++j) sum += kernel[i][j] * rowAt[i][col[j] * 3 + ch];
        dst[ch] = static_cast<uint8_t>(sum >> 5);
      }
    }
  }
  return true;
}

// Reads and checks the header and fits the bitmap into g_loadBuffer. Returns
// the message to show on failure (0 when placed) and whether the frame is
// portrait.
unsigned PlaceBitmap(FILE* file, bool& portrait) {
  uint8_t* header = static_cast<uint8_t*>(std::malloc(kBitmapHeaderBytes));
  if (!header) return IDS_OUT_OF_MEMORY;
  const long start = std::ftell(file);
  if (start < 0 || std::fread(header, 1, kBitmapHeaderBytes, file) != kBitmapHeaderBytes) {
    std::free(header);
    return IDS_PAGE_NOT_24_BIT;
  }
  const BitmapHeader fields = DecodeBitmapHeader(header);
  std::free(header);
  const int32_t width = fields.width;
  const int32_t height = fields.height;
  // Only plain 24-bit rows are understood. A negative height marks rows stored
  // top row first, which is how every page is read anyway.
  if (fields.bitsPerPixel != 24 || fields.compression != 0 || width <= 0 || height == 0 || height == INT32_MIN)
    return IDS_PAGE_NOT_24_BIT;

  SourceBitmap src{};
  src.file = file;
  src.pixelStart = start + kBitmapHeaderBytes;
  src.width = width;
  src.height = height < 0 ? -static_cast<int64_t>(height) : height;
  src.rowSize = BitmapRowBytes(src.width);
  src.held[0] = src.held[1] = src.held[2] = -1;

  // The file must hold every row it promises.
  if (std::fseek(file, 0, SEEK_END) != 0) return IDS_PAGE_NOT_24_BIT;
  const long end = std::ftell(file);
  if (end < src.pixelStart) return IDS_PAGE_NOT_24_BIT;
  const int64_t available = static_cast<int64_t>(end) - src.pixelStart;
  if (src.rowSize > available / src.height) return IDS_PAGE_NOT_24_BIT;

  if (3 * src.rowSize > kMaxWorkingBytes) return IDS_OUT_OF_MEMORY;
  src.rows = static_cast<uint8_t*>(std::calloc(3, static_cast<size_t>(src.rowSize)));
  if (!src.rows) return IDS_OUT_OF_MEMORY;

  portrait = src.width < src.height;
  const int frameRows = portrait ? kPageColumns : kPageRows;
  const int frameCols = portrait ? kPageRows : kPageColumns;
  const bool placed = src.height <= frameRows && src.width <= frameCols
                          ? PlaceDirect(src, frameRows, frameCols)
                          : PlaceReduced(src, frameRows, frameCols);
  std::free(src.rows);
  return placed ? 0 : IDS_PAGE_NOT_24_BIT;
}

// Progress during the two 480-row loops: 5 to 9.
void RowProgress(CWnd* progress, int r) {
  if ((r * 100 / kPageRows) % 10 == 0) SetProgress(progress, 5 + r * 5 / kPageRows);
}

}  // namespace

int LoadPageImage(FILE* pageFile, CWnd* progress) {
  SetProgress(progress, 0);
  if (!pageFile) {
    AfxMessageBox(IDS_NO_PAGE);
    return -1;
  }
  bool portrait = false;
  if (const unsigned message = PlaceBitmap(pageFile, portrait)) {
    AfxMessageBox(message);
    return -1;
  }
  SetProgress(progress, 5);

  // A portrait frame turns a quarter turn clockwise: its top edge becomes the
  // page's right edge.
  for (int r = 0; r < kPageRows; ++r) {
    RowProgress(progress, r);
    if (portrait) {
      for (int c = 0; c < kPageColumns; ++c)
        std::memcpy(PagePixel(r, c), LoadPixel(kPageColumns - 1 - c, r), 3);
    } else {
      std::memcpy(PagePixel(r, 0), LoadPixel(r, 0), kPageColumns * 3);
    }
  }

  // The test bitmap is stored bottom row first, so it is printed as the
  // vertical mirror of the loaded bitmap. A portrait bitmap is mirrored in its
  // own frame (rows 639..0) and then turned like any portrait page, rather than
  // read as landscape past the 480 columns its frame filled.
  if (g_bTestPrint) {
    for (int r = 0; r < kPageRows; ++r) {
      RowProgress(progress, r);
      if (portrait) {
        for (int c = 0; c < kPageColumns; ++c) std::memcpy(PagePixel(r, c), LoadPixel(c, r), 3);
      } else {
        std::memcpy(PagePixel(r, 0), LoadPixel(kPageRows - 1 - r, 0), kPageColumns * 3);
      }
    }
  }

  if (g_DigitalCamera == 1) {
    for (int m = 0; m < 6; ++m) {
      RemoveSpeckle(kPageColumns, kPageRows, g_pageImage);
      SetProgress(progress, 18 + 8 * m);
    }
  }

  SetProgress(progress, 50);
  ApplyColorMatch(kPageColumns, kPageRows, g_pageImage, progress);
  SetProgress(progress, 60);
  return 1;
}
