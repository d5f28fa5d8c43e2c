// The chart actions: each fills its dataset from the daily cost table (and the realized costs)
// and hands it to its chart screen.
#include <cstdint>
#include <optional>

#include "charts/charts.h"
#include "platform/messages.h"
#include "remote/host_services.h"
#include "screen/scope_guard.h"

namespace charts {

using platform::ClientDataSet;
using platform::Variant;
using screen::ControlsSuspended;
using screen::Detached;
using screen::Finally;

Variant Charts::handleOf(ClientDataSet& dataSet) {
  return Variant(static_cast<int64_t>(reinterpret_cast<intptr_t>(&dataSet)));
}

void Charts::walkDays(const std::function<void(const ClientDataSet& day)>& perDay) {
  ClientDataSet& days = screen_.dailyCosts();
  if (!days.active()) return;
  ControlsSuspended display(days);
  // Moving through the days must not load each day's dishes, products and consumption.
  Detached<ClientDataSet::Event> quiet(days.afterScroll);
  platform::Bookmark remembered = days.getBookmark();
  Finally back([&] {
    days.gotoBookmark(remembered);
    days.freeBookmark(remembered);
  });
  for (days.first(); !days.eof(); days.next())
    perDay(days);
}

void Charts::walkDaysWithRealized(
    const std::function<void(const ClientDataSet& day, const ClientDataSet& realized)>& perDay) {
  ClientDataSet& realized = realized_.cdsRealizado;
  remote::BusyAnimation& busy = remote::busyAnimation();
  Finally hide([&busy] { busy.DeactiveShowAvi(); });
  // The realized row change refreshes the cost panel and the items withdrawn: not while the
  // rows are filtered day by day.
  Detached<ClientDataSet::Event> quiet(realized.afterScroll);
  const int position = realized.active() ? realized.recNo() : 0;
  ControlsSuspended display(realized);
  busy.ActiveShowAvi(&screen_.form(), 6, screen_.messages().Msg("calculando_real"));
  try {
    realized_.loadRealizado();
  } catch (...) {
    // Not reported: the chart shows the realized rows held before.
    busy.DeactiveShowAvi();
  }
  Finally restore([&] {
    if (!realized.active()) return;
    realized.setFiltered(false);
    if (position >= 1 && position <= realized.recordCount()) realized.setRecNo(position);
  });
  walkDays([&](const ClientDataSet& day) {
    if (realized.active()) {
      realized.setFilter(screen::dateFilter("DTCARDAPIO", day.fieldByName("DTDATA").asDateTime()));
      realized.setFiltered(true);
    }
    perDay(day, realized);
  });
}

namespace {

// A field of the realized row the filter left, 0 when the day has none.
double realizedValue(const ClientDataSet& realized, const char* field) {
  if (!realized.active() || realized.isEmpty()) return 0;
  return realized.fieldByName(field).asFloat();
}

}  // namespace

void Charts::sbtGrafCustClick() {
  const double standard = screen_.standardCost();
  cdsGrafCust.emptyDataSet();
  walkDays([&](const ClientDataSet& day) {
    cdsGrafCust.append();
    cdsGrafCust.fieldByName("DTCARDAPIO").setAsDateTime(day.fieldByName("DTDATA").asDateTime());
    cdsGrafCust.fieldByName("VrCustGraf").setAsFloat(day.fieldByName("VRTOTPERC").asFloat());
    cdsGrafCust.fieldByName("VrPadrao").setAsFloat(standard);
    cdsGrafCust.post();
  });
  remote::hostShell().LoadBPL("RCX00511", Variant::array({handleOf(cdsGrafCust)}));
}

void Charts::sbtPlanRealClick() {
  const double standard = screen_.standardCost();
  cdsGrafPlanReal.emptyDataSet();
  walkDaysWithRealized([&](const ClientDataSet& day, const ClientDataSet& realized) {
    cdsGrafPlanReal.append();
    cdsGrafPlanReal.fieldByName("DTCARDAPIO").setAsDateTime(day.fieldByName("DTDATA").asDateTime());
    cdsGrafPlanReal.fieldByName("VrPadrao").setAsFloat(standard);
    cdsGrafPlanReal.fieldByName("VRPERCPLAN").setAsFloat(day.fieldByName("VRTOTPERC").asFloat());
    cdsGrafPlanReal.fieldByName("VRPERCREAL").setAsFloat(realizedValue(realized, "QtdePerc"));
    cdsGrafPlanReal.post();
  });
  const screen::AnalysisContext& ctx = screen_.context();
  remote::hostShell().LoadBPL("RCX00512",
                              Variant::array({handleOf(cdsGrafPlanReal), Variant(ctx.branchCode),
                                              Variant(ctx.serviceCode)}));
}

void Charts::sbtCustoAcumClick() {
  const double standard = screen_.standardCost();
  cdsCustoAcum.emptyDataSet();
  double realizedSum = 0;
  walkDaysWithRealized([&](const ClientDataSet& day, const ClientDataSet& realized) {
    realizedSum += realizedValue(realized, "CUSTO");
    cdsCustoAcum.append();
    cdsCustoAcum.fieldByName("DTCARDAPIO").setAsDateTime(day.fieldByName("DTDATA").asDateTime());
    cdsCustoAcum.fieldByName("VrTotPadrao")
        .setAsFloat(standard * day.fieldByName("QTCOMESACU").asFloat());
    cdsCustoAcum.fieldByName("VRTOTRACUM").setAsFloat(realizedSum);
    // The indirect costs are left out of the planned line.
    cdsCustoAcum.fieldByName("VRTOTTACUM")
        .setAsFloat(day.fieldByName("VRCUSTMATACU").asFloat() +
                    day.fieldByName("VRCUSTOCONSACU").asFloat());
    cdsCustoAcum.post();
  });
  remote::hostShell().LoadBPL("RCX00513", Variant::array({handleOf(cdsCustoAcum)}));
}

}  // namespace charts
