// The one path of a user event and the modal run every host shares.
#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/abort.h"
#include "platform/consiste.h"
#include "platform/ui/ui.h"

namespace platform::ui {
namespace {

// Passes registered by a test, removed when it ends.
class Passes {
 public:
  ~Passes() {
    for (int id : ids_)
      removeAfterEventPass(id);
  }
  int add(std::function<void()> pass) {
    ids_.push_back(addAfterEventPass(std::move(pass)));
    return ids_.back();
  }

 private:
  std::vector<int> ids_;
};

class UserEventTest : public ::testing::Test {
 protected:
  RecordingErrorDisplay shown_;
  ScopedErrorDisplay installed_{&shown_};
  Passes passes_;
};

TEST_F(UserEventTest, AbortIsSilentAndEveryOtherFailureIsShownOnce) {
  const struct {
    const char* name;
    std::function<void()> handler;
    Failures failures;
    EventOutcome::End end;
    std::string error;
    std::vector<std::string> shown;
  } cases[] = {
      {"completes", [] {}, Failures::Show, EventOutcome::End::Completed, "", {}},
      {"aborts", [] { throw Abort(); }, Failures::Show, EventOutcome::End::Aborted, "", {}},
      {"fails",
       [] { throw std::runtime_error("Servidor indisponível"); },
       Failures::Show,
       EventOutcome::End::Failed,
       "Servidor indisponível",
       {"Servidor indisponível"}},
      {"fails with no text",
       [] { throw 42; },
       Failures::Show,
       EventOutcome::End::Failed,
       "Erro inesperado.",
       {"Erro inesperado."}},
      {"kept for the caller",
       [] { throw std::runtime_error("Banco indisponível"); },
       Failures::Keep,
       EventOutcome::End::Failed,
       "Banco indisponível",
       {}},
      {"abort kept too", [] { throw Abort(); }, Failures::Keep, EventOutcome::End::Aborted, "", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    shown_.clear();
    const EventOutcome outcome = runUserEvent(c.handler, c.failures);
    EXPECT_EQ(outcome.end, c.end);
    EXPECT_EQ(outcome.error, c.error);
    EXPECT_EQ(static_cast<bool>(outcome.failure), c.end == EventOutcome::End::Failed);
    EXPECT_EQ(static_cast<bool>(outcome), c.end == EventOutcome::End::Completed);
    EXPECT_EQ(shown_.texts(), c.shown);
  }
  // A kept failure is the exception itself, for the caller to rethrow.
  const EventOutcome kept =
      runUserEvent([] { throw std::out_of_range("Dia fora do mês"); }, Failures::Keep);
  EXPECT_THROW(std::rethrow_exception(kept.failure), std::out_of_range);
}

TEST_F(UserEventTest, PassesRunAfterTheOutermostEventOnlyAlsoAfterAFailure) {
  std::vector<std::string> log;
  passes_.add([&] { log.push_back("pass"); });
  runUserEvent([&] {
    EXPECT_TRUE(inUserEvent());
    log.push_back("outer");
    const EventOutcome inner = runUserEvent([&] {
      log.push_back("inner");
      throw std::runtime_error("Produto deve ser informado.");
    });
    EXPECT_TRUE(inner.failed());
    EXPECT_TRUE(inUserEvent());
    log.push_back("outer again");
  });
  EXPECT_FALSE(inUserEvent());
  runUserEvent([] { throw Abort(); });
  runUserEvent([] { throw std::runtime_error("x"); });
  EXPECT_EQ(log,
            (std::vector<std::string>{"outer", "inner", "outer again", "pass", "pass", "pass"}));
  // The nested failure was shown where it happened, the outer event went on.
  EXPECT_EQ(shown_.texts(), (std::vector<std::string>{"Produto deve ser informado.", "x"}));
}

TEST_F(UserEventTest, AFailingPassIsShownAndTheOthersStillRun) {
  std::vector<std::string> log;
  int removable = 0;
  passes_.add([&] {
    log.push_back("first");
    throw std::runtime_error("Grade sem colunas");
  });
  passes_.add([&] {
    log.push_back("second");
    throw Abort();
  });
  passes_.add([&] {
    log.push_back("third");
    removeAfterEventPass(removable);  // not run this time any more
    passes_.add([&] { log.push_back("added"); });
  });
  removable = passes_.add([&] { log.push_back("removed"); });
  runUserEvent([] {});
  EXPECT_EQ(log, (std::vector<std::string>{"first", "second", "third"}));
  EXPECT_EQ(shown_.texts(), std::vector<std::string>{"Grade sem colunas"});
  log.clear();
  runUserEvent([] {});
  EXPECT_EQ(log, (std::vector<std::string>{"first", "second", "third", "added"}));
}

TEST(UserEventFailures, WithoutADisplayTheTextGoesToTheErrorStreamAndABrokenDisplayIsIgnored) {
  ScopedErrorDisplay none(nullptr);
  std::ostringstream captured;
  std::streambuf* previous = std::cerr.rdbuf(captured.rdbuf());
  runUserEvent([] { throw std::runtime_error("Filial 0009 não cadastrada."); });
  std::cerr.rdbuf(previous);
  EXPECT_EQ(captured.str(), "Erro: Filial 0009 não cadastrada.\n");

  class Broken : public ErrorDisplay {
   public:
    void showError(const std::string&, int) override { throw std::runtime_error("no window"); }
  } broken;
  ScopedErrorDisplay installed(&broken);
  EXPECT_TRUE(runUserEvent([] { throw std::runtime_error("x"); }).failed());
}

// ---- Modal run ------------------------------------------------------------------------------

// A form whose activation, close query and close do what a case says, logging each step.
struct ModalForm {
  explicit ModalForm(std::vector<std::string>& log) : form("frmModal") {
    form.onActivate = [&] {
      log.push_back("activate");
      if (activate) activate();
    };
    form.onCloseQuery = [&](bool& canClose) { canClose = !refuseClose; };
    form.onClose = [&](CloseAction&) {
      log.push_back("close");
      if (close) close();
    };
  }
  Form form;
  std::function<void()> activate, close;
  bool refuseClose = false;
};

TEST_F(UserEventTest, AModalRunActivatesRunsTheBodyAndAlwaysCloses) {
  auto fail = [](const char* text) { return [text] { throw std::runtime_error(text); }; };
  auto abort = [] { throw Abort(); };
  const std::function<void()> nothing;
  const struct {
    const char* name;
    ModalFailures failures;
    std::function<void()> activate, body, close;
    bool refuseClose;
    std::vector<std::string> steps;
    std::vector<std::string> shown;
    const char* failure;  // left in the result, nullptr for none
    bool aborted;
    bool closed;
  } cases[] = {
      {"plain",
       ModalFailures::Show,
       nothing,
       [] {},
       nothing,
       false,
       {"activate", "body", "close"},
       {},
       nullptr,
       false,
       true},
      {"a failed activation is shown and the window stays",
       ModalFailures::Show,
       fail("a"),
       [] {},
       nothing,
       false,
       {"activate", "body", "close"},
       {"a"},
       nullptr,
       false,
       true},
      {"an aborted activation too",
       ModalFailures::Show,
       abort,
       [] {},
       nothing,
       false,
       {"activate", "body", "close"},
       {},
       nullptr,
       true,
       true},
      {"a body that throws is closed, then rethrown",
       ModalFailures::Show,
       nothing,
       fail("s"),
       nothing,
       false,
       {"activate", "body", "close"},
       {},
       "s",
       false,
       true},
      {"a body that aborts",
       ModalFailures::Show,
       nothing,
       abort,
       nothing,
       false,
       {"activate", "body", "close"},
       {},
       nullptr,
       true,
       true},
      {"a failed close is shown",
       ModalFailures::Show,
       nothing,
       [] {},
       fail("c"),
       false,
       {"activate", "body", "close"},
       {"c"},
       nullptr,
       false,
       false},  // the close failed: hidden anyway,
      {"a refused close",
       ModalFailures::Show,
       nothing,
       [] {},
       nothing,
       true,
       {"activate", "body"},
       {},
       nullptr,
       false,
       false},
      {"unattended: a failed activation skips the body",
       ModalFailures::Keep,
       fail("a"),
       [] {},
       nothing,
       false,
       {"activate", "close"},
       {},
       "a",
       false,
       true},
      {"unattended: an aborted one too",
       ModalFailures::Keep,
       abort,
       [] {},
       nothing,
       false,
       {"activate", "close"},
       {},
       nullptr,
       true,
       true},
      {"unattended: the first failure wins",
       ModalFailures::Keep,
       fail("a"),
       [] {},
       fail("c"),
       false,
       {"activate", "close"},
       {},
       "a",
       false,
       false},
      {"unattended: the body's failure",
       ModalFailures::Keep,
       nothing,
       fail("s"),
       nothing,
       false,
       {"activate", "body", "close"},
       {},
       "s",
       false,
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    shown_.clear();
    std::vector<std::string> steps;
    ModalForm modal(steps);
    modal.activate = c.activate;
    modal.close = c.close;
    modal.refuseClose = c.refuseClose;
    ModalOptions options;
    options.failures = c.failures;
    options.body = [&] {
      EXPECT_TRUE(modal.form.visible());
      steps.push_back("body");
      c.body();
    };
    const ModalResult result = runModal(modal.form, options);
    EXPECT_EQ(steps, c.steps);
    EXPECT_EQ(shown_.texts(), c.shown);
    EXPECT_EQ(result.aborted, c.aborted);
    EXPECT_EQ(result.closed, c.closed);
    EXPECT_FALSE(modal.form.visible());  // a refused close is hidden anyway
    if (c.failure == nullptr) {
      EXPECT_FALSE(result.failure);
    } else {
      try {
        std::rethrow_exception(result.failure);
      } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), c.failure);
      }
    }
  }
}

TEST_F(UserEventTest, AModalRunsStepsAreUserEvents) {
  std::vector<std::string> log;
  ModalForm modal(log);
  passes_.add([&] { log.push_back("pass"); });
  ModalOptions options;
  options.activate = [&] {
    log.push_back("window activates");
    modal.form.activate();
  };
  // The body is the host's loop: events inside it are outermost ones.
  options.body = [&] { runUserEvent([&] { log.push_back("click"); }); };
  runModal(modal.form, options);
  EXPECT_EQ(log, (std::vector<std::string>{"window activates", "activate", "pass", "click", "pass",
                                           "close", "pass"}));

  // Left open when the host closes the form itself.
  log.clear();
  options.closeAtEnd = false;
  options.body = nullptr;
  const ModalResult open = runModal(modal.form, options);
  EXPECT_TRUE(modal.form.visible());
  EXPECT_FALSE(open.closed);
  EXPECT_EQ(log, (std::vector<std::string>{"window activates", "activate", "pass"}));
}

TEST_F(UserEventTest, AFormThatDoesNotStayVisibleRunsNothing) {
  std::vector<std::string> log;
  ModalForm modal(log);
  modal.form.addObserver([&](Component&, Prop what) {
    if (what == Prop::Visible && modal.form.visible()) modal.form.setVisible(false);
  });
  ModalOptions options;
  options.body = [&] { log.push_back("body"); };
  const ModalResult result = runModal(modal.form, options);
  EXPECT_TRUE(log.empty());
  EXPECT_TRUE(result.closed);
  EXPECT_FALSE(result.bodyRan);
}

}  // namespace
}  // namespace platform::ui
