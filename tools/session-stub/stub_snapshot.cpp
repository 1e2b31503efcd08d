// The embedded stand-in's snapshot; see stub_snapshot.h.
#include "stub_snapshot.h"

#include "base/scoped_handles.h"
#include "stub_log.h"

namespace {

bool g_Taken = false;

bool SnapshotPath(char* path, DWORD capacity) {
  DWORD length = GetEnvironmentVariableA("WEVELINK_STUB_SNAPSHOT", path, capacity);
  return length > 0 && length < capacity;
}

bool WriteBitmapFile(const char* path, const BITMAPINFOHEADER& header, const void* bits) {
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + header.biSizeImage;
  ScopedFile out(
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out.IsValid()) return false;
  DWORD written = 0;
  return WriteFile(out.Get(), &file, sizeof file, &written, nullptr) &&
         WriteFile(out.Get(), &header, sizeof header, &written, nullptr) &&
         WriteFile(out.Get(), bits, header.biSizeImage, &written, nullptr);
}

}  // namespace

bool SnapshotWanted() {
  char path[MAX_PATH];
  return !g_Taken && SnapshotPath(path, sizeof path);
}

void TakeSnapshot(HWND window, void (*paint)(HWND window, HDC dc)) {
  char path[MAX_PATH];
  if (g_Taken || !SnapshotPath(path, sizeof path)) return;
  g_Taken = true;
  HWND root = GetAncestor(window, GA_ROOT);
  RECT outer, own;
  GetWindowRect(root, &outer);
  GetWindowRect(window, &own);
  const int w = outer.right - outer.left;
  const int h = outer.bottom - outer.top;

  BITMAPINFO format = {};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = w;
  format.bmiHeader.biHeight = h;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 24;
  format.bmiHeader.biCompression = BI_RGB;
  format.bmiHeader.biSizeImage = (((DWORD)w * 3 + 3) & ~3u) * (DWORD)h;

  bool ok = false;
  HDC screen = GetDC(nullptr);
  ScopedMemoryDc memory(CreateCompatibleDC(screen));
  void* bits = nullptr;
  ScopedGdiObject picture(
      CreateDIBSection(memory.Get(), &format, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (memory.IsValid() && picture.IsValid()) {
    HGDIOBJ old = SelectObject(memory.Get(), picture.Get());
    BitBlt(memory.Get(), 0, 0, w, h, screen, outer.left, outer.top, SRCCOPY);
    // The client area of the stand-in where it sits in the page.
    POINT client = {0, 0};
    ClientToScreen(window, &client);
    RECT area;
    GetClientRect(window, &area);
    SetViewportOrgEx(memory.Get(), client.x - outer.left, client.y - outer.top, nullptr);
    IntersectClipRect(memory.Get(), 0, 0, area.right, area.bottom);
    paint(window, memory.Get());
    GdiFlush();
    SelectObject(memory.Get(), old);
    ok = WriteBitmapFile(path, format.bmiHeader, bits);
  }
  ReleaseDC(nullptr, screen);
  StubLog("snapshot path=%s window=%ld,%ld,%ld,%ld ok=%d", path, own.left - outer.left,
          own.top - outer.top, own.right - outer.left, own.bottom - outer.top, ok ? 1 : 0);
}
