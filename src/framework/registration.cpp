// Registry entries of the module's classes and its type library; see
// registration.h. Paths are built in fixed buffers: a CLSID key path is
// far shorter than MAX_PATH, and a module path that does not fit is a
// registration failure rather than a cut entry.
#include "framework/registration.h"

#include <ole2.h>
#include <oleauto.h>

#include "base/portable/bounded_text.h"
#include "framework/module_state.h"

namespace {

const size_t kKeyPathCapacity = 128;
const size_t kTypeNameCapacity = 128;
// The CLSID key's own subkeys, children before their parents, in the order
// they are removed.
const char* const kControlSubkeys[] = {"InprocServer32", "ProgID",          "Control",
                                       "MiscStatus\\1",  "MiscStatus",      "ToolboxBitmap32",
                                       "TypeLib",        "Version"};

// Creates HKCR\keyPath and sets the string value name (null: the default
// value) to text.
bool WriteClassesText(const char* keyPath, const char* name, const char* text) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  LONG rc = ERROR_SUCCESS;
  if (text != nullptr) {
    rc = RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)text, (DWORD)lstrlenA(text) + 1);
  }
  RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

bool CreateClassesKey(const char* keyPath) { return WriteClassesText(keyPath, nullptr, nullptr); }

bool FormatKeyPath(char* path, const char* parent, const char* child) {
  return FormatText(path, kKeyPathCapacity, "%s\\%s", parent, child);
}

// Deletes HKCR\keyPath unless it still has subkeys that are not ours.
bool DeleteClassesKey(const char* keyPath) {
  HKEY key = nullptr;
  LONG rc = RegOpenKeyExA(HKEY_CLASSES_ROOT, keyPath, 0, KEY_READ, &key);
  if (rc == ERROR_FILE_NOT_FOUND) return true;
  if (rc != ERROR_SUCCESS) return false;
  DWORD subkeys = 0;
  rc = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                        nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) return false;
  if (subkeys > 0) return true;  // someone else's entries live below it
  rc = RegDeleteKeyA(HKEY_CLASSES_ROOT, keyPath);
  return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool LoadTypeName(UINT id, char* text) {
  return LoadStringA(GetModuleInstance(), id, text, (int)kTypeNameCapacity) > 0;
}

// CLSID\{clsid} with its type name and InprocServer32; path receives the
// CLSID key's path.
bool WriteServerKeys(const CLSID& clsid, UINT typeNameId, const char* modulePath, char* path) {
  char clsidText[40];
  char typeName[kTypeNameCapacity];
  char subkey[kKeyPathCapacity];
  if (!GuidToText(clsid, clsidText, sizeof clsidText)) return false;
  if (!LoadTypeName(typeNameId, typeName)) return false;
  if (!FormatText(path, kKeyPathCapacity, "CLSID\\%s", clsidText)) return false;
  return WriteClassesText(path, nullptr, typeName) &&
         FormatKeyPath(subkey, path, "InprocServer32") &&
         WriteClassesText(subkey, nullptr, modulePath) &&
         WriteClassesText(subkey, "ThreadingModel", "Apartment");
}

bool WriteProgId(const CLSID& clsid, UINT typeNameId, const char* progId, const char* clsidPath) {
  char clsidText[40];
  char typeName[kTypeNameCapacity];
  char subkey[kKeyPathCapacity];
  if (!GuidToText(clsid, clsidText, sizeof clsidText)) return false;
  if (!LoadTypeName(typeNameId, typeName)) return false;
  return FormatKeyPath(subkey, clsidPath, "ProgID") && WriteClassesText(subkey, nullptr, progId) &&
         WriteClassesText(progId, nullptr, typeName) && FormatKeyPath(subkey, progId, "CLSID") &&
         WriteClassesText(subkey, nullptr, clsidText);
}

SYSKIND ModuleSysKind() { return sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32; }

}  // namespace

bool GuidToText(const GUID& guid, char* text, size_t capacity) {
  WCHAR wide[40];
  if (StringFromGUID2(guid, wide, 40) == 0) return false;
  char narrow[40];
  if (WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr) == 0) {
    return false;
  }
  return CopyText(text, capacity, narrow);
}

