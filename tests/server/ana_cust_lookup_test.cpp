// Parameters, realized costs and product lookups against the small fixture.
#include <gtest/gtest.h>

#include "platform/data_packet.h"
#include "server/objects/ana_cust_rev_rec.h"
#include "server/objects/other_objects.h"
#include "server_fixture.h"

namespace servertest {
namespace {

using platform::Variant;
using server::objects::AnaCustRevRec;

class LookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = openMemory();
    loadSmallFixture(*db_);
  }
  Variant realized(const char* method, int calcMode, bool useFixed = false, double fixed = 0) {
    return call(object_, *db_, method,
                {"0001", "00001", Variant::date(day(2026, 3, 1)), calcMode, useFixed,
                 Variant::date(fixed), ""});
  }

  TestClock clock_;
  AnaCustRevRec object_{testEnvironment(clock_)};
  server::objects::ReceitaPadrao standard_;
  server::objects::InfPrato dishInfo_;
  server::objects::Autoriza authorization_;
  TestDatabase db_;
};

TEST_F(LookupTest, Parameters) {
  Variant params = call(object_, *db_, "GetParams", {"0001"});
  ASSERT_TRUE(params.isArray());
  EXPECT_EQ(text(params[0].packet(), 0, "IDCOMCUSPERC"), "T");
  const auto& planeja = params[1].packet();
  EXPECT_EQ(planeja.fields.size(), 8u);
  EXPECT_EQ(text(planeja, 0, "IDBLOALTRELO"), "S");
  EXPECT_DOUBLE_EQ(num(planeja, 0, "NRCORSAFRA"), 40960);
  EXPECT_TRUE(call(object_, *db_, "GetParams", {"9999"}).isText());

  Variant geral = call(object_, *db_, "GetParamGeral", {});
  EXPECT_DOUBLE_EQ(num(geral.packet(), 0, "QTDIABLOQCAR"), 3);
  EXPECT_EQ(geral.packet().fields[2].name, "CDGRUPPROD");

  Variant padrao =
      call(object_, *db_, "GetCustoPadrao", {"0001", "00001", Variant::date(day(2026, 3, 17))});
  EXPECT_DOUBLE_EQ(num(padrao.packet(), 0, "VRCUSTPADR"), 6.5);
  Variant none =
      call(object_, *db_, "GetCustoPadrao", {"0001", "00001", Variant::date(day(2026, 4, 1))});
  EXPECT_DOUBLE_EQ(num(none.packet(), 0, "VRCUSTPADR"), 0);

  EXPECT_EQ(call(object_, *db_, "GetComensPlan", {"0001", "00001", Variant::date(day(2026, 3, 1))}),
            Variant(230.0));
}

