// Page addresses and "IniFile" values from a hostile page: the server
// location and the initialization file name are what a reference reading
// gives (the address or a full IniFile up to its query, cut at its last
// separator) or refused, within their buffers; the port, the request URL
// and the local path of a file URL stay within theirs. The first byte
// sizes the outputs; the rest is the IniFile value, the page address and
// a third text, separated by zero bytes.
#include <stdint.h>

#include "base/portable/page_values.h"
#include "base/portable/session_kinds.h"
#include "download/portable/request_url.h"
#include "download/portable/server_port.h"
#include "fuzz_check.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t capacity = 1 + data[0];
  std::vector<std::string> in = SplitInput(data + 1, size - 1, 3);
  FuzzBuffer url(capacity), name(capacity);
  const bool fits = DeriveServerLocation(in[0].c_str(), in[1].c_str(), url.data(), capacity, name.data(), capacity);
  const bool absolute = in[0].find("://") != std::string::npos;
  std::string source = absolute ? in[0] : in[1];
  source = source.substr(0, source.find('?'));
  const size_t separator = source.find_last_of("\\/");
  const std::string wholeUrl = separator == std::string::npos ? source : source.substr(0, separator);
  const std::string wholeName =
      !absolute ? in[0] : separator == std::string::npos ? std::string() : source.substr(separator + 1);
  if (fits) {
    FUZZ_REQUIRE(url.Text() == wholeUrl && name.Text() == wholeName);
  } else {
    FUZZ_REQUIRE(source.size() >= capacity || wholeName.size() >= capacity);
    (void)url.Text();
    (void)name.Text();
  }

  ServerPortFromUrl(url.data());
  ParseNumber(in[2].c_str());
  char request[260], path[260], local[260];
  FormRequestUrl(url.data(), name.data(), request, sizeof request);
  if (FileUrlToPath(in[1].c_str(), path, sizeof path)) {
    FormLocalPath(path, in[2].c_str(), local, sizeof local);
  }
  const int kind = SessionKindInFileName(in[2].c_str());
  FUZZ_REQUIRE(kind >= -1 && kind < kSessionKinds);
  const char* last = LastPathComponent(in[0].c_str());
  FUZZ_REQUIRE(strpbrk(last, "\\/") == nullptr && last >= in[0].c_str() && last <= in[0].c_str() + in[0].size());
  return 0;
}
