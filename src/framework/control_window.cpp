// The window class of windowed controls; see control_window.h. The control
// pointer travels in the creation parameter and is kept in the window's
// user data; the window never outlives its control (DeactivateInPlace
// destroys it).
#include "framework/control_window.h"

#include "framework/module_state.h"
#include "framework/ole_control.h"

namespace {

const char kClassName[] = "WevelinkControlWindow";

bool IsClassRegistered(HINSTANCE instance) {
  WNDCLASSEXA existing = {};
  existing.cbSize = sizeof existing;
  return GetClassInfoExA(instance, kClassName, &existing) != FALSE;
}

COleControl* ControlOf(HWND window) {
  return reinterpret_cast<COleControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

}  // namespace

LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: {
      const CREATESTRUCTA* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)create->lpCreateParams);
      break;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      COleControl* control = ControlOf(window);
      if (dc != nullptr && control != nullptr) {
        RECT bounds;
        GetClientRect(window, &bounds);
        control->DrawContent(dc, bounds);
      }
      EndPaint(window, &paint);
      return 0;
    }
    case WM_NCDESTROY:
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterControlWindowClass(HINSTANCE instance) {
  if (IsClassRegistered(instance)) return true;
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  windowClass.lpfnWndProc = ControlWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kClassName;
  return RegisterClassExA(&windowClass) != 0;
}

void UnregisterControlWindowClass(HINSTANCE instance) {
  if (IsClassRegistered(instance)) UnregisterClassA(kClassName, instance);
}

HWND CreateControlWindow(COleControl* control, HWND parent, const RECT& position) {
  // The module owns the class; a control built into an executable (no
  // DllMain recorded an instance) registers it for the executable.
  HINSTANCE instance = GetModuleInstance();
  if (instance == nullptr) instance = GetModuleHandleA(nullptr);
  if (!RegisterControlWindowClass(instance)) return nullptr;
  return CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                         position.left, position.top, position.right - position.left,
                         position.bottom - position.top, parent, nullptr, instance, control);
}
