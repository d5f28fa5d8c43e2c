#include "platform/ui/user_event.h"

#include <iostream>
#include <map>
#include <utility>

#include "platform/abort.h"
#include "platform/consiste.h"

namespace platform::ui {
namespace {

constexpr const char* kUnexpected = "Erro inesperado.";

struct Dispatcher {
  int depth = 0;
  int nextPassId = 1;
  std::map<int, std::function<void()>> passes;
};

Dispatcher& dispatcher() {
  static Dispatcher instance;
  return instance;
}

// What a failure says; an exception of no known kind has no text of its own.
std::string failureText(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return kUnexpected;
  }
}

void runPasses() {
  Dispatcher& d = dispatcher();
  // Copied: a pass may add or remove passes (a form window closing).
  const auto current = d.passes;
  for (const auto& [id, pass] : current) {
    if (d.passes.count(id) == 0) continue;
    try {
      pass();
    } catch (const Abort&) {
    } catch (...) {
      showFailure(failureText(std::current_exception()));
    }
  }
}

}  // namespace

EventOutcome runUserEvent(const std::function<void()>& handler, Failures failures) {
  EventOutcome outcome;
  Dispatcher& d = dispatcher();
  ++d.depth;
  try {
    handler();
  } catch (const Abort&) {
    outcome.end = EventOutcome::End::Aborted;
  } catch (...) {
    outcome.end = EventOutcome::End::Failed;
    outcome.failure = std::current_exception();
    outcome.error = failureText(outcome.failure);
  }
  if (outcome.failed() && failures == Failures::Show) showFailure(outcome.error);
  --d.depth;
  if (d.depth == 0) runPasses();
  return outcome;
}

bool inUserEvent() {
  return dispatcher().depth > 0;
}

int addAfterEventPass(std::function<void()> pass) {
  Dispatcher& d = dispatcher();
  const int id = d.nextPassId++;
  d.passes.emplace(id, std::move(pass));
  return id;
}

void removeAfterEventPass(int id) {
  dispatcher().passes.erase(id);
}

void showFailure(const std::string& text) {
  try {
    if (ErrorDisplay* display = errorDisplay()) {
      display->showError(text, 0);
      return;
    }
    std::cerr << "Erro: " << text << std::endl;
  } catch (...) {
    // Nothing is left that could show it; the event still ends cleanly.
  }
}

}  // namespace platform::ui
