// The silent abort: ends the current user operation without any message. Whoever dispatches a user
// event swallows it; every other exception is shown to the user.
#pragma once

#include <exception>

namespace platform {

class Abort : public std::exception {
 public:
  const char* what() const noexcept override { return "Operation aborted"; }
};

}  // namespace platform
