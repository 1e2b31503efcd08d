// Command-line options of the test container. Scripts and outside checks
// rely on these names, so they are parsed in one platform-free place (and
// tested natively); the strings stay owned by the caller's argument array.
#ifndef WEVELINK_TOOLS_HOST_HOST_OPTIONS_H
#define WEVELINK_TOOLS_HOST_HOST_OPTIONS_H

#include <stddef.h>

const int kMaxHostPages = 32;
const unsigned kDefaultStayMs = 2000;
const unsigned kDefaultBoxDelayMs = 300;
// The control's class, matched in OBJECT tags and created.
const char kControlClsid[] = "{01D62088-DB72-4D35-AE5C-E5861904B675}";

struct HostOptions {
  const char* pages[kMaxHostPages];  // page addresses in the order given
  int pageCount;
  const char* modulePath;  // --module, null: CoCreateInstance
  const char* tracePath;   // --trace
  const char* boxesPath;   // --boxes
  const char* untilPath;   // --until
  const char* clsid;       // --clsid, kControlClsid by default
  unsigned stayMs;         // --stay
  bool stayGiven;
  unsigned boxDelayMs;  // --box-delay
  bool help;            // --help (or -h, /?)
  bool keepContainer;   // --keep-container: the pages share one container window
  bool siteAfterLoad;   // --site-after-load: the PARAMs are loaded before the site is set
  bool windowed;        // --windowed: no IOleInPlaceSiteWindowless
  bool lateWindow;      // --late-window: no site window until the PARAMs are loaded
  const char* send;     // --send: a command for the running container, no pages
};

// A command for the container window of the page on show: sent by
// "--send COMMAND" from another process, or posted as kHostCommandMessage
// (the registered message "WevelinkHostCommand") to the frame window
// (class "WevelinkHostFrame") with the command in wParam and, for resize,
// MAKELPARAM(width, height) in lParam (for scroll, the two offsets as
// shorts).
enum HostCommand {
  kCommandNone = 0,
  kCommandResize = 1,   // "resize=WxH": the container window's new size
  kCommandFocus = 2,    // "focus": the frame takes the focus, then the container
  kCommandBlur = 3,     // "blur": the frame takes the focus from the container
  kCommandPaint = 4,    // "paint": invalidate and paint the container now
  kCommandDestroy = 5,  // "destroy": destroy the container window
  kCommandSubclass = 6,  // "subclass": put a procedure of the host's in front of the container's
  kCommandLeave = 7,     // "leave": leave the page at once, wherever the control is
  kCommandScroll = 8,    // "scroll=DX,DY": the page's objects move, as in a scroll
  kCommandReload = 9,    // "reload": the page is left and entered again at once
};
const char kHostCommandMessageName[] = "WevelinkHostCommand";

// The command a "--send" value names, with the offsets for scroll (as
// unsigned shorts) or the size for resize (1 to
// 32767 each); kCommandNone for anything else.
HostCommand ParseHostCommand(const char* text, unsigned* width, unsigned* height);

// Parses argv[1..argc). Options take their value as the next argument or
// after "=" ("--stay 500", "--stay=500"); "--" ends the options. Returns
// false with one line in error (no line end) when the arguments are not
// usable: an unknown option, a missing or malformed value, too many pages,
// or no page at all (unless --help or --send was given; --send takes no
// page).
bool ParseHostOptions(int argc, const char* const* argv, HostOptions* options, char* error,
                      size_t errorCapacity);

// The --help text, lines ended by "\n".
const char* HostUsageText();

#endif
