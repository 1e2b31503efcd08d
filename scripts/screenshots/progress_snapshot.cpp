// Shows one form of the progress dialog with sample texts, as it looks in the
// middle of a download, and saves a 24-bit BMP of the window (frame
// included). take-screenshots turns the pictures into the PNGs under docs/.
//
//   progress_snapshot web|desktop|group OUTPUT.bmp
//
// group: the desktop form once the downloads are done, while the program
// group is being made.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "base/module_folders.h"
#include "base/message_pump.h"
#include "download/progress_dialog.h"

namespace {

enum Form { kWeb, kDesktop, kGroup };

void FillSampleTexts(Form form) {
  if (form == kWeb) {
    SetProgressBarPosition(IDC_DOWNLOAD_BAR, 40);
    SetProgressItemText(IDC_COMPONENT_LINE, "Caching component Kvmd ...");
    return;
  }
  if (form == kDesktop) {
    SetProgressBarPosition(IDC_DOWNLOAD_BAR, 40);
    SetProgressItemText(IDC_COMPONENT_LINE, "Kvmd.cab");
    SetProgressItemText(IDC_KILOBYTES, "1234KB/3000KB ");
    SetStatusText("Installing Kestrava Mainframe Display");
    AdvanceOverallProgress(36);
    return;
  }
  // The last download's texts stay while the installation goes on.
  SetProgressBarPosition(IDC_DOWNLOAD_BAR, 100);
  SetProgressItemText(IDC_COMPONENT_LINE, "Kvft.cab");
  SetProgressItemText(IDC_KILOBYTES, "850KB/850KB ");
  SetStatusText("Creating Program Group and Icons");
  AdvanceOverallProgress(88);
}

// Copies the window as it is on screen into a 24-bit bottom-up BMP file.
bool SaveWindow(HWND window, const char* path) {
  RECT rect;
  GetWindowRect(window, &rect);
  int w = rect.right - rect.left;
  int h = rect.bottom - rect.top;

  BITMAPINFO format = {};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = w;
  format.bmiHeader.biHeight = h;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 24;
  format.bmiHeader.biCompression = BI_RGB;
  DWORD stride = ((DWORD)w * 3 + 3) & ~3u;
  format.bmiHeader.biSizeImage = stride * (DWORD)h;

  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP picture = CreateDIBSection(memory, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!picture) {
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return false;
  }
  HGDIOBJ old = SelectObject(memory, picture);
  BitBlt(memory, 0, 0, w, h, screen, rect.left, rect.top, SRCCOPY);
  GdiFlush();

  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof format.bmiHeader;
  file.bfSize = file.bfOffBits + format.bmiHeader.biSizeImage;
  bool saved = false;
  HANDLE out = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
  if (out != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    saved = WriteFile(out, &file, sizeof file, &written, nullptr) &&
            WriteFile(out, &format.bmiHeader, sizeof format.bmiHeader, &written, nullptr) &&
            WriteFile(out, bits, format.bmiHeader.biSizeImage, &written, nullptr);
    CloseHandle(out);
  }
  SelectObject(memory, old);
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  const struct {
    const char* name;
    Form form;
  } forms[] = {{"web", kWeb}, {"desktop", kDesktop}, {"group", kGroup}};
  const Form* form = nullptr;
  for (const auto& f : forms) {
    if (argc == 3 && strcmp(argv[1], f.name) == 0) form = &f.form;
  }
  if (!form) {
    fprintf(stderr, "usage: progress_snapshot web|desktop|group OUTPUT.bmp\n");
    return 2;
  }
  SetModuleResources(GetModuleHandleA(nullptr));
  bool desktop = *form != kWeb;
  ResetProgressForDeployment();
  if (!CreateProgressDialog(desktop)) {
    fprintf(stderr, "the dialog could not be created (%lu)\n", GetLastError());
    return 1;
  }
  FillSampleTexts(*form);
  PumpMessages(500, true);
  bool saved = SaveWindow(ProgressDialogWindow(), argv[2]);
  DestroyProgressDialogAndWait(2000);
  CloseWakeEvent();
  if (!saved) fprintf(stderr, "could not save %s (%lu)\n", argv[2], GetLastError());
  return saved ? 0 : 1;
}
