// Self-registration of the module's classes and type library under
// HKEY_CLASSES_ROOT. Every key that registering writes is one that
// unregistering removes again, and nothing else: a CLSID or ProgID key
// that somebody else gave further subkeys stays with those subkeys.
#ifndef WEVELINK_FRAMEWORK_REGISTRATION_H
#define WEVELINK_FRAMEWORK_REGISTRATION_H

#include <windows.h>

#include <stddef.h>

// What a control class writes: CLSID\{clsid} with the type name (string
// resource typeNameId of the module), InprocServer32 (module path,
// ThreadingModel "Apartment"), ProgID, Control, MiscStatus ("0", and "1"
// with miscStatus in decimal), ToolboxBitmap32 ("<module path>, <id>"),
// TypeLib and Version ("major.minor"); and the ProgID key with the type
// name and its CLSID.
struct ControlClassRegistration {
  const CLSID* clsid;
  const char* progId;
  UINT typeNameId;
  UINT toolboxBitmapId;
  DWORD miscStatus;
  const GUID* libid;
  WORD libMajor;
  WORD libMinor;
};

bool RegisterControlClass(const ControlClassRegistration& control);

// A property page class: CLSID\{clsid} with the type name (string resource
// typeNameId) and InprocServer32 (module path, "Apartment"); when progId is
// given, also CLSID\{clsid}\ProgID and the ProgID key.
bool RegisterPropertyPageClass(const CLSID& clsid, const char* progId, UINT typeNameId);

// Removes what the two calls above wrote for clsid (and progId when
// given). Entries that are already gone count as removed.
bool UnregisterClass(const CLSID& clsid, const char* progId);

// Registers the type library stored as TYPELIB resource 1 of the module,
// after checking that it is the library libid. The module's folder is
// registered as its help folder.
bool RegisterModuleTypeLib(const GUID& libid);
// Removes the registration of version major.minor of libid for the
// module's platform (win32 or win64). A library that is not registered
// counts as removed.
bool UnregisterModuleTypeLib(const GUID& libid, WORD major, WORD minor);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" into text (39 bytes needed).
bool GuidToText(const GUID& guid, char* text, size_t capacity);

#endif
