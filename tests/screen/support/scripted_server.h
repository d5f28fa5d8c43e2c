// A scripted application server and direct-query database for the screen: a small month whose
// every figure the tests know, answered from memory. Tests change the data or replace a method's
// answer to reach the failure paths.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/data_packet.h"
#include "remote/host_services.h"
#include "screen/support/screen_host.h"

namespace screentest {

// A packet from field definitions and rows.
platform::DataPacket makePacket(std::vector<platform::PacketField> fields,
                                std::vector<platform::Row> rows);

struct DayRow {
  double day;
  double material;
  double consumption;
  double indirect;
  double diners;
  double clientDiners;
};

struct DishRow {
  std::string name;
  std::string dish;
  std::string dishBranch;
  double day;
  double diners;  // COMENSPRATO
  double dayDiners;
  double dayClientDiners;
  double weight;  // VRPECONSCARD
};

struct ProductRow {
  std::string code;  // CDARVPROD
  std::string dish;
  std::string dishBranch;
  std::string seasons;   // IDINTESAFR
  double gross;          // QTDEBRUTA
  double unitCost;       // CUSTOPROD
  std::string kind;      // TIPO
  std::string outdated;  // IDCUSTODESATU
};

struct RealizedRow {
  double day;
  double diners;
  double cost;
};

class FakeQueries : public remote::QueryExecutor {
 public:
  struct Band {
    std::string name;
    double lower;
    double upper;
    double color;
  };
  std::string serviceName = "  ALMOCO  ";
  std::string branchName = "RESTAURANTE CENTRO";
  std::string costModeName = "MEDIA DAS COTACOES";
  std::string operatorName = "ANALISTA DE CUSTOS";
  // Statements containing any of these texts fail as a database error would.
  std::vector<std::string> failing;
  std::set<double> holidays;
  std::vector<Band> bands;
  remote::SqlDialect sqlDialect = remote::SqlDialect::Default;
  std::vector<std::string> executed;

  remote::SqlDialect dialect() const override { return sqlDialect; }
  platform::DataPacket execute(
      const std::string& sql,
      const std::vector<std::pair<std::string, platform::Variant>>& params) override;
};

// The month of March 2026 of branch "0001", service "00001": processing date 03/03 and one
// blocking day, so 02/03 and 03/03 are closed and 04/03 on are open.
class ScriptedServer {
 public:
  ScriptedServer();

  std::string idComCusPerc = "T";
  std::string idBloAltRelo = "N";
  double standardCost = 3.5;
  double blockingDays = 1;
  double plannedDiners = 1000;
  std::string workTableId = "WT00000001";
  std::vector<DayRow> days;
  std::set<double> outdatedDays;
  std::vector<DishRow> dishes;
  std::vector<ProductRow> products;
  std::vector<RealizedRow> realized;

  // The answers by method; tests replace entries to script failures.
  std::shared_ptr<Script> script = std::make_shared<Script>();
  std::shared_ptr<CallLog> log = std::make_shared<CallLog>();

  // Installs a connection factory that makes ScriptedConnections over this script (and
  // restores the plain one when the object goes away).
  void install();
  ~ScriptedServer();

  platform::DataPacket trabCustoPacket() const;
  platform::DataPacket produtoPacket(double day) const;
  platform::DataPacket cardapioPacket() const;
  platform::DataPacket realizadoPacket() const;

 private:
  void defaultScript();
  bool installed_ = false;
};

double march(int day);

}  // namespace screentest
