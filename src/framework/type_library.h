// Access to a control's type library: the registered one first (as
// containers expect), else the TYPELIB resource of the module itself, so
// that type information works before registration and in a module copied
// elsewhere.
#ifndef WEVELINK_FRAMEWORK_TYPE_LIBRARY_H
#define WEVELINK_FRAMEWORK_TYPE_LIBRARY_H

#include <windows.h>
#include <oleauto.h>

// The caller releases *library.
HRESULT LoadControlTypeLib(const GUID& libid, WORD major, WORD minor, LCID locale,
                           ITypeLib** library);

#endif
