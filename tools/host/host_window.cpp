// The frame and container windows; see host_window.h.
#include "host_window.h"

#include "host_options.h"
#include "host_trace.h"
#include "page_controls.h"

namespace {

const wchar_t kFrameClass[] = L"WevelinkHostFrame";
const wchar_t kContainerClass[] = L"WevelinkHostContainer";
const wchar_t kTitlePrefix[] = L"Wevelink Host - ";

bool g_closeRequested;
HWND g_container;  // the current page's container window, null between pages
WNDPROC g_subclassedProc;  // what "subclass" found on the container, null when not in front

LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void OnFrameSize(HWND frame) {
  RECT client;
  if (g_container != nullptr && GetParent(g_container) == frame && GetClientRect(frame, &client)) {
    MoveWindow(g_container, 0, 0, client.right, client.bottom, TRUE);
  }
}

// A subclasser that comes after the control, as a browser add-on might:
// it calls on the procedure it found for every message, to the last one.
LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC next = g_subclassedProc;
  if (message == WM_NCDESTROY) {
    Trace("subclass ncdestroy");
    g_subclassedProc = nullptr;
  }
  if (!next) return DefWindowProcW(window, message, wParam, lParam);
  return CallWindowProcW(next, window, message, wParam, lParam);
}

UINT CommandMessage() {
  static UINT message = RegisterWindowMessageA(kHostCommandMessageName);
  return message;
}

// A command for the page's container window, from a test or an
// administrator (--send); the container's own messages follow from it.
void OnCommand(HWND frame, WPARAM command, LPARAM lParam) {
  HWND container = g_container;
  switch (command) {
    case kCommandResize:
      Trace("command resize %ux%u", (unsigned)LOWORD(lParam), (unsigned)HIWORD(lParam));
      if (container) {
        SetWindowPos(container, nullptr, 0, 0, LOWORD(lParam), HIWORD(lParam),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      break;
    case kCommandFocus:
      Trace("command focus");
      // From the frame, so that the container gets WM_SETFOCUS even when it
      // had the focus already.
      SetFocus(frame);
      if (container) SetFocus(container);
      break;
    case kCommandBlur:
      Trace("command blur");
      SetFocus(frame);
      break;
    case kCommandPaint:
      Trace("command paint");
      if (container) {
        InvalidateRect(container, nullptr, TRUE);
        UpdateWindow(container);
      }
      break;
    case kCommandDestroy:
      Trace("command destroy");
      if (container) DestroyWindow(container);
      Trace("command destroy done");
      break;
    case kCommandSubclass:
      Trace("command subclass");
      if (container && !g_subclassedProc) {
        g_subclassedProc =
            (WNDPROC)SetWindowLongPtrW(container, GWLP_WNDPROC, (LONG_PTR)SubclassProc);
      }
      break;
    case kCommandScroll:
      Trace("command scroll %d,%d", (int)(short)LOWORD(lParam), (int)(short)HIWORD(lParam));
      ScrollPageControls((short)LOWORD(lParam), (short)HIWORD(lParam));
      break;
    case kCommandLeave:
      // As a browser navigating away or closing while the control waits in
      // its own message loop: the page goes from inside that loop.
      Trace("command leave");
      LeavePage();
      Trace("command leave done");
      break;
    case kCommandReload:
      // As a browser's reload while the control waits in its own loop: the
      // next page's control loads inside that loop.
      Trace("command reload");
      if (!ReloadPage()) Trace("reload failed");
      Trace("command reload done");
      break;
    default:
      Trace("command unknown %lu", (unsigned long)command);
      break;
  }
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == CommandMessage() && message != 0) {
    OnCommand(window, wParam, lParam);
    return 0;
  }
  switch (message) {
    case WM_SIZE:
      OnFrameSize(window);
      return 0;
    case WM_CLOSE:
      // Leaving the page is the main loop's work, never done from inside
      // whatever the control is running right now.
      g_closeRequested = true;
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

void OnContainerPaint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (dc != nullptr) PaintPageControls(dc, paint.rcPaint);
  EndPaint(window, &paint);
}

LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  switch (message) {
    case WM_PAINT:
      OnContainerPaint(window);
      return 0;
    case WM_NCDESTROY:
      // Whether whoever replaced this procedure gave it back before the end.
      Trace("container ncdestroy proc=%s",
            (WNDPROC)GetWindowLongPtrW(window, GWLP_WNDPROC) == ContainerProc ? "own" : "other");
      if (g_container == window) g_container = nullptr;
      break;
    default:
      if (ForwardToWindowlessControl(message, wParam, lParam, &result)) return result;
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterClasses(HINSTANCE instance) {
  WNDCLASSEXW frame = {};
  frame.cbSize = sizeof frame;
  frame.lpfnWndProc = FrameProc;
  frame.hInstance = instance;
  frame.hCursor = LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
  frame.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
  frame.lpszClassName = kFrameClass;
  if (!RegisterClassExW(&frame)) return false;
  WNDCLASSEXW container = {};
  container.cbSize = sizeof container;
  container.style = CS_DBLCLKS;
  container.lpfnWndProc = ContainerProc;
  container.hInstance = instance;
  container.hCursor = LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
  container.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  container.lpszClassName = kContainerClass;
  return RegisterClassExW(&container) != 0;
}

}  // namespace

HWND CreateFrameWindow(HINSTANCE instance) {
  if (!RegisterClasses(instance)) return nullptr;
  HWND frame = CreateWindowExW(0, kFrameClass, L"Wevelink Host",
                               WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                               1024, 768, nullptr, nullptr, instance, nullptr);
  if (frame == nullptr) return nullptr;
  ShowWindow(frame, SW_SHOWNORMAL);
  UpdateWindow(frame);
  return frame;
}

HWND CreateContainerWindow(HWND frame) {
  RECT client = {0, 0, 0, 0};
  GetClientRect(frame, &client);
  HWND container = CreateWindowExW(
      0, kContainerClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0,
      client.right, client.bottom, frame, nullptr, (HINSTANCE)GetWindowLongPtrW(frame, GWLP_HINSTANCE),
      nullptr);
  g_container = container;
  return container;
}

void SetFrameTitle(HWND frame, const wchar_t* address) {
  wchar_t title[ARRAYSIZE(kTitlePrefix) + 2100];
  lstrcpynW(title, kTitlePrefix, ARRAYSIZE(title));
  lstrcpynW(title + lstrlenW(title), address, ARRAYSIZE(title) - lstrlenW(title));
  SetWindowTextW(frame, title);
}

bool SendHostCommand(const char* text) {
  unsigned width = 0, height = 0;
  HostCommand command = ParseHostCommand(text, &width, &height);
  HWND frame = FindWindowW(kFrameClass, nullptr);
  if (command == kCommandNone || frame == nullptr) return false;
  return PostMessageW(frame, CommandMessage(), (WPARAM)command, MAKELPARAM(width, height)) != 0;
}

bool CloseRequested() {
  return g_closeRequested;
}

void NoteQuitMessage() {
  g_closeRequested = true;
}
