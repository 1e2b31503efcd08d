// The stand-in's main window; see stub_window.h. The window procedure is one
// switch over small On... handlers, each of which records what arrived.
#include "stub_window.h"

#include "base/portable/bounded_text.h"
#include "base/portable/session_kinds.h"
#include "sessions/session_window_table.h"
#include "stub_log.h"
#include "stub_snapshot.h"

namespace {

const UINT_PTR kExitTimer = 1;
// The snapshot waits this long after the embedding, so that the page around
// the session has been drawn.
const UINT_PTR kSnapshotTimer = 2;
const UINT kSnapshotDelayMs = 500;

StubWindowParams g_Params;

unsigned long HandleValue(HWND window) { return (unsigned long)(DWORD)(ULONG_PTR)window; }

// Makes the window a child of parent: a session shown inside the page is a
// child window, so that GetParent names the container.
bool AdoptParent(HWND window, HWND parent) {
  if (!IsWindow(parent)) return false;
  LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
  style &= ~(LONG_PTR)(WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX |
                       WS_MAXIMIZEBOX);
  SetWindowLongPtrA(window, GWL_STYLE, style | WS_CHILD);
  if (GetParent(window) != parent && SetParent(window, parent) == nullptr) return false;
  SetWindowPos(window, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return GetParent(window) == parent;
}

void EmbedFromCommandLine(HWND window) {
  StubEmbedding embedding;
  if (!StubEmbeddingOf(*g_Params.line, &embedding)) return;
  HWND container = (HWND)(LONG_PTR)(LONG)embedding.container;
  bool ok = AdoptParent(window, container) &&
            SetWindowPos(window, nullptr, embedding.left, embedding.top,
                         embedding.right - embedding.left, embedding.bottom - embedding.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
  StubLog("embedded parent=%lu rect=%ld,%ld,%ld,%ld ok=%d", embedding.container, embedding.left,
          embedding.top, embedding.right, embedding.bottom, ok ? 1 : 0);
}

// Under Wine an embedded stand-in gets no WM_PAINT at all: the snapshot
// follows the embedding instead.
void ScheduleSnapshot(HWND window) {
  if (SnapshotWanted() && (GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD))
    SetTimer(window, kSnapshotTimer, kSnapshotDelayMs, nullptr);
}

void OnNewParent(HWND window, LPARAM lParam) {
  HWND parent = (HWND)lParam;
  AdoptParent(window, parent);
  StubLog("message NEWPARENT parent=%lu now=%lu", HandleValue(parent),
          HandleValue(GetParent(window)));
  ScheduleSnapshot(window);
}

void OnRefresh(HWND window) {
  StubLog("message REFRESH");
  InvalidateRect(window, nullptr, TRUE);
}

void OnClose(HWND window) {
  if (g_Params.settings->ignoreClose) {
    StubLog("message CLOSE ignored");
    return;
  }
  StubLog("message CLOSE");
  DestroyWindow(window);
}

void OnExitTimer(HWND window) {
  KillTimer(window, kExitTimer);
  StubLog("exit-timer");
  DestroyWindow(window);
}

void OnDestroy(HWND window) {
  const char* slot;
  if (g_Params.settings->keepSlot) {
    slot = "kept";
  } else if (!SessionWindowTableIsOpen()) {
    slot = "none";
  } else {
    slot = ClearSessionWindow(g_Params.kind, g_Params.instance - 1, window) ? "cleared" : "taken";
  }
  StubLog("destroy hwnd=%lu slot=%s", HandleValue(window), slot);
  PostQuitMessage(0);
}

void PaintTerminal(HWND window, HDC dc) {
  RECT area;
  GetClientRect(window, &area);
  FillRect(dc, &area, (HBRUSH)GetStockObject(BLACK_BRUSH));
  char text[128];
  FormatText(text, sizeof text, "%s stand-in, instance %d, %s mode",
             SessionProgramTag(g_Params.kind), g_Params.instance,
             g_Params.desktopMode ? "desktop" : "web");
  // A terminal's look, so that an embedded stand-in stands out on a page.
  SetBkColor(dc, RGB(0, 0, 0));
  SetTextColor(dc, RGB(0, 224, 0));
  TextOutA(dc, 8, 8, text, lstrlenA(text));
}

void OnPaint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  PaintTerminal(window, dc);
  EndPaint(window, &paint);
}


LRESULT CALLBACK StubWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kMsgSessionNewParent:
      OnNewParent(window, lParam);
      return 0;
    case kMsgSessionRefresh:
      OnRefresh(window);
      return 0;
    case WM_SETFOCUS:
      StubLog("message SETFOCUS wparam=%lu", HandleValue((HWND)wParam));
      break;
    case WM_KILLFOCUS:
      StubLog("message KILLFOCUS wparam=%lu", HandleValue((HWND)wParam));
      break;
    case WM_CLOSE:
      OnClose(window);
      return 0;
    case WM_TIMER:
      if (wParam == kExitTimer) {
        OnExitTimer(window);
        return 0;
      }
      if (wParam == kSnapshotTimer) {
        KillTimer(window, kSnapshotTimer);
        TakeSnapshot(window, PaintTerminal);
        return 0;
      }
      break;
    case WM_PAINT:
      OnPaint(window);
      return 0;
    case WM_DESTROY:
      OnDestroy(window);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int RunStubWindow(HINSTANCE instance, const StubWindowParams& params) {
  g_Params = params;
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = StubWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
  windowClass.lpszClassName = params.className;
  if (!RegisterClassA(&windowClass)) {
    StubLog("error RegisterClassA %lu", GetLastError());
    return 4;
  }
  char title[96];
  FormatText(title, sizeof title, "%s %d", SessionProgramTag(params.kind), params.instance);
  HWND window = CreateWindowExA(0, params.className, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 480, 320, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) {
    StubLog("error CreateWindowExA %lu", GetLastError());
    return 4;
  }
  EmbedFromCommandLine(window);
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  SetSessionWindow(params.kind, params.instance - 1, window);
  StubLog("window hwnd=%lu class=%s slot=%d parent=%lu", HandleValue(window), params.className,
          params.instance - 1, HandleValue(GetParent(window)));
  SetTimer(window, kExitTimer, params.exitAfterMs > 0 ? params.exitAfterMs : 1, nullptr);
  ScheduleSnapshot(window);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
