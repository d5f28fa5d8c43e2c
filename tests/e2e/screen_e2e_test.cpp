// The screen against the real application server: every figure it shows is checked against
// values computed here from the server's own packets.
#include <algorithm>
#include <cmath>
#include <map>

#include "e2e_fixture.h"
#include "platform/consiste.h"
#include "platform/date.h"
#include "platform/format.h"
#include "platform/ui/canvas.h"

namespace e2e {
namespace {

using platform::DataPacket;
using platform::Variant;
using screen::TfrmAnaCustRevRec;
using screentest::column;
using screentest::Driver;

double R5(double v) {
  return Consiste::RoundDec(v, 5);
}

std::vector<double> numbers(platform::ClientDataSet& ds, const std::string& field) {
  std::vector<double> out;
  for (const Variant& v : column(ds, field))
    out.push_back(v.toDouble());
  return out;
}

// The rows of a packet in date order.
std::vector<size_t> byDate(const DataPacket& packet, const std::string& field) {
  std::vector<size_t> order(packet.rows.size());
  for (size_t i = 0; i < order.size(); ++i)
    order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return num(packet, a, field) < num(packet, b, field);
  });
  return order;
}

double blockDateOf(const std::string& branch) {
  return E2ETest::scalarOf("SELECT DTPROCESSO FROM FILIAL WHERE CDFILIAL = '" + branch + "'")
             .toDouble() +
         E2ETest::scalarOf("SELECT QTDIABLOQCAR FROM PARAMGERAL").toDouble();
}

TEST_F(E2ETest, OpeningAMonthShowsTheServersDaysWithTheirRunningValues) {
  for (const std::string branch : {"0001", "0002"}) {
    const Variant costs = aprilCosts(branch, "00001", 6);
    const DataPacket& days = costs[1].packet();
    const bool clientDiners =
        call("GetParams", {Variant(branch)})[0].packet().value(0, "IDCOMCUSPERC") == Variant("C");
    log->clear();
    open(
        [&](TfrmAnaCustRevRec& f, Driver&) {
          EXPECT_EQ(f.caption(), "Análise de Custos - ALMOCO");
          EXPECT_EQ(f.ctx.workTableId.size(), 10u);
          EXPECT_DOUBLE_EQ(f.ctx.blockDate, blockDateOf(branch));
          EXPECT_DOUBLE_EQ(f.ctx.blockDate, kDemoDay + 1);
          ASSERT_EQ(f.cost.cdsTrabCusto.recordCount(), 30);
          const auto order = byDate(days, "DTDATA");
          std::map<std::string, std::vector<double>> expected;
          double acc = 0, accDiners = 0, material = 0, consumption = 0;
          for (size_t i : order) {
            const double diners = num(days, i, clientDiners ? "QTCLIESTICAR" : "QTCOMESTICAR");
            const double total = num(days, i, "VRCUSTPRODMAT") + num(days, i, "VRCUSTOCONS") +
                                 num(days, i, "VRCUSTORAT");
            acc += total;
            accDiners += diners;
            material += num(days, i, "VRCUSTPRODMAT");
            consumption += num(days, i, "VRCUSTOCONS");
            expected["DTDATA"].push_back(num(days, i, "DTDATA"));
            expected["QTCOMENSAIS"].push_back(diners);
            expected["VRCUSTOTOTAL"].push_back(total);
            expected["VRMATPERC"].push_back(
                diners == 0 ? 0 : R5(num(days, i, "VRCUSTPRODMAT") / diners));
            expected["VRTOTPERC"].push_back(diners == 0 ? 0 : R5(total / diners));
            expected["VRCUSTOACU"].push_back(acc);
            expected["QTCOMESACU"].push_back(accDiners);
            expected["VRCUSTMATACU"].push_back(R5(material));
            expected["VRCUSTOCONSACU"].push_back(R5(consumption));
            expected["VRCUSTOMEDIO"].push_back(accDiners == 0 ? 0 : R5(acc / accDiners));
          }
          for (const auto& [field, values] : expected) {
            const auto shown = numbers(f.cost.cdsTrabCusto, field);
            ASSERT_EQ(shown.size(), values.size());
            for (size_t i = 0; i < values.size(); ++i)
              EXPECT_NEAR(shown[i], values[i], 1e-9) << branch << " " << field << " day " << i + 1;
          }
          EXPECT_NEAR(f.cost.cdsTotalMes.fieldByName("VRTOTMATPRIM").asFloat(), R5(material), 1e-9);
          EXPECT_NEAR(f.cost.cdsTotalMes.fieldByName("VRTOTCONS").asFloat(), R5(consumption), 1e-9);
        },
        branch);
    EXPECT_EQ(log->counts(), (std::map<std::string, int>{{"DelConsplan", 1},
                                                         {"GetCustoPadrao", 1},
                                                         {"GetParamGeral", 1},
                                                         {"GetParams", 1},
                                                         {"GetTrabCusto", 1}}))
        << branch;
    EXPECT_TRUE(host->modal.errors.empty());
  }
}

