// The screen opened on March 2026 with the recipe-editing methods of the cost server scripted
// over the month's data: a catalogue of stock products, recipe saves applied to the month's
// products, diners saves applied to its dishes. Adds a closed day with a local recipe (03/03)
// and a dish of the standard catalogue with a local recipe (06/03).
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/abort.h"
#include "platform/ui/keys.h"
#include "screen/entry.h"
#include "screen/support/scripted_server.h"

namespace screentest {

// A shell whose Autoriza answers `allow` and records the action keys it was asked.
class RightsShell : public FakeShell {
 public:
  bool allow = true;
  std::vector<std::string> asked;
  bool connectedWhenAsked = false;
  bool Autoriza(remote::TNetConnection& connection, int kind, const std::string& key,
                const std::string&) override {
    EXPECT_EQ(kind, 4);
    asked.push_back(key);
    connectedWhenAsked = connection.Connected();
    return allow;
  }
};

struct StockProduct {
  std::string code;  // CDARVPROD
  std::string unit;
  double cost;
  double previousCost;
  std::string group;
  bool stock = true;  // its own stock product (a purchase product is not)
};

// The direct queries of the scripted month, plus the product check of qryVdProduto.
class CatalogueQueries : public FakeQueries {
 public:
  std::vector<StockProduct> catalogue;
  std::string searchWithComplements = "N";

  platform::DataPacket execute(
      const std::string& sql,
      const std::vector<std::pair<std::string, platform::Variant>>& params) override {
    using platform::FieldType;
    using platform::Variant;
    if (sql.find("FROM PARAMGERAL") != std::string::npos) {
      executed.push_back(sql);
      return makePacket({{"IDPESQCOMPPROD", FieldType::Text, 1}},
                        {{Variant(searchWithComplements)}});
    }
    if (sql.find("FROM PRODUTO") == std::string::npos) return FakeQueries::execute(sql, params);
    executed.push_back(sql);
    std::map<std::string, Variant> bound(params.begin(), params.end());
    std::vector<platform::Row> rows;
    for (const StockProduct& p : catalogue) {
      if (p.stock && Variant(p.code) == bound.at("P_CDARVPROD") &&
          bound.at("P_CDNVPRODUTO") == Variant("4"))
        rows.push_back({Variant(p.code), Variant(p.code.substr(0, 10)),
                        Variant("PRODUTO " + p.code), Variant(p.unit)});
    }
    return makePacket({{"CDARVPROD", FieldType::Text, 20},
                       {"CDPRODUTO", FieldType::Text, 10},
                       {"NMPRODUTO", FieldType::Text, 50},
                       {"SGUNIDADE", FieldType::Text, 10}},
                      std::move(rows));
  }
};

class RecipeEditTest : public ::testing::Test {
 protected:
  void SetUp() override;

  // Opens the screen on "Matéria Prima" at `day` and runs `steps`; the user then closes it.
  // Returns the errors shown by dispatched events.
  std::vector<std::string> openOn(double day, ScriptedModal::Steps steps);

  // The user types `text` into the cell of `field` (the cell is selected first: the cell exit
  // of the previous one runs) and presses Enter. False when an event raised (refusals too).
  bool typeInto(Driver& d, platform::ui::DBGrid& grid, const std::string& field,
                const std::string& text) {
    return d.typeIntoCell(grid, field, text);
  }
  // A key pressed in `grid` through the form's key path; false when the event raised. `left`
  // tells whether the handlers left it for the grid's own handling.
  bool key(Driver& d, platform::ui::DBGrid& grid, platform::ui::Key key,
           platform::ui::ShiftState shift = {}, bool* left = nullptr, char32_t typed = 0);
  // The user moves the grid to the cell of another column (the cell exit runs).
  bool moveToColumn(Driver& d, platform::ui::DBGrid& grid, const std::string& field) {
    return d.selectCell(grid, field);
  }
  // Moves the dish list to the dish named `name` of the day.
  static bool gotoDish(Driver& d, screen::TfrmAnaCustRevRec& f, const std::string& name);

