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

// userDataDirectory()/demo.db; creates the directory (not the file) when missing.
// Errors: std::runtime_error as above or when the directory cannot be created.
std::filesystem::path demoDatabasePath(const EnvLookup& env = processEnvironment());

}  // namespace host