TEST_F(LookupTest, RealizedDaysByCalcMode) {
  struct Case {
    const char* label;
    int calcMode;
    bool useFixed;
    double fixed;
    double cost09;  // realized cost of 09/03
    double cost10;
  };
  const Case cases[] = {
      // Recorded: 5 x 4.70 + 2 x 7.50; 4 x 4.75.
      {"recorded unit costs", 1, false, 0, 38.5, 19.0},
      // Average stock cost of the day: ARROZ 4.80 (01/03), FEIJAO none.
      {"average cost of the day", 2, false, 0, 24.0, 19.2},
      // At a fixed date of 15/03: ARROZ 4.90.
      {"average cost at a fixed date", 2, true, day(2026, 3, 15), 24.5, 19.6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Variant r = realized("GetRealizado", c.calcMode, c.useFixed, c.fixed);
    const auto& p = r.packet();
    ASSERT_EQ(p.rows.size(), 2u);
    EXPECT_EQ(num(p, 0, "DTCARDAPIO"), day(2026, 3, 9));
    EXPECT_DOUBLE_EQ(num(p, 0, "CUSTO"), c.cost09);
    EXPECT_DOUBLE_EQ(num(p, 1, "CUSTO"), c.cost10);
    EXPECT_DOUBLE_EQ(num(p, 0, "QTCOMEFETCAR"), 48);
    EXPECT_DOUBLE_EQ(num(p, 0, "QTRETIRADA"), 7);
    EXPECT_DOUBLE_EQ(num(p, 1, "CUSTOACUM"), c.cost09 + c.cost10);
    EXPECT_DOUBLE_EQ(num(p, 1, "QTCOMENSACU"), 100);
  }
  EXPECT_TRUE(realized("GetRealizado", 3).isText());
}

TEST_F(LookupTest, WithdrawnItems) {
  Variant r = realized("GetItemReti", 1);
  const auto& p = r.packet();
  ASSERT_EQ(p.rows.size(), 3u);
  EXPECT_EQ(text(p, 0, "NMPRODUTO"), "ARROZ");
  EXPECT_DOUBLE_EQ(num(p, 0, "CustoUnit"), 4.7);
  EXPECT_DOUBLE_EQ(num(p, 0, "QTRETIRADA"), 5);
  EXPECT_DOUBLE_EQ(num(p, 0, "QTCOMEFETCAR"), 48);
  EXPECT_DOUBLE_EQ(num(p, 0, "QTCLIEFETCAR"), 40);
  EXPECT_EQ(text(p, 1, "CDPRODUTO"), "1002");
  EXPECT_EQ(num(p, 2, "DTCARDAPIO"), day(2026, 3, 10));
}

TEST_F(LookupTest, ProductSearchAndValidation) {
  Variant all = call(object_, *db_, "getPesqProd", {"4", ""});
  // Stock products that are active: all but CENOURA (inactive) and the purchase pack.
  EXPECT_EQ(all.packet().rows.size(), 9u);
  Variant clean = call(object_, *db_, "getPesqProd", {"4", "LIMP"});
  ASSERT_EQ(clean.packet().rows.size(), 1u);
  EXPECT_EQ(text(clean.packet(), 0, "NMPRODUTO"), "DETERGENTE");
  EXPECT_TRUE(call(object_, *db_, "getPesqProd", {"x", ""}).isText());

  struct Case {
    const char* code;
    const char* level;
    const char* group;
    size_t rows;
  };
  const Case cases[] = {
      {"01.01.001.0001", "4", "", 1},     {"01.01.001.5001", "4", "", 0},
      {"01.01.001.0001", "3", "", 0},     {"01.01.001.0001", "4", "ALIM", 1},
      {"01.01.001.0001", "4", "LIMP", 0}, {"99.99.999.9999", "4", "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code + std::string(" ") + c.group);
    Variant r = call(object_, *db_, "getVdProduto", {c.code, c.level, c.group});
    EXPECT_EQ(r.packet().rows.size(), c.rows);
  }
}

TEST_F(LookupTest, VerifProdAnswersKeyAndCosts) {
  struct Case {
    const char* code;
    const char* error;
    double cost;
    double previous;
  };
  const Case cases[] = {
      {"02.01.001.0001", "", 3.5, 0.0},             // BATATA
      {"01.01.001.0002", "", 8.0, 8.0},             // FEIJAO, outdated now, valid at 28/02
      {"01.01.001.5001", "prod_compr", 0, 0},       // purchase product
      {"02.01.001.0002", "prod_inativo", 0, 0},     // inactive product
      {"02.01.001.0006", "prod_inativo", 0, 0},     // inactive for the branch
      {"02.01.001.0003", "prod_n_ctrl_est", 0, 0},  // does not control stock
      {"77.77.777.7777", "prod_inativo", 0, 0},     // unknown
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    Variant r = call(object_, *db_, "VerifProd",
                     {"0001", "00001", "4", c.code, 6, Variant::date(day(2026, 3, 16)),
                      Variant::date(day(2026, 3, 1)), Variant::date(day(2026, 3, 16)), ""});
    ASSERT_TRUE(r.isArray());
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].toString(), c.error);
    EXPECT_DOUBLE_EQ(r[2].toDouble(), c.cost);
    EXPECT_DOUBLE_EQ(r[3].toDouble(), c.previous);
  }
}

