// Definitions of the dish and recipe-product datasets, the product search lists and the season
// bands.
#include "recipe/recipe.h"
#include "screen/field_defs.h"

namespace recipe {

using platform::FieldKind;
using platform::FieldType;
using screen::costField;
using screen::defineFields;

namespace {

constexpr FieldKind C = FieldKind::Calculated;
constexpr FieldType T = FieldType::Text;
constexpr FieldType F = FieldType::Float;
constexpr FieldType FT = FieldType::FixedText;
constexpr FieldType DT = FieldType::DateTime;
constexpr const char* kCost = screen::kCostFormat;

}  // namespace

Recipe::Recipe(screen::ScreenServices& services, consumption::Consumption& consumption)
    : screen_(services),
      consumption_(consumption),
      ctx(services.context()),
      msgPadrao(services.messages()) {
  defineFields(cdsCardapio,
               {
                   {.name = "NMPRATO", .type = T, .size = 40, .label = "Nome do Prato"},
                   costField("CustoPerc", "Custo Perc. Prato", C),
                   costField("CustoPrato", "Custo do Prato", C),
                   {.name = "Safra", .type = F, .kind = C},
                   {.name = "PercSafra",
                    .type = F,
                    .kind = C,
                    .label = "Safra (%)",
                    .format = "#,##0.00 %",
                    .sameEditFormat = true},
                   {.name = "NrComeClie",
                    .type = F,
                    .kind = C,
                    .format = "#,###,##0",
                    .sameEditFormat = true,
                    .visible = false},
                   {.name = "COMENSPRATO", .type = F, .label = "Comens.", .format = "#,##0.###"},
                   {.name = "CustoPercDia",
                    .type = F,
                    .kind = C,
                    .label = "Custo Perc. Dia",
                    .format = kCost},
                   {.name = "CDFILIAL", .type = T, .size = 4, .visible = false},
                   {.name = "CDPRATO", .type = T, .size = 10, .visible = false},
                   {.name = "CDFILAUXPRAT", .type = T, .size = 4},
                   {.name = "CDSERVFILI", .type = T, .size = 5, .visible = false},
                   {.name = "DTCARDAPIO", .type = DT},
                   {.name = "CDDIETPAD", .type = T, .size = 4},
                   {.name = "QTCOMESTICAR", .type = F, .visible = false},
                   {.name = "QTCLIESTICAR", .type = F, .visible = false},
                   {.name = "CONT", .type = F, .label = "Ocorr."},
                   {.name = "VRPECONSCARD", .type = F, .visible = false},
                   {.name = "IDCUSTODESATU", .type = T, .size = 1, .kind = C},
                   {.name = "idExistCustZero", .type = T, .size = 1, .kind = C},
               });

  defineFields(
      cdsProduto,
      {
          {.name = "CDARVPROD", .type = T, .size = 20, .label = "Produto"},
          {.name = "NMPRODUTO", .type = T, .size = 50, .label = "Nome do Produto"},
          {.name = "CDPRODUTO", .type = T, .size = 10, .visible = false},
          {.name = "CDPRATO", .type = T, .size = 10, .visible = false},
          {.name = "CDFILAUXPRAT", .type = T, .size = 4, .visible = false},
          {.name = "IDINTESAFR", .type = T, .size = 12, .visible = false},
          {.name = "QTDERECE", .type = F, .label = "Per Capita", .format = kCost},
          {.name = "SGUNIDRECE", .type = T, .size = 10, .label = "UN"},
          {.name = "QTDEBRUTA", .type = F, .label = "Qtde. Req."},
          {.name = "SGUNIDPROD", .type = T, .size = 10, .label = "UN", .visible = false},
          {.name = "DTCARDAPIO", .type = DT, .visible = false},
          costField("CUSTOPRODANT", "Custo Unit. Ant."),
          costField("CUSTOPROD", "Custo Unit. Atual"),
          {.name = "TIPO", .type = FT, .size = 1, .visible = false},
          costField("QtdeTotal", "Qtde Total", C),
          costField("CustoTotal", "Custo Total", C),
          {.name = "Safra", .type = FieldType::Integer, .kind = C},
          {.name = "CustoSafra", .type = F, .kind = C, .visible = false},
          {.name = "CustoSafr2", .type = F, .kind = C},
          {.name = "CustoSafr3", .type = F, .kind = C},
          {.name = "IDCUSTODESATU", .type = T, .size = 4000},
          {.name = "percDia", .type = F, .kind = C, .format = kCost, .sameEditFormat = true},
          {.name = "custoPercDia", .type = F, .kind = C, .format = kCost, .sameEditFormat = true},
      });
  cdsProdutoCDARVPROD = &cdsProduto.fieldByName("CDARVPROD");

  defineFields(cdsProdutoAux,
               {
                   {.name = "CDARVPROD", .type = T, .size = 20, .label = "Produto"},
                   {.name = "NMPRODUTO", .type = T, .size = 50, .label = "Nome do Produto"},
                   {.name = "CDPRODUTO", .type = T, .size = 10, .visible = false},
                   {.name = "CDPRATO", .type = T, .size = 10, .visible = false},
                   {.name = "CDFILAUXPRAT", .type = T, .size = 4, .visible = false},
                   {.name = "IDINTESAFR", .type = T, .size = 12, .visible = false},
                   costField("QTDERECE", "Per Capita"),
                   {.name = "SGUNIDRECE", .type = T, .size = 10, .label = "UN"},
                   costField("QTDEBRUTA", "Qtde. Bruta"),
                   {.name = "SGUNIDPROD", .type = T, .size = 10, .label = "UN", .visible = false},
                   {.name = "CUSTOPRODANT", .type = F, .label = "Custo Unit. Ant."},
                   {.name = "DTCARDAPIO", .type = DT, .visible = false},
                   {.name = "CUSTOPROD", .type = F, .label = "Custo Unit."},
                   {.name = "TIPO", .type = FT, .size = 1, .visible = false},
                   costField("QtdeTotal", "Qtde Total", C),
                   costField("CustoTotal", "Custo Total", C),
                   {.name = "Safra", .type = FieldType::Integer, .kind = C},
                   {.name = "CustoSafra", .type = F, .kind = C, .visible = false},
                   {.name = "CustoSafr2", .type = F, .kind = C},
                   {.name = "CustoSafr3", .type = F, .kind = C},
               });

  defineFields(
      cdsPesqProd,
      {
          {.name = "CDARVPROD", .type = T, .size = 20, .label = "Código", .displayWidth = 15},
          {.name = "CDPRODUTO", .type = T, .size = 10, .visible = false},
          {.name = "NMPRODUTO", .type = T, .size = 50, .label = "Nome", .displayWidth = 25},
          {.name = "SGUNIDADE", .type = T, .size = 10, .label = "UN"},
          {.name = "DSCOMPLNOME",
           .type = T,
           .size = 30,
           .label = "Complemento",
           .readOnly = true,
           .displayWidth = 25},
          {.name = "VRPEFATOCORR", .type = F, .visible = false},
          {.name = "CDPRODESTO", .type = T, .size = 10, .visible = false},
      });
  cdsPesqProdCDARVPROD = &cdsPesqProd.fieldByName("CDARVPROD");

  defineFields(
      cdsPesqProdOpc,
      {
          {.name = "CDARVPROD", .type = T, .size = 20, .label = "Código", .displayWidth = 15},
          {.name = "NMPRODUTO", .type = T, .size = 50, .label = "Nome", .displayWidth = 30},
          {.name = "SGUNIDADE", .type = T, .size = 10, .label = "UN", .displayWidth = 5},
          {.name = "CDPRODUTO", .type = T, .size = 10, .visible = false},
          {.name = "CDPRODESTO", .type = T, .size = 10, .visible = false},
          {.name = "VRPEFATOCORR", .type = F, .visible = false},
      });
  cdsPesqProdOpc.setFilter("CDPRODUTO = CDPRODESTO");
  cdsPesqProdOpc.setFiltered(true);
  cdsPesqProdOpcCDARVPROD = &cdsPesqProdOpc.fieldByName("CDARVPROD");

  // Declared for the product search; the list itself comes from the server.
  qryPesqProd.SQL =
      "SELECT CDARVPROD, CDPRODUTO, NMPRODUTO, SGUNIDADE, '' AS DSCOMPLNOME FROM PRODUTO WHERE "
      "(CDNVPRODUTO = :P_NIVEL) AND (CDPRODUTO = CDPRODESTO) ORDER BY CDARVPROD";
  qryPesqProd.SQL_ORACLE = qryPesqProd.SQL;
  qryPesqProd.SQL_MSSQL = qryPesqProd.SQL;
  qryPesqProd.SQL_IB = qryPesqProd.SQL;
  qryPesqProdCDARVPROD = &qryPesqProd.addField("CDARVPROD", T, 20);

  defineFields(cdsPkProduto,
               {
                   {.name = "CDARVPROD", .type = T, .size = 20, .label = "Produto"},
                   {.name = "NMPRODUTO", .type = T, .size = 50, .label = "Nome do Produto"},
                   {.name = "CDPRODUTO", .type = T, .size = 10, .visible = false},
                   {.name = "CDPRATO", .type = T, .size = 10, .visible = false},
                   {.name = "CDFILAUXPRAT", .type = T, .size = 4, .visible = false},
                   {.name = "IDINTESAFR", .type = T, .size = 12, .visible = false},
                   costField("QTDERECE", "Per Capita"),
                   {.name = "SGUNIDRECE", .type = T, .size = 10, .label = "UN"},
                   {.name = "QTDEBRUTA", .type = F, .label = "Qtde. Req."},
                   {.name = "SGUNIDPROD", .type = T, .size = 10, .label = "UN", .visible = false},
                   costField("CUSTOPROD", "Custo Unit."),
                   {.name = "TIPO", .type = FT, .size = 1, .visible = false},
                   costField("QtdeTotal", "Qtde Total", C),
                   costField("CustoTotal", "Custo Total", C),
                   {.name = "Safra", .type = FieldType::Integer, .kind = C},
                   {.name = "CustoSafra", .type = F, .kind = C, .visible = false},
                   {.name = "CustoSafr2", .type = F, .kind = C},
                   {.name = "CustoSafr3", .type = F, .kind = C},
               });

  // Only stock products (their own stock product) of the stock level may enter a recipe.
  qryVdProduto.SQL =
      "SELECT CDARVPROD, CDPRODUTO, NMPRODUTO, SGUNIDADE FROM PRODUTO WHERE (CDARVPROD = "
      ":P_CDARVPROD) AND (CDNVPRODUTO = :P_CDNVPRODUTO) AND (CDPRODUTO = CDPRODESTO)";
  qryVdProduto.SQL_ORACLE = qryVdProduto.SQL;
  qryVdProduto.SQL_MSSQL = qryVdProduto.SQL;
  qryVdProduto.SQL_IB = qryVdProduto.SQL;
  qryVdProduto.addField("CDARVPROD", T, 20).setDisplayLabel("Código");
  qryVdProduto.addField("CDPRODUTO", T, 10).setVisible(false);
  qryVdProduto.addField("NMPRODUTO", T, 50).setDisplayLabel("Nome");
  qryVdProduto.addField("SGUNIDADE", T, 10).setVisible(false);

  qrySinaSafra.SQL =
      "SELECT NMSINASAFRA, NRCORSINSAFR FROM SINASAFRA WHERE VRLIMINFSAFR < :P_PERCSAFRA AND "
      "VRLIMSUPSAFR >= :P_PERCSAFRA OR :P_PERCSAFRA = 0 AND VRLIMINFSAFR = :P_PERCSAFRA";
  qrySinaSafra.SQL_ORACLE = qrySinaSafra.SQL;
  qrySinaSafra.SQL_MSSQL = qrySinaSafra.SQL;
  qrySinaSafra.SQL_IB = qrySinaSafra.SQL;
  qrySinaSafra.addField("NMSINASAFRA", FieldType::Text, 0);
  qrySinaSafra.addField("NRCORSINSAFR", F);
}

const platform::Field* Recipe::seasonBandColour(double percent) {
  qrySinaSafra.Close();
  qrySinaSafra.ParamByName("P_PERCSAFRA").setAsFloat(percent);
  qrySinaSafra.Open();
  if (qrySinaSafra.IsEmpty() || qrySinaSafra.FieldByName("NRCORSINSAFR").isNull()) return nullptr;
  return &qrySinaSafra.FieldByName("NRCORSINSAFR");
}

}  // namespace recipe
