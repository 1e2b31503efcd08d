// A GET over a plain socket; see http_probe.h.
#include "http_probe.h"

#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <stdio.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#include "base/portable/bounded_text.h"

namespace {

// A socket closed when it goes out of scope.
struct ScopedSocket {
  int fd = -1;
  ~ScopedSocket() {
    if (fd >= 0) close(fd);
  }
};

bool WaitFor(int fd, short events, int timeoutMs) {
  pollfd entry = {fd, events, 0};
  return poll(&entry, 1, timeoutMs) == 1 && (entry.revents & (events | POLLHUP | POLLERR));
}

std::string NoAnswer(int timeoutMs) {
  char text[64];
  snprintf(text, sizeof text, "nothing within %d ms", timeoutMs);
  return text;
}

// One request with the extra header lines. *status receives the status,
// *head the answer's header lines, *location a redirect's target.
bool ProbeOnce(const std::string& url, int timeoutMs, const char* extra, int* status,
               std::string* head, std::string* location, std::string* problem) {
  const bool secure = StartsWithNoCase(url.c_str(), "https://");
  if (!secure && !StartsWithNoCase(url.c_str(), "http://")) {
    *problem = "not an http or https address";
    return false;
  }
  std::string rest = url.substr(secure ? 8 : 7);
  size_t slash = rest.find('/');
  std::string hostPort = rest.substr(0, slash);
  std::string path = slash == std::string::npos ? "/" : rest.substr(slash);
  path = path.substr(0, path.find('#'));
  std::string host = hostPort, port = secure ? "443" : "80";
  size_t colon = hostPort.rfind(':');
  if (colon != std::string::npos && hostPort.find(']') == std::string::npos) {
    host = hostPort.substr(0, colon);
    port = hostPort.substr(colon + 1);
  }

  addrinfo hints = {};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0 || !found) {
    *problem = "the host " + host + " is not known";
    return false;
  }
  ScopedSocket socket_;
  socket_.fd = socket(found->ai_family, found->ai_socktype | SOCK_NONBLOCK, found->ai_protocol);
  int connected = socket_.fd < 0 ? -1 : connect(socket_.fd, found->ai_addr, found->ai_addrlen);
  freeaddrinfo(found);
  if (connected != 0 && errno != EINPROGRESS) {
    *problem = std::string("no connection: ") + strerror(errno);
    return false;
  }
  if (!WaitFor(socket_.fd, POLLOUT, timeoutMs)) {
    *problem = NoAnswer(timeoutMs);
    return false;
  }
  int error = 0;
  socklen_t length = sizeof error;
  getsockopt(socket_.fd, SOL_SOCKET, SO_ERROR, &error, &length);
  if (error != 0) {
    *problem = std::string("no connection: ") + strerror(error);
    return false;
  }
  if (secure) {
    *status = 200;  // a plain socket cannot go further
    return true;
  }

  std::string request = "GET " + path + " HTTP/1.1\r\nHost: " + hostPort +
                        "\r\nUser-Agent: wevelink-check\r\n" + extra + "Connection: close\r\n\r\n";
  if (send(socket_.fd, request.data(), request.size(), MSG_NOSIGNAL) != (ssize_t)request.size()) {
    *problem = "the request could not be sent";
    return false;
  }
  std::string answer;
  while (answer.find("\r\n\r\n") == std::string::npos && answer.size() < 16384) {
    if (!WaitFor(socket_.fd, POLLIN, timeoutMs)) {
      *problem = NoAnswer(timeoutMs);
      return false;
    }
    char buffer[512];
    ssize_t n = recv(socket_.fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    answer.append(buffer, (size_t)n);
  }
  if (sscanf(answer.c_str(), "HTTP/%*d.%*d %d", status) != 1) {
    *problem = "no HTTP answer";
    return false;
  }
  const size_t blank = answer.find("\r\n\r\n");
  *head = blank == std::string::npos ? answer : answer.substr(0, blank + 2);
  *location = HeaderValue(*head, "Location");
  if (!location->empty() && (*location)[0] == '/') {
    *location = (secure ? "https://" : "http://") + hostPort + *location;
  }
  return true;
}

}  // namespace

std::string HeaderValue(const std::string& head, const char* name) {
  const size_t length = strlen(name);
  for (size_t at = head.find("\r\n"); at != std::string::npos && at + 2 < head.size();
       at = head.find("\r\n", at + 2)) {
    const char* line = head.c_str() + at + 2;
    if (!StartsWithNoCase(line, name) || line[length] != ':') continue;
    size_t begin = head.find_first_not_of(" \t", at + 2 + length + 1);
    size_t end = head.find("\r\n", at + 2);
    if (begin == std::string::npos || end == std::string::npos || begin >= end) return "";
    return head.substr(begin, end - begin);
  }
  return "";
}

bool FetchHead(const std::string& url, int timeoutMs, int* status, std::string* head,
               std::string* problem) {
  std::string location;
  if (StartsWithNoCase(url.c_str(), "https://")) {
    *problem = "a secure answer is not read";
    return false;
  }
  return ProbeOnce(url, timeoutMs, "Accept-Encoding: gzip, deflate\r\n", status, head,
                   &location, problem);
}

bool ProbeUrl(const std::string& url, int timeoutMs, std::string* problem) {
  // WinINet follows redirects by itself; the control then wants a 200.
  std::string current = url;
  for (int hop = 0; hop < 8; ++hop) {
    int status = 0;
    std::string head, location;
    if (!ProbeOnce(current, timeoutMs, "", &status, &head, &location, problem)) return false;
    if (status == 200) return true;
    if (status >= 300 && status < 400 && !location.empty()) {
      current = location;
      continue;
    }
    char text[32];
    snprintf(text, sizeof text, "status %d", status);
    *problem = text;
    return false;
  }
  *problem = "too many redirects";
  return false;
}
