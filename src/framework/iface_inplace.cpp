// IOleInPlaceObjectWindowless and IOleInPlaceActiveObject of COleControl.
// A windowless control has no window to give (E_FAIL from GetWindow) and
// leaves every window message to the container (S_FALSE).
#include "framework/ole_control.h"

namespace {

HRESULT GiveControlWindow(HWND window, HWND* out) {
  if (out == nullptr) return E_POINTER;
  *out = window;
  return window != nullptr ? S_OK : E_FAIL;
}

}  // namespace

STDMETHODIMP XInPlaceObject::GetWindow(HWND* window) {
  return GiveControlWindow(owner_->window_, window);
}

STDMETHODIMP XInPlaceObject::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP XInPlaceObject::InPlaceDeactivate() {
  owner_->DeactivateInPlace();
  return S_OK;
}

STDMETHODIMP XInPlaceObject::UIDeactivate() {
  owner_->DeactivateUI();
  return S_OK;
}

STDMETHODIMP XInPlaceObject::SetObjectRects(LPCRECT position, LPCRECT) {
  if (position == nullptr) return E_POINTER;
  owner_->MoveInPlace(*position);
  return S_OK;
}

STDMETHODIMP XInPlaceObject::ReactivateAndUndo() { return INPLACE_E_NOTUNDOABLE; }

STDMETHODIMP XInPlaceObject::OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result) {
  if (result == nullptr) return E_POINTER;
  *result = 0;
  return S_FALSE;
}

STDMETHODIMP XInPlaceObject::GetDropTarget(IDropTarget** target) {
  if (target == nullptr) return E_POINTER;
  *target = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP XInPlaceActiveObject::GetWindow(HWND* window) {
  return GiveControlWindow(owner_->window_, window);
}

STDMETHODIMP XInPlaceActiveObject::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP XInPlaceActiveObject::TranslateAccelerator(LPMSG msg) {
  if (msg == nullptr) return E_POINTER;
  return S_FALSE;  // no accelerators of its own
}

STDMETHODIMP XInPlaceActiveObject::OnFrameWindowActivate(BOOL) { return S_OK; }

STDMETHODIMP XInPlaceActiveObject::OnDocWindowActivate(BOOL) { return S_OK; }

STDMETHODIMP XInPlaceActiveObject::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) {
  return S_OK;
}

STDMETHODIMP XInPlaceActiveObject::EnableModeless(BOOL) { return S_OK; }