TEST_F(E2ETest, DishCostsAddUpToTheDaysRawMaterial) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    ASSERT_TRUE(d.selectSubPage(f.tshMatPrima));
    int moves = 0;
    for (double day : {kApril1 + 9, kApril1 + 15, kApril1 + 16, kApril1 + 20, kApril1 + 27}) {
      ASSERT_TRUE(d.gotoDay(day));
      ++moves;
      const double material = f.cost.cdsTrabCusto.fieldByName("VRCUSTPRODMAT").asFloat();
      double dishes = 0;
      for (const Variant& cost : column(f.recipe.cdsCardapio, "CustoPrato"))
        dishes += cost.toDouble();
      EXPECT_GT(f.recipe.cdsCardapio.recordCount(), 0) << day;
      EXPECT_NEAR(dishes, material, 1e-6) << platform::shortDate(day);
      for (const Variant& menuDay : column(f.recipe.cdsCardapio, "DTCARDAPIO"))
        EXPECT_DOUBLE_EQ(menuDay.toDouble(), day);
      // The season percentage lands in a band, whose colour the swatch shows.
      EXPECT_GE(f.cost.nedPeSafraCard->GetNumber(), 0);
      EXPECT_LE(f.cost.nedPeSafraCard->GetNumber(), 100);
    }
    EXPECT_EQ(log->count("GetProduto"), moves + 1);
    EXPECT_EQ(log->count("GetCardapio"), 1);
  });
  EXPECT_TRUE(host->modal.errors.empty());
  EXPECT_FALSE(host->busy.visible());
}

TEST_F(E2ETest, ConsumptionTypesAddUpToTheDaysConsumption) {
  const double tiradentes = kApril1 + 20;  // 21/04/2026, a Tuesday
  ASSERT_EQ(scalar("SELECT COUNT(*) FROM FERIFILI WHERE CDFILIAL = '0001' AND DTFERIFILI = " +
                   std::to_string(tiradentes))
                .toInt(),
            1);
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    ASSERT_TRUE(d.selectSubPage(f.tshConsumoServico));
    for (double day : {tiradentes - 1, tiradentes, kApril1 + 4}) {
      ASSERT_TRUE(d.gotoDay(day));
      const std::string dayType = log->last("GetConsServ").at(4).toString();
      EXPECT_EQ(dayType, day == tiradentes ? "8" : std::to_string(platform::dayOfWeek(day)));
      double total = 0;
      for (const Variant& cost : column(f.consumption.cdsConsumo, "CUSTOTOTAL"))
        total += cost.toDouble();
      EXPECT_NEAR(total, f.cost.cdsTrabCusto.fieldByName("VRCUSTOCONS").asFloat(), 1e-6)
          << platform::shortDate(day);
    }
  });
  EXPECT_TRUE(host->modal.errors.empty());
}

TEST_F(E2ETest, GridMarksOutdatedDaysAndCostsOverTheStandard) {
  using namespace platform::ui;
  const Variant costs = aprilCosts("0001", "00001", 6);
  std::vector<double> outdated;
  for (const auto& row : costs[2].packet().rows)
    outdated.push_back(row[0].toDouble());
  const double standard =
      call("GetCustoPadrao", {Variant("0001"), Variant("00001"), Variant::date(kApril1)})
          .packet()
          .value(0, "VRCUSTPADR")
          .toDouble();
  ASSERT_FALSE(outdated.empty()) << "the demo month has outdated quotations";
  open([&](TfrmAnaCustRevRec& f, Driver&) {
    int red = 0;
    for (int row = 1; row <= f.cost.cdsTrabCusto.recordCount(); ++row) {
      for (const char* field : {"VRCUSTOCONS", "VRTOTPERC", "VRCUSTOMEDIO"}) {
        RecordingCanvas canvas;
        const int col = f.cost.dbgTrabCusto->columnIndexOf(field);
        double day = 0, value = 0;
        f.cost.cdsTrabCusto.withDisplayRow(row, [&] {
          day = f.cost.cdsTrabCusto.fieldByName("DTDATA").asDateTime();
          value = f.cost.cdsTrabCusto.fieldByName(field).asFloat();
          f.cost.dbgTrabCustoDrawColumnCell(canvas, {0, 0, 100, 18}, col,
                                            f.cost.dbgTrabCusto->column(col), {});
        });
        const bool isOutdated = std::count(outdated.begin(), outdated.end(), day) > 0;
        Color want = isOutdated ? Color::rgb(255, 0, 0) : clWindowText;
        if (std::string(field) != "VRCUSTOCONS") {
          if (standard < value) {
            want = Color::rgb(255, 0, 0);
          } else if (isOutdated) {
            want = Color::rgb(0, 0, 0);
          }
        }
        EXPECT_EQ(canvas.lastText()->font, want) << row << " " << field;
        red += canvas.lastText()->font == Color::rgb(255, 0, 0) ? 1 : 0;
      }
    }
    EXPECT_GT(red, 0);
  });
}

