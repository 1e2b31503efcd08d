// The property page class; see wevelink_proppage.h.
#include "control/wevelink_proppage.h"

#include "control/wevelink_ids.h"
#include "framework/class_factory.h"
#include "framework/registration.h"
#include "resources/resource_ids.h"

CWevelinkPropPage::CWevelinkPropPage()
    : COlePropertyPage(IDD_PROPPAGE_WEVELINK, IDS_WEVELINK_PPG_CAPTION) {}

HRESULT CreateWevelinkPropPage(REFIID iid, void** object) {
  return CreateObjectOf<CWevelinkPropPage>(iid, object);
}

bool UpdateWevelinkPropPageRegistry(bool registering) {
  if (!registering) return UnregisterClass(CLSID_WevelinkPropPage, kWevelinkPropPageProgId);
  return RegisterPropertyPageClass(CLSID_WevelinkPropPage, kWevelinkPropPageProgId,
                                   IDS_WEVELINK_PPG_TYPENAME);
}
