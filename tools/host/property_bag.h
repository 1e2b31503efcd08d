// The property bag through which a control receives the PARAMs of its
// OBJECT tag, as a browser hands them over: values are strings (VT_BSTR),
// converted with VariantChangeType when the control asks for another type;
// names match in any case, the first PARAM of a name wins; a name the tag
// does not have answers E_INVALIDARG. Each Read is traced as
// "bag Read NAME vt=N hr=0x...". The error log traces "errorlog NAME ...".
#ifndef WEVELINK_TOOLS_HOST_PROPERTY_BAG_H
#define WEVELINK_TOOLS_HOST_PROPERTY_BAG_H

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include "object_tags.h"

// A new bag with one reference (owned by the caller) holding copies of the
// PARAMs of object index of objects. Null when memory runs out.
IPropertyBag* CreatePageBag(const PageObjects* objects, int index);

#endif
