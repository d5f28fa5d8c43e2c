#include "desktop/message_dialogs.h"

#include <gtest/gtest.h>

#include "desktop/dialog_driver.h"

namespace desktop {
namespace {

using platform::DialogButton;
using platform::DialogButtons;
using platform::DialogType;

struct ButtonCase {
  DialogButtons buttons;
  QString press;  // empty: Esc
  int expected;
  QStringList shown;
};

TEST(MessageDialogs, AnswersTheModalResultOfTheButtonPressed) {
  const ButtonCase cases[] = {
      {platform::mbYesNo, "Sim", 6, {"Sim", "Não"}},
      {platform::mbYesNo, "Não", 7, {"Sim", "Não"}},
      {platform::mbOK, "OK", 1, {"OK"}},
      {platform::mbOKCancel, "Cancelar", 2, {"OK", "Cancelar"}},
      {platform::mbYesNoCancel, "Cancelar", 2, {"Sim", "Não", "Cancelar"}},
      {platform::mbYesNoCancel, "Não", 7, {"Sim", "Não", "Cancelar"}},
      // Esc answers Cancel, else No, else OK.
      {platform::mbYesNoCancel, "", 2, {"Sim", "Não", "Cancelar"}},
      {platform::mbYesNo, "", 7, {"Sim", "Não"}},
      {platform::mbOK, "", 1, {"OK"}},
  };
  QtMessageDialogs dialogs;
  for (const ButtonCase& c : cases) {
    SCOPED_TRACE(c.press.isEmpty() ? "Esc" : c.press.toStdString());
    auto seen = testing::answerNextDialog(c.press);
    const int result = dialogs.show({"Confirma operação?", DialogType::Confirmation, c.buttons, 0});
    EXPECT_EQ(result, c.expected);
    // The platform's button layout decides the order; the set of buttons is ours.
    QStringList shown = seen->buttons, expected = c.shown;
    shown.sort();
    expected.sort();
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(seen->text, QString::fromUtf8("Confirma operação?"));
    EXPECT_EQ(seen->title, QString::fromUtf8("Confirmação"));
  }
}

TEST(MessageDialogs, TitlesFollowTheType) {
  const struct {
    DialogType type;
    const char* title;
  } cases[] = {{DialogType::Warning, "Aviso"},
               {DialogType::Error, "Erro"},
               {DialogType::Information, "Informação"},
               {DialogType::Confirmation, "Confirmação"}};
  for (const auto& c : cases)
    EXPECT_EQ(dialogTitle(c.type), QString::fromUtf8(c.title));
}

TEST(MessageDialogs, ARequestWithoutButtonsGetsOk) {
  QtMessageDialogs dialogs;
  auto seen = testing::answerNextDialog("OK");
  EXPECT_EQ(dialogs.show({"Texto", DialogType::Information, DialogButtons{}, 0}), 1);
  EXPECT_EQ(seen->buttons, QStringList{"OK"});
}

TEST(MessageDialogs, ErrorDisplayShowsTheTextWithOk) {
  QtMessageDialogs dialogs;
  auto seen = testing::answerNextDialog("OK");
  dialogs.showError("Produto deve ser informado.", 0);
  EXPECT_EQ(seen->text, QString::fromUtf8("Produto deve ser informado."));
  EXPECT_EQ(seen->title, "Erro");
  EXPECT_EQ(seen->buttons, QStringList{"OK"});
}

TEST(MessageDialogs, TheCatalogueShowsThroughThem) {
  QtMessageDialogs dialogs;
  platform::TMessages catalogue{{"exclusao", "Confirma exclusão?"}};
  catalogue.setDialogs(&dialogs);
  auto seen = testing::answerNextDialog("Não");
  EXPECT_EQ(catalogue.ShowMsg("EXCLUSAO", DialogType::Confirmation, platform::mbYesNo, 0),
            platform::mrNo);
  EXPECT_EQ(seen->text, QString::fromUtf8("Confirma exclusão?"));
}

}  // namespace
}  // namespace desktop
