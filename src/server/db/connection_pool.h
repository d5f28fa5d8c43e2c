// A small pool of connections to one database, so several threads can run remote calls at once.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "server/db/database.h"

namespace server::db {

class ConnectionPool {
 public:
  using Factory = std::function<std::unique_ptr<Database>()>;

  // REQUIRES: maxConnections >= 1. Connections are opened on demand by `factory`.
  ConnectionPool(Factory factory, size_t maxConnections);
  ConnectionPool(const ConnectionPool&) = delete;
  ConnectionPool& operator=(const ConnectionPool&) = delete;

  // Exclusive use of one connection until the lease is destroyed. A transaction left open is
  // rolled back when the connection comes back.
  class Lease {
   public:
    Lease(ConnectionPool* pool, std::unique_ptr<Database> db) : pool_(pool), db_(std::move(db)) {}
    Lease(Lease&&) = default;
    Lease& operator=(Lease&&) = delete;
    ~Lease();
    Database& operator*() const { return *db_; }
    Database* operator->() const { return db_.get(); }

   private:
    ConnectionPool* pool_;
    std::unique_ptr<Database> db_;
  };

  // Blocks while every connection is leased. Errors: whatever the factory throws (DbError).
  Lease acquire();

 private:
  void release(std::unique_ptr<Database> db);

  Factory factory_;
  size_t max_;
  size_t open_ = 0;
  std::vector<std::unique_ptr<Database>> idle_;
  std::mutex mutex_;
  std::condition_variable available_;
};

}  // namespace server::db
