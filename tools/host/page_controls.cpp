// One page and its controls; see page_controls.h.
#include "page_controls.h"

#include <objsafe.h>
#include <ocidl.h>
#include <urlmon.h>

#include "container_site.h"
#include "control_factory.h"
#include "host_trace.h"
#include "host_window.h"
#include "line_escape.h"
#include "object_tags.h"
#include "page_source.h"
#include "property_bag.h"

namespace {

// --keep-container: one container window for every page, as a browser
// window that navigates keeps its own; the frame takes it at the end.
bool g_keepContainer = false;
// --site-after-load: a container that sites its controls only after loading.
bool g_siteAfterLoad = false;

const int kObjectMargin = 10;  // pixels around and between objects
const LONG kHimetricPerInch = 2540;

struct HostedControl {
  RECT rect;
  IOleObject* object;
  IViewObject* view;
  IOleInPlaceObject* inPlace;
  IOleInPlaceObjectWindowless* windowless;
  ContainerSite* site;
  bool sited;
  bool drawable;  // loaded: the page may paint it
};

struct Page {
  bool entered;
  PageSource source;
  IMoniker* moniker;
  HWND container;
  HostedControl controls[kMaxPageObjects];
  int controlCount;
};

Page g_page;
// Counts every entry and leave, so that a load that a reload overtook from
// inside the control's loop sees that its page is gone.
unsigned g_pageGeneration = 0;
// What the last EnterPage was given, for ReloadPage.
struct PageEntry {
  wchar_t address[2100];
  HWND frame;
  CLSID clsid;
  const char* clsidText;
};
PageEntry g_lastEntry;
PageObjects g_objects;
char g_text[kMaxPageBytes * 3 + 1];

template <typename Interface>
void ReleaseAndClear(Interface** pointer) {
  if (*pointer != nullptr) (*pointer)->Release();
  *pointer = nullptr;
}

// The moniker of the page's address, and its display name in the trace.
void CreatePageMoniker(Page* page) {
  HRESULT hr = CreateURLMonikerEx(nullptr, page->source.url, &page->moniker, URL_MK_UNIFORM);
  if (FAILED(hr)) hr = CreateURLMoniker(nullptr, page->source.url, &page->moniker);
  char field[2400] = "";
  if (SUCCEEDED(hr)) {
    IBindCtx* context = nullptr;
    LPOLESTR name = nullptr;
    if (SUCCEEDED(CreateBindCtx(0, &context)) &&
        SUCCEEDED(page->moniker->GetDisplayName(context, nullptr, &name))) {
      TraceField(name, field, sizeof field);
      CoTaskMemFree(name);
    }
    ReleaseAndClear(&context);
  } else {
    page->moniker = nullptr;
  }
  Trace("moniker hr=0x%08lX name=%s", (unsigned long)hr, field);
}

// Objects stand one below the other at their own sizes, as a page of
// OBJECT tags separated by line breaks would show them.
RECT LayoutObject(int index) {
  int top = kObjectMargin;
  for (int i = 0; i < index; ++i) top += g_objects.objects[i].height + kObjectMargin;
  RECT rect = {kObjectMargin, top, kObjectMargin + g_objects.objects[index].width,
               top + g_objects.objects[index].height};
  return rect;
}

// Safe for initialization from untrusted data, as a browser asks before it
// hands over a page's PARAMs.
bool CheckSafety(IUnknown* control) {
  IObjectSafety* safety = nullptr;
  HRESULT hr = control->QueryInterface(IID_IObjectSafety, (void**)&safety);
  if (FAILED(hr)) {
    Trace("safety missing hr=0x%08lX", (unsigned long)hr);
    return false;
  }
  DWORD supported = 0, enabled = 0;
  hr = safety->GetInterfaceSafetyOptions(IID_IPersistPropertyBag, &supported, &enabled);
  bool safe = false;
  if (FAILED(hr)) {
    Trace("safety get hr=0x%08lX", (unsigned long)hr);
  } else if (!(supported & INTERFACESAFE_FOR_UNTRUSTED_DATA)) {
    Trace("safety supported=0x%lX enabled=0x%lX set hr=skipped", supported, enabled);
  } else {
    HRESULT setHr = safety->SetInterfaceSafetyOptions(IID_IPersistPropertyBag,
                                                      INTERFACESAFE_FOR_UNTRUSTED_DATA,
                                                      INTERFACESAFE_FOR_UNTRUSTED_DATA);
    Trace("safety supported=0x%lX enabled=0x%lX set hr=0x%08lX", supported, enabled,
          (unsigned long)setHr);
    safe = SUCCEEDED(setHr);
  }
  safety->Release();
  return safe;
}

// As the browser loads a control: IPersistPropertyBag2 is asked for first
// (a control without it is loaded through IPersistPropertyBag), an OBJECT
// without PARAMs gets InitNew, and no error log goes with the bag.
HRESULT LoadParams(HostedControl* control, int index) {
  IUnknown* bag2 = nullptr;
  HRESULT hr = control->object->QueryInterface(IID_IPersistPropertyBag2, (void**)&bag2);
  Trace("persistpropertybag2 hr=0x%08lX", (unsigned long)hr);
  ReleaseAndClear(&bag2);
  IPersistPropertyBag* persist = nullptr;
  hr = control->object->QueryInterface(IID_IPersistPropertyBag, (void**)&persist);
  const int params = g_objects.objects[index].paramCount;
  if (SUCCEEDED(hr) && params == 0) {
    hr = persist->InitNew();
    persist->Release();
    Trace("initnew hr=0x%08lX", (unsigned long)hr);
    return hr;
  }
  if (SUCCEEDED(hr)) {
    IPropertyBag* bag = CreatePageBag(&g_objects, index);
    hr = bag ? persist->Load(bag, nullptr) : E_OUTOFMEMORY;
    ReleaseAndClear(&bag);
    persist->Release();
  }
  Trace("load hr=0x%08lX params=%d", (unsigned long)hr, params);
  return hr;
}

HRESULT SiteControl(HostedControl* control) {
  HRESULT hr = control->object->SetClientSite(static_cast<IOleClientSite*>(control->site));
  Trace("setclientsite hr=0x%08lX", (unsigned long)hr);
  control->sited = SUCCEEDED(hr);
  return hr;
}

// Tells the control its size in HIMETRIC, then activates it in place.
HRESULT ActivateControl(HostedControl* control) {
  HDC screen = GetDC(nullptr);
  int dpiX = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  int dpiY = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  SIZEL extent = {MulDiv(control->rect.right - control->rect.left, kHimetricPerInch, dpiX),
                  MulDiv(control->rect.bottom - control->rect.top, kHimetricPerInch, dpiY)};
  HRESULT hr = control->object->SetExtent(DVASPECT_CONTENT, &extent);
  Trace("extent hr=0x%08lX", (unsigned long)hr);

  hr = control->object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr,
                               static_cast<IOleClientSite*>(control->site), 0, g_page.container,
                               &control->rect);
  Trace("doverb hr=0x%08lX", (unsigned long)hr);
  HRESULT verbHr = hr;

