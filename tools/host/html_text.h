// Decoding of HTML attribute text for the test container: the character
// references a page may use in an OBJECT or PARAM attribute become UTF-8.
// Platform-free so that it builds and is tested natively.
#ifndef WEVELINK_TOOLS_HOST_HTML_TEXT_H
#define WEVELINK_TOOLS_HOST_HTML_TEXT_H

#include <stddef.h>

// Decodes the named references &amp; &lt; &gt; &quot; &apos; &nbsp; (and
// the upper-case &AMP; &LT; &GT; &QUOT; that HTML also accepts) and numeric
// references &#NN; and &#xHH; in src[0..length) into dst as UTF-8. Numeric
// references without the closing ";" are decoded too, as browsers do; code
// points 0x80-0x9F map through Windows-1252 as browsers do; zero,
// surrogates and values above U+10FFFF become U+FFFD. Anything else that
// starts with "&" is copied as written.
// Always terminates dst. Returns false when the decoded text did not fit in
// capacity bytes; the text is then cut before the character that did not
// fit (never in the middle of a UTF-8 sequence).
bool DecodeHtmlText(const char* src, size_t length, char* dst, size_t capacity);

// Appends the UTF-8 form of code point to dst[*used..capacity-1), keeping
// the terminator. Returns false (dst unchanged) when it does not fit.
bool AppendUtf8(unsigned long codePoint, char* dst, size_t capacity, size_t* used);

#endif
