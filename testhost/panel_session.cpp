#include "testhost/panel_session.h"

#include <atomic>
#include <mutex>

#include "testhost/time_source.h"

namespace horaz::testhost {

struct PanelSession::Shared {
  CountedRef<acf::UpdateHandler> handler;
  CountedRef<HostPanel> panel;
  std::shared_ptr<ParameterStore> store;
  CountedRef<acf::IUnknown> host;
  std::atomic<bool> open{false};
  std::atomic<double> time{0.0};
  mutable std::mutex mutex;
  std::vector<acf::Result> results;

  acf::Result update() {
    const std::shared_ptr<Ledger>& ledger = panel->sharedLedger();
    auto parameters = CountedRef<HostParameterSet>::adopt(make<HostParameterSet>(ledger, store, 1.0, 25.0));
    auto timeSource = CountedRef<HostTimeSource>::adopt(make<HostTimeSource>(ledger, time.load(), 0));
    const acf::Result result = handler->UpdateParams(parameters.get(), host.get(), timeSource.get(), panel.get(), 0);
    std::lock_guard lock(mutex);
    results.push_back(result);
    return result;
  }
};

PanelSession::PanelSession(CountedRef<acf::UpdateHandler> handler, CountedRef<HostPanel> panel,
                           std::shared_ptr<ParameterStore> store, acf::IUnknown* host)
    : shared_(std::make_shared<Shared>()) {
  shared_->handler = std::move(handler);
  shared_->panel = std::move(panel);
  shared_->store = std::move(store);
  shared_->host = CountedRef<acf::IUnknown>::share(host);
  // The store keeps its listeners for its whole life; this one goes quiet
  // once the session is gone.
  std::weak_ptr<Shared> weak = shared_;
  shared_->store->onChange([weak](const acf::Guid&) {
    if (const std::shared_ptr<Shared> shared = weak.lock(); shared && shared->open.load()) shared->update();
  });
}

PanelSession::~PanelSession() { close(); }

acf::Result PanelSession::open() {
  shared_->open.store(true);
  return shared_->update();
}

void PanelSession::close() { shared_->open.store(false); }

void PanelSession::setTime(double time) { shared_->time.store(time); }

HostPanel& PanelSession::panel() { return *shared_->panel.get(); }

std::vector<acf::Result> PanelSession::results() const {
  std::lock_guard lock(shared_->mutex);
  return shared_->results;
}

}  // namespace horaz::testhost