  // Every text shown to the user: errors and dialogs, in the order of each kind.
  std::vector<std::string> errorsShown() const { return host->errors.texts(); }
  std::vector<std::string> dialogsShown() const { return host->dialogs.texts(); }

  RightsShell shell;
  CatalogueQueries queries;
  ScriptedServer server;
  std::unique_ptr<TestHost> host;

  // Scripted answers of the recipe methods.
  int operatorParam = 0;                             // GetParamGrup
  std::string productGroup;                          // CDGRUPPROD of GetParamGeral
  std::string verifRefusal;                          // VerifProd's element 0
  std::string saveRefusal;                           // GravaReceita's element 0 ...
  std::string saveRefusedCode;                       // ... and element 1
  std::map<std::string, std::string> dinersRefusal;  // AltComensais: refusal text by dish code
};

}  // namespace screentest

// ---- Implementation (header-only: the screen tests are the only users) ----

namespace screentest {

inline void RecipeEditTest::SetUp() {
  using platform::FieldType;
  using platform::Variant;
  shell.processingDate = march(3);
  queries.bands = {
      {"SAFRA", 0, 30, 255}, {"INICIO", 30, 60, 65280}, {"ENTRESSAFRA", 60, 1000, 16711680}};
  server.dishes.push_back({"SOPA", "4004", "0001", march(3), 30, 50, 40, 100});
  server.dishes.push_back({"SALADA", "5005", "P", march(6), 70, 70, 60, 100});
  server.products.push_back({"01.04.001.0001", "4004", "0001", "111111111111", 0.3, 2, "L", "N"});
  server.products.push_back({"01.04.001.0002", "4004", "0001", "111111111111", 0.05, 4, "L", "N"});
  server.products.push_back({"01.05.001.0001", "5005", "P", "111111111111", 0.1, 3, "L", "N"});
  server.products.push_back({"01.05.001.0002", "5005", "P", "111111111111", 0.2, 1, "L", "N"});
  for (const ProductRow& p : server.products)
    queries.catalogue.push_back({p.code, "KG", p.unitCost, p.unitCost, ""});
  queries.catalogue.push_back({"01.06.001.0001", "KG", 4.5, 4.0, ""});
  queries.catalogue.push_back({"01.06.001.0002", "LT", 2.0, 1.5, "HORTI"});
  queries.catalogue.push_back({"01.07.001.0001", "CX", 9.0, 9.0, "", false});

  Script& s = *server.script;
  s["GetParamGeral"] = [this](const auto&) {
    return Variant(
        makePacket({{"QTDIABLOQCAR", FieldType::Float, 0},
                    {"IDUTCARDPADR", FieldType::Text, 1},
                    {"CDGRUPPROD", FieldType::Text, 10}},
                   {{Variant(server.blockingDays), Variant("N"), Variant(productGroup)}}));
  };
  s["GetParamGrup"] = [this](const auto&) { return Variant(static_cast<int32_t>(operatorParam)); };
  s["VerifProd"] = [this](const std::vector<Variant>& p) {
    const std::string code = p.at(3).toString();
    for (const StockProduct& sp : queries.catalogue) {
      if (sp.code == code && verifRefusal.empty())
        return Variant::array(
            {Variant(""), Variant(code.substr(0, 10)), Variant(sp.cost), Variant(sp.previousCost)});
    }
    return Variant::array({Variant(verifRefusal.empty() ? "prod_inativo" : verifRefusal),
                           Variant(""), Variant(0.0), Variant(0.0)});
  };
  const auto stockPacket = [this](const std::string& code, const std::string& group, bool search) {
    std::vector<platform::Row> rows;
    for (const StockProduct& sp : queries.catalogue) {
      if (!sp.stock || (!search && sp.code != code) || (!group.empty() && sp.group != group))
        continue;
      platform::Row row{Variant(sp.code), Variant(sp.code.substr(0, 10)),
                        Variant("PRODUTO " + sp.code), Variant(sp.unit)};
      if (search) {
        row.push_back(Variant("COMPL " + sp.code));
        row.push_back(Variant(1.0));
        row.push_back(Variant(sp.code.substr(0, 10)));
      }
      rows.push_back(std::move(row));
    }
    std::vector<platform::PacketField> fields{{"CDARVPROD", FieldType::Text, 20},
                                              {"CDPRODUTO", FieldType::Text, 10},
                                              {"NMPRODUTO", FieldType::Text, 50},
                                              {"SGUNIDADE", FieldType::Text, 10}};
    if (search) {
      fields.push_back({"DSCOMPLNOME", FieldType::Text, 30});
      fields.push_back({"VRPEFATOCORR", FieldType::Float, 0});
      fields.push_back({"CDPRODESTO", FieldType::Text, 10});
    }
    return Variant(makePacket(std::move(fields), std::move(rows)));
  };
  s["getVdProduto"] = [stockPacket](const std::vector<Variant>& p) {
    return stockPacket(p.at(0).toString(), p.at(2).toString(), false);
  };
  s["getPesqProd"] = [stockPacket](const std::vector<Variant>& p) {
    return stockPacket("", p.at(1).toString(), true);
  };
  s["GravaReceita"] = [this](const std::vector<Variant>& p) {
    if (!saveRefusal.empty())
      return Variant::array({Variant(saveRefusal), Variant(saveRefusedCode)});
    const double day = p.at(4).toDouble();
    const platform::DataPacket& full = p.at(0).packet();
    std::vector<ProductRow> kept;
    for (const ProductRow& r : server.products) {
      bool ofTheDay = false;
      for (const DishRow& dish : server.dishes)
        ofTheDay |= dish.day == day && dish.dish == r.dish && dish.dishBranch == r.dishBranch;
      if (!ofTheDay) kept.push_back(r);
    }
    for (size_t row = 0; row < full.rows.size(); ++row) {
      kept.push_back(
          {full.value(row, "CDARVPROD").toString(), full.value(row, "CDPRATO").toString(),
           full.value(row, "CDFILAUXPRAT").toString(), full.value(row, "IDINTESAFR").toString(),
           full.value(row, "QTDERECE").toDouble(), full.value(row, "CUSTOPROD").toDouble(),
           full.value(row, "TIPO").toString(), full.value(row, "IDCUSTODESATU").toString()});
    }
    server.products = std::move(kept);
    return Variant::array({Variant(""), Variant(server.produtoPacket(day))});
  };
  s["AltComensais"] = [this](const std::vector<Variant>& p) {
    const std::string dish = p.at(3).toString();
    if (dinersRefusal.count(dish)) return Variant(dinersRefusal.at(dish));
    for (DishRow& r : server.dishes)
      if (r.dish == dish && r.dishBranch == p.at(4).toString() && r.day == p.at(2).toDouble())
        r.diners = p.at(5).toDouble();
    return Variant(true);
  };
  server.install();
  host = std::make_unique<TestHost>(shell, queries);
}

inline std::vector<std::string> RecipeEditTest::openOn(double day, ScriptedModal::Steps steps) {
  host->modal.steps = [day, steps = std::move(steps)](screen::TfrmAnaCustRevRec& f, Driver& d) {
    ASSERT_TRUE(d.selectSubPage(f.tshMatPrima));
    ASSERT_TRUE(d.gotoDay(day));
    steps(f, d);
  };
  IniProc(openingParams("", "0001", "00001", 6, 1, march(15)));
  return host->modal.errors;
}

inline bool RecipeEditTest::key(Driver& d, platform::ui::DBGrid& grid, platform::ui::Key key,
                                platform::ui::ShiftState shift, bool* left, char32_t typed) {
  if (left != nullptr) *left = false;
  if (!d.focus(grid)) return false;
  return d.dispatch([&] {
    const bool remaining = grid.owner().pressKey(key, shift, typed);
    if (left != nullptr) *left = remaining;
  });
}

inline bool RecipeEditTest::gotoDish(Driver& d, screen::TfrmAnaCustRevRec& f,
                                     const std::string& name) {
  return d.dispatch([&] {
    if (!f.recipe.cdsCardapio.locate("NMPRATO", platform::Variant(name)))
      throw std::logic_error("no dish " + name);
  });
}

}  // namespace screentest
