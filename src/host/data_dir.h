// Where the host keeps its per-user files (the embedded demo database).
#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace host {

// Reads an environment variable; null when it is not set.
using EnvLookup = std::function<const char*(const char* name)>;
EnvLookup processEnvironment();

// $XDG_DATA_HOME/menucost when XDG_DATA_HOME is set to an absolute path, else
// $HOME/.local/share/menucost. Does not create it.
// Errors: std::runtime_error when neither variable gives an absolute path.
std::filesystem::path userDataDirectory(const EnvLookup& env = processEnvironment());

// The demo database's file name. Its number goes up whenever the demo company changes, so a user
// who ran an older demo gets the new one instead of the old file (which is left as it was).
inline constexpr const char* kDemoDatabaseName = "demo-2.db";

// userDataDirectory()/kDemoDatabaseName; creates the directory (not the file) when missing.
// Errors: std::runtime_error as above or when the directory cannot be created.
std::filesystem::path demoDatabasePath(const EnvLookup& env = processEnvironment());

}  // namespace host
