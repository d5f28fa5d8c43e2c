#include "host/screen_registry.h"

#include <cctype>
#include <stdexcept>

namespace host {
namespace {

std::string key(const std::string& code) {
  std::string out;
  for (char c : code)
    if (!std::isspace(static_cast<unsigned char>(c)))
      out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

void ScreenRegistry::registerScreen(const std::string& code, Opener opener) {
  std::string k = key(code);
  if (k.empty()) throw std::invalid_argument("A screen needs a code.");
  if (!opener) throw std::invalid_argument("Screen " + k + " needs an opener.");
  openers_[k] = std::move(opener);
}

ScreenRegistry::Opener ScreenRegistry::swapScreen(const std::string& code, Opener opener) {
  std::string k = key(code);
  if (k.empty()) throw std::invalid_argument("A screen needs a code.");
  Opener previous;
  if (auto found = openers_.find(k); found != openers_.end()) {
    previous = std::move(found->second);
    openers_.erase(found);
  }
  if (opener) openers_[k] = std::move(opener);
  return previous;
}

bool ScreenRegistry::has(const std::string& code) const {
  return openers_.count(key(code)) > 0;
}

std::vector<std::string> ScreenRegistry::codes() const {
  std::vector<std::string> out;
  for (const auto& entry : openers_)
    out.push_back(entry.first);
  return out;
}

void ScreenRegistry::open(const std::string& code, const platform::Variant& params) const {
  auto found = openers_.find(key(code));
  if (found == openers_.end()) {
    std::string shown = key(code);
    throw std::runtime_error("Tela " + (shown.empty() ? std::string("(sem código)") : shown) +
                             " não disponível.");
  }
  // A copy, so an opener that registers screens cannot pull the running one from under itself.
  Opener opener = found->second;
  opener(params);
}

}  // namespace host
