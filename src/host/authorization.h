// The operator's rights, asked of the authorisation server ("Inv.rdmAutoriza").
#pragma once

#include <string>

#include "remote/net_connection.h"

namespace host {

// Asks the authorisation server, through `connection` (opened first when it is closed), whether
// the logged-in operator may perform `actionKey` of `kind`.
// Guarantees: true only when the server answers that the action is allowed.
// Errors: remote::RemoteError when the call cannot be made; std::runtime_error with the server's
// text when it answers an error message instead of a decision.
bool authorizeOnServer(remote::TNetConnection& connection, int kind, const std::string& actionKey,
                       const std::string& extra);

}  // namespace host
