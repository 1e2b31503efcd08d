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

// The bitmap's pixels as 32-bit top-down rows, read without selecting it.
std::vector<DWORD> PixelsOf(HBITMAP bitmap) {
  BITMAP info;
  GetObjectA(bitmap, sizeof info, &info);
  BITMAPINFO format = {};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = info.bmWidth;
  format.bmiHeader.biHeight = -info.bmHeight;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  std::vector<DWORD> pixels(info.bmWidth * info.bmHeight);
  HDC screen = GetDC(nullptr);
  int lines = GetDIBits(screen, bitmap, 0, info.bmHeight, pixels.data(), &format, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(info.bmHeight, lines);
  return pixels;
}

COLORREF ColourOf(DWORD pixel) {
  return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

// Compares every target pixel with what the mask method must leave: the
// bitmap's colour inside its area unless it is the transparent colour, the
// background everywhere else.
void ExpectDrawn(const Target& target, HBITMAP bitmap, int left, int top, COLORREF transparent) {
  BITMAP info;
  GetObjectA(bitmap, sizeof info, &info);
  std::vector<DWORD> source = PixelsOf(bitmap);
  int mismatches = 0;
  for (int y = 0; y < kTargetSize; ++y) {
    for (int x = 0; x < kTargetSize; ++x) {
      COLORREF expected = kBackground;
      int bx = x - left, by = y - top;
      if (bx >= 0 && by >= 0 && bx < info.bmWidth && by < info.bmHeight) {
        COLORREF own = ColourOf(source[by * info.bmWidth + bx]);
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

const std::vector<std::vector<COLORREF>> kPattern = {
    {W, W, G, W, R},
    {K, N, W, G, R},
    {W, R, G, K, W},
};

TEST(DrawTransparentBitmap, WhiteIsLeftOutAndEverythingElseDrawn) {
  Target target;
  HBITMAP bitmap = MakeBitmap(kPattern);
  EXPECT_TRUE(DrawTransparentBitmap(target.dc, bitmap, 7, 11, W));
  ExpectDrawn(target, bitmap, 7, 11, W);
  DeleteObject(bitmap);
}

TEST(DrawTransparentBitmap, PureRedIsLeftOutAndWhiteDrawn) {
  Target target;
  HBITMAP bitmap = MakeBitmap(kPattern);
  EXPECT_TRUE(DrawTransparentBitmap(target.dc, bitmap, 0, 0, R));
  ExpectDrawn(target, bitmap, 0, 0, R);
  DeleteObject(bitmap);
}

TEST(DrawTransparentBitmap, LeavesTheCallersBitmapUnchangedAndUsable) {
  Target target;
  HBITMAP bitmap = MakeBitmap(kPattern);
  std::vector<DWORD> before = PixelsOf(bitmap);
  ASSERT_TRUE(DrawTransparentBitmap(target.dc, bitmap, 3, 3, W));
  EXPECT_EQ(before, PixelsOf(bitmap));
  // Given back by the drawing's own context: it can be selected again.
  HDC dc = CreateCompatibleDC(target.dc);
  HGDIOBJ old = SelectObject(dc, bitmap);
  EXPECT_NE(nullptr, old);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bitmap);
}

TEST(DrawTransparentBitmap, ResourcePicturesKeepTheBackgroundAroundThem) {
  SetModuleResources(GetModuleHandleA(nullptr));
  struct Row {
    int id;
    int width, height;
    COLORREF transparent;
  };
  const Row rows[] = {{IDB_PROGRESS_WEB, 94, 42, W}, {IDB_PROGRESS_DESKTOP, 31, 31, R}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.id);
    HBITMAP picture = LoadBitmapA(ModuleResources(), MAKEINTRESOURCEA(row.id));
    ASSERT_NE(nullptr, picture);
    BITMAP info;
    GetObjectA(picture, sizeof info, &info);
    EXPECT_EQ(row.width, info.bmWidth);
    EXPECT_EQ(row.height, info.bmHeight);
    // Only the part that fits the target is compared; drawing past the
    // target's edge must simply be clipped.
    Target target;
    ASSERT_TRUE(DrawTransparentBitmap(target.dc, picture, 2, 1, row.transparent));
    ExpectDrawn(target, picture, 2, 1, row.transparent);
    std::vector<DWORD> pixels = PixelsOf(picture);
    EXPECT_EQ(row.transparent, ColourOf(pixels[0])) << "top-left corner is background";
    DeleteObject(picture);
  }
}

TEST(DrawTransparentBitmap, MissingBitmapOrContextDrawsNothing) {
  Target target;
  HBITMAP bitmap = MakeBitmap(kPattern);
  EXPECT_FALSE(DrawTransparentBitmap(nullptr, bitmap, 0, 0, W));
  EXPECT_FALSE(DrawTransparentBitmap(target.dc, nullptr, 0, 0, W));
  HBITMAP deleted = MakeBitmap(kPattern);
  DeleteObject(deleted);
  EXPECT_FALSE(DrawTransparentBitmap(target.dc, deleted, 0, 0, W));
  for (int y = 0; y < kTargetSize; ++y)
    for (int x = 0; x < kTargetSize; ++x) ASSERT_EQ(kBackground, GetPixel(target.dc, x, y));
  DeleteObject(bitmap);
}

TEST(DrawTransparentBitmap, BitmapHeldByAnotherContextIsRefused) {
  Target target;
  HBITMAP bitmap = MakeBitmap(kPattern);
  HDC holder = CreateCompatibleDC(target.dc);
  HGDIOBJ old = SelectObject(holder, bitmap);
  EXPECT_FALSE(DrawTransparentBitmap(target.dc, bitmap, 0, 0, W));
  EXPECT_EQ(kBackground, GetPixel(target.dc, 2, 0));
  SelectObject(holder, old);
  DeleteDC(holder);
  DeleteObject(bitmap);
}

}  // namespace
