// SPDX-License-Identifier: MIT
// What every object the platform hands out shares as an IUnknown: a count of
// references that starts at one, the object's end at its last Release, and
// QueryInterface answering IID_IUnknown and the interfaces the object is.
#pragma once

#include <initializer_list>

#include "platform/wintypes.h"

namespace platform::com {

template <typename... Interfaces>
class Object : public Interfaces... {
 public:
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG left = --refs_;
    if (left == 0) LastReleased();
    return left;
  }

 protected:
  // What the last Release does: the object dies.
  virtual void LastReleased() { delete this; }

  // Answers a QueryInterface: `as` (this object seen as the interface asked
  // for), with a reference added, when riid is IID_IUnknown or one of `iids`;
  // E_NOINTERFACE otherwise.
  template <typename Interface>
  HRESULT Answer(REFIID riid, void** object, Interface* as, std::initializer_list<const IID*> iids) {
    if (!object) return E_POINTER;
    *object = nullptr;
    bool known = riid == IID_IUnknown;
    for (const IID* iid : iids) known = known || riid == *iid;
    if (!known) return E_NOINTERFACE;
    *object = as;
    AddRef();
    return S_OK;
  }

 private:
  ULONG refs_ = 1;
};

}  // namespace platform::com
