// The zero-cost and outdated-quotation lists: definitions, loading on every entry of their
// page, day texts.
#include "exceptions/exception_lists.h"
#include "platform/consiste.h"
#include "platform/format.h"
#include "remote/host_services.h"
#include "screen/field_defs.h"

namespace exceptions {

using platform::FieldType;
using platform::Variant;
using namespace platform::ui;
using screen::defineFields;

namespace {

constexpr FieldType T = FieldType::Text;
constexpr FieldType F = FieldType::Float;
constexpr FieldType DT = FieldType::DateTime;

}  // namespace

ExceptionLists::ExceptionLists(screen::ScreenServices& services)
    : screen_(services), ctx(services.context()) {
  defineFields(
      cdsProdCustZero,
      {
          {.name = "CDARVPROD", .type = T, .size = 20, .label = "Código", .visible = false},
          {.name = "CDPRODUTO", .type = T, .size = 10, .label = "Código"},
          {.name = "NMPRODUTO", .type = T, .size = 50, .label = "Nome do Produto"},
          {.name = "DTCARDAPIO", .type = DT, .label = "Data"},
          {.name = "CUSTOPROD", .type = F, .visible = false},
          {.name = "QTDEBRUTA",
           .type = F,
           .label = "Qtde.Bruta",
           .format = "#,###,##0.00000",
           .sameEditFormat = true},
      });
  cdsProdCustZeroCDARVPROD = &cdsProdCustZero.fieldByName("CDARVPROD");

  defineFields(
      cdsProdCotDesatu,
      {
          {.name = "DTCONSPLAN", .type = DT, .label = "Data"},
          {.name = "CDPRODUTO", .type = T, .size = 10, .label = "Código"},
          {.name = "CDARVPROD", .type = T, .size = 20},
          {.name = "NMPRODUTO", .type = T, .size = 50, .label = "Nome do Produto"},
          {.name = "QTCONSPLAN", .type = F, .label = "Qtde. Bruta", .format = "#,##0.00000"},
          {.name = "CUSTOPROD", .type = F, .label = "Custo Unit.", .format = "#,##0.00000"},
          {.name = "DTCUSTOSUP", .type = DT, .label = "Período De"},
          {.name = "DTFINCUSTSUP", .type = DT, .label = "Período Até"},
      });
  cdsProdCotDesatuCDARVPROD = &cdsProdCotDesatu.fieldByName("CDARVPROD");
}

void ExceptionLists::buildControls() {
  Form& form = screen_.form();
  const GridOptions options{GridOption::Titles, GridOption::ColumnResize, GridOption::ColLines,
                            GridOption::RowLines, GridOption::AlwaysShowSelection};
  dbgCustZero = &form.create<DBGrid>("dbgCustZero", &screen_.page(screen::Page::ProdCustZero));
  dbgCustZero->setAlign(Align::Client);
  dbgCustZero->setColor(clInfoBk);
  dbgCustZero->setDataSource(&dtsProdCustZero);
  dbgCustZero->setReadOnly(true);
  dbgCustZero->setTabStop(true);
  dbgCustZero->setOptions(options);
  dbgCustZero->addColumn("DTCARDAPIO", "Data", Column::kDefaultWidth, Alignment::Left);
  dbgCustZero->addColumn("CDARVPROD", "Código", 94, Alignment::Left);
  dbgCustZero->addColumn("NMPRODUTO", "Nome do Produto", Column::kDefaultWidth, Alignment::Left);
  dbgCustZero->addColumn("QTDEBRUTA", "Qtde.Bruta", Column::kDefaultWidth, Alignment::Right)
      .setAlignment(Alignment::Right);

  dbgCotDesatu = &form.create<DBGrid>("dbgCotDesatu", &screen_.page(screen::Page::CotDesatu));
  dbgCotDesatu->setAlign(Align::Client);
  dbgCotDesatu->setColor(clInfoBk);
  dbgCotDesatu->setDataSource(&dtsProdCotDesatu);
  dbgCotDesatu->setReadOnly(true);
  dbgCotDesatu->setTabStop(true);
  dbgCotDesatu->setOptions(options.with(GridOption::RowSelect));
  const struct {
    const char* field;
    const char* title;
    int width;
  } columns[] = {{"DTCONSPLAN", "Data", 91},
                 {"CDPRODUTO", "Código", 94},
                 {"NMPRODUTO", "Nome do Produto", 253},
                 {"QTCONSPLAN", "Qtde. Bruta", Column::kDefaultWidth},
                 {"CUSTOPROD", "Custo Unit.", 61},
                 {"DTCUSTOSUP", "Período De", 78},
                 {"DTFINCUSTSUP", "Período Até", 72}};
  for (const auto& c : columns) {
    Column& column = dbgCotDesatu->addColumn(c.field, c.title, c.width, Alignment::Left);
    if (cdsProdCotDesatu.fieldByName(c.field).fieldType() == FieldType::Float)
      column.setAlignment(Alignment::Right);
  }
}

void ExceptionLists::dbgCotDesatuKeyDown(Key& key, ShiftState shift) {
  if (key == VK_DELETE && shift == ssCtrl) key = kNoKey;
}

void ExceptionLists::sbtCustZeroClick() {
  const std::string origin = screen_.isActive(screen::Page::CotDesatu) ? "1" : "0";
  remote::hostShell().LoadBPL(
      "RCX00515",
      Variant::array({Variant(ctx.branchCode), Variant(ctx.serviceCode), Variant(ctx.costMode),
                      Variant::date(ctx.fixedCostDate), Variant::date(ctx.referenceDate),
                      Variant(ctx.useFixedCostDate), Variant(origin + ctx.workTableId)}));
}

void ExceptionLists::CarregaProdCustZero() {
  cdsProdCustZeroCDARVPROD->setEditMask(remote::hostShell().DBPict(0));
  cdsProdCustZero.setData(screen_.costServer().call(
      "GetProdCustZero", ctx.costBranch, ctx.costMode, Variant::date(ctx.fixedCostDate),
      ctx.branchCode, ctx.serviceCode, Variant::date(Consiste::PriDiaMes(ctx.referenceDate)),
      Variant::date(Consiste::UltimoDiaMes(ctx.referenceDate)), ctx.useFixedCostDate));
}

void ExceptionLists::CarregaCotDesatu() {
  cdsProdCotDesatuCDARVPROD->setEditMask(remote::hostShell().DBPict(0));
  cdsProdCotDesatu.setData(screen_.costServer().call(
      "GetProdCotDesatu", ctx.workTableId, ctx.branchCode, ctx.costBranch, ctx.serviceCode,
      ctx.costMode, Variant::date(Consiste::PriDiaMes(ctx.referenceDate)),
      Variant::date(Consiste::UltimoDiaMes(ctx.referenceDate)), Variant::date(ctx.fixedCostDate),
      ctx.useFixedCostDate));
}

std::string ExceptionLists::cdsProdCustZeroDTCARDAPIOGetText(const platform::Field& sender, bool) {
  if (sender.isNull()) return "";
  return platform::formatDateTime("ddddd - ddd", sender.asDateTime());
}

std::string ExceptionLists::cdsProdCotDesatuDTCONSPLANGetText(const platform::Field& sender, bool) {
  if (sender.isNull()) return "";
  const std::string weekday = Consiste::NomeSemana(sender.asDateTime());
  // The first three characters, not bytes: "sábado" gives "sáb".
  size_t end = 0;
  for (int chars = 0; chars < 3 && end < weekday.size(); ++chars) {
    ++end;
    while (end < weekday.size() && (static_cast<unsigned char>(weekday[end]) & 0xC0) == 0x80)
      ++end;
  }
  return sender.asString() + " - " + weekday.substr(0, end);
}

}  // namespace exceptions
