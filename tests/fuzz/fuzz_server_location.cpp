// Page addresses and "IniFile" values from a hostile page: the server
// location, the port and the request URL stay within their buffers.
#include <stdint.h>
#include <string.h>

#include "base/portable/page_values.h"
#include "download/portable/request_url.h"
#include "download/portable/server_port.h"
#include "fuzz_input.h"
#include "base/portable/session_kinds.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> in = SplitInput(data, size, 3);
  char url[260], name[260], request[260], path[260], local[260];
  DeriveServerLocation(in[0].c_str(), in[1].c_str(), url, sizeof url, name, sizeof name);
  ServerPortFromUrl(url);
  ParseNumber(in[2].c_str());
  FormRequestUrl(url, name, request, sizeof request);
  if (FileUrlToPath(in[1].c_str(), path, sizeof path)) {
    FormLocalPath(path, in[2].c_str(), local, sizeof local);
  }
  SessionKindInFileName(in[2].c_str());
  (void)strlen(LastPathComponent(in[0].c_str()));
  return 0;
}
