// Whether an address answers a GET, and how: a plain socket, HTTP/1.1, a
// bounded wait. For the cookie addresses, which the control fetches while
// it builds a session's command line, and for the lists and their files as
// the server sends them.
#ifndef WEVELINK_TOOLS_SITE_CHECK_HTTP_PROBE_H
#define WEVELINK_TOOLS_SITE_CHECK_HTTP_PROBE_H

#include <string>

// GETs url ("http://host[:port]/path"; for "https://" only the connection
// is tried), following redirects as WinINet does, and waits at most
// timeoutMs for each step. True when the server answered 200 (or, for
// https, accepted the connection); otherwise *problem says what happened
// ("nothing within 2000 ms", "status 404").
bool ProbeUrl(const std::string& url, int timeoutMs, std::string* problem);

// GETs an http:// url once, without following redirects, offering
// compressed answers as browsers do, so that a server that compresses
// shows it. True when it answered: *status and *head (its header lines,
// each ended by CR LF) receive the answer.
bool FetchHead(const std::string& url, int timeoutMs, int* status, std::string* head,
               std::string* problem);

// The value of the header name (any case) in head; empty without it.
std::string HeaderValue(const std::string& head, const char* name);

#endif
