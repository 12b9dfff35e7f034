#pragma once

#include <atomic>
#include <cstdint>
#include <new>

#include "host/unknown.h"

namespace horaz {

// The reference-counted, aggregatable base of the class factory and of every
// component. Created inside an outer object, it forwards the public
// interface's query, add-reference and release to that outer object, and
// answers them itself through its inner IUnknown otherwise.
//
// Thread safety: the reference count changes atomically; a release destroys
// the object when its own decrement reached 0.
class ComponentBase {
 public:
  ComponentBase(const ComponentBase&) = delete;
  ComponentBase& operator=(const ComponentBase&) = delete;

  // The inner (non-delegating) table.
  // Runs the destructor; bit 0 of `flags` also frees the memory.
  virtual void destroy(uint32_t flags);
  // Receives the host object right after construction; a failure destroys the
  // object again. The base keeps nothing.
  virtual acf::Result initialise(acf::IUnknown* host);
  virtual void hook() {}
  // Answers the class's own interface id and IUnknown (the inner unknown).
  virtual acf::Result innerQueryInterface(const acf::Guid& iid, void** out);
  uint32_t innerAddRef();
  uint32_t innerRelease();

  acf::IUnknown* innerUnknown() { return &inner_; }
  acf::IUnknown* controllingUnknown() const { return controlling_; }

 protected:
  // `outer` is the aggregating object, or null.
  explicit ComponentBase(acf::IUnknown* outer);
  virtual ~ComponentBase();

  // The class's public interface and its id.
  virtual acf::IUnknown* publicInterface() = 0;
  virtual const acf::Guid& publicInterfaceId() const = 0;

 private:
  struct InnerUnknown final : acf::IUnknown {
    explicit InnerUnknown(ComponentBase& owner) : owner(owner) {}
    acf::Result ACFCALL QueryInterface(const acf::Guid& iid, void** out) override {
      return owner.innerQueryInterface(iid, out);
    }
    uint32_t ACFCALL AddRef() override { return owner.innerAddRef(); }
    uint32_t ACFCALL Release() override { return owner.innerRelease(); }
    ComponentBase& owner;
  };

  std::atomic<uint32_t> referenceCount_{0};
  acf::IUnknown* controlling_;
  InnerUnknown inner_;
};

// A component that implements `Interface` (whose id is Interface::kId). Its
// public IUnknown operations forward to the controlling object.
template <class Interface>
class Component : public ComponentBase, public Interface {
 public:
  acf::Result ACFCALL QueryInterface(const acf::Guid& iid, void** out) override {
    return controllingUnknown()->QueryInterface(iid, out);
  }
  uint32_t ACFCALL AddRef() override { return controllingUnknown()->AddRef(); }
  uint32_t ACFCALL Release() override { return controllingUnknown()->Release(); }

 protected:
  explicit Component(acf::IUnknown* outer) : ComponentBase(outer) {}

  acf::IUnknown* publicInterface() override { return static_cast<Interface*>(this); }
  const acf::Guid& publicInterfaceId() const override { return Interface::kId; }
};

// A plain function per class that makes one instance: the same arguments and
// result as the class factory's CreateInstance.
using ComponentCreator = acf::Result (*)(acf::IUnknown* host, acf::IUnknown* outer, const acf::Guid& iid, void** out);

// Makes a `Concrete` (constructible from the outer object), initialises it
// with `host` and asks it for `iid`. Allocation failure gives kOutOfMemory;
// a failing initialisation or query destroys the object again.
template <class Concrete>
acf::Result createComponent(acf::IUnknown* host, acf::IUnknown* outer, const acf::Guid& iid, void** out) {
  *out = nullptr;
  Concrete* object = new (std::nothrow) Concrete(outer);
  if (!object) return acf::kOutOfMemory;
  ComponentBase& base = *object;
  base.innerAddRef();
  const acf::Result initialised = base.initialise(host);
  if (acf::failed(initialised)) {
    base.destroy(1);
    return initialised;
  }
  const acf::Result queried = base.innerQueryInterface(iid, out);
  base.innerRelease();
  return queried;
}

}  // namespace horaz
