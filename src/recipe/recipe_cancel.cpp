// The cancel action: drops the open row edit, the open diners edit or the pending product
// changes, in that order of precedence.
#include "platform/messages.h"
#include "recipe/recipe.h"
#include "screen/dataset_helpers.h"
#include "screen/scope_guard.h"

namespace recipe {

using platform::DataSetState;
using platform::Variant;
using screen::Finally;
using screen::isEditing;
using screen::ToolButton;

void Recipe::sbtCancelaClick() {
  if (isEditing(cdsProduto)) {
    screen_.form().discardEdits(dtsProduto);
    cdsProduto.cancel();
    return;
  }
  if (cdsCardapio.state() == DataSetState::Edit) {
    screen_.form().discardEdits(dtsCardapio);
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
    cdsCardapio.setFilter(screen::dateFilter("DTCARDAPIO", screen_.selectedDay()));
    cdsCardapio.setFiltered(true);
    return;
  }
  if (screen_.toolButton(ToolButton::Cancela).enabled() &&
      msgPadrao.ShowMsg("cancela", platform::DialogType::Confirmation, platform::mbYesNo,
                        screen_.form().helpContext()) == platform::mrYes) {
    cdsProduto.cancelUpdates();
    screen_.Habilita(!isEditing(cdsProduto) && cdsProduto.changeCount() == 0);
  }
}

void Recipe::discardPendingChanges() {
  screen_.form().discardEdits(dtsProduto);
  screen_.form().discardEdits(dtsCardapio);
  if (isEditing(cdsProduto)) cdsProduto.cancel();
  if (cdsProduto.active()) cdsProduto.cancelUpdates();
  if (isEditing(cdsCardapio)) cdsCardapio.cancel();
  if (cdsCardapio.active()) cdsCardapio.cancelUpdates();
  screen_.Habilita(!hasPendingRecipeChanges());
}

void Recipe::mnuCancelarClick() {
  platform::ui::Button& cancel = screen_.toolButton(ToolButton::Cancela);
  if (cancel.enabled()) {
    cancel.click();
  } else {
    screen_.toolButton(ToolButton::Sair).click();
  }
}

}  // namespace recipe
