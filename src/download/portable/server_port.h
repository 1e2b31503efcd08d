// The server port that a server URL implies: 443 when "https" appears in
// it, 80 otherwise, and an explicit ":port" after the host overrides both.
// Platform-free so that the URL cases can be tested natively.
#ifndef WEVELINK_DOWNLOAD_PORTABLE_SERVER_PORT_H
#define WEVELINK_DOWNLOAD_PORTABLE_SERVER_PORT_H

unsigned short ServerPortFromUrl(const char* url);

#endif
