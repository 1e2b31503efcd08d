// Transparent drawing by the mask method on real device contexts: which
// pixels show the bitmap and which the background, that only the bitmap's
// area is touched, and that the caller's bitmap is left as it was.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "base/module_folders.h"
#include "download/progress_dialog.h"
#include "download/transparent_bitmap.h"

namespace {

const COLORREF kBackground = RGB(10, 20, 200);
const int kTargetSize = 40;

// A memory device context holding a target bitmap compatible with the
// screen, filled with kBackground.
struct Target {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;

  Target() {
    HDC screen = GetDC(nullptr);
    dc = CreateCompatibleDC(screen);
    bitmap = CreateCompatibleBitmap(screen, kTargetSize, kTargetSize);
    ReleaseDC(nullptr, screen);
    old = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(kBackground);
    RECT all = {0, 0, kTargetSize, kTargetSize};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
  }
  ~Target() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
};

// A small bitmap compatible with the screen, pixel by pixel, as a resource
// bitmap is once loaded.
HBITMAP MakeBitmap(const std::vector<std::vector<COLORREF>>& rows) {
  HDC screen = GetDC(nullptr);
  int h = (int)rows.size();
  int w = (int)rows[0].size();
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HDC dc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) SetPixel(dc, x, y, rows[y][x]);
  SelectObject(dc, old);
  DeleteDC(dc);
  return bitmap;
}

// The bitmap's pixels, row by row, read while no other context holds it.
std::vector<COLORREF> PixelsOf(HBITMAP bitmap, BITMAP* info) {
  GetObjectA(bitmap, sizeof *info, info);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < info->bmHeight; ++y) {
    for (int x = 0; x < info->bmWidth; ++x) pixels.push_back(GetPixel(dc, x, y));
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  return pixels;
}

// Compares every target pixel with what the mask method must leave: the
// bitmap's colour inside its area unless it is the transparent colour, the
// background everywhere else.
void ExpectDrawn(const Target& target, HBITMAP bitmap, int left, int top, COLORREF transparent) {
  BITMAP info;
  std::vector<COLORREF> source = PixelsOf(bitmap, &info);
  int mismatches = 0;
  for (int y = 0; y < kTargetSize; ++y) {
    for (int x = 0; x < kTargetSize; ++x) {
      COLORREF expected = kBackground;
      int bx = x - left;
      int by = y - top;
      if (bx >= 0 && by >= 0 && bx < info.bmWidth && by < info.bmHeight) {
        COLORREF own = source[by * info.bmWidth + bx];
        if (own != transparent) expected = own;
      }
      COLORREF shown = GetPixel(target.dc, x, y);
      if (shown != expected && ++mismatches <= 5) {
        ADD_FAILURE() << "target " << x << "," << y << " is " << std::hex << shown << " not "
                      << expected;
      }
    }
  }
  EXPECT_EQ(0, mismatches);
}

const COLORREF W = RGB(255, 255, 255);
const COLORREF R = RGB(255, 0, 0);
const COLORREF G = RGB(0, 160, 60);
const COLORREF K = RGB(0, 0, 0);
const COLORREF N = RGB(254, 255, 255);  // near white: must stay visible

HBITMAP Pattern() {
  return MakeBitmap({
      {W, W, G, W, R},
      {K, N, W, G, R},
      {W, R, G, K, W},
  });
}

// Only the part that fits the target is compared; drawing past its edge
// must simply be clipped. The caller's bitmap is left as it was.
TEST(DrawTransparentBitmap, TheTransparentColourIsLeftOutAndEverythingElseDrawn) {
  SetModuleResources(GetModuleHandleA(nullptr));
  const struct {
    const char* what;
    HBITMAP bitmap;
    int left, top;
    COLORREF transparent;
  } rows[] = {
      {"white left out", Pattern(), 7, 11, W},
      {"red left out, white drawn", Pattern(), 0, 0, R},
      {"web picture", LoadBitmapA(ModuleResources(), MAKEINTRESOURCEA(IDB_PROGRESS_WEB)), 2, 1, W},
      {"desktop picture", LoadBitmapA(ModuleResources(), MAKEINTRESOURCEA(IDB_PROGRESS_DESKTOP)),
       2, 1, R},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ASSERT_NE(nullptr, row.bitmap);
    Target target;
    BITMAP info;
    std::vector<COLORREF> before = PixelsOf(row.bitmap, &info);
    EXPECT_TRUE(DrawTransparentBitmap(target.dc, row.bitmap, row.left, row.top, row.transparent));
    ExpectDrawn(target, row.bitmap, row.left, row.top, row.transparent);
    // Given back by the drawing's own context: it can be selected again.
    EXPECT_EQ(before, PixelsOf(row.bitmap, &info));
    DeleteObject(row.bitmap);
  }
}

TEST(DrawTransparentBitmap, MissingDeletedOrHeldBitmapDrawsNothing) {
  Target target;
  HBITMAP bitmap = Pattern();
  HBITMAP deleted = Pattern();
  DeleteObject(deleted);
  EXPECT_FALSE(DrawTransparentBitmap(nullptr, bitmap, 0, 0, W));
  EXPECT_FALSE(DrawTransparentBitmap(target.dc, nullptr, 0, 0, W));
  EXPECT_FALSE(DrawTransparentBitmap(target.dc, deleted, 0, 0, W));
  HDC holder = CreateCompatibleDC(target.dc);
  HGDIOBJ old = SelectObject(holder, bitmap);
  EXPECT_FALSE(DrawTransparentBitmap(target.dc, bitmap, 0, 0, W));
  SelectObject(holder, old);
  DeleteDC(holder);
  for (int y = 0; y < kTargetSize; ++y) {
    for (int x = 0; x < kTargetSize; ++x) ASSERT_EQ(kBackground, GetPixel(target.dc, x, y));
  }
  DeleteObject(bitmap);
}

}  // namespace
