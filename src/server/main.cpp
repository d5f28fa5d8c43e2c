// menucost-server: serves the four remote objects of the recipe cost analysis over HTTP from one
// SQLite database, until SIGINT or SIGTERM.
#include <chrono>
#include <condition_variable>
#include <exception>
#include <iostream>
#include <mutex>
#include <thread>

#include "host/cli_options.h"
#include "server/app/server_app.h"
#include "server/dispatch/server_dispatcher.h"
#include "server/rpc/rpc_http_server.h"

namespace {

// Abandoned work tables older than a day are swept hourly, besides the sweep at start.
class HourlySweep {
 public:
  explicit HourlySweep(server::Dispatcher& dispatcher)
      : dispatcher_(dynamic_cast<server::ServerDispatcher*>(&dispatcher)) {
    if (dispatcher_) thread_ = std::thread([this] { run(); });
  }
  ~HourlySweep() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
  }

 private:
  void run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!wake_.wait_for(lock, std::chrono::hours(1), [this] { return stopping_; })) {
      lock.unlock();
      try {
        dispatcher_->sweep();
      } catch (const std::exception& e) {
        std::cerr << "menucost-server: sweeping work tables failed: " << e.what() << std::endl;
      }
      lock.lock();
    }
  }

  server::ServerDispatcher* dispatcher_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace

int main(int argc, char** argv) {
  host::ServerOptions options;
  try {
    options = host::parseServerOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const host::UsageError& e) {
    std::cerr << "menucost-server: " << e.what() << " (see menucost-server --help)" << std::endl;
    return 2;
  }
  if (options.help) {
    std::cout << host::serverUsage();
    return 0;
  }
  try {
    server::ServerOptions serverOptions;
    serverOptions.databasePath = options.database;
    serverOptions.demo = options.demo;
    serverOptions.scale = options.scale;
    serverOptions.demoDate = options.demoDate;
    server::ServerInstance instance = server::openServer(serverOptions);
    if (instance.demoCreated)
      std::cout << "menucost-server: demo company created in " << options.database << std::endl;

    server::RpcServerOptions rpc;
    rpc.bindAddress = options.bindAddress;
    rpc.port = options.port;
    rpc.log = server::logTo(std::cout);
    server::RpcHttpServer http(*instance.dispatcher, *instance.authenticator, rpc);
    int port = http.start();
    std::cout << "menucost-server: serving " << options.database << " on http://"
              << options.bindAddress << ":" << port << std::endl;
    HourlySweep sweep(*instance.dispatcher);
    int signal = server::stopOnSignals(http);
    std::cout << "menucost-server: stopped"
              << (signal ? " by signal " + std::to_string(signal) : "") << std::endl;
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "menucost-server: " << e.what() << std::endl;
    return 1;
  }
}