TEST_F(E2ETest, CostPanelAndRealizedPageFollowTheServersRealizedDays) {
  const double plannedDiners =
      call("GetComensPlan", {Variant("0001"), Variant("00001"), Variant::date(kApril1)}).toDouble();
  const DataPacket realized =
      call("GetRealizado", {Variant("0001"), Variant("00001"), Variant::date(kApril1), Variant(1),
                            Variant(false), Variant::date(0), Variant("")})
          .packet();
  ASSERT_GT(realized.rows.size(), 0u);
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    ASSERT_TRUE(d.gotoDay(kApril1 + 20));
    ASSERT_TRUE(d.press(f.sbtCustos));
    EXPECT_DOUBLE_EQ(f.cost.nedPadrMens->GetNumber(),
                     R5(f.cost.nedCustoPadrao->GetNumber() * plannedDiners));
    EXPECT_DOUBLE_EQ(f.cost.nedTotalMes->GetNumber(),
                     R5(f.cost.nedMatPriMes->GetNumber() + f.cost.nedConsMes->GetNumber()));
    EXPECT_DOUBLE_EQ(f.cost.nedPercDia->GetNumber(),
                     f.cost.cdsTrabCusto.fieldByName("VRTOTPERC").asFloat());
    EXPECT_EQ(f.cost.grbCustoDia->caption(), "Dia 21/04/2026");
    EXPECT_FALSE(f.cost.nedCustoCardReal->enabled());

    ASSERT_TRUE(d.selectPage(f.tshRealizado));
    double cost = 0, diners = 0;
    std::vector<double> accumulated, average;
    for (size_t i : byDate(realized, "DTCARDAPIO")) {
      cost += num(realized, i, "CUSTO");
      diners += num(realized, i, "QTCOMEFETCAR");
      accumulated.push_back(R5(cost));
      average.push_back(R5(diners) == 0 ? 0 : R5(R5(cost) / R5(diners)));
    }
    EXPECT_EQ(numbers(f.realized.cdsRealizado, "CUSTOACUM"), accumulated);
    EXPECT_EQ(numbers(f.realized.cdsRealizado, "VRCUSTOMEDIO"), average);
    // The first realized day is closed: the panel shows its realized values.
    EXPECT_TRUE(f.cost.nedCustoCardReal->enabled());
    EXPECT_DOUBLE_EQ(f.cost.nedTotalRAcum->GetNumber(), accumulated.front());
    EXPECT_DOUBLE_EQ(f.selectedDay(),
                     f.realized.cdsRealizado.fieldByName("DTCARDAPIO").asDateTime());
    EXPECT_GT(f.realized.cdsItemReti.recordCount(), 0);
  });
  EXPECT_TRUE(host->modal.errors.empty());
}

TEST_F(E2ETest, PagesLoadTheirDataLazily) {
  std::string firstKey;
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    firstKey = f.ctx.workTableId;
    for (int i = 0; i < 2; ++i) {
      ASSERT_TRUE(d.selectPage(f.tshRealizado));
      ASSERT_TRUE(d.selectPage(f.tshPlanReal));
      ASSERT_TRUE(d.selectPage(f.tshProdCustZero));
      ASSERT_TRUE(d.selectPage(f.tshCotDesatu));
      ASSERT_TRUE(d.selectPage(f.tshPlanejado));
    }
    EXPECT_EQ(log->count("GetRealizado"), 1);
    EXPECT_EQ(log->count("GetItemReti"), 1);
    EXPECT_EQ(log->count("GetProdCustZero"), 2);
    EXPECT_EQ(log->count("GetProdCotDesatu"), 2);
    EXPECT_EQ(log->count("GetProduto"), 0);
    EXPECT_EQ(f.realized.cdsPlanReal.recordCount(), 30);
    // Re-entering "Análise de Custo" reloads the month under a new work table.
    ASSERT_TRUE(d.selectSubPage(f.tshMatPrima));
    ASSERT_TRUE(d.selectSubPage(f.tshAnaCusto));
    EXPECT_EQ(log->count("GetTrabCusto"), 2);
    EXPECT_NE(f.ctx.workTableId, firstKey);
    EXPECT_EQ(
        scalar("SELECT COUNT(*) FROM CONSPLANCHAVE WHERE CDCONSPLAN = '" + firstKey + "'").toInt(),
        0);
    ASSERT_TRUE(d.selectPage(f.tshCotDesatu));
    EXPECT_EQ(log->last("GetProdCotDesatu").at(0), Variant(f.ctx.workTableId));
  });
  EXPECT_TRUE(host->modal.errors.empty());
}

