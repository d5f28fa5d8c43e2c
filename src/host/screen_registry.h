// The sibling screens the host can open by code ("RCX00514"), each registered with the function
// that opens it.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/variant.h"

namespace host {

class ScreenRegistry {
 public:
  using Opener = std::function<void(const platform::Variant& params)>;

  // Registers (or replaces) the opener of `code`; codes match without regard to letter case.
  // REQUIRES: `code` not blank and `opener` callable, else std::invalid_argument.
  void registerScreen(const std::string& code, Opener opener);
  bool has(const std::string& code) const;
  // Puts `opener` in the place of the opener of `code` (an empty one removes it) and returns the
  // one it had, empty when none: a caller borrows a screen and gives it back.
  // REQUIRES: `code` not blank, else std::invalid_argument.
  Opener swapScreen(const std::string& code, Opener opener);
  // Codes in ascending order, upper case.
  std::vector<std::string> codes() const;

  // Runs the opener of `code` with `params` and returns when it returns.
  // Errors: std::runtime_error "Tela <CODE> não disponível." for a code nobody registered;
  // whatever the opener throws propagates.
  void open(const std::string& code, const platform::Variant& params) const;

 private:
  std::map<std::string, Opener> openers_;  // by upper-case code
};

}  // namespace host
