// Whether an address answers a GET: a plain socket, HTTP/1.0, a bounded
// wait. For the cookie addresses, which the control fetches while it
// builds a session's command line.
#ifndef WEVELINK_TOOLS_SITE_CHECK_HTTP_PROBE_H
#define WEVELINK_TOOLS_SITE_CHECK_HTTP_PROBE_H

#include <string>

// GETs url ("http://host[:port]/path"; for "https://" only the connection
// is tried), following redirects as WinINet does, and waits at most
// timeoutMs for each step. True when the server answered 200 (or, for
// https, accepted the connection); otherwise *problem says what happened
// ("nothing within 2000 ms", "status 404").
bool ProbeUrl(const std::string& url, int timeoutMs, std::string* problem);

#endif
