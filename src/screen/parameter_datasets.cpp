// The parameter datasets and direct queries of the initial load.
#include "screen/ana_cust_rev_rec.h"
#include "screen/field_defs.h"

namespace screen {

using platform::FieldType;

void TfrmAnaCustRevRec::defineParameterDatasets() {
  constexpr FieldType T = FieldType::Text;
  constexpr FieldType F = FieldType::Float;
  defineFields(cdsParamFilial, {{.name = "IDCOMCUSPERC", .type = T, .size = 1}});
  defineFields(cdsParamPlaneja, {
                                    {.name = "IDUTILFATCOR", .type = T, .size = 1},
                                    {.name = "IDUTILFATCOC", .type = T, .size = 1},
                                    {.name = "IDTIPCALCFAT", .type = T, .size = 1},
                                    {.name = "IDQTLIQUBRUT", .type = T, .size = 1},
                                    {.name = "NRCORSAFRA", .type = F},
                                    {.name = "NRCORINICSAF", .type = F},
                                    {.name = "NRCORENTRSAF", .type = F},
                                    {.name = "IDBLOALTRELO", .type = T, .size = 1},
                                });
  defineFields(cdsCustoPadrao, {{.name = "VRCUSTPADR", .type = F, .format = "#,##0.00"}});
  defineFields(cdsParamGeral, {
                                  {.name = "QTDIABLOQCAR", .type = F},
                                  {.name = "IDUTCARDPADR", .type = T, .size = 1},
                                  {.name = "CDGRUPPROD", .type = T, .size = 10},
                              });
  defineFields(cdsPreCotDesatu, {{.name = "DTDATA", .type = FieldType::DateTime}});

  qryServico.SQL =
      "SELECT NMSERVICO FROM SERVICO WHERE CDFILIAL = :P_CDFILIAL AND CDSERVFILI = :P_CDSERVFILI";
  qryServico.SQL_ORACLE = qryServico.SQL;
  qryServico.SQL_MSSQL = qryServico.SQL;
  qryServico.SQL_IB = qryServico.SQL;
  qryServico.addField("NMSERVICO", T, 40);

  // One dialect only: the other texts fall back to it.
  qryParamGeral.SQL = "SELECT IDPESQCOMPPROD FROM PARAMGERAL";
  qryParamGeral.addField("IDPESQCOMPPROD", T, 1);

  qryFilial.SQL = "SELECT NMFILIAL FROM FILIAL WHERE CDFILIAL = :P_CDFILIAL";
  qryFilial.addField("NMFILIAL", T, 40);
  qryTipoCusto.SQL = "SELECT NMTIPOCUSTO FROM TIPOCUSTO WHERE CDTIPOCUSTO = :P_CDTIPOCUSTO";
  qryTipoCusto.addField("NMTIPOCUSTO", T, 40);
  qryOperador.SQL = "SELECT NMOPERADOR FROM OPERADOR WHERE CDOPERADOR = :P_CDOPERADOR";
  qryOperador.addField("NMOPERADOR", T, 40);
}

}  // namespace screen
