#include "platform/messages.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace platform {
namespace {

TMessages catalogue() {
  return TMessages{
      {"DIA", "Dia "},
      {"prod_inativo", "Produto não cadastrado para a filial ou inativo."},
      {"qtde<0", "Quantidade Per Capita deve ser maior que zero."},
      {"confirma", "Confirma operação?"},
      {"RECELABELVAZIA", "   "},
      {"ReceLoc_inf", "Produto já cadastrado na receita local."},
  };
}

TEST(TMessagesTest, LooksKeysUpWithoutRegardToCase) {
  const TMessages msg = catalogue();
  struct Case {
    const char* key;
    const char* text;
  };
  const Case kCases[] = {
      {"prod_inativo", "Produto não cadastrado para a filial ou inativo."},
      {"PROD_INATIVO", "Produto não cadastrado para a filial ou inativo."},
      {"Prod_Inativo", "Produto não cadastrado para a filial ou inativo."},
      {"QTDE<0", "Quantidade Per Capita deve ser maior que zero."},
      {"dia", "Dia "},
      {"recelabelvazia", "   "},
      {"RECELOC_INF", "Produto já cadastrado na receita local."},
      // Keys the catalogue does not hold come back as they are.
      {"Prod_NEst", "Prod_NEst"},
      {"P_NCad", "P_NCad"},
      {"prod_inativ", "prod_inativ"},
      {"", ""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(msg.Msg(c.key), c.text);
  }
  EXPECT_TRUE(msg.contains("CONFIRMA"));
  EXPECT_FALSE(msg.contains("P_NCad"));
  EXPECT_EQ(msg.find("P_NCad"), nullptr);
}

TEST(TMessagesTest, KeepsEntriesInOrderAndRefusesDuplicateKeys) {
  TMessages msg = catalogue();
  ASSERT_EQ(msg.size(), 6u);
  EXPECT_EQ(msg.entries().front().key, "DIA");
  EXPECT_EQ(msg.entries().back().key, "ReceLoc_inf");
  EXPECT_THROW(msg.add("Prod_Inativo", "outro"), std::invalid_argument);
  EXPECT_EQ(msg.Msg("prod_inativo"), "Produto não cadastrado para a filial ou inativo.");
  // Only ASCII letters fold: these are two keys.
  msg.add("ação", "a");
  msg.add("AÇÃO", "b");
  EXPECT_EQ(msg.Msg("AçãO"), "a");
  EXPECT_EQ(msg.Msg("aÇÃo"), "b");
  EXPECT_EQ(msg.Msg("AÇão"), "AÇão");
}

TEST(TMessagesTest, ShowMsgReturnsTheButtonPressedAndRecordsTheDialog) {
  ScriptedDialogs dialogs;
  ScopedMessageDialogs installed(&dialogs);
  const TMessages msg = catalogue();
  dialogs.answer(mrYes);
  dialogs.answer(mrNo);
  EXPECT_EQ(msg.ShowMsg("CONFIRMA", DialogType::Confirmation, mbYesNo, 500), 6);
  EXPECT_EQ(msg.ShowMsg("confirma", DialogType::Confirmation, mbYesNo, 500), 7);
  EXPECT_EQ(msg.ShowMsg("qtde<0", DialogType::Error, mbOK, 0), 1);  // OK-only needs no script
  EXPECT_EQ(msg.ShowMsg("Prod_NEst", DialogType::Warning, mbOK, 0), mrOk);
  const std::vector<MessageRequest> expected = {
      {"Confirma operação?", DialogType::Confirmation, mbYesNo, 500},
      {"Confirma operação?", DialogType::Confirmation, mbYesNo, 500},
      {"Quantidade Per Capita deve ser maior que zero.", DialogType::Error, mbOK, 0},
      {"Prod_NEst", DialogType::Warning, mbOK, 0},
  };
  EXPECT_EQ(dialogs.shown(), expected);
  EXPECT_EQ(dialogs.pendingAnswers(), 0u);
}

TEST(TMessagesTest, ShowMsgNeedsDialogs) {
  ScopedMessageDialogs none(nullptr);
  const TMessages msg = catalogue();
  EXPECT_THROW(msg.ShowMsg("confirma", DialogType::Confirmation, mbYesNo, 0), std::logic_error);
}

TEST(TMessagesTest, CatalogueDialogsOverrideTheInstalledOnes) {
  ScriptedDialogs installedDialogs;
  ScriptedDialogs own;
  ScopedMessageDialogs installed(&installedDialogs);
  TMessages msg = catalogue();
  msg.setDialogs(&own);
  own.answer(mrCancel);
  EXPECT_EQ(msg.ShowMsg("confirma", DialogType::Confirmation, mbOKCancel, 0), mrCancel);
  EXPECT_EQ(own.texts(), std::vector<std::string>{"Confirma operação?"});
  EXPECT_TRUE(installedDialogs.shown().empty());
}

TEST(ScriptedDialogsTest, RefusesAnswersTheDialogCannotGive) {
  ScriptedDialogs dialogs;
  EXPECT_THROW(dialogs.show({"Confirma?", DialogType::Confirmation, mbYesNo, 0}), std::logic_error);
  dialogs.answer(mrOk);
  EXPECT_THROW(dialogs.show({"Confirma?", DialogType::Confirmation, mbYesNo, 0}), std::logic_error);
  dialogs.answer(mrNone);
  EXPECT_THROW(dialogs.show({"Erro", DialogType::Error, mbOK, 0}), std::logic_error);
  EXPECT_EQ(dialogs.shown().size(), 3u);
}

TEST(ModalResults, EveryButtonHasItsResult) {
  const std::pair<DialogButton, int> kCases[] = {
      {DialogButton::Yes, 6},       {DialogButton::No, 7},    {DialogButton::OK, 1},
      {DialogButton::Cancel, 2},    {DialogButton::Abort, 3}, {DialogButton::Retry, 4},
      {DialogButton::Ignore, 5},    {DialogButton::All, 8},   {DialogButton::NoToAll, 9},
      {DialogButton::YesToAll, 10}, {DialogButton::Help, 0},
  };
  for (const auto& [button, result] : kCases)
    EXPECT_EQ(modalResultOf(button), result);
}

}  // namespace
}  // namespace platform
