// The frame and container windows; see host_window.h.
#include "host_window.h"

#include "page_controls.h"

namespace {

const wchar_t kFrameClass[] = L"WevelinkHostFrame";
const wchar_t kContainerClass[] = L"WevelinkHostContainer";
const wchar_t kTitlePrefix[] = L"Wevelink Host - ";

bool g_closeRequested;
HWND g_container;  // the current page's container window, null between pages

void OnFrameSize(HWND frame) {
  RECT client;
  if (g_container != nullptr && GetParent(g_container) == frame && GetClientRect(frame, &client)) {
    MoveWindow(g_container, 0, 0, client.right, client.bottom, TRUE);
  }
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
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
  if (dc != nullptr) PaintPageControls(dc);
  EndPaint(window, &paint);
}

LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  switch (message) {
    case WM_PAINT:
      OnContainerPaint(window);
      return 0;
    case WM_NCDESTROY:
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

bool CloseRequested() {
  return g_closeRequested;
}

void NoteQuitMessage() {
  g_closeRequested = true;
}
