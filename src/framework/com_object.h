// Building blocks shared by the framework's COM objects: the nested
// interface object, which implements one interface of a larger object and
// sends IUnknown to its owner (so all interfaces share one identity and
// one reference count), and a few pointer helpers.
#ifndef WEVELINK_FRAMEWORK_COM_OBJECT_H
#define WEVELINK_FRAMEWORK_COM_OBJECT_H

#include <windows.h>
#include <ole2.h>

// Owner must provide ExternalQueryInterface, ExternalAddRef and
// ExternalRelease. The nested object lives inside its owner.
template <class Interface, class Owner>
class NestedInterface : public Interface {
 public:
  explicit NestedInterface(Owner* owner) : owner_(owner) {}
  NestedInterface(const NestedInterface&) = delete;
  NestedInterface& operator=(const NestedInterface&) = delete;

  STDMETHOD(QueryInterface)(REFIID iid, void** object) override {
    return owner_->ExternalQueryInterface(iid, object);
  }
  STDMETHOD_(ULONG, AddRef)() override { return owner_->ExternalAddRef(); }
  STDMETHOD_(ULONG, Release)() override { return owner_->ExternalRelease(); }

 protected:
  Owner* owner_;
};

// Releases *pointer when set and clears it.
template <class T>
void ReleaseInterface(T** pointer) {
  if (*pointer != nullptr) {
    T* held = *pointer;
    *pointer = nullptr;  // cleared first: Release may call back into us
    held->Release();
  }
}

// Replaces *pointer by next, taking a reference on next.
template <class T>
void AssignInterface(T** pointer, T* next) {
  if (next != nullptr) next->AddRef();
  ReleaseInterface(pointer);
  *pointer = next;
}

#endif
