#include "host/data_dir.h"

#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace host {
namespace {

// Relative values are ignored, as the base-directory convention says.
const char* absolute(const char* value) {
  return value && value[0] == '/' ? value : nullptr;
}

}  // namespace

EnvLookup processEnvironment() {
  return [](const char* name) -> const char* { return std::getenv(name); };
}

std::filesystem::path userDataDirectory(const EnvLookup& env) {
  if (const char* xdg = absolute(env("XDG_DATA_HOME")))
    return std::filesystem::path(xdg) / "menucost";
  if (const char* home = absolute(env("HOME")))
    return std::filesystem::path(home) / ".local" / "share" / "menucost";
  throw std::runtime_error(
      "Cannot find the user's data directory: neither XDG_DATA_HOME nor HOME "
      "is an absolute path.");
}

std::filesystem::path demoDatabasePath(const EnvLookup& env) {
  std::filesystem::path dir = userDataDirectory(env);
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  if (error) throw std::runtime_error("Cannot create '" + dir.string() + "': " + error.message());
  return dir / kDemoDatabaseName;
}

}  // namespace host