  if (SUCCEEDED(control->object->QueryInterface(IID_IOleInPlaceObject,
                                                (void**)&control->inPlace))) {
    hr = control->inPlace->SetObjectRects(&control->rect, &control->rect);
    Trace("setobjectrects hr=0x%08lX", (unsigned long)hr);
    control->inPlace->QueryInterface(IID_IOleInPlaceObjectWindowless,
                                     (void**)&control->windowless);
  } else {
    control->inPlace = nullptr;
    Trace("setobjectrects missing");
  }
  return verbHr;
}

// The whole sequence for OBJECT index. Returns false with *reason set when
// the control did not come up.
bool StartControl(int index, REFCLSID clsid, const char** reason) {
  HostedControl* control = &g_page.controls[index];
  ZeroMemory(control, sizeof *control);
  control->rect = LayoutObject(index);
  const PageObject& tag = g_objects.objects[index];
  char id[256] = "";
  AppendEscapedText(id, sizeof id, PageText(&g_objects, tag.id));
  Trace("object %d rect=%ld,%ld,%ld,%ld params=%d id=%s", index, control->rect.left,
        control->rect.top, control->rect.right, control->rect.bottom, tag.paramCount, id);
  g_page.controlCount = index + 1;

  IUnknown* unknown = nullptr;
  if (FAILED(CreateControl(clsid, &unknown))) {
    *reason = "the control could not be created";
    return false;
  }
  bool safe = CheckSafety(unknown);
  HRESULT hr = unknown->QueryInterface(IID_IOleObject, (void**)&control->object);
  unknown->Release();
  if (!safe) {
    Trace("refused not safe for initialization");
    *reason = "the control is not safe for initialization";
    ReleaseAndClear(&control->object);
    return false;
  }
  if (FAILED(hr)) {
    Trace("oleobject missing hr=0x%08lX", (unsigned long)hr);
    *reason = "the control has no IOleObject";
    control->object = nullptr;
    return false;
  }

  DWORD status = 0;
  hr = control->object->GetMiscStatus(DVASPECT_CONTENT, &status);
  if (hr == OLE_S_USEREG) {
    // The control defers to its registration, as OLE's default handler would.
    Trace("miscstatus usereg");
    status = 0;
    hr = OleRegGetMiscStatus(clsid, DVASPECT_CONTENT, &status);
  }
  if (FAILED(hr)) {
    Trace("miscstatus failed hr=0x%08lX", (unsigned long)hr);
    status = 0;
  } else {
    Trace("miscstatus 0x%08lX", status);
  }
  control->site = ContainerSite::Create(GetParent(g_page.container), g_page.container,
                                        control->rect, g_page.moniker);
  bool siteFirst = (status & OLEMISC_SETCLIENTSITEFIRST) != 0 && !g_siteAfterLoad;
  if (siteFirst && FAILED(SiteControl(control))) {
    *reason = "the control refused its client site";
    return false;
  }
  const unsigned generation = g_pageGeneration;
  hr = LoadParams(control, index);
  if (!g_page.entered || generation != g_pageGeneration) {
    // Left (--send leave or reload) while the control loaded: nothing of it
    // is used.
    Trace("page left during load");
    return true;
  }
  control->site->WindowKnown();
  if (!siteFirst && FAILED(SiteControl(control))) {
    *reason = "the control refused its client site";
    return false;
  }
  if (FAILED(hr)) {
    *reason = "the control did not load its PARAMs";
    return false;
  }
  control->object->QueryInterface(IID_IViewObject, (void**)&control->view);
  if (control->view == nullptr) Trace("view missing");
  control->drawable = true;
  hr = ActivateControl(control);
  InvalidateRect(g_page.container, &control->rect, TRUE);
  if (FAILED(hr)) {
    *reason = "the control did not activate in place";
    return false;
  }
  return true;
}

