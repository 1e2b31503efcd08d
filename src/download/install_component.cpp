// Component installation; see install_component.h.
#include "download/install_component.h"

#include <windows.h>

#include <string.h>

#include "base/portable/bounded_text.h"
#include "config/emulator_registry.h"
#include "base/event_log.h"
#include "base/module_folders.h"
#include "download/component_files.h"
#include "download/portable/distribution_list.h"
#include "download/expand_file.h"
#include "download/extract_cabinet.h"
#include "download/install_font.h"
#include "download/register_library.h"
#include "download/portable/special_names.h"

namespace {

// The library's installed path: the folder of its name and the name.
void RegisterComponentLibrary(const char* library, int kind) {
  char path[MAX_PATH];
  if (!ComponentDownloadFolder(library, kind, path, sizeof path) ||
      !AppendText(path, sizeof path, library)) {
    WriteLogLineF("   %s: the library's path does not fit 259 characters.\r\n", library);
    return;
  }
  RegisterLibrary(path);
}

void InstallComponentFont(const InstalledFont& font, const char* namePart, int kind) {
  // The installed name ends in "f" whether the download was compressed or
  // not ("MARRKAPL.TT_" and "MARRKAPL.TTF" both give "MARRKAPL.TTf").
  char fileName[MAX_PATH];
  CopyText(fileName, sizeof fileName, namePart);
  size_t length = strlen(fileName);
  if (length > 0) fileName[length - 1] = 'f';
  char folder[MAX_PATH];
  if (!ComponentDownloadFolder(fileName, kind, folder, sizeof folder)) {
    WriteLogLineF("   %s: the font's folder does not fit 259 characters.\r\n", fileName);
    return;
  }
  InstallFont(font, folder, fileName);
}

void MoveSiblingSettingsFile(const char* namePart, char client, int kind) {
  const char* clientFolder = SiblingFolder(client);
  if (clientFolder[0] == '\0') {
    // Moving it would put it in the current folder, where no client looks.
    WriteLogLineF("   %s stays where it was downloaded: no %s cabinet has named its folder.\r\n",
                  namePart, client == 'O' ? "Orvena" : "Zelvic");
    return;
  }
  char source[MAX_PATH];
  char target[MAX_PATH];
  bool named = ComponentDownloadFolder(namePart, kind, source, sizeof source);
  named = AppendText(source, sizeof source, namePart) && named;
  named = FormatText(target, sizeof target, "%s%s%s", clientFolder,
                     clientFolder[strlen(clientFolder) - 1] == '\\' ? "" : "\\", namePart) &&
          named;
  if (!named) {
    WriteLogLineF("   %s: its path does not fit 259 characters; it is not moved.\r\n", namePart);
    return;
  }
  if (!CopyFileA(source, target, FALSE)) {
    WriteLogLineF("   %s could not be copied to %s: error %lu\r\n", source, target, GetLastError());
    return;
  }
  DeleteFileA(source);
}

}  // namespace

void InstallComponentFile(const char* namePart, long version, int kind) {
  // A damaged download is not recorded: its version stays as it was and
  // the next load fetches it again.
  const ExpandOutcome expanded = ExpandComponentFile(namePart, kind);
  if (expanded == kUnknownCompression || expanded == kDamagedDownload ||
      expanded == kRefusedProgram) {
    return;
  }

  const char* library = SelfRegisteredLibraryFor(namePart);
  if (library != nullptr && NeedsUpdate(namePart, version, kind)) {
    RegisterComponentLibrary(library, kind);
  }
  const InstalledFont* font = InstalledFontFor(namePart);
  if (font != nullptr) InstallComponentFont(*font, namePart, kind);
  if (IsCabinetName(namePart)) ExtractCabinet(namePart, kind);
  char client = SiblingSettingsFileClient(namePart);
  if (client != 0) MoveSiblingSettingsFile(namePart, client, kind);

  WriteComponentValue(namePart, version);
}
