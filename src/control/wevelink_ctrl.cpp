// The control class; see wevelink_ctrl.h.
#include "control/wevelink_ctrl.h"

#include "control/deployment_driver.h"
#include "control/wevelink_ids.h"
#include "framework/class_factory.h"
#include "framework/registration.h"
#include "resources/resource_ids.h"

namespace {

const ControlTypeInfo kWevelinkTypeInfo = {
    &LIBID_WEVELINKLib,      kWevelinkLibMajor,      kWevelinkLibMinor,
    &DIID__DWevelink,        &DIID__DWevelinkEvents, kWevelinkMiscStatus,
    &CLSID_WevelinkPropPage, 1,
};

}  // namespace

CWevelinkCtrl::CWevelinkCtrl() : COleControl(kWevelinkTypeInfo), objectSafety_(this) {}

CWevelinkCtrl::~CWevelinkCtrl() {}

void CWevelinkCtrl::DoPropExchange(CPropExchange* pPX) {
  ExchangeVersion(pPX, kWevelinkPropVersion, true);
  COleControl::DoPropExchange(pPX);
  RunDeployment(this, pPX);
}

void CWevelinkCtrl::OnResetState() { COleControl::OnResetState(); }

void CWevelinkCtrl::OnDraw(HDC dc, const RECT& bounds, const RECT& invalid) {
  // The control paints nothing; the deferred launch of embedded sessions
  // at the first paint while sited will start from here.
  COleControl::OnDraw(dc, bounds, invalid);
}

HRESULT CWevelinkCtrl::GetClassID(CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  *clsid = CLSID_WevelinkCtrl;
  return S_OK;
}

namespace {
void FrameworkOnSetClientSite(COleControl* control) {
  static_cast<CWevelinkCtrl*>(control)->COleControl::OnSetClientSite();
}
}  // namespace

void CWevelinkCtrl::OnSetClientSite() { NoteClientSiteChange(this, FrameworkOnSetClientSite); }

DWORD CWevelinkCtrl::GetControlFlags() {
  return COleControl::GetControlFlags() | windowlessActivate;
}

IUnknown* CWevelinkCtrl::GetExtraInterface(REFIID iid) {
  if (IsEqualIID(iid, IID_IObjectSafety)) return &objectSafety_;
  return COleControl::GetExtraInterface(iid);
}

HRESULT CreateWevelinkCtrl(REFIID iid, void** object) {
  return CreateObjectOf<CWevelinkCtrl>(iid, object);
}

bool UpdateWevelinkCtrlRegistry(bool registering) {
  if (!registering) return UnregisterClass(CLSID_WevelinkCtrl, kWevelinkCtrlProgId);
  ControlClassRegistration control = {};
  control.clsid = &CLSID_WevelinkCtrl;
  control.progId = kWevelinkCtrlProgId;
  control.typeNameId = IDS_WEVELINK_TYPENAME;
  control.toolboxBitmapId = IDB_WEVELINK_TOOLBOX;
  control.miscStatus = kWevelinkMiscStatus;
  control.libid = &LIBID_WEVELINKLib;
  control.libMajor = kWevelinkLibMajor;
  control.libMinor = kWevelinkLibMinor;
  return RegisterControlClass(control);
}