// Leaving, in the browser's order: deactivated, closed, then the site is
// taken away and the last reference let go.
void StopControl(HostedControl* control) {
  control->drawable = false;
  if (control->inPlace != nullptr) {
    HRESULT hr = control->inPlace->UIDeactivate();
    Trace("leave uideactivate hr=0x%08lX", (unsigned long)hr);
    hr = control->inPlace->InPlaceDeactivate();
    Trace("leave inplacedeactivate hr=0x%08lX", (unsigned long)hr);
  }
  if (control->object != nullptr) {
    HRESULT hr = control->object->Close(OLECLOSE_NOSAVE);
    Trace("close hr=0x%08lX", (unsigned long)hr);
    if (control->sited) {
      hr = control->object->SetClientSite(nullptr);
      Trace("leave setclientsite(null) hr=0x%08lX", (unsigned long)hr);
      control->sited = false;
    }
  }
  ReleaseAndClear(&control->windowless);
  ReleaseAndClear(&control->inPlace);
  ReleaseAndClear(&control->view);
  if (control->object != nullptr) {
    ULONG left = control->object->Release();
    control->object = nullptr;
    Trace("release refs=%lu", left);
  }
  if (control->site != nullptr) {
    // One reference is the page's own: more means the control kept the site.
    Trace("site refs=%lu", control->site->References());
    ReleaseAndClear(&control->site);
  }
}

}  // namespace

bool EnterPage(const wchar_t* address, HWND frame, REFCLSID clsid, const char* clsidText,
               const char** reason) {
  LeavePage();
  if (address != g_lastEntry.address) {
    lstrcpynW(g_lastEntry.address, address, ARRAYSIZE(g_lastEntry.address));
  }
  g_lastEntry.frame = frame;
  g_lastEntry.clsid = clsid;
  g_lastEntry.clsidText = clsidText;
  ++g_pageGeneration;
  HWND kept = g_keepContainer ? g_page.container : nullptr;
  ZeroMemory(&g_page, sizeof g_page);
  g_page.container = kept;
  g_page.entered = true;
  *reason = "";

  const char* resolveReason = "";
  bool resolved = ResolvePageSource(address, &g_page.source, &resolveReason);
  char field[2400];
  TraceField(resolved ? g_page.source.address : address, field, sizeof field);
  Trace("page %s", field);
  if (!resolved) {
    Trace("address failed %s", resolveReason);
    *reason = resolveReason;
    return false;
  }
  SetFrameTitle(frame, g_page.source.address);

  size_t length = 0;
  DWORD status = 0;
  HRESULT hr = FetchPageText(g_page.source, g_text, sizeof g_text, &length, &status);
  Trace("fetch hr=0x%08lX status=%lu bytes=%lu", (unsigned long)hr, status, (unsigned long)length);
  if (FAILED(hr)) {
    *reason = "the page could not be fetched";
    return false;
  }
  CreatePageMoniker(&g_page);

  bool complete = FindControlObjects(g_text, length, clsidText, &g_objects);
  Trace("objects %d", g_objects.objectCount);
  if (!complete) {
    Trace("objects incomplete: the page has more objects or PARAMs than the container takes");
    *reason = "the page has more OBJECTs or PARAMs than the container takes";
    return false;
  }
  if (g_objects.objectCount == 0) {
    *reason = "no OBJECT tag with the control's classid";
    return false;
  }

  if (g_page.container == nullptr || !IsWindow(g_page.container)) {
    g_page.container = CreateContainerWindow(frame);
  }
  Trace("window frame=0x%lX container=0x%lX", (unsigned long)(ULONG_PTR)frame,
        (unsigned long)(ULONG_PTR)g_page.container);
  if (g_page.container == nullptr) {
    *reason = "the container window could not be created";
    return false;
  }

  bool loaded = true;
  const unsigned generation = g_pageGeneration;
  for (int i = 0; i < g_objects.objectCount && generation == g_pageGeneration; ++i) {
    const char* controlReason = "";
    if (!StartControl(i, clsid, &controlReason) && loaded) {
      loaded = false;
      *reason = controlReason;
    }
  }
  return loaded;
}

