// The rules tested before every change of a recipe's products, and the enabling of the screen
// after each change of cdsProduto's state.
#include "platform/abort.h"
#include "platform/consiste.h"
#include "platform/messages.h"
#include "recipe/recipe.h"
#include "remote/host_services.h"
#include "screen/dataset_helpers.h"

namespace recipe {

using platform::ClientDataSet;
using platform::DataSetState;
using screen::fieldText;
using screen::isEditing;

bool Recipe::dayClosed() const {
  return screen_.selectedDay() < ctx.blockDate;
}

std::string Recipe::treeLevels() const {
  return std::to_string(remote::hostShell().GetTtNiveis(0));
}

void Recipe::checkStandardRecipe(const char* actionKey, const char* refusalKey) {
  if (ctx.recipeKind != "P") return;
  if (remote::hostShell().ModuFili())
    Consiste::MensErro(msgPadrao.Msg(refusalKey), true, screen_.form().helpContext());
  if (!remote::Autoriza(screen_.authorizationServer(), 4, actionKey, "")) {
    if (isEditing(cdsProduto)) cdsProduto.cancel();
    throw platform::Abort();
  }
}

bool Recipe::BloqAltRecLo(bool showMessage) {
  if (fieldText(cdsProduto, "TIPO") == "P") return false;
  const int help = screen_.form().helpContext();
  const platform::Variant answer = Consiste::CheckResultServ(
      screen_.standardRecipeServer().call("GetParamGrup", remote::hostShell().Operador(), "ARRV"),
      true, help);
  const int64_t granted = answer.toInt64();
  const bool blocked = fieldText(screen_.paramPlaneja(), "IDBLOALTRELO") == "S" &&
                       fieldText(cdsCardapio, "CDFILAUXPRAT") == "P" && granted != 1;
  if (showMessage && blocked)
    Consiste::MensErro(msgPadrao.Msg(granted == -1 ? "opernaut" : "recelocbloqalt"), true, help);
  return blocked;
}

void Recipe::snapshotProducts() {
  cdsProdutoAux.setFiltered(false);
  cdsProdutoAux.setData(cdsProduto.data());
}

void Recipe::cdsProdutoBeforeInsert(ClientDataSet& ds) {
  BloqAltRecLo(true);
  if (dayClosed()) throw platform::Abort();
  // A product joins a recipe that has one: an empty dish has no recipe kind to add it to.
  if (ds.isEmpty()) throw platform::Abort();
  ctx.recipeKind = ds.fieldByName("TIPO").asString();
  checkStandardRecipe("INCLUSAO_PRODUTO_RECEITA_PADRAO", "RECPAD_N_INC");
  snapshotProducts();
}

void Recipe::cdsProdutoBeforeEdit(ClientDataSet& ds) {
  if (dayClosed()) throw platform::Abort();
  ctx.recipeKind = ds.fieldByName("TIPO").asString();
  checkStandardRecipe("ALTERACAO_PRODUTO_RECEITA_PADRAO", "RECPAD_N_ALT");
  snapshotProducts();
}

void Recipe::cdsProdutoBeforeDelete(ClientDataSet& ds) {
  BloqAltRecLo(true);
  if (dayClosed()) throw platform::Abort();
  ctx.recipeKind = ds.fieldByName("TIPO").asString();
  checkStandardRecipe("EXCLUSAO_PRODUTO_RECEITA_PADRAO", "RECPAD_N_EXC");
  const int help = screen_.form().helpContext();
  if (ds.recordCount() == 1) Consiste::MensErro(msgPadrao.Msg("nao_excluir"), true, help);
  if (msgPadrao.ShowMsg("exclusao", platform::DialogType::Confirmation, platform::mbYesNo, help) !=
      platform::mrYes)
    throw platform::Abort();
}

void Recipe::cdsProdutoBeforePost(ClientDataSet& ds) {
  Vd_CdProduto();
  if (!(Consiste::RoundDec(ds.fieldByName("QTDERECE").asFloat(), 5) > 0)) {
    focusProductCell("QTDERECE");
    Consiste::MensErro(msgPadrao.Msg("qtde<0"), true, screen_.form().helpContext());
  }
  ds.fieldByName("CDPRATO").setAsString(fieldText(cdsCardapio, "CDPRATO"));
  ds.fieldByName("CDFILAUXPRAT").setAsString(fieldText(cdsCardapio, "CDFILAUXPRAT"));
  // Until the server recomputes the row (at the save), its required quantity is its per capita.
  ds.fieldByName("QTDEBRUTA").setAsFloat(ds.fieldByName("QTDERECE").asFloat());
  ds.fieldByName("TIPO").setAsString(ctx.recipeKind);
}

void Recipe::cdsProdutoNewRecord(ClientDataSet&) {
  focusProductCell("CDARVPROD");
}

void Recipe::enableAfterProductChange() {
  screen_.Habilita(!isEditing(cdsProduto) && cdsProduto.changeCount() == 0);
}

void Recipe::cdsProdutoAfterInsert(ClientDataSet&) {
  enableAfterProductChange();
}

void Recipe::cdsProdutoAfterEdit(ClientDataSet&) {
  enableAfterProductChange();
}

void Recipe::cdsProdutoAfterCancel(ClientDataSet&) {
  enableAfterProductChange();
}

void Recipe::cdsProdutoAfterDelete(ClientDataSet& ds) {
  screen_.Habilita(ds.changeCount() == 0);
}

void Recipe::dtsProdutoStateChange(platform::DataSource&) {
  const int code = Consiste::IndiceCol(*dbgPrato, "CDARVPROD");
  if (code < 0) return;
  platform::ui::Column& column = dbgPrato->column(code);
  const bool inserting = cdsProduto.state() == DataSetState::Insert;
  column.setButtonStyle(platform::ui::ColumnButtonStyle::Auto);
  if (inserting) column.setButtonStyle(platform::ui::ColumnButtonStyle::Ellipsis);
  // The code of a stored row is never retyped: the cell takes no editor, whatever the toolkit's
  // other ways into it (a paste with the mouse, F2).
  column.setReadOnly(!inserting);
}

void Recipe::focusProductCell(const char* field) {
  const int index = dbgPrato->columnIndexOf(field);
  if (index >= 0) dbgPrato->setSelectedIndex(index);
  dbgPrato->setFocus();
}

}  // namespace recipe
