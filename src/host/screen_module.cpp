#include "host/screen_module.h"

#include <dlfcn.h>

#include <cctype>
#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace host {
namespace {

std::filesystem::path executableDirectory() {
  std::error_code error;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : exe.parent_path();
}

std::runtime_error unavailable(const std::string& code, const std::string& reason) {
  return std::runtime_error("Tela " + code + " não disponível. " + reason);
}

}  // namespace

std::string screenLibraryName(const std::string& screenCode) {
  std::string lower;
  for (char c : screenCode)
    lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return "lib" + lower + ".so";
}

std::vector<std::filesystem::path> screenSearchPath() {
  std::vector<std::filesystem::path> dirs;
  if (const char* env = std::getenv("MENUCOST_SCREEN_PATH")) {
    std::string list = env;
    size_t start = 0;
    while (start <= list.size()) {
      size_t end = list.find(':', start);
      if (end == std::string::npos) end = list.size();
      if (end > start) dirs.emplace_back(list.substr(start, end - start));
      start = end + 1;
    }
  }
  std::filesystem::path exeDir = executableDirectory();
  if (!exeDir.empty()) {
    dirs.push_back(exeDir);
    dirs.push_back(exeDir / ".." / "lib" / "menucost");
  }
#ifdef MENUCOST_BUILD_SCREEN_DIR
  dirs.emplace_back(MENUCOST_BUILD_SCREEN_DIR);
#endif
  return dirs;
}

ScreenModule::ScreenModule(const std::string& screenCode,
                           const std::vector<std::filesystem::path>& searchPath) {
  std::string code;
  for (char c : screenCode)
    code += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::string file = screenLibraryName(code);
  for (const auto& dir : searchPath) {
    std::error_code error;
    if (std::filesystem::is_regular_file(dir / file, error)) {
      path_ = std::filesystem::weakly_canonical(dir / file, error);
      if (error) path_ = dir / file;
      break;
    }
  }
  if (path_.empty()) {
    std::string where;
    for (const auto& dir : searchPath)
      where += (where.empty() ? "" : ", ") + dir.string();
    throw unavailable(code, file + " not found in: " + (where.empty() ? "(nowhere)" : where));
  }
  // Never closed: see the header.
  void* handle = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) throw unavailable(code, dlerror());
  dlerror();
  void* entry = dlsym(handle, "IniProc");
  if (!entry) throw unavailable(code, path_.string() + " exports no IniProc.");
  iniProc_ = reinterpret_cast<IniProcFunction>(entry);
}

}  // namespace host
