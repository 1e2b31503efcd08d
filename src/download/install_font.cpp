// Font installation; see install_font.h.
#include "download/install_font.h"

#include <windows.h>

#include "base/portable/bounded_text.h"
#include "base/scoped_handles.h"
#include "config/registry_values.h"
#include "base/event_log.h"
#include "base/module_folders.h"

namespace {

// Whether the fonts folder already holds the font, or cannot be looked at
// (either way nothing is installed).
bool IsFontPresent(const char* fontPath) {
  ScopedFile existing(CreateFileA(fontPath, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return existing.IsValid() || GetLastError() != ERROR_FILE_NOT_FOUND;
}

}  // namespace

void InstallFont(const InstalledFont& font, const char* folder, const char* fileName) {
  char windows[MAX_PATH];
  UINT length = GetWindowsDirectoryA(windows, sizeof windows);
  char fontPath[MAX_PATH];
  char source[MAX_PATH];
  bool named = length > 0 && length < sizeof windows;
  named = AddBackslash(windows, sizeof windows) && named;
  named = FormatText(fontPath, sizeof fontPath, "%sFonts\\%s", windows, fileName) && named;
  named = FormatText(source, sizeof source, "%s%s", folder, fileName) && named;
  if (!named) {
    WriteLogLineF("   %s: the font's path does not fit 259 characters.\r\n", fileName);
    return;
  }
  if (IsFontPresent(fontPath)) {
    WriteLogLineF("   Font %s is installed already.\r\n", fontPath);
    return;
  }
  if (!CopyFileA(source, fontPath, FALSE)) {
    WriteLogLineF("   %s could not be copied to %s: error %lu\r\n", source, fontPath,
                  GetLastError());
    return;
  }
  DeleteFileA(source);
  const bool nt = PlatformVersion().dwPlatformId == VER_PLATFORM_WIN32_NT;
  const char* fontsKey = nt ? "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"
                            : "Software\\Microsoft\\Windows\\CurrentVersion\\Fonts";
  ScopedKey fonts;
  LONG opened = OpenRegKey(&fonts, HKEY_LOCAL_MACHINE, fontsKey, KEY_SET_VALUE);
  if (fonts.IsValid()) {
    SetTextValue(fonts.Get(), font.ValueName, font.FileName);
  } else {
    WriteLogLineF("   HKEY_LOCAL_MACHINE\\%s could not be opened: error %ld\r\n", fontsKey, opened);
  }
  int added = AddFontResourceA(fontPath);
  WriteLogLineF("   Font %s installed as %s; %d font(s) added.\r\n", fontPath, font.ValueName,
                added);
}
