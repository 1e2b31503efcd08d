// The deployment settings that the two initialization files fill in, kept
// for the life of the module and shared by every control instance in the
// process. The readers (initialization_file.h,
// desktop_initialization_file.h) fill them; the registry writers, the
// folder operations, the update pipeline, the installer and the launcher
// read them as they stand.
#ifndef WEVELINK_CONFIG_DEPLOYMENT_SETTINGS_H
#define WEVELINK_CONFIG_DEPLOYMENT_SETTINGS_H

#include <windows.h>

#include "base/portable/session_kinds.h"

enum {
  kSettingPathCapacity = 260,     // paths, URLs and targets: 259 characters
  kSettingLabelCapacity = 64,     // labels and the group name: 63
  kDesktopIniNameCapacity = 128,  // the "DesktopMode" value: 127
  kCDVersionCapacity = 16,        // 15
  kShortcutKinds = kSessionKinds,  // one per session kind, in the kinds' order
  kCustomShortcuts = 9,           // "ShortCut1" to "ShortCut9"
};

// Session kinds in the order of the kind records: Mainframe Display,
// Mainframe Printer, AS/400 Display, AS/400 Printer, FTP, VT.
struct KindShortcut {
  // Set by a non-empty "ShortCutURL" (web mode; a later empty one leaves it
  // set) and overwritten by the "Desktop Shortcuts" keys (desktop mode).
  bool Wanted;
  char Url[kSettingPathCapacity];
  char Label[kSettingLabelCapacity];
};

struct CustomShortcut {
  char Label[kSettingLabelCapacity];
  // A URL (holds ":/") or a program path with its arguments after a blank.
  char Target[kSettingPathCapacity];
};

// The "Program Group" labels, in the order they are read.
enum ProgramLabel {
  kLabelMainframeDisplay,
  kLabelMainframePrinter,
  kLabelISeriesDisplay,
  kLabelISeriesPrinter,
  kLabelVT,
  kLabelSessionManager,
  kLabelScriptEditor,
  kLabelFTP,
  kLabelHllapiRedirector,
  kLabelScriptingHost,
  kProgramLabels
};

struct DeploymentSettings {
  // 0, 1 or 2 from the "BaseRegistry" key; 2 puts the control's registry
  // values under HKEY_CURRENT_USER, 0 and 1 under HKEY_LOCAL_MACHINE.
  BYTE BaseRegistry;
  // Switched on by a non-empty "DesktopMode" key; stays on once on.
  bool DesktopMode;

  // The "DesktopMode" value: the desktop initialization file's name as the
  // cacher takes it. Read only while desktop mode is off.
  char DesktopIniName[kDesktopIniNameCapacity];
  char CDVersion[kCDVersionCapacity];
  // 1: the working folder is the personal folder plus "\Kestrava".
  BYTE WorkingDirType;
  char WorkingFolder[kSettingPathCapacity];
  char InstallFolder[kSettingPathCapacity];
  LONG Lock;
  LONG LockFTP;
  LONG ConnectRetryMilliseconds;
  KindShortcut KindShortcuts[kShortcutKinds];
  CustomShortcut CustomShortcuts[kCustomShortcuts];  // [0] is "ShortCut1"
  bool GroupWanted;
  char GroupName[kSettingLabelCapacity];
  char ProgramLabels[kProgramLabels][kSettingLabelCapacity];
  BYTE ConnectionType;  // 0 to 4
  bool SessionManagerShortcut;
  bool ScriptEditorShortcut;
  bool ScriptingHostShortcut;
};

// Process-wide; starts all zero (web mode, machine-wide registry, empty
// texts). The initialization files' readers fill it in and give the
// defaults of keys that are missing.
const DeploymentSettings& Settings();

// Web mode with the personal working folder installs as desktop mode does,
// with the component folder standing in for the installation folder.
void SetInstallFolder(const char* folder);

// The hive that holds the emulator root and the control's own state:
// HKEY_CURRENT_USER when BaseRegistry is 2, HKEY_LOCAL_MACHINE otherwise.
HKEY EmulatorRootHive();

// The emulator roots of the two modes.
extern const char kDesktopEmulatorRoot[];  // "Software\MARROCK\Kestrava"
extern const char kWebEmulatorRoot[];      // "Software\MARROCK\Kestrava Web"

// The emulator root of the current mode.
const char* EmulatorRoot();

#endif
