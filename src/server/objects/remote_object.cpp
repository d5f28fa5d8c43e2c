#include "server/objects/remote_object.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <random>

namespace server::objects {

Environment systemEnvironment() {
  struct KeySource {
    std::mutex mutex;
    std::mt19937_64 engine{std::random_device{}()};
  };
  auto source = std::make_shared<KeySource>();
  Environment env;
  env.nowSeconds = [] {
    return static_cast<int64_t>(std::chrono::duration_cast<std::chrono::seconds>(
                                    std::chrono::system_clock::now().time_since_epoch())
                                    .count());
  };
  env.newKey = [source] {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::lock_guard lock(source->mutex);
    std::uniform_int_distribution<int> pick(0, 35);
    std::string key(10, ' ');
    for (char& c : key)
      c = kAlphabet[pick(source->engine)];
    return key;
  };
  return env;
}

}  // namespace server::objects
