// CWevelinkPropPage: the control's one property page. The control has no
// properties to edit, so the page is the empty dialog 200 with the caption
// of string 200; it exists because containers and the properties verb
// expect a control to name its pages.
#ifndef WEVELINK_CONTROL_WEVELINK_PROPPAGE_H
#define WEVELINK_CONTROL_WEVELINK_PROPPAGE_H

#include "framework/property_page.h"

class CWevelinkPropPage : public COlePropertyPage {
 public:
  CWevelinkPropPage();
};

HRESULT CreateWevelinkPropPage(REFIID iid, void** object);
bool UpdateWevelinkPropPageRegistry(bool registering);

#endif
