// OBJECT tags with their lines; see page_objects.h.
//
// The parser reports positions in its decoded text, not in the page, so a
// tag's line is found by parsing ever shorter beginnings of the page: a tag
// is counted once its ">" is inside the beginning, so the shortest
// beginning that holds one more PARAM (or OBJECT) ends with that tag.
#include "page_objects.h"

#include <memory>

#include "base/portable/bounded_text.h"
#include "object_tags.h"
#include "site_files.h"

namespace {

// The line of the tag that ends html[0..end): where its "<" stands.
int LineOfPrefixEnd(const std::string& html, size_t end) {
  size_t open = end > 0 ? html.rfind('<', end - 1) : std::string::npos;
  return LineOfOffset(html, open == std::string::npos ? 0 : open);
}

// Parses html[0..length) into objects; PageObjects is too large for the stack.
void ParsePrefix(const std::string& html, size_t length, const char* clsid,
                 PageObjects* objects) {
  FindControlObjects(html.data(), length, clsid, objects);
}

// The shortest beginning of html holding more than count items, as counted
// by countOf; html.size() when none does.
template <typename CountOf>
size_t ShortestPrefixBeyond(const std::string& html, const char* clsid, int count,
                            PageObjects* scratch, CountOf countOf) {
  size_t low = 0, high = html.size();
  while (low < high) {
    size_t middle = low + (high - low) / 2;
    ParsePrefix(html, middle, clsid, scratch);
    if (countOf(*scratch) > count) {
      high = middle;
    } else {
      low = middle + 1;
    }
  }
  return low;
}

}  // namespace

bool ReadControlObjects(const std::string& html, const char* clsid,
                        std::vector<ControlObject>* objects) {
  std::unique_ptr<PageObjects> whole(new PageObjects);
  std::unique_ptr<PageObjects> scratch(new PageObjects);
  bool fits = FindControlObjects(html.data(), html.size(), clsid, whole.get());
  objects->clear();
  for (int i = 0; i < whole->objectCount; ++i) {
    size_t end = ShortestPrefixBeyond(html, clsid, i, scratch.get(),
                                      [](const PageObjects& o) { return o.objectCount; });
    objects->push_back(ControlObject{LineOfPrefixEnd(html, end), {}});
  }
  for (int i = 0; i < whole->paramCount; ++i) {
    const PageParam& param = whole->params[i];
    size_t end = ShortestPrefixBeyond(html, clsid, i, scratch.get(),
                                      [](const PageObjects& o) { return o.paramCount; });
    (*objects)[param.object].params.push_back(PageParamLine{
        PageText(whole.get(), param.name), PageText(whole.get(), param.value),
        LineOfPrefixEnd(html, end)});
  }
  return fits;
}

const PageParamLine* FindPageParam(const ControlObject& object, const char* name) {
  for (const PageParamLine& param : object.params) {
    if (CompareTextNoCase(param.name.c_str(), name) == 0) return &param;
  }
  return nullptr;
}

size_t ControlTextLength(const std::string& utf8) {
  size_t length = 0;
  for (unsigned char c : utf8) {
    if ((c & 0xC0) != 0x80) ++length;
  }
  return length;
}
