// The control class; see wevelink_ctrl.h.
#include "control/wevelink_ctrl.h"

#include "base/event_log.h"
#include "base/message_pump.h"
#include "control/deployment_driver.h"
#include "control/wevelink_ids.h"
#include "framework/class_factory.h"
#include "framework/registration.h"
#include "resources/resource_ids.h"
#include "sessions/session_state.h"

namespace {

const ControlTypeInfo kWevelinkTypeInfo = {
    &LIBID_WEVELINKLib,      kWevelinkLibMajor,      kWevelinkLibMinor,
    &DIID__DWevelink,        &DIID__DWevelinkEvents, kWevelinkMiscStatus,
    &CLSID_WevelinkPropPage, 1,
};

}  // namespace

CWevelinkCtrl::CWevelinkCtrl() : COleControl(kWevelinkTypeInfo), objectSafety_(this) {}

CWevelinkCtrl::~CWevelinkCtrl() { ForgetEmbeddingControl(this); }

void CWevelinkCtrl::DoPropExchange(CPropExchange* pPX) {
  ExchangeVersion(pPX, kWevelinkPropVersion, true);
  COleControl::DoPropExchange(pPX);
  RunDeployment(this, pPX);
}

void CWevelinkCtrl::OnResetState() { COleControl::OnResetState(); }

namespace {

bool ReadControlRect(void* control, RECT* rect) {
  return static_cast<CWevelinkCtrl*>(control)->GetRectInContainer(rect);
}

}  // namespace

// The control paints nothing. With sessions embedded it learns where they
// go and, at the first paint after a deployment that left their launch to
// it, launches them.
void CWevelinkCtrl::OnDraw(HDC dc, const RECT& bounds, const RECT& invalid) {
  WriteLogLine("Entering OnDraw( ) ...\r\n");
  const EmbedMode mode = CurrentEmbedMode();
  if (IsControlSited() && mode != kEmbedOff) {
    RememberEmbeddingControl(ReadControlRect, this);
    RECT rect = {0, 0, 0, 0};
    if (mode == kEmbedPosition) {
      if (GetRectInContainer(&rect)) SetEmbedRect(rect);
    } else if (ContainerWindow() && GetClientRect(ContainerWindow(), &rect)) {
      SetEmbedRect(rect);
    }
    // The cancel request keeps the launch to once. Only a deployment that
    // ended and left the launch here is launched: a paint while the next
    // page's deployment runs must neither launch nor cancel it.
    if (!CancelRequested() && TakeDeferredLaunch()) {
      RequestCancel();
      FinishDeployment();
    }
  }
  COleControl::OnDraw(dc, bounds, invalid);
  WriteLogLine("... Leaving OnDraw( )\r\n");
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
