#include "host/screen_registry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace host {
namespace {

using platform::Variant;

TEST(ScreenRegistry, OpensTheRegisteredScreenWithItsParameters) {
  ScreenRegistry registry;
  std::vector<std::string> opened;
  auto opener = [&](const std::string& name) {
    return [&opened, name](const Variant& params) {
      opened.push_back(name + ":" + params.debugString());
    };
  };
  registry.registerScreen("RCX00511", opener("chart1"));
  registry.registerScreen("rcx00514", opener("origin"));
  registry.registerScreen("RCX00511", opener("chart1b"));  // replaces

  registry.open("RCX00514", Variant::array({Variant("0001"), Variant(44)}));
  registry.open("rcx00511", Variant::null());
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_THAT(opened[0], ::testing::StartsWith("origin:"));
  EXPECT_THAT(opened[0], ::testing::HasSubstr("0001"));
  EXPECT_THAT(opened[1], ::testing::StartsWith("chart1b:"));
  EXPECT_EQ(registry.codes(), (std::vector<std::string>{"RCX00511", "RCX00514"}));
  EXPECT_TRUE(registry.has(" rcx00514 "));
  EXPECT_FALSE(registry.has("RCX00515"));
}

TEST(ScreenRegistry, UnknownCodesAndBadRegistrations) {
  ScreenRegistry registry;
  registry.registerScreen("RCX00511", [](const Variant&) {});
  struct Case {
    const char* code;
    const char* message;
  } cases[] = {
      {"RCX00514", "Tela RCX00514 não disponível."},
      {"rcx00515", "Tela RCX00515 não disponível."},
      {"", "Tela (sem código) não disponível."},
  };
  for (const Case& c : cases) {
    EXPECT_THAT([&] { registry.open(c.code, Variant::null()); },
                ::testing::ThrowsMessage<std::runtime_error>(::testing::StrEq(c.message)));
  }
  EXPECT_THROW(registry.registerScreen("  ", [](const Variant&) {}), std::invalid_argument);
  EXPECT_THROW(registry.registerScreen("RCX00512", nullptr), std::invalid_argument);
}

TEST(ScreenRegistry, OpenerErrorsReachTheCaller) {
  ScreenRegistry registry;
  registry.registerScreen("RCX00513",
                          [](const Variant&) { throw std::runtime_error("sem dados"); });
  EXPECT_THAT([&] { registry.open("RCX00513", Variant::null()); },
              ::testing::ThrowsMessage<std::runtime_error>(::testing::StrEq("sem dados")));
}

}  // namespace
}  // namespace host
