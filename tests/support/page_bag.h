// The PARAMs of one OBJECT tag in the very property bag the test container hands a control.
#ifndef WEVELINK_TESTS_SUPPORT_PAGE_BAG_H
#define WEVELINK_TESTS_SUPPORT_PAGE_BAG_H

#include <string>

#include "object_tags.h"
#include "property_bag.h"

// params: the tag's PARAM elements, as a page writes them. The caller owns the reference.
inline IPropertyBag* PageBag(const std::string& params) {
  static PageObjects page;
  const std::string html = "<object classid=\"clsid:0\">" + params + "</object>";
  if (!FindControlObjects(html.data(), html.size(), "0", &page)) return nullptr;
  return CreatePageBag(&page, 0);
}

#endif
