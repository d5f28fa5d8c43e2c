#include "server/db/connection_pool.h"

namespace server::db {

ConnectionPool::ConnectionPool(Factory factory, size_t maxConnections)
    : factory_(std::move(factory)), max_(maxConnections == 0 ? 1 : maxConnections) {}

ConnectionPool::Lease::~Lease() {
  if (pool_ != nullptr && db_ != nullptr) pool_->release(std::move(db_));
}

ConnectionPool::Lease ConnectionPool::acquire() {
  std::unique_lock lock(mutex_);
  available_.wait(lock, [&] { return !idle_.empty() || open_ < max_; });
  if (!idle_.empty()) {
    auto db = std::move(idle_.back());
    idle_.pop_back();
    return Lease(this, std::move(db));
  }
  ++open_;
  lock.unlock();
  try {
    return Lease(this, factory_());
  } catch (...) {
    std::lock_guard relock(mutex_);
    --open_;
    available_.notify_one();
    throw;
  }
}

void ConnectionPool::release(std::unique_ptr<Database> db) {
  db->rollback();
  db->failNthStatement(0);
  db->onStatement({});
  // A lost server connection would fail every later call; the next lease opens a new one.
  bool broken = db->broken();
  if (broken) db.reset();
  std::lock_guard lock(mutex_);
  if (broken) {
    --open_;
  } else {
    idle_.push_back(std::move(db));
  }
  available_.notify_one();
}

}  // namespace server::db
