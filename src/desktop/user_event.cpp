#include "desktop/user_event.h"

#include <exception>
#include <map>
#include <utility>

#include "desktop/message_dialogs.h"
#include "platform/abort.h"
#include "platform/consiste.h"

namespace desktop {
namespace {

int depth = 0;
int nextPassId = 1;

std::map<int, std::function<void()>>& passes() {
  static std::map<int, std::function<void()>> instance;
  return instance;
}

void runPasses() {
  // Copied: a pass may register or remove passes (a form window closing).
  const auto current = passes();
  for (const auto& [id, pass] : current) {
    if (passes().count(id) == 0) continue;
    try {
      pass();
    } catch (const std::exception& error) {
      showFailure(error.what());
    }
  }
}

}  // namespace

void showFailure(const std::string& text) {
  if (platform::ErrorDisplay* display = platform::errorDisplay()) {
    display->showError(text, 0);
    return;
  }
  QtMessageDialogs().showError(text, 0);
}

bool inUserEvent() {
  return depth > 0;
}

bool runUserEvent(const std::function<void()>& handler) {
  bool completed = false;
  ++depth;
  try {
    handler();
    completed = true;
  } catch (const platform::Abort&) {
  } catch (const std::exception& error) {
    try {
      showFailure(error.what());
    } catch (...) {
      // Nothing left that could show it; the event still ends cleanly.
    }
  } catch (...) {
    try {
      showFailure("Erro inesperado.");
    } catch (...) {
    }
  }
  --depth;
  if (depth == 0) runPasses();
  return completed;
}

int addAfterEventPass(std::function<void()> pass) {
  const int id = nextPassId++;
  passes().emplace(id, std::move(pass));
  return id;
}

void removeAfterEventPass(int id) {
  passes().erase(id);
}

}  // namespace desktop
