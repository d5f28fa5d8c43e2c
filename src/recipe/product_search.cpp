// The product search behind the button of a new row's product-code cell.
#include "platform/consiste.h"
#include "recipe/recipe.h"
#include "remote/host_services.h"
#include "screen/dataset_helpers.h"

namespace recipe {

using platform::DataSetState;
using screen::fieldText;
using screen::isEditing;

void Recipe::dbgPratoEditButtonClick() {
  const platform::ui::Column* column = dbgPrato->selectedColumn();
  if (column == nullptr || column->fieldName() != "CDARVPROD") return;

  const bool withComplements =
      screen_.paramGeralQuery().Active() &&
      screen_.paramGeralQuery().FieldByName("IDPESQCOMPPROD").asString() == "S";
  cdsPesqProd.fieldByName("DSCOMPLNOME").setVisible(withComplements);
  cdsPesqProd.setData(Consiste::CheckResultServ(
      screen_.costServer().call("getPesqProd", treeLevels(),
                                fieldText(screen_.paramGeral(), "CDGRUPPROD")),
      true, screen_.form().helpContext()));

  const std::string caption =
      msgPadrao.Msg("PRODUTO") + "|" + msgPadrao.Msg(withComplements ? "P_NCad" : "prod_vazio");
  if (!remote::searchList().Pesquisar(dtsPesqProduto, caption, false, true)) return;

  const auto copyChosen = [this] {
    for (const char* field : {"CDARVPROD", "CDPRODUTO", "NMPRODUTO"})
      cdsProduto.fieldByName(field).setAsString(cdsPesqProd.fieldByName(field).asString());
  };
  if (withComplements) {
    // The row is being inserted (the button shows only then); its code is validated when the
    // user leaves the cell or stores the row.
    if (isEditing(cdsProduto)) copyChosen();
    return;
  }
  if (cdsProduto.state() == DataSetState::Browse) {
    if (cdsProduto.isEmpty()) {
      cdsProduto.insert();
    } else {
      cdsProduto.edit();
    }
  }
  if (isEditing(cdsProduto)) {
    copyChosen();
    Vd_CdProduto();
  }
}

}  // namespace recipe
