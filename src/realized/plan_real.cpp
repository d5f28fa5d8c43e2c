// Planned versus realized: one cost line per day, realized for closed days and planned for open
// ones, with running totals across both.
#include <optional>

#include "platform/format.h"
#include "realized/realized.h"
#include "remote/host_services.h"
#include "screen/scope_guard.h"

namespace realized {

using platform::ClientDataSet;
using platform::Variant;
using namespace platform::ui;
using screen::ControlsSuspended;
using screen::Detached;
using screen::Finally;

void Realized::Atualiza_PlanReal() {
  ClientDataSet& cdsTrabCusto = screen_.dailyCosts();
  remote::BusyAnimation& busy = remote::busyAnimation();
  remote::CursorControl& cursor = remote::cursorControl();
  ControlsSuspended days;
  Finally restore([&] {
    days.resume();
    busy.DeactiveShowAvi();
    cursor.setCursor(remote::CursorShape::Default);
  });
  cursor.setCursor(remote::CursorShape::HourGlass);
  busy.ActiveShowAvi(&screen_.form(), 1, msgPadrao.Msg("calculando"));
  if (!cdsPlanReal.isEmpty()) return;

  busy.ActiveShowAvi(&screen_.form(), 6, msgPadrao.Msg("calculando_real"));
  if (!cdsRealizado.active()) loadRealizado();
  if (!cdsTrabCusto.active()) return;

  double cost = 0;
  double diners = 0;
  days.suspend(cdsTrabCusto);
  platform::Bookmark remembered = cdsTrabCusto.getBookmark();
  // Walking the days must not load each one's products; returning to the user's day loads it.
  std::optional<Detached<platform::ClientDataSet::Event>> quiet(std::in_place,
                                                                cdsTrabCusto.afterScroll);
  cdsTrabCusto.first();
  platform::Field& day = cdsTrabCusto.fieldByName("DTDATA");
  while (!cdsTrabCusto.eof()) {
    const double date = day.asDateTime();
    if (date >= ctx.blockDate) {
      const double planned = cdsTrabCusto.fieldByName("VRCUSTOTOTAL").asFloat();
      const double estimated = cdsTrabCusto.fieldByName("QTCOMENSAIS").asFloat();
      cost += planned;
      cdsPlanReal.append();
      cdsPlanReal.fieldByName("DTCARDAPIO").setAsDateTime(date);
      cdsPlanReal.fieldByName("CUSTO").setAsFloat(planned);
      cdsPlanReal.fieldByName("CUSTOACUM").setAsFloat(cost);
      cdsPlanReal.fieldByName("IDREAL").setAsString("N");
      cdsPlanReal.fieldByName("VRCUSTOPER").setAsFloat(estimated != 0 ? planned / estimated : 0.0);
      cdsPlanReal.fieldByName("QTCOMENSAIS").setAsFloat(estimated);
    } else {
      cdsRealizado.setFilter(screen::dateFilter("DTCARDAPIO", date));
      cdsRealizado.setFiltered(true);
      cdsPlanReal.append();
      const double realized = cdsRealizado.fieldByName("CUSTO").asFloat();
      const double served = cdsRealizado.fieldByName("QTCOMEFETCAR").asFloat();
      cost += realized;
      cdsPlanReal.fieldByName("DTCARDAPIO").setAsDateTime(date);
      cdsPlanReal.fieldByName("CUSTO").setAsFloat(realized);
      cdsPlanReal.fieldByName("CUSTOACUM").setAsFloat(cost);
      cdsPlanReal.fieldByName("IDREAL").setAsString("S");
      cdsPlanReal.fieldByName("VRCUSTOPER").setAsFloat(served != 0 ? realized / served : 0.0);
      cdsPlanReal.fieldByName("QTCOMENSAIS").setAsFloat(served);
    }
    diners += cdsPlanReal.fieldByName("QTCOMENSAIS").asFloat();
    cdsPlanReal.fieldByName("QTCOMENSACU").setAsFloat(diners);
    cdsPlanReal.fieldByName("VRCUSTOMEDIO")
        .setAsFloat(diners != 0 ? cdsPlanReal.fieldByName("CUSTOACUM").asFloat() / diners : 0.0);
    cdsPlanReal.post();
    cdsTrabCusto.next();
  }
  cdsRealizado.setFiltered(false);
  cdsRealizado.first();
  cdsPlanReal.first();
  quiet.reset();
  cdsTrabCusto.gotoBookmark(remembered);
  cdsTrabCusto.freeBookmark(remembered);
}

void Realized::cdsPlanRealAfterScroll(ClientDataSet&) {
  screen_.refreshCostPanel();
}

std::string Realized::cdsPlanRealDTCARDAPIOGetText(const platform::Field& sender, bool) {
  if (sender.isNull()) return "";
  return platform::formatDateTime("ddddd ddd", sender.asDateTime());
}

void Realized::dbgPlanRealDrawColumnCell(Canvas& canvas, const Rect& rect, int, Column& column,
                                         GridDrawState state) {
  canvas.fillRect(rect);
  if (state.contains(DrawFlag::Selected)) {
    canvas.setBrushColor(clHighlight);
    canvas.setFontColor(clHighlightText);
  } else {
    canvas.setBrushColor(clInfoBk);
    canvas.setFontColor(cdsPlanReal.fieldByName("IDREAL").asString() == "S" ? Color::rgb(255, 0, 0)
                                                                            : clWindowText);
  }
  const std::string text = cdsPlanReal.fieldByName(column.fieldName()).displayText();
  const int x =
      column.fieldName() == "DTCARDAPIO" ? rect.left + 3 : rect.right - canvas.textWidth(text) - 2;
  canvas.textRect(rect, x, rect.top + 3, text);
}

}  // namespace realized
