#include "host/screen_module.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "host/temp_database.h"

namespace host {
namespace {

using ::testing::HasSubstr;

TEST(ScreenModule, LibraryNamesFollowTheScreenCode) {
  struct Case {
    const char* code;
    const char* file;
  } cases[] = {{"RCX00500", "librcx00500.so"}, {"rcx00514", "librcx00514.so"}};
  for (const Case& c : cases)
    EXPECT_EQ(screenLibraryName(c.code), c.file);
}

TEST(ScreenModule, SearchPathStartsWithTheEnvironmentsDirectories) {
  const char* old = std::getenv("MENUCOST_SCREEN_PATH");
  std::string saved = old ? old : "";
  setenv("MENUCOST_SCREEN_PATH", "/a:/b/c::/d", 1);
  std::vector<std::filesystem::path> dirs = screenSearchPath();
  if (old)
    setenv("MENUCOST_SCREEN_PATH", saved.c_str(), 1);
  else
    unsetenv("MENUCOST_SCREEN_PATH");
  ASSERT_GE(dirs.size(), 4u);
  EXPECT_EQ(dirs[0], "/a");
  EXPECT_EQ(dirs[1], "/b/c");
  EXPECT_EQ(dirs[2], "/d");
}

TEST(ScreenModule, TheBuiltScreenIsFoundAndEntered) {
  ScreenModule module("rcx00500");
  EXPECT_EQ(module.path().filename(), "librcx00500.so");
  // A Null parameter opens nothing.
  EXPECT_NO_THROW(module.iniProc(platform::Variant::null()));
}

TEST(ScreenModule, UnavailableModulesSayWhy) {
  testing::TempDatabase scratch;
  std::filesystem::path dir = scratch.dir();
  std::ofstream(dir / "librcx00597.so") << "not a library";
  std::filesystem::create_symlink(MENUCOST_PLATFORM_CORE_LIBRARY, dir / "librcx00598.so");
  struct Case {
    const char* code;
    const char* message;
  } cases[] = {
      {"RCX00599", "librcx00599.so not found in: "},
      {"RCX00597", "Tela RCX00597 não disponível."},
      {"RCX00598", "exports no IniProc"},
  };
  for (const Case& c : cases) {
    EXPECT_THAT([&] { ScreenModule module(c.code, {dir}); },
                ::testing::ThrowsMessage<std::runtime_error>(HasSubstr(c.message)))
        << c.code;
  }
  EXPECT_THAT([&] { ScreenModule module("RCX00599", {}); },
              ::testing::ThrowsMessage<std::runtime_error>(
                  ::testing::StartsWith("Tela RCX00599 não disponível.")));
}

}  // namespace
}  // namespace host
