#pragma once

#include <atomic>
#include <concepts>
#include <cstdint>
#include <memory>
#include <string_view>
#include <tuple>
#include <utility>

#include "host/unknown.h"
#include "testhost/ledger.h"

namespace horaz::testhost {

template <class Interface>
concept HasInterfaceId = requires {
  Interface::kId;
};

// The base of every object the reference host hands to the plug-in: a
// reference count, the ledger's live-object count, and a QueryInterface that
// answers IUnknown and each listed interface that has an id. Objects are
// created with `make` and owned through their references.
template <class... Interfaces>
class HostObject : public Interfaces... {
 public:
  acf::Result ACFCALL QueryInterface(const acf::Guid& iid, void** out) override {
    if (!out) return acf::kNullArgument;
    *out = nullptr;
    if (const acf::Result injected = ledger_->enter("QueryInterface"); acf::failed(injected)) return injected;
    if (iid == acf::IUnknown::kId) {
      *out = static_cast<acf::IUnknown*>(static_cast<FirstInterface*>(this));
      AddRef();
      return acf::kOk;
    }
    if (!(tryInterface<Interfaces>(iid, out) || ...)) return queryOther(iid, out);
    AddRef();
    return acf::kOk;
  }
  uint32_t ACFCALL AddRef() override { return references_.fetch_add(1) + 1; }
  uint32_t ACFCALL Release() override {
    const uint32_t remaining = references_.fetch_sub(1) - 1;
    if (remaining == 0) delete this;
    return remaining;
  }

  uint32_t referenceCount() const { return references_.load(); }
  Ledger& ledger() const { return *ledger_; }
  const std::shared_ptr<Ledger>& sharedLedger() const { return ledger_; }

 protected:
  explicit HostObject(std::shared_ptr<Ledger> ledger) : ledger_(std::move(ledger)) { ledger_->objectCreated(); }
  virtual ~HostObject() { ledger_->objectDestroyed(); }

  // Counts a failable call; returns the injected failure, or kOk.
  acf::Result enter(std::string_view operation, std::string_view subject = {}) const {
    return ledger_->enter(operation, subject);
  }

  // Lets a derived class answer more ids than its interfaces' own; it stores
  // the interface in *out and adds the reference itself.
  virtual acf::Result queryOther(const acf::Guid&, void**) { return acf::kNoInterface; }

 private:
  using FirstInterface = std::tuple_element_t<0, std::tuple<Interfaces...>>;

  template <class Interface>
  bool tryInterface(const acf::Guid& iid, void** out) {
    if constexpr (HasInterfaceId<Interface>) {
      if (iid == Interface::kId) {
        *out = static_cast<Interface*>(this);
        return true;
      }
    }
    return false;
  }

  std::shared_ptr<Ledger> ledger_;
  std::atomic<uint32_t> references_{1};
};

// Makes a host object with one reference that the caller owns.
template <class Object, class... Arguments>
Object* make(Arguments&&... arguments) {
  return new Object(std::forward<Arguments>(arguments)...);
}

}  // namespace horaz::testhost
