// Server locations and listed file names from a hostile server or page:
// the request URL, the file-URL path and the local path are each the whole
// joined text or, when that does not fit, refused; a smaller buffer never
// gives a different answer than a large one. The first byte sizes the
// outputs; the rest is the server location, the file name and a folder,
// separated by zero bytes.
#include <stdint.h>

#include "download/portable/request_url.h"
#include "download/portable/server_port.h"
#include "fuzz_check.h"
#include "fuzz_input.h"

namespace {

const size_t kLarge = 4096;

std::string Joined(const std::string& folder, char separator, const std::string& name) {
  std::string whole = folder;
  if (whole.empty() || whole.back() != separator) whole += separator;
  return whole + name;
}

// A bounded join must give the whole text when it fits, else refuse it.
void CheckJoin(bool fits, const std::string& text, const std::string& whole, size_t capacity) {
  if (fits) {
    FUZZ_REQUIRE(text == whole);
  } else {
    FUZZ_REQUIRE(whole.size() >= capacity);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t capacity = 1 + data[0];
  std::vector<std::string> in = SplitInput(data + 1, size - 1, 3);
  const std::string& server = in[0];
  const std::string& name = in[1];
  const std::string& folder = in[2];

  FuzzBuffer url(capacity);
  bool fits = FormRequestUrl(server.c_str(), name.c_str(), url.data(), capacity);
  const std::string wholeUrl = Joined(server, '/', name);
  CheckJoin(fits, url.Text(), wholeUrl, capacity);
  if (!fits) FUZZ_REQUIRE(IsCutOf(url.Text(), wholeUrl, capacity));

  const bool fileUrl = IsFileUrl(server.c_str());
  FUZZ_REQUIRE(fileUrl == (AsciiLower(server).find("file://") != std::string::npos));
  FuzzBuffer path(capacity), largePath(kLarge);
  bool pathFits = FileUrlToPath(server.c_str(), path.data(), capacity);
  bool largeFits = FileUrlToPath(server.c_str(), largePath.data(), kLarge);
  FUZZ_REQUIRE(!pathFits || fileUrl);
  FUZZ_REQUIRE(!largeFits || fileUrl);
  if (pathFits) FUZZ_REQUIRE(largeFits && path.Text() == largePath.Text());
  if (largeFits) {
    std::string whole = largePath.Text();
    // Forward slashes become backslashes; only an escaped one ("%2F") stays.
    if (server.find('%') == std::string::npos) FUZZ_REQUIRE(whole.find('/') == std::string::npos);
    FUZZ_REQUIRE(pathFits == (whole.size() < capacity));
  }

  FuzzBuffer local(capacity);
  fits = FormLocalPath(folder.c_str(), name.c_str(), local.data(), capacity);
  std::string slashless = name;
  for (char& c : slashless)
    if (c == '/') c = '\\';
  CheckJoin(fits, local.Text(), Joined(folder, '\\', slashless), capacity);

  const unsigned short port = ServerPortFromUrl(server.c_str());
  const unsigned long flags = RequestFlagsForPort(port);
  FUZZ_REQUIRE(flags == (port == 443 ? kSecureRequestFlags : kPlainRequestFlags));
  FUZZ_REQUIRE(port == ServerPortFromUrl(server.c_str()));
  return 0;
}
