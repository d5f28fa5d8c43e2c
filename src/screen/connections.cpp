#include "screen/connections.h"

#include <stdexcept>
#include <utility>

namespace screen {
namespace {

ConnectionFactory& factory() {
  static ConnectionFactory instance;
  return instance;
}

}  // namespace

void setConnectionFactory(ConnectionFactory f) {
  factory() = std::move(f);
}

std::unique_ptr<remote::TNetConnection> makeConnection(const std::string& serverName) {
  if (!factory()) return std::make_unique<remote::TNetConnection>(serverName);
  std::unique_ptr<remote::TNetConnection> made = factory()(serverName);
  if (!made) throw std::logic_error("Connection factory made no connection for " + serverName);
  return made;
}

}  // namespace screen
