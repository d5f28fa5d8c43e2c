// What the user reads when the database fails: a sentence of their own, never the database's
// text (which may quote SQL or a file path); the full text goes to the server's log.
#pragma once

#include <exception>
#include <string>
#include <string_view>

#include "server/rpc/dispatcher.h"

namespace server::objects {

// The user's message for a database failure described by `detail` (the driver's text): busy or
// locked, disk full, read-only, damaged, unreachable, or any other.
std::string databaseMessage(std::string_view detail);

// databaseMessage(error.what()), after handing error.what() to the call's note for the log.
std::string databaseRefusal(const CallContext& context, const std::exception& error);

}  // namespace server::objects
