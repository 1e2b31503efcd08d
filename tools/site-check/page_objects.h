// The control's OBJECT tags in a page and their PARAMs, read by the test
// container's parser (tools/host/object_tags.h), the same one that hands
// them to the control, with the line each one stands on.
#ifndef WEVELINK_TOOLS_SITE_CHECK_PAGE_OBJECTS_H
#define WEVELINK_TOOLS_SITE_CHECK_PAGE_OBJECTS_H

#include <string>
#include <vector>

struct PageParamLine {
  std::string name;
  std::string value;  // UTF-8, character references decoded
  int line;
};

struct ControlObject {
  int line;
  std::vector<PageParamLine> params;  // in page order
};

// The objects of class clsid in html. False when the page holds more than
// the parser takes (what did fit is still there).
bool ReadControlObjects(const std::string& html, const char* clsid,
                        std::vector<ControlObject>* objects);

// What the control is given for name: the first PARAM of that name in any
// case (the browser's property bag), or null.
const PageParamLine* FindPageParam(const ControlObject& object, const char* name);

// The value's length in the control's single-byte text: one character per
// code point.
size_t ControlTextLength(const std::string& utf8);

#endif
