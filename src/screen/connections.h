// How the screen makes its application-server connections. The host shell uses plain
// TNetConnection components; tests install a factory that wraps or scripts them.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "remote/net_connection.h"

namespace screen {

using ConnectionFactory =
    std::function<std::unique_ptr<remote::TNetConnection>(const std::string& serverName)>;

// Replaces the factory (an empty one restores the plain component). Affects screens created
// afterwards.
void setConnectionFactory(ConnectionFactory factory);

// A connection to the remote object `serverName` from the factory in force.
// ERRORS: std::logic_error when the factory answers null.
std::unique_ptr<remote::TNetConnection> makeConnection(const std::string& serverName);

}  // namespace screen
