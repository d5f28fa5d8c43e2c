#include "screen/support/scripted_server.h"

#include <stdexcept>

#include "screen/connections.h"

namespace screentest {

using platform::DataPacket;
using platform::FieldType;
using platform::PacketField;
using platform::Row;
using platform::Variant;

namespace {

PacketField t(const char* name, int size) {
  return {name, FieldType::Text, size};
}
PacketField fx(const char* name, int size) {
  return {name, FieldType::FixedText, size};
}
PacketField f(const char* name) {
  return {name, FieldType::Float, 0};
}
PacketField d(const char* name) {
  return {name, FieldType::DateTime, 0};
}

Variant date(double day) {
  return Variant::date(day);
}

const Variant& param(const std::vector<std::pair<std::string, Variant>>& params,
                     const std::string& name) {
  for (const auto& [n, v] : params)
    if (n == name) return v;
  throw std::runtime_error("parameter " + name + " not bound");
}

}  // namespace

double march(int day) {
  return 46082 + day - 1;  // 01/03/2026
}

DataPacket makePacket(std::vector<PacketField> fields, std::vector<Row> rows) {
  DataPacket packet;
  packet.fields = std::move(fields);
  packet.rows = std::move(rows);
  packet.validate();
  return packet;
}

DataPacket FakeQueries::execute(const std::string& sql,
                                const std::vector<std::pair<std::string, Variant>>& params) {
  executed.push_back(sql);
  for (const std::string& text : failing)
    if (sql.find(text) != std::string::npos) throw std::runtime_error("no such table");
  if (sql.find("FROM SERVICO") != std::string::npos)
    return makePacket({t("NMSERVICO", 40)}, {{Variant(serviceName)}});
  if (sql.find("FROM FILIAL") != std::string::npos)
    return makePacket({t("NMFILIAL", 40)}, {{Variant(branchName)}});
  if (sql.find("FROM TIPOCUSTO") != std::string::npos)
    return makePacket({t("NMTIPOCUSTO", 40)}, {{Variant(costModeName)}});
  if (sql.find("FROM OPERADOR") != std::string::npos)
    return makePacket({t("NMOPERADOR", 40)}, {{Variant(operatorName)}});
  if (sql.find("FROM PARAMGERAL") != std::string::npos)
    return makePacket({t("IDPESQCOMPPROD", 1)}, {{Variant("N")}});
  if (sql.find("FROM FERIFILI") != std::string::npos) {
    const double day = param(params, "P_DTFERIFILI").toDouble();
    return makePacket({f("CTFERIFILI")}, {{Variant(holidays.count(day) ? 1.0 : 0.0)}});
  }
  if (sql.find("FROM SINASAFRA") != std::string::npos) {
    const double p = param(params, "P_PERCSAFRA").toDouble();
    std::vector<Row> rows;
    for (const Band& b : bands) {
      if ((b.lower < p && b.upper >= p) || (p == 0 && b.lower == p))
        rows.push_back({Variant(b.name), Variant(b.color)});
    }
    return makePacket({t("NMSINASAFRA", 20), f("NRCORSINSAFR")}, std::move(rows));
  }
  throw std::runtime_error("unexpected statement: " + sql);
}

ScriptedServer::ScriptedServer() {
  days = {
      {march(2), 100, 20, 5, 40, 30},      {march(3), 120, 30, 10, 50, 40},
      {march(4), 90, 10, 0, 0, 0},         {march(5), 200, 50, 25, 100, 80},
      {march(6), 150.5, 12.25, 7, 70, 60},
  };
  dishes = {
      {"ARROZ", "1001", "P", march(4), 40, 80, 60, 50},
      {"FEIJAO", "2002", "0001", march(4), 40, 80, 60, 50},
      {"BIFE", "3003", "P", march(5), 100, 100, 80, 100},
  };
  products = {
      {"01.01.001.0001", "1001", "P", "111111111111", 0.1, 5, "P", "N"},
      {"01.01.001.0002", "1001", "P", "333333333333", 0.02, 10, "P", "N"},
      {"01.02.001.0001", "2002", "0001", "222222222222", 0.12, 8, "L", "S"},
      {"01.03.001.0001", "3003", "P", "111111111111", 0.2, 0, "P", "N"},
  };
  realized = {{march(2), 38, 110.5}, {march(3), 45, 140.25}};
  defaultScript();
}

ScriptedServer::~ScriptedServer() {
  if (installed_) screen::setConnectionFactory({});
}

void ScriptedServer::install() {
  screen::setConnectionFactory([answers = script, calls = log](const std::string& serverName) {
    return std::make_unique<ScriptedConnection>(serverName, answers, calls);
  });
  installed_ = true;
}

DataPacket ScriptedServer::trabCustoPacket() const {
  std::vector<Row> rows;
  for (const DayRow& r : days) {
    rows.push_back({date(r.day), Variant(r.material), Variant(r.consumption), Variant(r.indirect),
                    Variant(r.diners), Variant(r.clientDiners)});
  }
  return makePacket({d("DTDATA"), f("VRCUSTPRODMAT"), f("VRCUSTOCONS"), f("VRCUSTORAT"),
                     f("QTCOMESTICAR"), f("QTCLIESTICAR")},
                    std::move(rows));
}

DataPacket ScriptedServer::produtoPacket(double day) const {
  std::vector<Row> rows;
  for (const ProductRow& p : products) {
    for (const DishRow& dish : dishes) {
      if (dish.day != day || dish.dish != p.dish || dish.dishBranch != p.dishBranch) continue;
      rows.push_back({Variant(p.code), Variant("PRODUTO " + p.code), Variant(p.code.substr(0, 10)),
                      Variant(p.dish), Variant(p.dishBranch), Variant(p.seasons), Variant(p.gross),
                      Variant("KG"), Variant(p.gross), Variant("KG"), date(day),
                      Variant(p.unitCost), Variant(p.unitCost), Variant(p.kind),
                      Variant(p.outdated)});
    }
  }
  return makePacket({t("CDARVPROD", 20), t("NMPRODUTO", 50), t("CDPRODUTO", 10), t("CDPRATO", 10),
                     t("CDFILAUXPRAT", 4), t("IDINTESAFR", 12), f("QTDERECE"), t("SGUNIDRECE", 10),
                     f("QTDEBRUTA"), t("SGUNIDPROD", 10), d("DTCARDAPIO"), f("CUSTOPRODANT"),
                     f("CUSTOPROD"), fx("TIPO", 1), t("IDCUSTODESATU", 4000)},
                    std::move(rows));
}

DataPacket ScriptedServer::cardapioPacket() const {
  std::vector<Row> rows;
  for (const DishRow& r : dishes) {
    rows.push_back({Variant(r.name), Variant(r.diners), Variant("0001"), Variant(r.dish),
                    Variant(r.dishBranch), Variant("00001"), date(r.day), Variant("N"),
                    Variant(r.dayDiners), Variant(r.dayClientDiners), Variant(1.0),
                    Variant(r.weight)});
  }
  return makePacket({t("NMPRATO", 40), f("COMENSPRATO"), t("CDFILIAL", 4), t("CDPRATO", 10),
                     t("CDFILAUXPRAT", 4), t("CDSERVFILI", 5), d("DTCARDAPIO"), t("CDDIETPAD", 4),
                     f("QTCOMESTICAR"), f("QTCLIESTICAR"), f("CONT"), f("VRPECONSCARD")},
                    std::move(rows));
}

DataPacket ScriptedServer::realizadoPacket() const {
  std::vector<Row> rows;
  for (const RealizedRow& r : realized)
    rows.push_back({date(r.day), Variant(r.diners), Variant(0.0), Variant(r.cost)});
  return makePacket({d("DTCARDAPIO"), f("QTCOMEFETCAR"), f("QTRETIRADA"), f("CUSTO")},
                    std::move(rows));
}

void ScriptedServer::defaultScript() {
  Script& s = *script;
  s["GetParams"] = [this](const auto&) {
    return Variant::array(
        {Variant(makePacket({t("IDCOMCUSPERC", 1)}, {{Variant(idComCusPerc)}})),
         Variant(
             makePacket({t("IDUTILFATCOR", 1), t("IDUTILFATCOC", 1), t("IDTIPCALCFAT", 1),
                         t("IDQTLIQUBRUT", 1), f("NRCORSAFRA"), f("NRCORINICSAF"),
                         f("NRCORENTRSAF"), t("IDBLOALTRELO", 1)},
                        {{Variant("N"), Variant("N"), Variant("N"), Variant("N"), Variant(255.0),
                          Variant(65280.0), Variant(16711680.0), Variant(idBloAltRelo)}}))});
  };
  s["GetCustoPadrao"] = [this](const auto&) {
    return Variant(makePacket({f("VRCUSTPADR")}, {{Variant(standardCost)}}));
  };
  s["GetTrabCusto"] = [this](const auto&) {
    std::vector<Row> outdated;
    for (double day : outdatedDays)
      outdated.push_back({date(day)});
    return Variant::array({Variant(workTableId), Variant(trabCustoPacket()),
                           Variant(makePacket({d("DTDATA")}, std::move(outdated)))});
  };
  s["GetParamGeral"] = [this](const auto&) {
    return Variant(makePacket({f("QTDIABLOQCAR"), t("IDUTCARDPADR", 1), t("CDGRUPPROD", 10)},
                              {{Variant(blockingDays), Variant("N"), Variant("")}}));
  };
  s["DelConsplan"] = [](const auto&) { return Variant(""); };
  s["GetComensPlan"] = [this](const auto&) { return Variant(plannedDiners); };
  s["GetProduto"] = [this](const std::vector<Variant>& p) {
    return Variant(produtoPacket(p.at(2).toDouble()));
  };
  s["GetCardapio"] = [this](const auto&) { return Variant(cardapioPacket()); };
  s["GetRealizado"] = [this](const auto&) { return Variant(realizadoPacket()); };
  s["GetItemReti"] = [](const auto&) {
    return Variant(
        makePacket({t("NMPRODUTO", 50), t("SGUNIDADE", 10), f("CustoUnit"), f("QTRETIRADA"),
                    f("QTCOMEFETCAR"), f("QTCLIEFETCAR"), t("CDPRODUTO", 10), d("DTCARDAPIO")},
                   {{Variant("ARROZ"), Variant("KG"), Variant(5.0), Variant(4.0), Variant(38.0),
                     Variant(30.0), Variant("0000000001"), date(march(2))},
                    {Variant("FEIJAO"), Variant("KG"), Variant(8.0), Variant(5.0), Variant(45.0),
                     Variant(40.0), Variant("0000000002"), date(march(3))}}));
  };
  s["GetConsServ"] = [](const auto&) {
    return Variant::array(
        {Variant(makePacket(
             {fx("TPCONS", 1), t("CDTPRCONSFIX", 2), t("NMTIPOPRAT", 15), f("VRCUSTPADRTP")},
             {{Variant("P"), Variant("01"), Variant("DESCARTAVEIS"), Variant(0.5)},
              {Variant("F"), Variant("02"), Variant("GAS"), Variant(10.0)}})),
         Variant(makePacket(
             {fx("IDCONSUMO", 1), t("NMPRODUTO", 50), t("SGUNIDADE", 10), f("QTCONSSERV"),
              f("CustoUnit"), t("CDPRODUTO", 10), t("IDCUSTODESATU", 4000)},
             {{Variant("P"), Variant("GUARDANAPO"), Variant("UN"), Variant(2.0), Variant(0.05),
               Variant("0000000010"), Variant("N")},
              {Variant("P"), Variant("COPO"), Variant("UN"), Variant(1.0), Variant(0.1),
               Variant("0000000011"), Variant("N")},
              {Variant("F"), Variant("GAS"), Variant("KG"), Variant(13.0), Variant(7.5),
               Variant("0000000012"), Variant("S")}})),
         Variant(makePacket({f("QTCOMESTICAR")}, {{Variant(100.0)}}))});
  };
  s["GetProdCustZero"] = [](const auto&) {
    return Variant(makePacket({t("CDARVPROD", 20), t("CDPRODUTO", 10), t("NMPRODUTO", 50),
                               d("DTCARDAPIO"), f("CUSTOPROD"), f("QTDEBRUTA")},
                              {{Variant("01.03.001.0001"), Variant("0000000004"), Variant("CARNE"),
                                date(march(5)), Variant(0.0), Variant(20.0)}}));
  };
  s["GetProdCotDesatu"] = [](const auto&) {
    return Variant(
        makePacket({d("DTCONSPLAN"), t("CDPRODUTO", 10), t("CDARVPROD", 20), t("NMPRODUTO", 50),
                    f("QTCONSPLAN"), f("CUSTOPROD"), d("DTCUSTOSUP"), d("DTFINCUSTSUP")},
                   {{date(march(7)), Variant("0000000003"), Variant("01.02.001.0001"),
                     Variant("FEIJAO"), Variant(4.8), Variant(8.0), date(46050), date(46070)}}));
  };
}

}  // namespace screentest
