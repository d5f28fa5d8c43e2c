// A screen module: the shared library of one screen ("RCX00500" -> librcx00500.so), loaded the
// way the host shell loads every screen, and entered through its exported IniProc.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/variant.h"

namespace host {

// The entry every screen module exports under the plain name "IniProc".
using IniProcFunction = void (*)(const platform::Variant& params);

// "RCX00500" -> "librcx00500.so".
std::string screenLibraryName(const std::string& screenCode);

// Where screen modules are looked for, in order: the directories of $MENUCOST_SCREEN_PATH
// (separated by ':'), the executable's directory, its ../lib/menucost, and the build tree's
// screen directory of this build.
std::vector<std::filesystem::path> screenSearchPath();

class ScreenModule {
 public:
  // Loads the module of `screenCode` from the first directory of `searchPath` that has it and
  // looks up its IniProc. The library stays loaded for the life of the process: objects it made
  // (exceptions in flight among them) may outlive this object.
  // Errors: std::runtime_error "Tela <CODE> não disponível." followed by the reason (not found in
  // any directory, cannot be loaded, no IniProc).
  ScreenModule(const std::string& screenCode,
               const std::vector<std::filesystem::path>& searchPath = screenSearchPath());

  const std::filesystem::path& path() const { return path_; }
  // Enters the screen with its opening parameters; returns when the screen has closed.
  // Errors: whatever the screen raises.
  void iniProc(const platform::Variant& params) const { iniProc_(params); }

 private:
  std::filesystem::path path_;
  IniProcFunction iniProc_ = nullptr;
};

}  // namespace host
