// COlePropertyPage: a property page over a dialog template of the module,
// for the property frame that a container (or the control's properties
// verb) shows. The page here edits nothing: it shows its dialog, keeps the
// objects it was given and is never dirty. A page that edits something
// overrides OnObjectsChanged and Apply's operation when it needs them.
#ifndef WEVELINK_FRAMEWORK_PROPERTY_PAGE_H
#define WEVELINK_FRAMEWORK_PROPERTY_PAGE_H

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

class COlePropertyPage : public IPropertyPage {
 public:
  static const ULONG kMaxObjects = 16;

  // dialogId: a DIALOG resource with the WS_CHILD style; captionId: the
  // string resource shown on the page's tab.
  COlePropertyPage(UINT dialogId, UINT captionId);
  COlePropertyPage(const COlePropertyPage&) = delete;
  COlePropertyPage& operator=(const COlePropertyPage&) = delete;
  virtual ~COlePropertyPage();

  HWND GetSafeHwnd() const { return dialog_; }

  HRESULT ExternalQueryInterface(REFIID iid, void** object);
  ULONG ExternalAddRef();
  ULONG ExternalRelease();

  // IUnknown
  STDMETHOD(QueryInterface)(REFIID iid, void** object) override;
  STDMETHOD_(ULONG, AddRef)() override;
  STDMETHOD_(ULONG, Release)() override;
  // IPropertyPage
  STDMETHOD(SetPageSite)(IPropertyPageSite* site) override;
  STDMETHOD(Activate)(HWND parent, LPCRECT rect, BOOL modal) override;
  STDMETHOD(Deactivate)() override;
  STDMETHOD(GetPageInfo)(PROPPAGEINFO* info) override;
  STDMETHOD(SetObjects)(ULONG count, IUnknown** objects) override;
  STDMETHOD(Show)(UINT command) override;
  STDMETHOD(Move)(LPCRECT rect) override;
  STDMETHOD(IsPageDirty)() override;
  STDMETHOD(Apply)() override;
  STDMETHOD(Help)(LPCOLESTR helpFolder) override;
  STDMETHOD(TranslateAccelerator)(MSG* msg) override;

 protected:
  // Called after SetObjects changed the objects the page works on.
  virtual void OnObjectsChanged() {}

 private:
  HWND CreatePageDialog(HWND parent);
  bool MeasureDialog(SIZE* size);
  void ReleaseObjects();

  UINT dialogId_;
  UINT captionId_;
  LONG references_;
  IPropertyPageSite* site_;
  HWND dialog_;
  IUnknown* objects_[kMaxObjects];
  ULONG objectCount_;
};

#endif
