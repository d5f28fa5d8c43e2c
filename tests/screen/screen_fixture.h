// Opens the screen through IniProc against the scripted server of March 2026.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "screen/entry.h"
#include "screen/support/scripted_server.h"

namespace screentest {

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    shell.processingDate = march(3);
    queries.bands = {
        {"SAFRA", 0, 30, 255}, {"INICIO", 30, 60, 65280}, {"ENTRESSAFRA", 60, 1000, 16711680}};
    server.install();
    host = std::make_unique<TestHost>(shell, queries);
  }

  // Opens the screen for March 2026 and runs `steps` while it is shown; the user then closes
  // it. Returns the errors shown.
  std::vector<std::string> open(ScriptedModal::Steps steps, int costMode = 6,
                                const std::string& costBranch = "") {
    host->modal.steps = std::move(steps);
    IniProc(openingParams(costBranch, "0001", "00001", costMode, 1, march(15)));
    return host->modal.errors;
  }

  FakeShell shell;
  FakeQueries queries;
  ScriptedServer server;
  std::unique_ptr<TestHost> host;
};

}  // namespace screentest
