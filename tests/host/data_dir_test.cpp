#include "host/data_dir.h"

#include <gtest/gtest.h>

#include <map>

#include "host/temp_database.h"

namespace host {
namespace {

EnvLookup fakeEnv(std::map<std::string, std::string> values) {
  return [values](const char* name) -> const char* {
    auto it = values.find(name);
    return it == values.end() ? nullptr : it->second.c_str();
  };
}

TEST(DataDirectory, FollowsTheBaseDirectoryConvention) {
  struct Case {
    std::map<std::string, std::string> env;
    const char* dir;  // nullptr: an error
  } cases[] = {
      {{{"XDG_DATA_HOME", "/data"}, {"HOME", "/home/ana"}}, "/data/menucost"},
      {{{"HOME", "/home/ana"}}, "/home/ana/.local/share/menucost"},
      {{{"XDG_DATA_HOME", ""}, {"HOME", "/home/ana"}}, "/home/ana/.local/share/menucost"},
      {{{"XDG_DATA_HOME", "relative"}, {"HOME", "/home/ana"}}, "/home/ana/.local/share/menucost"},
      {{{"HOME", "relative"}}, nullptr},
      {{}, nullptr},
  };
  for (const Case& c : cases) {
    if (c.dir)
      EXPECT_EQ(userDataDirectory(fakeEnv(c.env)), std::filesystem::path(c.dir));
    else
      EXPECT_THROW(userDataDirectory(fakeEnv(c.env)), std::runtime_error);
  }
}

TEST(DataDirectory, DemoDatabaseDirectoryIsCreated) {
  testing::TempDatabase scratch;
  std::string home = (scratch.dir() / "home").string();
  std::filesystem::path path = demoDatabasePath(fakeEnv({{"HOME", home}}));
  EXPECT_EQ(path, std::filesystem::path(home) / ".local/share/menucost/demo-2.db");
  EXPECT_TRUE(std::filesystem::is_directory(path.parent_path()));
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace host
