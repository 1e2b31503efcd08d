// Drawing a bitmap with a transparent colour by the mask method, which works
// on every device and platform version (no TransparentBlt, no alpha).
//
// A monochrome mask marks where the bitmap has the transparent colour. The
// screen area is cut out where the bitmap is opaque (AND with the mask), a
// copy of the bitmap is blackened where it is transparent (AND with the
// inverted mask), and the two are joined (OR) before the result goes to the
// screen in one copy, so nothing flickers. The caller's bitmap is only read:
// the blackening is done on a copy.
#include "download/transparent_bitmap.h"
#include "base/scoped_handles.h"

namespace {

// A memory device context compatible with another; gives back the bitmap it
// held at first and deletes itself when it goes out of scope.
class MemoryDc {
 public:
  explicit MemoryDc(HDC like) : dc_(CreateCompatibleDC(like)) {}
  ~MemoryDc() {
    if (dc_.IsValid() && original_) SelectObject(dc_.Get(), original_);
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;

  bool Select(HBITMAP bitmap) {
    if (!dc_.IsValid() || !bitmap) return false;
    HGDIOBJ previous = SelectObject(dc_.Get(), bitmap);
    if (!previous || previous == HGDI_ERROR) return false;
    if (!original_) original_ = previous;
    return true;
  }
  HDC get() const { return dc_.Get(); }

 private:
  ScopedMemoryDc dc_;
  HGDIOBJ original_ = nullptr;
};

// A bitmap made here; deleted when it goes out of scope. Declared before the
// contexts it is selected into, so those let go of it first.
class OwnedBitmap {
 public:
  explicit OwnedBitmap(HBITMAP bitmap) : bitmap_(bitmap) {}
  HBITMAP get() const { return (HBITMAP)bitmap_.Get(); }

 private:
  ScopedGdiObject bitmap_;
};

}  // namespace

bool DrawTransparentBitmap(HDC dc, HBITMAP bitmap, int x, int y, COLORREF transparent) {
  if (!dc || !bitmap) return false;
  BITMAP info;
  if (GetObjectA(bitmap, sizeof info, &info) == 0) return false;

  MemoryDc source(dc);
  if (!source.Select(bitmap)) return false;
  POINT size = {info.bmWidth, info.bmHeight};
  DPtoLP(source.get(), &size, 1);
  const int w = size.x;
  const int h = size.y;

  OwnedBitmap backBits(CreateBitmap(w, h, 1, 1, nullptr));
  OwnedBitmap maskBits(CreateBitmap(w, h, 1, 1, nullptr));
  OwnedBitmap workBits(CreateCompatibleBitmap(dc, w, h));
  OwnedBitmap copyBits(CreateCompatibleBitmap(dc, w, h));
  MemoryDc back(dc);
  MemoryDc mask(dc);
  MemoryDc work(dc);
  MemoryDc copy(dc);
  if (!back.Select(backBits.get()) || !mask.Select(maskBits.get()) ||
      !work.Select(workBits.get()) || !copy.Select(copyBits.get())) {
    return false;
  }
  SetMapMode(source.get(), GetMapMode(dc));

  // The copy that will be blackened where the bitmap is transparent.
  BitBlt(copy.get(), 0, 0, w, h, source.get(), 0, 0, SRCCOPY);

  // Mask: white where the bitmap has the transparent colour, black elsewhere.
  COLORREF background = SetBkColor(source.get(), transparent);
  BitBlt(mask.get(), 0, 0, w, h, source.get(), 0, 0, SRCCOPY);
  SetBkColor(source.get(), background);
  BitBlt(back.get(), 0, 0, w, h, mask.get(), 0, 0, NOTSRCCOPY);

  BitBlt(work.get(), 0, 0, w, h, dc, x, y, SRCCOPY);
  BitBlt(work.get(), 0, 0, w, h, mask.get(), 0, 0, SRCAND);
  BitBlt(copy.get(), 0, 0, w, h, back.get(), 0, 0, SRCAND);
  BitBlt(work.get(), 0, 0, w, h, copy.get(), 0, 0, SRCPAINT);
  BitBlt(dc, x, y, w, h, work.get(), 0, 0, SRCCOPY);
  return true;
}
