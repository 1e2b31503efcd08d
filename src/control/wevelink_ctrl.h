// CWevelinkCtrl: the Web-to-Host control. It has no scriptable surface;
// everything it does starts from the container's calls into the
// framework's operations it overrides here: the property exchange (the
// deployment driver), the client-site notification and the paint.
#ifndef WEVELINK_CONTROL_WEVELINK_CTRL_H
#define WEVELINK_CONTROL_WEVELINK_CTRL_H

#include <windows.h>

#include "control/object_safety.h"
#include "framework/ole_control.h"

class CWevelinkCtrl : public COleControl {
 public:
  CWevelinkCtrl();
  ~CWevelinkCtrl() override;

  void DoPropExchange(CPropExchange* pPX) override;
  void OnResetState() override;
  void OnDraw(HDC dc, const RECT& bounds, const RECT& invalid) override;
  HRESULT GetClassID(CLSID* clsid) override;
  void OnSetClientSite() override;
  DWORD GetControlFlags() override;

 protected:
  IUnknown* GetExtraInterface(REFIID iid) override;

 private:
  XObjectSafety objectSafety_;
};

// Class object plumbing: creation and the control's registry entries.
HRESULT CreateWevelinkCtrl(REFIID iid, void** object);
bool UpdateWevelinkCtrlRegistry(bool registering);

#endif
