// IViewObject2 of COleControl and the one drawing path that both it and
// the control's own window use: OnDraw with the control's bounds and the
// part of them the DC can actually paint.
#include "framework/ole_control.h"

void COleControl::DrawContent(HDC dc, const RECT& bounds) {
  RECT invalid = bounds;
  RECT clip;
  int clipKind = GetClipBox(dc, &clip);
  if (clipKind == SIMPLEREGION || clipKind == COMPLEXREGION) {
    if (!IntersectRect(&invalid, &bounds, &clip)) SetRectEmpty(&invalid);
  }
  if ((GetControlFlags() & clipPaintDC) != 0) {
    int saved = SaveDC(dc);
    IntersectClipRect(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
    OnDraw(dc, bounds, invalid);
    if (saved != 0) RestoreDC(dc, saved);
  } else {
    OnDraw(dc, bounds, invalid);
  }
}

STDMETHODIMP XViewObject::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC drawDc,
                               LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                               ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (drawDc == nullptr) return E_INVALIDARG;
  RECT area;
  if (bounds != nullptr) {
    area.left = bounds->left;
    area.top = bounds->top;
    area.right = bounds->right;
    area.bottom = bounds->bottom;
  } else if (owner_->windowless_ && owner_->inPlaceActive_) {
    // A windowless control active in place draws at its position.
    area = owner_->position_;
  } else {
    return E_INVALIDARG;
  }
  owner_->DrawContent(drawDc, area);
  return S_OK;
}

STDMETHODIMP XViewObject::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                      LOGPALETTE** colors) {
  if (colors == nullptr) return E_POINTER;
  *colors = nullptr;
  return S_FALSE;  // no palette of its own
}

STDMETHODIMP XViewObject::Freeze(DWORD, LONG, void*, DWORD* freeze) {
  if (freeze != nullptr) *freeze = 0;
  return E_NOTIMPL;
}

STDMETHODIMP XViewObject::Unfreeze(DWORD) { return E_NOTIMPL; }

STDMETHODIMP XViewObject::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  AssignInterface(&owner_->viewSink_, sink);
  owner_->viewSinkAspects_ = aspects;
  owner_->viewSinkFlags_ = flags;
  return S_OK;
}

STDMETHODIMP XViewObject::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  if (aspects != nullptr) *aspects = owner_->viewSinkAspects_;
  if (flags != nullptr) *flags = owner_->viewSinkFlags_;
  if (sink != nullptr) {
    *sink = owner_->viewSink_;
    if (*sink != nullptr) (*sink)->AddRef();
  }
  return S_OK;
}

STDMETHODIMP XViewObject::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
  if (size == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  *size = owner_->extent_;
  return S_OK;
}