TEST_F(LookupTest, StandardRecipeServerChecks) {
  struct ParamCase {
    const char* op;
    int expected;
  };
  for (const auto& c : {ParamCase{"analista", 1}, ParamCase{"filial", 0}, ParamCase{"consulta", -1},
                        ParamCase{"ninguem", -1}}) {
    SCOPED_TRACE(c.op);
    EXPECT_EQ(call(standard_, *db_, "GetParamGrup", {c.op, "ARRV"}, c.op).toInt(), c.expected);
  }
  struct StatusCase {
    const char* code;
    const char* status;
    bool rejected;  // GetVerifProd of the same product
    const char* productCode;
  };
  const StatusCase cases[] = {
      {"02.01.001.0001", "", false, "1003"},
      {"02.01.001.0002", "PROD_INATIVO", false, "1005"},
      {"02.01.001.0006", "PROD_INATIVO", false, "1011"},
      {"02.01.001.0003", "", true, "1006"},
      {"01.01.001.5001", "", true, "1004"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(call(standard_, *db_, "Verif_Status_Prod", {"0001", "4", c.code}).toString(),
              c.status);
    EXPECT_EQ(call(standard_, *db_, "GetVerifProd", {"0001", c.productCode}).toBool(), c.rejected);
  }
}

TEST_F(LookupTest, RightsAndParametersOfAnotherOperatorAreRefused) {
  const Variant refused(
      "Operador não autorizado a consultar direitos ou parâmetros de outro operador.");
  const std::string key = "ALTERACAO_PRODUTO_RECEITA_PADRAO";
  struct Case {
    const char* label;
    server::objects::RemoteObject* object;
    const char* method;
    std::vector<Variant> params;
    const char* caller;
    Variant expected;
  };
  // filial holds neither the right nor ARRV; analista holds both.
  const Case cases[] = {
      {"Autoriza naming a richer operator",
       &authorization_,
       "Autoriza",
       {"analista", 4, key, ""},
       "filial",
       refused},
      {"Autoriza naming an unknown operator",
       &authorization_,
       "Autoriza",
       {"ninguem", 4, key},
       "analista",
       refused},
      {"Autoriza with an empty operator is the caller's",
       &authorization_,
       "Autoriza",
       {"", 4, key},
       "filial",
       Variant(false)},
      {"GetParamGrup naming a richer operator",
       &standard_,
       "GetParamGrup",
       {"analista", "ARRV"},
       "filial",
       refused},
      {"GetParamGrup naming the caller in another case",
       &standard_,
       "GetParamGrup",
       {"ANALISTA", "ARRV"},
       "analista",
       refused},
      {"GetParamGrup with an empty operator is the caller's",
       &standard_,
       "GetParamGrup",
       {"", "ARRV"},
       "filial",
       Variant(0)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(call(*c.object, *db_, c.method, c.params, c.caller), c.expected);
  }
}

TEST_F(LookupTest, AuthorisationAndOptionalProducts) {
  const std::string key = "ALTERACAO_PRODUTO_RECEITA_PADRAO";
  EXPECT_EQ(call(authorization_, *db_, "Autoriza", {4, key, ""}, "analista"), Variant(true));
  EXPECT_EQ(call(authorization_, *db_, "Autoriza", {4, key, ""}, "filial"), Variant(false));
  EXPECT_EQ(call(authorization_, *db_, "Autoriza", {"analista", 4, key}, "analista"),
            Variant(true));
  EXPECT_EQ(call(authorization_, *db_, "Autoriza", {"analista", 5, key, ""}), Variant(false));

  Variant opc = call(dishInfo_, *db_, "PesqProdOpc", {"02.01.001.0001", "4"});
  const auto& p = opc.packet();
  ASSERT_EQ(p.rows.size(), 2u);
  EXPECT_EQ(text(p, 0, "NMPRODUTO"), "ABOBRINHA");
  EXPECT_EQ(text(p, 1, "NMPRODUTO"), "CHUCHU");
  EXPECT_EQ(p.fields.size(), 6u);
}

}  // namespace
}  // namespace servertest
