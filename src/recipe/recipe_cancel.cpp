// The cancel action: drops the open row edit, the open diners edit or the pending product
// changes, in that order of precedence.
#include "platform/messages.h"
#include "screen/ana_cust_rev_rec.h"
#include "screen/dataset_helpers.h"
#include "screen/scope_guard.h"

namespace screen {

using platform::DataSetState;
using platform::Variant;

void TfrmAnaCustRevRec::sbtCancelaClick() {
  if (isEditing(cdsProduto)) {
    cdsProduto.cancel();
    return;
  }
  if (cdsCardapio.state() == DataSetState::Edit) {
    cdsCardapio.cancel();
    const Variant dish = Variant::array({
        cdsCardapio.fieldByName("CDFILIAL").asString(),
        cdsCardapio.fieldByName("CDSERVFILI").asString(),
        cdsCardapio.fieldByName("CDPRATO").asString(),
        cdsCardapio.fieldByName("CDFILAUXPRAT").asString(),
        Variant::date(cdsCardapio.fieldByName("DTCARDAPIO").asDateTime()),
    });
    Finally relocate([&] {
      cdsCardapio.locate("CDFILIAL;CDSERVFILI;CDPRATO;CDFILAUXPRAT;DTCARDAPIO", dish,
                         {.caseInsensitive = true});
    });
    cdsCardapio.setFilter(dateFilter("DTCARDAPIO", selectedDay()));
    cdsCardapio.setFiltered(true);
    return;
  }
  if (sbtCancela->enabled() &&
      msgPadrao.ShowMsg("cancela", platform::DialogType::Confirmation, platform::mbYesNo,
                        helpContext()) == platform::mrYes) {
    cdsProduto.cancelUpdates();
    Habilita(!isEditing(cdsProduto) && cdsProduto.changeCount() == 0);
  }
}

void TfrmAnaCustRevRec::mnuCancelarClick() {
  if (sbtCancela->enabled()) {
    sbtCancela->click();
  } else {
    sbtSair->click();
  }
}

}  // namespace screen
