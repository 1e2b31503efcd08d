// OBJECT and PARAM elements of one control class; see object_tags.h.
#include "object_tags.h"

#include <string.h>

#include "base/portable/bounded_text.h"
#include "html_text.h"

namespace {

const int kMaxNesting = 32;
const int kLengthLimit = 10000;  // larger WIDTH/HEIGHT values are cut to it

// One attribute value as it stands in the page (not yet decoded).
struct RawValue {
  const char* text;
  size_t length;
  bool present;
};

// The attributes the parser cares about, first occurrence wins as in HTML.
struct TagAttributes {
  RawValue classid;
  RawValue width;
  RawValue height;
  RawValue id;
  RawValue name;
  RawValue value;
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c;
}

// Case-insensitive comparison of text[0..length) with a lower-case word.
bool SpanIs(const char* text, size_t length, const char* word) {
  size_t wordLength = strlen(word);
  if (length != wordLength) return false;
  for (size_t i = 0; i < length; ++i) {
    if (LowerAscii(text[i]) != word[i]) return false;
  }
  return true;
}

// Position of needle (lower-case) in html[from..length) in any case, or
// length when absent.
size_t FindNoCase(const char* html, size_t length, size_t from, const char* needle) {
  size_t needleLength = strlen(needle);
  for (size_t at = from; at + needleLength <= length; ++at) {
    if (SpanIs(html + at, needleLength, needle)) return at;
  }
  return length;
}

void Remember(RawValue* slot, const char* text, size_t length) {
  if (slot->present) return;
  slot->text = text;
  slot->length = length;
  slot->present = true;
}

void RememberAttribute(TagAttributes* attributes, const char* name, size_t nameLength,
                       const char* value, size_t valueLength) {
  if (SpanIs(name, nameLength, "classid")) Remember(&attributes->classid, value, valueLength);
  else if (SpanIs(name, nameLength, "width")) Remember(&attributes->width, value, valueLength);
  else if (SpanIs(name, nameLength, "height")) Remember(&attributes->height, value, valueLength);
  else if (SpanIs(name, nameLength, "id")) Remember(&attributes->id, value, valueLength);
  else if (SpanIs(name, nameLength, "name")) Remember(&attributes->name, value, valueLength);
  else if (SpanIs(name, nameLength, "value")) Remember(&attributes->value, value, valueLength);
}

// Reads the attributes of a tag from html[at..length) up to and including
// its ">". Returns the position after the tag, or length when the page ends
// inside the tag (the caller then drops it).
size_t ReadAttributes(const char* html, size_t length, size_t at, TagAttributes* attributes,
                      bool* complete) {
  memset(attributes, 0, sizeof *attributes);
  *complete = false;
  while (at < length) {
    while (at < length && (IsBlank(html[at]) || html[at] == '/')) ++at;
    if (at >= length) break;
    if (html[at] == '>') {
      *complete = true;
      return at + 1;
    }
    size_t nameStart = at;
    ++at;  // a first "=" belongs to the name
    while (at < length && !IsBlank(html[at]) && html[at] != '/' && html[at] != '>' &&
           html[at] != '=') {
      ++at;
    }
    size_t nameLength = at - nameStart;
    while (at < length && IsBlank(html[at])) ++at;
    const char* value = html + at;
    size_t valueLength = 0;
    if (at < length && html[at] == '=') {
      ++at;
      while (at < length && IsBlank(html[at])) ++at;
      if (at >= length) break;
      char quote = html[at];
      if (quote == '"' || quote == '\'') {
        ++at;
        size_t valueStart = at;
        while (at < length && html[at] != quote) ++at;
        if (at >= length) break;  // unterminated quote: the tag never ends
        value = html + valueStart;
        valueLength = at - valueStart;
        ++at;
      } else {
        size_t valueStart = at;
        while (at < length && !IsBlank(html[at]) && html[at] != '>') ++at;
        value = html + valueStart;
        valueLength = at - valueStart;
      }
    }
    RememberAttribute(attributes, html + nameStart, nameLength, value, valueLength);
  }
  return length;
}

// Decodes raw into the pool; *offset receives where. Absent values are the
// empty text at offset 0.
bool StoreText(PageObjects* objects, const RawValue& raw, size_t* offset) {
  *offset = 0;
  if (!raw.present) return true;
  size_t room = kPageTextCapacity - objects->textUsed;
  char* dst = objects->text + objects->textUsed;
  if (!DecodeHtmlText(raw.text, raw.length, dst, room)) {
    dst[0] = '\0';
    return false;
  }
  *offset = objects->textUsed;
  objects->textUsed += strlen(dst) + 1;
  return true;
}

// A WIDTH or HEIGHT value: a plain number of pixels, "px" allowed. Returns
// false for percentages and for values without a number.
bool ParseLength(const RawValue& raw, int* pixels) {
  if (!raw.present) return false;
  char decoded[64];
  if (!DecodeHtmlText(raw.text, raw.length, decoded, sizeof decoded)) return false;
  const char* at = decoded;
  while (IsBlank(*at)) ++at;
  if (*at == '+') ++at;
  if (*at < '0' || *at > '9') return false;
  long value = 0;
  while (*at >= '0' && *at <= '9') {
    if (value < kLengthLimit) value = value * 10 + (*at - '0');
    ++at;
  }
  if (*at == '.') {
    ++at;
    while (*at >= '0' && *at <= '9') ++at;
  }
  while (IsBlank(*at)) ++at;
  if (*at == '%') return false;
  *pixels = value > kLengthLimit ? kLengthLimit : (int)value;
  return true;
}

// The parser's walk over one page.
struct Walk {
  const char* html;
  size_t length;
  const char* clsid;
  PageObjects* objects;
  int stack[kMaxNesting];  // object index, or -1 for an OBJECT of another class
  int depth;
  int hiddenDepth;  // OBJECTs open beyond kMaxNesting
  bool fits;
};

void OnObjectStart(Walk* walk, const TagAttributes& attributes) {
  int index = -1;
  char classid[128];
  if (attributes.classid.present &&
      DecodeHtmlText(attributes.classid.text, attributes.classid.length, classid, sizeof classid) &&
      ClassIdNames(classid, walk->clsid)) {
    PageObjects* objects = walk->objects;
    if (objects->objectCount >= kMaxPageObjects) {
      walk->fits = false;
    } else {
      PageObject* object = &objects->objects[objects->objectCount];
      memset(object, 0, sizeof *object);
      object->hasWidth = ParseLength(attributes.width, &object->width);
      if (!object->hasWidth) object->width = kDefaultObjectWidth;
      object->hasHeight = ParseLength(attributes.height, &object->height);
      if (!object->hasHeight) object->height = kDefaultObjectHeight;
      if (!StoreText(objects, attributes.id, &object->id)) walk->fits = false;
      index = objects->objectCount++;
    }
  }
  if (walk->depth < kMaxNesting) {
    walk->stack[walk->depth++] = index;
  } else {
    ++walk->hiddenDepth;
  }
}

void OnObjectEnd(Walk* walk) {
  if (walk->hiddenDepth > 0) {
    --walk->hiddenDepth;
  } else if (walk->depth > 0) {
    --walk->depth;
  }
}

void OnParam(Walk* walk, const TagAttributes& attributes) {
  if (walk->hiddenDepth > 0 || walk->depth == 0) return;
  int index = walk->stack[walk->depth - 1];
  if (index < 0 || !attributes.name.present) return;
  PageObjects* objects = walk->objects;
  if (objects->paramCount >= kMaxPageParams) {
    walk->fits = false;
    return;
  }
  PageParam* param = &objects->params[objects->paramCount];
  if (!StoreText(objects, attributes.name, &param->name) ||
      !StoreText(objects, attributes.value, &param->value)) {
    walk->fits = false;
    return;
  }
  param->object = index;
  ++objects->paramCount;
  ++objects->objects[index].paramCount;
}

// Handles the tag that starts at html[at] == '<'. Returns where the walk
// goes on.
size_t OnTag(Walk* walk, size_t at) {
  const char* html = walk->html;
  size_t length = walk->length;
  if (at + 4 <= length && memcmp(html + at, "<!--", 4) == 0) {
    size_t end = FindNoCase(html, length, at + 4, "-->");
    return end >= length ? length : end + 3;
  }
  if (at + 1 < length && (html[at + 1] == '!' || html[at + 1] == '?')) {
    size_t end = FindNoCase(html, length, at + 2, ">");
    return end >= length ? length : end + 1;
  }
  bool endTag = at + 1 < length && html[at + 1] == '/';
  size_t nameStart = at + (endTag ? 2 : 1);
  if (nameStart >= length || !IsLetter(html[nameStart])) return at + 1;  // plain text "<"
  size_t nameEnd = nameStart;
  while (nameEnd < length && !IsBlank(html[nameEnd]) && html[nameEnd] != '/' &&
         html[nameEnd] != '>') {
    ++nameEnd;
  }
  const char* name = html + nameStart;
  size_t nameLength = nameEnd - nameStart;
  TagAttributes attributes;
  bool complete = false;
  size_t next = ReadAttributes(html, length, nameEnd, &attributes, &complete);
  if (!complete) return length;

  if (endTag) {
    if (SpanIs(name, nameLength, "object")) OnObjectEnd(walk);
    return next;
  }
  if (SpanIs(name, nameLength, "object")) {
    OnObjectStart(walk, attributes);
  } else if (SpanIs(name, nameLength, "param")) {
    OnParam(walk, attributes);
  } else if (SpanIs(name, nameLength, "script") || SpanIs(name, nameLength, "style") ||
             SpanIs(name, nameLength, "textarea") || SpanIs(name, nameLength, "title")) {
    // Raw text: nothing inside is a tag until the matching end tag.
    char endTag[16];
    FormatText(endTag, sizeof endTag, "</%.*s", (int)nameLength, name);
    for (char* c = endTag; *c; ++c) *c = LowerAscii(*c);
    size_t endLength = strlen(endTag);
    size_t search = next;
    for (;;) {
      size_t found = FindNoCase(html, length, search, endTag);
      if (found >= length) return length;
      size_t after = found + endLength;
      if (after >= length || IsBlank(html[after]) || html[after] == '/' || html[after] == '>') {
        return found;
      }
      search = found + 1;
    }
  }
  return next;
}

}  // namespace