void KeepContainerBetweenPages(bool keep) { g_keepContainer = keep; }

void SiteAfterLoad(bool after) { g_siteAfterLoad = after; }

void ScrollPageControls(int dx, int dy) {
  for (int i = 0; i < g_page.controlCount; ++i) {
    HostedControl* control = &g_page.controls[i];
    OffsetRect(&control->rect, dx, dy);
    if (control->site != nullptr) control->site->MoveTo(control->rect);
    if (control->inPlace != nullptr) {
      HRESULT hr = control->inPlace->SetObjectRects(&control->rect, &control->rect);
      Trace("scroll setobjectrects rect=%ld,%ld,%ld,%ld hr=0x%08lX", control->rect.left,
            control->rect.top, control->rect.right, control->rect.bottom, (unsigned long)hr);
    }
    IOleControl* ole = nullptr;
    if (control->object != nullptr &&
        SUCCEEDED(control->object->QueryInterface(IID_IOleControl, (void**)&ole))) {
      ole->OnAmbientPropertyChange(DISPID_UNKNOWN);
      ole->Release();
    }
  }
  if (g_page.container != nullptr) InvalidateRect(g_page.container, nullptr, TRUE);
}

void LeavePage() {
  if (!g_page.entered) return;
  for (int i = 0; i < g_page.controlCount; ++i) StopControl(&g_page.controls[i]);
  g_page.controlCount = 0;
  if (!g_keepContainer) {
    if (g_page.container != nullptr) DestroyWindow(g_page.container);
    g_page.container = nullptr;
  }
  ReleaseAndClear(&g_page.moniker);
  g_page.entered = false;
  ++g_pageGeneration;
  Trace("left");
}

bool ReloadPage() {
  if (g_lastEntry.frame == nullptr) return false;
  const char* reason = "";
  bool loaded = EnterPage(g_lastEntry.address, g_lastEntry.frame, g_lastEntry.clsid,
                          g_lastEntry.clsidText, &reason);
  if (!loaded) Trace("reload failed %s", reason);
  return loaded;
}

// Windowed controls paint themselves; the page draws the others, those
// the invalid rectangle touches, as a browser paints only what is seen.
void PaintPageControls(HDC dc, const RECT& invalid) {
  for (int i = 0; i < g_page.controlCount; ++i) {
    HostedControl* control = &g_page.controls[i];
    if (!control->drawable || control->view == nullptr) continue;
    if (control->site->InPlaceActive() && !control->site->Windowless()) continue;
    RECT touched;
    if (!IntersectRect(&touched, &control->rect, &invalid)) continue;
    RECTL bounds = {control->rect.left, control->rect.top, control->rect.right,
                    control->rect.bottom};
    int saved = SaveDC(dc);
    HRESULT hr = control->view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds,
                                     nullptr, nullptr, 0);
    RestoreDC(dc, saved);
    Trace("draw hr=0x%08lX", (unsigned long)hr);
  }
}

bool ForwardToWindowlessControl(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  bool mouse = message >= WM_MOUSEFIRST && message <= WM_MOUSELAST;
  bool keyboard = message >= WM_KEYFIRST && message <= WM_KEYLAST;
  if (!mouse && !keyboard && message != WM_SETCURSOR) return false;
  POINT point = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
  if (message == WM_SETCURSOR) {
    GetCursorPos(&point);
    ScreenToClient(g_page.container, &point);
  }
  for (int i = 0; i < g_page.controlCount; ++i) {
    HostedControl* control = &g_page.controls[i];
    if (control->windowless == nullptr || !control->site->Windowless()) continue;
    bool wanted = keyboard ? control->site->GetFocus() == S_OK
                           : (PtInRect(&control->rect, point) || control->site->GetCapture() == S_OK);
    if (!wanted) continue;
    return control->windowless->OnWindowMessage(message, wParam, lParam, result) == S_OK;
  }
  return false;
}
