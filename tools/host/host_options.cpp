// Command-line options of the test container; see host_options.h.
#include "host_options.h"

#include <string.h>

#include "base/portable/bounded_text.h"

namespace {

const unsigned kLargestMs = 24u * 60u * 60u * 1000u;  // one day

const char kUsage[] =
    "usage: wevelink-host [options] PAGE [PAGE...]\n"
    "\n"
    "Shows each PAGE (an http:// or https:// address, or a local file) in turn in one\n"
    "process, as a browser navigating from page to page, and runs the control of every\n"
    "OBJECT tag whose classid is the control's class: created, checked for safe\n"
    "initialization, sited, given its PARAMs, activated in place and painted. The\n"
    "control's module stays loaded from page to page.\n"
    "\n"
    "options:\n"
    "  --module PATH     create the control from this module file (LoadLibrary and\n"
    "                    DllGetClassObject) instead of through its registration\n"
    "  --clsid GUID      the control class to look for and create\n"
    "                    (default {01D62088-DB72-4D35-AE5C-E5861904B675})\n"
    "  --stay MS         show each page this long (default 2000); the last page\n"
    "                    with --until: until the file appears or, when --stay is\n"
    "                    given too, whichever comes first\n"
    "  --until FILE      leave the last page when FILE appears; a page before the\n"
    "                    last one is also left at once and the run stops there\n"
    "  --trace FILE      append one line per container event to FILE\n"
    "  --boxes FILE      append one line per message box shown in this process to\n"
    "                    FILE: CAPTION<TAB>TEXT<TAB>0xSTYLE<TAB>ui|worker, and\n"
    "                    answer each box with its default button\n"
    "  --box-delay MS    wait this long before answering a box (default 300)\n"
    "  --keep-container  show every page in one container window, as a browser\n"
    "                    window that navigates keeps its own\n"
    "  --site-after-load load the PARAMs before the client site is set, as a\n"
    "                    container that ignores OLEMISC_SETCLIENTSITEFIRST\n"
    "  --windowed        offer no windowless site: the control makes its own window\n"
    "  --late-window     the site answers no window until the control has loaded\n"
    "                    its PARAMs, as a browser before its layout\n"
    "  --send COMMAND    send COMMAND to the container of the host that is running\n"
    "                    and exit: resize=WxH, focus, blur, paint, destroy (the\n"
    "                    page's container window), subclass (the host replaces\n"
    "                    the container's window procedure, calling the one it\n"
    "                    found), scroll=DX,DY (the page's objects move by DX,DY\n"
    "                    pixels), leave (the page is left at once) or reload (it\n"
    "                    is left and entered again at once, from inside whatever\n"
    "                    loop the control runs)\n"
    "  --help            show this text\n"
    "\n"
    "A local page's address, as the control sees it through the container's\n"
    "moniker, is its file: URL (file:///C:/folder/page.htm).\n"
    "Exit code: 0 when every page loaded, 1 when a page failed or the run was\n"
    "stopped early, 2 for unusable arguments.\n";

bool Fail(char* error, size_t capacity, const char* what, const char* argument) {
  FormatText(error, capacity, "%s: %s", what, argument);
  return false;
}

bool ParseMs(const char* text, unsigned* value) {
  if (*text == '\0') return false;
  unsigned long result = 0;
  for (; *text != '\0'; ++text) {
    if (*text < '0' || *text > '9') return false;
    result = result * 10 + (unsigned long)(*text - '0');
    if (result > kLargestMs) return false;
  }
  *value = (unsigned)result;
  return true;
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// 8-4-4-4-12 hexadecimal digits, in braces or not.
bool IsGuidText(const char* text) {
  size_t length = strlen(text);
  if (length == 38) {
    if (text[0] != '{' || text[37] != '}') return false;
    ++text;
    length = 36;
  }
  if (length != 36) return false;
  for (size_t i = 0; i < 36; ++i) {
    bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    if (dash ? text[i] != '-' : !IsHexDigit(text[i])) return false;
  }
  return true;
}

enum OptionKind {
  kModule, kClsid, kStay, kUntil, kTrace, kBoxes, kBoxDelay, kSend, kKeepContainer,
  kSiteAfterLoad, kWindowed, kLateWindow, kHelp, kUnknown
};

OptionKind KindOf(const char* name, size_t length) {
  struct Entry {
    const char* name;
    OptionKind kind;
  };
  static const Entry kEntries[] = {
      {"--module", kModule}, {"--clsid", kClsid}, {"--stay", kStay},
      {"--until", kUntil},   {"--trace", kTrace}, {"--boxes", kBoxes}, {"--send", kSend},
      {"--keep-container", kKeepContainer}, {"--site-after-load", kSiteAfterLoad},
      {"--windowed", kWindowed}, {"--late-window", kLateWindow},
      {"--box-delay", kBoxDelay}, {"--help", kHelp}, {"-h", kHelp}, {"/?", kHelp},
  };
  for (const Entry& entry : kEntries) {
    if (strlen(entry.name) == length && memcmp(entry.name, name, length) == 0) return entry.kind;
  }
  return kUnknown;
}

bool StoreValue(OptionKind kind, const char* value, HostOptions* options, char* error,
                size_t capacity) {
  if (*value == '\0') return Fail(error, capacity, "empty value for option", "");
  switch (kind) {
    case kModule: options->modulePath = value; break;
    case kTrace: options->tracePath = value; break;
    case kBoxes: options->boxesPath = value; break;
    case kUntil: options->untilPath = value; break;
    case kSend: {
      unsigned width = 0, height = 0;
      if (ParseHostCommand(value, &width, &height) == kCommandNone) {
        return Fail(error, capacity, "not a container command", value);
      }
      options->send = value;
      break;
    }
    case kClsid:
      if (!IsGuidText(value)) return Fail(error, capacity, "not a class id", value);
      options->clsid = value;
      break;
    case kStay:
      if (!ParseMs(value, &options->stayMs)) return Fail(error, capacity, "bad --stay", value);
      options->stayGiven = true;
      break;
    case kBoxDelay:
      if (!ParseMs(value, &options->boxDelayMs)) {
        return Fail(error, capacity, "bad --box-delay", value);
      }
      break;
    default: break;
  }
  return true;
}

}  // namespace

bool ParseHostOptions(int argc, const char* const* argv, HostOptions* options, char* error,
                      size_t errorCapacity) {
  memset(options, 0, sizeof *options);
  options->clsid = kControlClsid;
  options->stayMs = kDefaultStayMs;
  options->boxDelayMs = kDefaultBoxDelayMs;
  if (errorCapacity > 0) error[0] = '\0';

  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    bool isOption = !optionsEnded && ((argument[0] == '-' && argument[1] != '\0') ||
                                       strcmp(argument, "/?") == 0);
    if (!isOption) {
      if (options->pageCount >= kMaxHostPages) {
        return Fail(error, errorCapacity, "too many pages at", argument);
      }
      options->pages[options->pageCount++] = argument;
      continue;
    }
    if (strcmp(argument, "--") == 0) {
      optionsEnded = true;
      continue;
    }
    const char* equals = strchr(argument, '=');
    size_t nameLength = equals ? (size_t)(equals - argument) : strlen(argument);
    OptionKind kind = KindOf(argument, nameLength);
    if (kind == kUnknown) return Fail(error, errorCapacity, "unknown option", argument);
    if (kind == kHelp) {
      options->help = true;
      continue;
    }
    if (kind == kKeepContainer) {
      options->keepContainer = true;
      continue;
    }
    if (kind == kSiteAfterLoad) {
      options->siteAfterLoad = true;
      continue;
    }
    if (kind == kWindowed || kind == kLateWindow) {
      (kind == kWindowed ? options->windowed : options->lateWindow) = true;
      continue;
    }
    const char* value = nullptr;
    if (equals) {
      value = equals + 1;
    } else if (i + 1 < argc) {
      value = argv[++i];
    } else {
      return Fail(error, errorCapacity, "missing value for", argument);
    }
    if (!StoreValue(kind, value, options, error, errorCapacity)) return false;
  }
  if (options->send != nullptr && options->pageCount > 0) {
    return Fail(error, errorCapacity, "--send takes no page", options->pages[0]);
  }
  if (options->pageCount == 0 && !options->help && options->send == nullptr) {
    return Fail(error, errorCapacity, "no page given", "see --help");
  }
  return true;
}

