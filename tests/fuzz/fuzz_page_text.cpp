// A hostile page: the container's OBJECT/PARAM parser stays within its
// tables and its text pool, every PARAM belongs to an object it found, and
// the character reference decoder's text is terminated within its buffer:
// the whole decoded text, or when that does not fit a beginning of it.
#include <stdint.h>
#include <string.h>

#include "fuzz_check.h"
#include "html_text.h"
#include "object_tags.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // One table for every input, as the container keeps one for every page:
  // a fresh 256 KB table per input spent most of the time in the kernel.
  static PageObjects table;
  PageObjects* objects = &table;
  FindControlObjects((const char*)data, size, "{01D62088-DB72-4D35-AE5C-E5861904B675}", objects);
  FUZZ_REQUIRE(objects->objectCount >= 0 && objects->objectCount <= kMaxPageObjects);
  FUZZ_REQUIRE(objects->paramCount >= 0 && objects->paramCount <= kMaxPageParams);
  FUZZ_REQUIRE(objects->textUsed <= kPageTextCapacity);
  int owned = 0;
  for (int i = 0; i < objects->objectCount; ++i) {
    FUZZ_REQUIRE(objects->objects[i].id < objects->textUsed);
    owned += objects->objects[i].paramCount;
  }
  FUZZ_REQUIRE(owned == objects->paramCount);
  for (int i = 0; i < objects->paramCount; ++i) {
    const PageParam& param = objects->params[i];
    FUZZ_REQUIRE(param.object >= 0 && param.object < objects->objectCount);
    FUZZ_REQUIRE(param.name < objects->textUsed && param.value < objects->textUsed);
    FUZZ_REQUIRE(memchr(PageText(objects, param.name), 0, objects->textUsed - param.name) != nullptr);
    FUZZ_REQUIRE(memchr(PageText(objects, param.value), 0, objects->textUsed - param.value) != nullptr);
  }

  const size_t capacity = 1 + (size ? data[0] % 64 : 0);
  FuzzBuffer decoded(capacity), whole(4 * size + 1);
  const bool fits = DecodeHtmlText((const char*)data, size, decoded.data(), capacity);
  FUZZ_REQUIRE(DecodeHtmlText((const char*)data, size, whole.data(), whole.capacity()));
  const std::string text = decoded.Text(), all = whole.Text();
  FUZZ_REQUIRE(fits ? text == all : text.size() < capacity && StartsWith(all, text));
  return 0;
}
