// The control's IObjectSafety, a nested object of CWevelinkCtrl. The
// control declares itself safe for initialization from untrusted data
// (the page's PARAMs, through its persistence interfaces) and refuses to
// be declared safe for scripting (its IDispatch).
#ifndef WEVELINK_CONTROL_OBJECT_SAFETY_H
#define WEVELINK_CONTROL_OBJECT_SAFETY_H

#include <windows.h>
#include <ole2.h>
#include <objsafe.h>

#include "framework/com_object.h"
#include "framework/ole_control.h"

// How the safety options treat one interface of the control.
enum class SafetyKind {
  kNotImplemented,  // the control does not answer it
  kDispatch,        // IDispatch: never safe for scripting
  kPersistence,     // IPersistPropertyBag, IPersistStreamInit, IPersistStorage, IPersistMemory
  kOther,           // anything else the control implements
};

SafetyKind ClassifySafetyInterface(COleControl* control, REFIID iid);

// The two operations behind the interface; pointers are checked by the
// caller.
HRESULT GetSafetyOptions(SafetyKind kind, DWORD* supported, DWORD* enabled);
HRESULT SetSafetyOptions(SafetyKind kind, DWORD optionSetMask, DWORD enabledOptions);

class XObjectSafety : public NestedInterface<IObjectSafety, COleControl> {
 public:
  using NestedInterface::NestedInterface;
  STDMETHOD(GetInterfaceSafetyOptions)(REFIID iid, DWORD* supported, DWORD* enabled) override;
  STDMETHOD(SetInterfaceSafetyOptions)(REFIID iid, DWORD optionSetMask,
                                       DWORD enabledOptions) override;
};

#endif