TEST_F(E2ETest, RecalculationKeepsTheDayAndDish) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    ASSERT_TRUE(d.selectSubPage(f.tshMatPrima));
    ASSERT_TRUE(d.gotoDay(kApril1 + 22));
    ASSERT_TRUE(d.selectRow(*f.recipe.dbgCardapio, f.recipe.cdsCardapio.recordCount() - 1));
    const std::string dish = f.recipe.cdsCardapio.fieldByName("CDPRATO").asString();
    f.ctx.recipeChanged = true;
    f.Habilita(true);
    log->clear();
    ASSERT_TRUE(d.press(f.sbtCalcula));
    EXPECT_DOUBLE_EQ(f.selectedDay(), kApril1 + 22);
    // Walking the month for its running values and for planned versus realized loads no day's
    // products; the products shown are the selected day's.
    EXPECT_LE(log->count("GetProduto"), 3);
    EXPECT_DOUBLE_EQ(log->last("GetProduto").at(2).toDouble(), kApril1 + 22);
    EXPECT_EQ(f.recipe.cdsCardapio.fieldByName("CDPRATO").asString(), dish);
    EXPECT_FALSE(f.ctx.recipeChanged);
    EXPECT_FALSE(f.sbtCalcula->enabled());
    EXPECT_EQ(f.realized.cdsPlanReal.recordCount(), 30);
  });
  EXPECT_TRUE(host->modal.errors.empty());
  EXPECT_FALSE(host->busy.visible());
}

TEST_F(E2ETest, PlannedVersusRealizedJoinsRealizedAndPlannedDays) {
  const DataPacket days = aprilCosts("0001", "00001", 6)[1].packet();
  const DataPacket realized =
      call("GetRealizado", {Variant("0001"), Variant("00001"), Variant::date(kApril1), Variant(1),
                            Variant(false), Variant::date(0), Variant("")})
          .packet();
  const double blockDate = blockDateOf("0001");
  std::map<double, std::pair<double, double>> realizedByDay;  // cost, diners
  for (size_t i = 0; i < realized.rows.size(); ++i)
    realizedByDay[num(realized, i, "DTCARDAPIO")] = {num(realized, i, "CUSTO"),
                                                     num(realized, i, "QTCOMEFETCAR")};
  std::vector<double> cost, accumulated, dinersOfDay, average;
  double c = 0, n = 0;
  for (size_t i : byDate(days, "DTDATA")) {
    const double day = num(days, i, "DTDATA");
    double dayCost, dayDiners;
    if (day < blockDate) {
      std::tie(dayCost, dayDiners) = realizedByDay[day];
    } else {
      dayCost =
          num(days, i, "VRCUSTPRODMAT") + num(days, i, "VRCUSTOCONS") + num(days, i, "VRCUSTORAT");
      dayDiners = num(days, i, "QTCOMESTICAR");  // branch 0001 divides by all diners
    }
    c += dayCost;
    n += dayDiners;
    cost.push_back(dayCost);
    accumulated.push_back(c);
    dinersOfDay.push_back(dayDiners);
    average.push_back(n == 0 ? 0 : c / n);
  }
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    ASSERT_TRUE(d.selectPage(f.tshPlanReal));
    const auto check = [&](const char* field, const std::vector<double>& want) {
      const auto shown = numbers(f.realized.cdsPlanReal, field);
      ASSERT_EQ(shown.size(), want.size()) << field;
      for (size_t i = 0; i < want.size(); ++i)
        EXPECT_NEAR(shown[i], want[i], 1e-9) << field << i;
    };
    check("CUSTO", cost);
    check("CUSTOACUM", accumulated);
    check("QTCOMENSAIS", dinersOfDay);
    check("VRCUSTOMEDIO", average);
    const auto kinds = column(f.realized.cdsPlanReal, "IDREAL");
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), Variant("S")), 15);
  });
  EXPECT_TRUE(host->modal.errors.empty());
}

TEST_F(E2ETest, ClosingReleasesTheWorkTable) {
  std::string key;
  open([&](TfrmAnaCustRevRec& f, Driver&) {
    key = f.ctx.workTableId;
    EXPECT_GT(scalar("SELECT COUNT(*) FROM CONSPLANCHAVE WHERE CDCONSPLAN = '" + key + "'").toInt(),
              0);
  });
  ASSERT_EQ(key.size(), 10u);
  EXPECT_EQ(scalar("SELECT COUNT(*) FROM CONSPLANCHAVE WHERE CDCONSPLAN = '" + key + "'").toInt(),
            0);
  EXPECT_EQ(frmAnaCustRevRec, nullptr);
}

}  // namespace
}  // namespace e2e