bool RegisterControlClass(const ControlClassRegistration& control) {
  char modulePath[MAX_PATH];
  char clsidPath[kKeyPathCapacity];
  char subkey[kKeyPathCapacity];
  char text[MAX_PATH + 16];
  if (!GetModulePath(modulePath, sizeof modulePath)) return false;
  if (!WriteServerKeys(*control.clsid, control.typeNameId, modulePath, clsidPath)) return false;
  if (!WriteProgId(*control.clsid, control.typeNameId, control.progId, clsidPath)) return false;

  if (!FormatKeyPath(subkey, clsidPath, "Control") || !CreateClassesKey(subkey)) return false;
  if (!FormatKeyPath(subkey, clsidPath, "MiscStatus") || !WriteClassesText(subkey, nullptr, "0")) {
    return false;
  }
  // The status bits for DVASPECT_CONTENT (aspect 1), in decimal as OLE reads them.
  if (!FormatText(text, sizeof text, "%lu", (unsigned long)control.miscStatus) ||
      !FormatKeyPath(subkey, clsidPath, "MiscStatus\\1") ||
      !WriteClassesText(subkey, nullptr, text)) {
    return false;
  }
  if (!FormatText(text, sizeof text, "%s, %u", modulePath, control.toolboxBitmapId) ||
      !FormatKeyPath(subkey, clsidPath, "ToolboxBitmap32") ||
      !WriteClassesText(subkey, nullptr, text)) {
    return false;
  }
  if (!GuidToText(*control.libid, text, sizeof text) ||
      !FormatKeyPath(subkey, clsidPath, "TypeLib") || !WriteClassesText(subkey, nullptr, text)) {
    return false;
  }
  return FormatText(text, sizeof text, "%u.%u", control.libMajor, control.libMinor) &&
         FormatKeyPath(subkey, clsidPath, "Version") && WriteClassesText(subkey, nullptr, text);
}

bool RegisterPropertyPageClass(const CLSID& clsid, const char* progId, UINT typeNameId) {
  char modulePath[MAX_PATH];
  char clsidPath[kKeyPathCapacity];
  if (!GetModulePath(modulePath, sizeof modulePath)) return false;
  if (!WriteServerKeys(clsid, typeNameId, modulePath, clsidPath)) return false;
  return progId == nullptr || WriteProgId(clsid, typeNameId, progId, clsidPath);
}

bool UnregisterClass(const CLSID& clsid, const char* progId) {
  char clsidText[40];
  char clsidPath[kKeyPathCapacity];
  char subkey[kKeyPathCapacity];
  if (!GuidToText(clsid, clsidText, sizeof clsidText)) return false;
  if (!FormatText(clsidPath, sizeof clsidPath, "CLSID\\%s", clsidText)) return false;
  bool removed = true;
  for (const char* child : kControlSubkeys) {
    if (!FormatKeyPath(subkey, clsidPath, child) || !DeleteClassesKey(subkey)) removed = false;
  }
  if (!DeleteClassesKey(clsidPath)) removed = false;
  if (progId != nullptr) {
    if (!FormatKeyPath(subkey, progId, "CLSID") || !DeleteClassesKey(subkey)) removed = false;
    if (!DeleteClassesKey(progId)) removed = false;
  }
  return removed;
}

bool RegisterModuleTypeLib(const GUID& libid) {
  char path[MAX_PATH];
  WCHAR widePath[MAX_PATH];
  WCHAR wideFolder[MAX_PATH];
  if (!GetModulePath(path, sizeof path)) return false;
  if (MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, MAX_PATH) == 0) return false;
  lstrcpynW(wideFolder, widePath, MAX_PATH);
  WCHAR* lastSlash = nullptr;
  for (WCHAR* c = wideFolder; *c != 0; ++c) {
    if (*c == L'\\') lastSlash = c;
  }
  if (lastSlash != nullptr) *lastSlash = 0;

  ITypeLib* library = nullptr;
  if (FAILED(LoadTypeLibEx(widePath, REGKIND_NONE, &library))) return false;
  TLIBATTR* attributes = nullptr;
  bool registered = false;
  if (SUCCEEDED(library->GetLibAttr(&attributes))) {
    if (IsEqualGUID(attributes->guid, libid)) {
      registered = SUCCEEDED(RegisterTypeLib(library, widePath, wideFolder));
    }
    library->ReleaseTLibAttr(attributes);
  }
  library->Release();
  return registered;
}

bool UnregisterModuleTypeLib(const GUID& libid, WORD major, WORD minor) {
  char libidText[40];
  char path[kKeyPathCapacity];
  if (!GuidToText(libid, libidText, sizeof libidText)) return false;
  if (!FormatText(path, sizeof path, "TypeLib\\%s\\%x.%x", libidText, major, minor)) return false;
  HKEY key = nullptr;
  LONG rc = RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key);
  if (rc == ERROR_FILE_NOT_FOUND) return true;
  if (rc == ERROR_SUCCESS) RegCloseKey(key);
  return SUCCEEDED(UnRegisterTypeLib(libid, major, minor, LANG_NEUTRAL, ModuleSysKind()));
}
