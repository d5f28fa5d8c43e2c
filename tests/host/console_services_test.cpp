#include "host/console_services.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/abort.h"
#include "platform/ui/form.h"

namespace host {
namespace {

using platform::DialogButton;
using platform::DialogButtons;

TEST(ConsoleDialogs, AnswerTheChoiceThatChangesNothing) {
  struct Case {
    DialogButtons buttons;
    int answer;
  } cases[] = {
      {platform::mbOK, platform::mrOk},
      {{}, platform::mrOk},
      {platform::mbOKCancel, platform::mrCancel},
      {platform::mbYesNo, platform::mrNo},
      {platform::mbYesNoCancel, platform::mrCancel},
      {{DialogButton::Yes}, platform::mrYes},
      {{DialogButton::Retry, DialogButton::Ignore}, platform::mrIgnore},
      {{DialogButton::Yes, DialogButton::YesToAll}, platform::mrYes},
  };
  for (const Case& c : cases)
    EXPECT_EQ(defaultAnswer(c.buttons), c.answer);

  std::ostringstream out;
  ConsoleDialogs dialogs(out);
  EXPECT_EQ(dialogs.show(
                {"Confirma operação?", platform::DialogType::Confirmation, platform::mbYesNo, 0}),
            platform::mrNo);
  EXPECT_EQ(dialogs.show(
                {"Produto deve ser informado.", platform::DialogType::Warning, platform::mbOK, 0}),
            platform::mrOk);
  EXPECT_EQ(out.str(), "Confirmação: Confirma operação?\nAviso: Produto deve ser informado.\n");
  EXPECT_EQ(dialogs.texts().size(), 2u);
}

TEST(ConsoleServices, BusyAnimationCursorAndErrors) {
  std::ostringstream log;
  ConsoleBusyAnimation verbose(&log), quiet;
  for (ConsoleBusyAnimation* busy : {&verbose, &quiet}) {
    EXPECT_FALSE(busy->visible());
    busy->ActiveShowAvi(nullptr, 6, "Calculando custos do cardápio...");
    busy->ActiveShowAvi(nullptr, 0);
    EXPECT_TRUE(busy->visible());
    busy->DeactiveShowAvi();
    busy->DeactiveShowAvi();
    EXPECT_FALSE(busy->visible());
    EXPECT_EQ(busy->shownCount(), 2);
  }
  EXPECT_EQ(log.str(), "Calculando custos do cardápio...\n");

  ConsoleCursor cursor;
  cursor.setCursor(remote::CursorShape::HourGlass);
  EXPECT_EQ(cursor.cursor(), remote::CursorShape::HourGlass);

  std::ostringstream out;
  ConsoleErrorDisplay errors(out);
  errors.showError("Filial 0009 não cadastrada.", 0);
  EXPECT_EQ(errors.errorCount(), 1);
  EXPECT_EQ(out.str(), "Erro: Filial 0009 não cadastrada.\n");
}

// What the loop saw of a form: the order of activation, script and close.
struct ModalCase {
  const char* name;
  std::function<void()> onActivate, script, onClose;
  bool refuseClose;
  std::vector<std::string> steps;
  const char* error;  // nullptr: none
  bool aborted;
};

TEST(ScriptedModalLoop, ActivatesRunsTheScriptAndAlwaysCloses) {
  auto fail = [](const char* text) { return [text] { throw std::runtime_error(text); }; };
  auto abort = [] { throw platform::Abort(); };
  auto nothing = [] {};
  ModalCase cases[] = {
      {"plain", nothing, nothing, nothing, false, {"activate", "script", "close"}, nullptr, false},
      {"activation fails", fail("a"), nothing, nothing, false, {"activate", "close"}, "a", false},
      {"activation aborts", abort, nothing, nothing, false, {"activate", "close"}, nullptr, true},
      {"script fails",
       nothing,
       fail("s"),
       nothing,
       false,
       {"activate", "script", "close"},
       "s",
       false},
      {"close fails",
       nothing,
       nothing,
       fail("c"),
       false,
       {"activate", "script", "close"},
       "c",
       false},
      {"first failure wins",
       fail("a"),
       nothing,
       fail("c"),
       false,
       {"activate", "close"},
       "a",
       false},
      {"close refused", nothing, nothing, nothing, true, {"activate", "script"}, nullptr, false},
  };
  for (const ModalCase& c : cases) {
    platform::ui::Form form("frmTeste");
    std::vector<std::string> steps;
    form.onActivate = [&] {
      steps.push_back("activate");
      c.onActivate();
    };
    form.onCloseQuery = [&](bool& canClose) { canClose = !c.refuseClose; };
    form.onClose = [&](platform::ui::CloseAction&) {
      steps.push_back("close");
      c.onClose();
    };
    ScriptedModalLoop loop([&](platform::ui::Form& shown) {
      EXPECT_TRUE(shown.visible());
      steps.push_back("script");
      c.script();
    });
    try {
      loop.showModal(form);
      EXPECT_EQ(c.error, nullptr) << c.name;
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), c.error) << c.name;
    }
    EXPECT_EQ(steps, c.steps) << c.name;
    EXPECT_EQ(loop.aborted(), c.aborted) << c.name;
    EXPECT_FALSE(form.visible()) << c.name;
  }
}

class FakeShell : public remote::HostShell {
 public:
  std::string WebURL() const override { return "h"; }
  int WebPort() const override { return 1; }
  std::string Operador() const override { return "op"; }
  bool ModuFili() const override { return false; }
  double DataProc(const std::string&) override { return 0; }
  std::string DBPict(int) const override { return ""; }
  int GetTtNiveis(int) const override { return 0; }
  char ModuloAtiv() const override { return 'C'; }
  void AtualizaLocalCache(const platform::Variant&) override {}
  void LoadBPL(const std::string&, const platform::Variant&) override {}
  bool Autoriza(remote::TNetConnection&, int, const std::string&, const std::string&) override {
    return false;
  }
};

class NoQueries : public remote::QueryExecutor {
 public:
  remote::SqlDialect dialect() const override { return remote::SqlDialect::Default; }
  platform::DataPacket execute(
      const std::string&, const std::vector<std::pair<std::string, platform::Variant>>&) override {
    return {};
  }
};

TEST(ConsoleHost, InstallsItsServicesAndPutsThePreviousOnesBack) {
  FakeShell shell;
  NoQueries queries;
  std::ostringstream out;
  EXPECT_THROW(remote::hostShell(), std::logic_error);
  {
    ConsoleHost host(shell, queries, out, false);
    EXPECT_EQ(&remote::hostShell(), &shell);
    EXPECT_EQ(&remote::queryExecutor(), &queries);
    EXPECT_EQ(&remote::busyAnimation(), &host.busy);
    EXPECT_EQ(&remote::modalLoop(), &host.modal);
    EXPECT_EQ(&remote::cursorControl(), &host.cursor);
    EXPECT_EQ(platform::messageDialogs(), &host.dialogs);
    EXPECT_EQ(platform::errorDisplay(), &host.errors);
  }
  EXPECT_THROW(remote::hostShell(), std::logic_error);
  EXPECT_EQ(platform::messageDialogs(), nullptr);
  EXPECT_EQ(platform::errorDisplay(), nullptr);
}

}  // namespace
}  // namespace host
