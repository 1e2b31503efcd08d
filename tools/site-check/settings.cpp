// The initialization files' settings that the control takes without a
// word: keys the profile API never reaches, comments kept in values, and
// the labels and group name that become link names and Program Manager
// commands (the rules of src/desktop, through its portable texts).
#include <string.h>

#include "base/portable/bounded_text.h"
#include "base/portable/session_kinds.h"
#include "config/portable/setting_values.h"
#include "deployment.h"
#include "desktop/portable/shortcut_text.h"
#include "findings.h"

namespace {

enum { kPathCapacity = 260, kLabelCapacity = 64, kCustomShortcuts = 9 };

// The "Program Group" label keys, and for each whether a desktop link is
// made with it and which "Desktop Shortcuts" key asks for that link
// (src/config/desktop_initialization_file.cpp, src/desktop/shortcuts.cpp).
struct ProgramLabelRow {
  const char* key;
  int kind;                  // the session kind whose key asks for the link; -1: shortcutKey
  const char* shortcutKey;   // for programs that are no session kind; null: no link
};
const ProgramLabelRow kProgramLabels[] = {
    {"MainframeDisplayText", kMainframeDisplay, nullptr},
    {"MainframePrinterText", kMainframePrinter, nullptr},
    {"iSeriesDisplayText", kAs400Display, nullptr},
    {"iSeriesPrinterText", kAs400Printer, nullptr},
    {"VTText", kVtSession, nullptr},
    {"SessionManagerText", -1, "SessionManager"},
    {"ScriptEditorText", -1, "ScriptEditor"},
    {"FTPText", kFtpSession, nullptr},
    {"HllapiRedirectorText", -1, nullptr},
    {"ScriptingHostText", -1, "ScriptingHost"},
};

// Keys the profile API does not reach, and comments written after values.
void CheckProfileText(const ProfileFile& file) {
  for (size_t s = 1; s < file.sections.size(); ++s) {
    const ProfileSection& section = file.sections[s];
    for (size_t earlier = 1; earlier < s; ++earlier) {
      if (CompareTextNoCase(file.sections[earlier].name.c_str(), section.name.c_str()) != 0)
        continue;
      Report(kWarning, file.shownPath, section.line,
             "section [%s] appears again (first at line %d): the profile API reads only the "
             "first one's keys",
             section.name.c_str(), file.sections[earlier].line);
      break;
    }
    for (size_t k = 0; k < section.keys.size(); ++k) {
      const ProfileKey& key = section.keys[k];
      if (!key.hasValue || key.name.empty() || key.name[0] == ';') continue;
      for (size_t j = 0; j < k; ++j) {
        if (CompareTextNoCase(section.keys[j].name.c_str(), key.name.c_str()) != 0) continue;
        Report(kWarning, file.shownPath, key.line,
               "%s is given again in [%s] (first at line %d): the profile API reads only the "
               "first",
               key.name.c_str(), section.name.c_str(), section.keys[j].line);
        break;
      }
      size_t comment = key.value.find(';');
      if (comment != std::string::npos && comment > 0 &&
          (key.value[comment - 1] == ' ' || key.value[comment - 1] == '\t')) {
        Report(kWarning, file.shownPath, key.line,
               "the value of %s holds \"%s\": the profile API keeps a comment after a value as "
               "part of the value (write comments on lines of their own)",
               key.name.c_str(), key.value.substr(comment).c_str());
      }
    }
  }
}

// A label that names a desktop link.
void CheckLinkLabel(const std::string& label, bool cut, const std::string& file, int line,
                    const char* key, const char* extension) {
  if (cut) {
    Report(kWarning, file, line, "%s is longer than %d characters: the control cuts it to %s",
           key, kLabelCapacity - 1, label.c_str());
  }
  if (label.empty()) {
    Report(kWarning, file, line, "%s is empty: the desktop link is named just %s", key,
           extension);
    return;
  }
  char name[kLabelCapacity];
  bool replaced = false;
  LinkFileNameOf(label.c_str(), name, sizeof name, &replaced);
  if (replaced) {
    Report(kWarning, file, line,
           "%s \"%s\" holds characters a file name cannot hold: the desktop link is named %s%s",
           key, label.c_str(), name, extension);
  }
}

// A label or group name sent to the Program Manager.
bool CheckProgmanText(const std::string& text, const std::string& file, int line,
                      const char* key, const char* consequence) {
  char argument[kPathCapacity + 2];
  if (ProgmanArgument(text.c_str(), argument, sizeof argument)) return true;
  Report(kError, file, line,
         "%s \"%s\" holds a double quotation mark or a bracket: the control does not send it to "
         "the Program Manager, %s",
         key, text.c_str(), consequence);
  return false;
}

// Web mode: each kind's browser link.
void CheckKindShortcuts(Deployment& d) {
  for (int kind = 0; kind < kSessionKinds; ++kind) {
    const char* section = SessionIniSection(kind);
    int urlLine = 0, labelLine = 0;
    bool urlCut = false, labelCut = false;
    std::string url =
        ReadProfileString(d.ini, section, "ShortCutURL", "", kPathCapacity, &urlLine, &urlCut);
    if (url.empty()) continue;
    if (urlCut) {
      Report(kError, d.ini.shownPath, urlLine,
             "[%s] ShortCutURL is longer than %d characters: the link opens the cut address",
             section, kPathCapacity - 1);
    }
    std::string label = ReadProfileString(d.ini, section, "ShortCutLabel", "", kLabelCapacity,
                                          &labelLine, &labelCut);
    CheckLinkLabel(label, labelCut, d.ini.shownPath, labelLine ? labelLine : urlLine,
                   "ShortCutLabel", ".LNK");
  }
}

// Both modes: the custom links, read from the initialization file.
void CheckCustomShortcuts(Deployment& d) {
  for (int n = 1; n <= kCustomShortcuts; ++n) {
    char key[32], labelKey[32];
    FormatText(key, sizeof key, "ShortCut%d", n);
    FormatText(labelKey, sizeof labelKey, "ShortCutLabel%d", n);
    int line = 0, labelLine = 0;
    bool cut = false, labelCut = false;
    std::string target =
        ReadProfileString(d.ini, "Custom Shortcuts", key, "", kPathCapacity, &line, &cut);
    if (target.empty()) continue;
    if (cut) {
      Report(kError, d.ini.shownPath, line,
             "%s is longer than %d characters: the link's target is cut", key,
             kPathCapacity - 1);
    }
    std::string label = ReadProfileString(d.ini, "Custom Shortcuts", labelKey, "",
                                          kLabelCapacity, &labelLine, &labelCut);
    CheckLinkLabel(label, labelCut, d.ini.shownPath, labelLine ? labelLine : line, labelKey,
                   ".Lnk");
  }
}

// Desktop mode: the program group and the program links.
void CheckProgramGroup(Deployment& d) {
  const ProfileFile& desk = d.desk;
  const bool group = YesNoFromText(
      ReadProfileString(desk, "Program Group", "UseGroup", "", kPathCapacity).c_str());
  bool groupSent = group;
  if (group) {
    int line = 0;
    bool cut = false;
    std::string name =
        ReadProfileString(desk, "Program Group", "GroupName", "", kLabelCapacity, &line, &cut);
    if (cut) {
      Report(kWarning, desk.shownPath, line,
             "GroupName is longer than %d characters: the control cuts it to %s",
             kLabelCapacity - 1, name.c_str());
    }
    if (!IsPlainGroupName(name.c_str())) {
      Report(kError, desk.shownPath, line,
             "GroupName \"%s\" holds \\, / or \":\": the control does not create the group, "
             "and none of the group's items either",
             name.c_str());
      groupSent = false;
    } else {
      groupSent = CheckProgmanText(name, desk.shownPath, line, "GroupName",
                                   "and none of the group's items either");
    }
  }
  for (const ProgramLabelRow& row : kProgramLabels) {
    int line = 0;
    bool cut = false;
    std::string label =
        ReadProfileString(desk, "Program Group", row.key, "", kLabelCapacity, &line, &cut);
    const char* shortcutKey = row.kind >= 0 ? SessionDesktopIniKey(row.kind) : row.shortcutKey;
    const bool link =
        shortcutKey && YesNoFromText(ReadProfileString(desk, "Desktop Shortcuts", shortcutKey,
                                                       "", kPathCapacity)
                                         .c_str());
    if (link) {
      CheckLinkLabel(label, cut, desk.shownPath, line, row.key, ".LNK");
    } else if (cut && groupSent) {
      Report(kWarning, desk.shownPath, line,
             "%s is longer than %d characters: the control cuts it to %s", row.key,
             kLabelCapacity - 1, label.c_str());
    }
    if (groupSent && !label.empty()) {
      // The item is sent under its link file's name, as the control sends
      // it: a double quotation mark in a label is no reason to leave it out.
      char sent[kLabelCapacity];
      bool replaced = false;
      LinkFileNameOf(label.c_str(), sent, sizeof sent, &replaced);
      CheckProgmanText(sent, desk.shownPath, line, row.key,
                       "so its program is left out of the group");
    }
  }
}

// Desktop mode: the installation and working folders, which the control
// takes only whole and in full (a relative one would be relative to the
// browser's current folder).
void CheckSetupFolders(Deployment& d) {
  for (const char* key : {"DestinationDir", "WorkingDir"}) {
    int line = 0;
    bool cut = false;
    std::string folder = ReadProfileString(d.desk, "KVSetup", key, "", kPathCapacity, &line, &cut);
    if (folder.empty()) continue;
    if (cut) {
      Report(kError, d.desk.shownPath, line,
             "[KVSetup] %s is longer than %d characters: the control does not use it", key,
             kPathCapacity - 1);
    } else if (!IsFullFolderPath(folder.c_str())) {
      Report(kError, d.desk.shownPath, line,
             "[KVSetup] %s=%s is not a full folder path (a drive and \\, or \\\\server): "
             "the control does not use it",
             key, folder.c_str());
    }
  }
}

}  // namespace

void CheckSettings(Deployment& d) {
  if (d.iniLoaded) {
    CheckProfileText(d.ini);
    if (!d.desktopMode) CheckKindShortcuts(d);
    CheckCustomShortcuts(d);
  }
  if (d.deskLoaded) {
    CheckProfileText(d.desk);
    CheckProgramGroup(d);
    CheckSetupFolders(d);
  }
}