bool ClassIdNames(const char* value, const char* clsid) {
  while (IsBlank(*value)) ++value;
  if (!StartsWithNoCase(value, "clsid:")) return false;
  value += 6;
  while (IsBlank(*value)) ++value;
  size_t valueLength = strlen(value);
  while (valueLength > 0 && IsBlank(value[valueLength - 1])) --valueLength;
  if (valueLength > 0 && value[0] == '{') {
    ++value;
    --valueLength;
  }
  if (valueLength > 0 && value[valueLength - 1] == '}') --valueLength;

  size_t clsidLength = strlen(clsid);
  if (clsidLength > 0 && clsid[0] == '{') {
    ++clsid;
    --clsidLength;
  }
  if (clsidLength > 0 && clsid[clsidLength - 1] == '}') --clsidLength;
  if (clsidLength == 0 || valueLength != clsidLength) return false;
  for (size_t i = 0; i < clsidLength; ++i) {
    if (LowerAscii(value[i]) != LowerAscii(clsid[i])) return false;
  }
  return true;
}

const char* PageText(const PageObjects* objects, size_t offset) {
  if (offset >= objects->textUsed) return "";
  return objects->text + offset;
}

bool FindControlObjects(const char* html, size_t length, const char* clsid,
                        PageObjects* objects) {
  objects->objectCount = 0;
  objects->paramCount = 0;
  objects->text[0] = '\0';  // offset 0: the empty text
  objects->textUsed = 1;

  Walk walk;
  memset(&walk, 0, sizeof walk);
  walk.html = html;
  walk.length = length;
  walk.clsid = clsid;
  walk.objects = objects;
  walk.fits = true;

  size_t at = 0;
  while (at < length) {
    const void* open = memchr(html + at, '<', length - at);
    if (open == nullptr) break;
    at = OnTag(&walk, (size_t)((const char*)open - html));
  }
  return walk.fits;
}
