// The session list: one entry per session that the page names, holding the
// command text the session program is started with (program file and
// switches) and the session's Save flag. Built from the page's parameters
// by BuildSessionList; the launcher completes and starts each entry.
//
// Platform-free: what the builder needs from the page, the log, the
// embedding, the cookie fetch and the message loop it asks of its host.
#ifndef WEVELINK_SESSIONS_PORTABLE_SESSION_LIST_H
#define WEVELINK_SESSIONS_PORTABLE_SESSION_LIST_H

#include <stddef.h>

enum {
  kSessionEntries = 32,
  kSessionCommandCapacity = 4096,  // 4,095 characters
  kSessionNameCapacity = 32,       // 31
  kCookieFieldCapacity = 32,       // first and second field
  kCookieThirdCapacity = 256,
};

struct SessionList {
  int Count;
  char Commands[kSessionEntries][kSessionCommandCapacity];
  unsigned char Save[kSessionEntries];
};

// The deployment's list, read by the launcher; cleared by every build.
enum ParameterRead { kParameterAbsent, kParameterPresent, kParameterTooLong };

// The embedding modes as the builder decides them.
enum { kEmbedModeOff = 0, kEmbedModePosition = 1, kEmbedModeFullScreen = 2 };

class SessionListHost {
 public:
  // Reads the page parameter name into value (valueSize bytes, at least
  // capacity). Present and capacity - 1 characters or shorter:
  // kParameterPresent. Longer: the host's length check has logged and
  // shown it; kParameterTooLong. A capacity of 0 checks nothing and copies
  // as much as fits.
  virtual ParameterRead ReadParameter(const char* name, size_t capacity, char* value,
                                      size_t valueSize) = 0;
  // One time-stamped event-log entry (text with its own "\r\n").
  virtual void Log(const char* text) = 0;
  virtual bool DesktopMode() = 0;
  // The control-wide embedding mode, and asking for one: the host turns it
  // Off without a client site or container window, otherwise installs its
  // container hook; returns the mode now in force.
  virtual int EmbedMode() = 0;
  virtual int RequestEmbedMode(int mode) = 0;
  // Fetches the cookie response at address (errors shown by the host);
  // the response's text, or null when it could not be fetched.
  virtual const char* FetchCookie(const char* address) = 0;
  // Shows "blk_ParseCookie( ) returned error code %d." in the control's box.
  virtual void ShowCookieError(long code) = 0;
  // Lets waiting window messages through between sessions.
  virtual void DispatchPending() = 0;
  virtual bool CancelRequested() = 0;
  virtual void RequestCancel() = 0;

 protected:
  ~SessionListHost() = default;
};

// Builds list (cleared first) from the "Sessions" value: at most 32
// entries, each from one comma-separated name. A session whose own
// parameter is absent is skipped; a name that cannot carry its instance
// (fewer than 5 characters, 6 for FTP sessions) or does not fit 31
// characters is skipped with a log line. A parameter that fails its length
// check cancels the deployment and ends the list.
void BuildSessionList(const char* sessions, SessionListHost* host, SessionList* list);

#endif
