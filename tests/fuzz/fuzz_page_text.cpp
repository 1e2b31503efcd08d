// A hostile page: the container's OBJECT/PARAM parser and its character
// reference decoder must stay within their pools whatever the HTML.
#include <stdint.h>
#include <string.h>

#include <memory>

#include "html_text.h"
#include "object_tags.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<PageObjects> objects(new PageObjects());
  FindControlObjects((const char*)data, size, "{01D62088-DB72-4D35-AE5C-E5861904B675}",
                     objects.get());
  for (int i = 0; i < objects->paramCount; ++i) {
    (void)strlen(PageText(objects.get(), objects->params[i].name));
    (void)strlen(PageText(objects.get(), objects->params[i].value));
  }
  char decoded[64];
  DecodeHtmlText((const char*)data, size, decoded, sizeof decoded);
  return 0;
}