HostCommand ParseHostCommand(const char* text, unsigned* width, unsigned* height) {
  *width = *height = 0;
  if (text == nullptr) return kCommandNone;
  if (strcmp(text, "focus") == 0) return kCommandFocus;
  if (strcmp(text, "blur") == 0) return kCommandBlur;
  if (strcmp(text, "paint") == 0) return kCommandPaint;
  if (strcmp(text, "destroy") == 0) return kCommandDestroy;
  if (strcmp(text, "subclass") == 0) return kCommandSubclass;
  if (strcmp(text, "leave") == 0) return kCommandLeave;
  if (strcmp(text, "reload") == 0) return kCommandReload;
  if (strncmp(text, "scroll=", 7) == 0) {
    // Each offset within a short: sent in the two halves of an LPARAM.
    long offsets[2] = {0, 0};
    const char* p = text + 7;
    for (int i = 0; i < 2; ++i) {
      bool negative = *p == '-';
      if (negative) ++p;
      int digits = 0;
      while (*p >= '0' && *p <= '9' && digits < 5) {
        offsets[i] = offsets[i] * 10 + (*p++ - '0');
        ++digits;
      }
      if (digits == 0 || offsets[i] > 32767) return kCommandNone;
      if (negative) offsets[i] = -offsets[i];
      if (i == 0 && *p++ != ',') return kCommandNone;
    }
    if (*p != '\0') return kCommandNone;
    *width = (unsigned)(unsigned short)(short)offsets[0];
    *height = (unsigned)(unsigned short)(short)offsets[1];
    return kCommandScroll;
  }
  if (strncmp(text, "resize=", 7) != 0) return kCommandNone;
  unsigned sizes[2] = {0, 0};
  const char* p = text + 7;
  for (int i = 0; i < 2; ++i) {
    int digits = 0;
    while (*p >= '0' && *p <= '9' && digits < 6) {
      sizes[i] = sizes[i] * 10 + (unsigned)(*p++ - '0');
      ++digits;
    }
    if (digits == 0 || sizes[i] < 1 || sizes[i] > 32767) return kCommandNone;
    if (i == 0 && *p++ != 'x') return kCommandNone;
  }
  if (*p != '\0') return kCommandNone;
  *width = sizes[0];
  *height = sizes[1];
  return kCommandResize;
}

const char* HostUsageText() {
  return kUsage;
}
