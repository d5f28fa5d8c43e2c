// Closing the screen and the form-level key handling.
#include <exception>

#include "platform/consiste.h"
#include "screen/ana_cust_rev_rec.h"

namespace screen {

using platform::ui::CloseAction;

void TfrmAnaCustRevRec::FormClose(CloseAction& action) {
  // A failed release must not keep the user in the screen: the server sweeps abandoned work
  // tables, so the message is shown and the close goes on.
  std::string failure;
  try {
    failure = netCustoServ->call("DelConsplan", ctx.workTableId, ctx.branchCode).toString();
  } catch (const std::exception& e) {
    failure = e.what();
  }
  if (!failure.empty()) {
    try {
      Consiste::MensErro(failure, false, helpContext());
    } catch (const std::exception&) {
      // Nothing can show it; closing still matters more.
    }
  }
  netCustoServ->close();
  netAutoriza->close();
  netReceitaPadrao->close();
  netInfPrato->close();
  TfrmPadrParam::FormClose(action);
}

void TfrmAnaCustRevRec::FormKeyPress(char32_t& key) {
  if (isPlannedPage() && isMatPrimaSubPage() && recipe.hasPendingRecipeChanges()) {
    if (key == 27) {
      key = 0;
      recipe.sbtCancelaClick();
    }
    return;
  }
  TfrmPadrParam::FormKeyPress(key);
}

}  // namespace screen
