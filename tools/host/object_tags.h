// Finds the OBJECT elements of one control class in a page and reads their
// size and PARAM name/value pairs, the way a browser hands them to the
// control. Platform-free (no windows.h) so that it builds and is tested
// natively; the container turns the result into controls and a property bag.
//
// The parser is a small HTML tokenizer: comments and the raw text of
// SCRIPT, STYLE, TEXTAREA and TITLE are skipped, attribute values may be
// quoted with " or ' or unquoted, names are matched in any case, and
// character references in values are decoded (html_text.h). Input that ends
// inside a tag drops that tag, as browsers do. Everything is bounded: at
// most kMaxPageObjects objects and kMaxPageParams PARAMs per page, all
// decoded text in one pool of kPageTextCapacity bytes.
#ifndef WEVELINK_TOOLS_HOST_OBJECT_TAGS_H
#define WEVELINK_TOOLS_HOST_OBJECT_TAGS_H

#include <stddef.h>

const int kMaxPageObjects = 8;
const int kMaxPageParams = 256;
const size_t kPageTextCapacity = 256 * 1024;
// HTML's size for a replaced element that gives none.
const int kDefaultObjectWidth = 300;
const int kDefaultObjectHeight = 150;

// Offsets into PageObjects::text; object is the index of the OBJECT that
// the PARAM belongs to (PARAMs of nested OBJECTs interleave, so an object's
// PARAMs need not be next to each other).
struct PageParam {
  size_t name;
  size_t value;
  int object;
};

struct PageObject {
  int width;  // pixels; the default when absent or not a plain length
  int height;
  bool hasWidth;
  bool hasHeight;
  size_t id;  // the ID attribute, "" when absent
  int paramCount;
};

struct PageObjects {
  PageObject objects[kMaxPageObjects];
  int objectCount;
  PageParam params[kMaxPageParams];
  int paramCount;
  char text[kPageTextCapacity];
  size_t textUsed;
};

// Fills objects with every OBJECT element of html[0..length) (UTF-8) whose
// classid is "clsid:" + clsid (braces optional on either side, any case,
// blanks around it ignored). PARAMs belong to the innermost open OBJECT;
// those of a nested OBJECT of another class are not taken. A PARAM without
// a name is skipped; one without a value has the empty value.
// Returns false when something did not fit (too many objects or PARAMs, or
// the text pool is full); what did fit is still in objects.
bool FindControlObjects(const char* html, size_t length, const char* clsid,
                        PageObjects* objects);

// The text at offset in objects' pool.
const char* PageText(const PageObjects* objects, size_t offset);

// True when a classid attribute value names clsid (see above).
bool ClassIdNames(const char* value, const char* clsid);

#endif
