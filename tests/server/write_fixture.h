// What the write tests share: a snapshot of every recipe and menu row, the change log of
// cdsProduto built the way the screen's dataset sends it, and a fixture that saves through
// GravaReceita on the small company of server_fixture.h.
#pragma once

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/data_packet.h"
#include "server/objects/ana_cust_rev_rec.h"
#include "server_fixture.h"

namespace servertest {

// Every recipe and menu row, to compare before and after a refused save.
inline std::string snapshot(server::db::Database& db) {
  std::string out;
  for (const char* sql :
       {"SELECT CDFILAUXPRAT || CDPRATO || CDPRODUTO || QTDERECE || SGUNIDRECE FROM RECEITA"
        " ORDER BY 1",
        "SELECT CDFILIAL || CDFILAUXPRAT || CDPRATO || CDPRODUTO || QTDERECE || SGUNIDRECE"
        " FROM RECEITALOCAL ORDER BY 1",
        "SELECT CDFILIAL || CDSERVFILI || CDFILAUXPRAT || CDPRATO || CDPRODUTO || QTDERECE ||"
        " SGUNIDRECE FROM RECEITASERV ORDER BY 1",
        "SELECT CDPRATO || DTCARDAPIO || COMENSPRATO FROM CARDAPIO ORDER BY 1"}) {
    auto st = db.prepare(sql);
    while (st->step())
      out += st->text(0) + ";";
    out += "|";
  }
  return out;
}

// Builds the change log of cdsProduto the way the screen's dataset sends it.
class Delta {
 public:
  explicit Delta(const platform::DataPacket& day) : day_(day) { packet_.fields = day.fields; }
  // The day's row of `product` in `dish`.
  const platform::Row& row(const std::string& dish, const std::string& product) const {
    for (size_t i = 0; i < day_.rows.size(); ++i) {
      if (text(day_, i, "CDPRATO") == dish && text(day_, i, "CDPRODUTO") == product) {
        return day_.rows[i];
      }
    }
    throw std::logic_error("no row " + dish + "/" + product);
  }
  Delta& modify(const std::string& dish, const std::string& product, double qty,
                double originalQty = -1) {
    platform::Row original = row(dish, product);
    if (originalQty >= 0) original[idx("QTDERECE")] = platform::Variant(originalQty);
    platform::Row now = row(dish, product);
    now[idx("QTDERECE")] = platform::Variant(qty);
    now[idx("QTDEBRUTA")] = platform::Variant(qty);
    packet_.rows.push_back(now);
    packet_.changes.push_back(platform::Change{
        platform::ChangeKind::Modify, static_cast<int>(packet_.rows.size() - 1), original});
    return *this;
  }
  // Inserts `product` (code, tree code) into the recipe of the row `like` belongs to.
  Delta& insert(const std::string& dish, const std::string& like, const std::string& product,
                const std::string& tree, double qty, const std::string& kind = "") {
    platform::Row now = row(dish, like);
    now[idx("CDPRODUTO")] = platform::Variant(product);
    now[idx("CDARVPROD")] = platform::Variant(tree);
    now[idx("QTDERECE")] = platform::Variant(qty);
    now[idx("QTDEBRUTA")] = platform::Variant(qty);
    if (!kind.empty()) now[idx("TIPO")] = platform::Variant(kind);
    packet_.rows.push_back(now);
    packet_.changes.push_back(platform::Change{
        platform::ChangeKind::Insert, static_cast<int>(packet_.rows.size() - 1), {}});
    return *this;
  }
  Delta& remove(const std::string& dish, const std::string& product) {
    packet_.changes.push_back(
        platform::Change{platform::ChangeKind::Delete, -1, row(dish, product)});
    return *this;
  }
  // Sets a field of the last inserted or modified row as it is now.
  Delta& set(const char* field, platform::Variant value) {
    packet_.rows.back()[idx(field)] = std::move(value);
    return *this;
  }
  // Sets a field of the last change's original row.
  Delta& setOriginal(const char* field, platform::Variant value) {
    packet_.changes.back().original[idx(field)] = std::move(value);
    return *this;
  }
  const platform::DataPacket& packet() const { return packet_; }

 private:
  size_t idx(const char* name) const { return static_cast<size_t>(day_.fieldIndex(name)); }
  const platform::DataPacket& day_;
  platform::DataPacket packet_;
};

class WritesTest : public ::testing::Test {
 public:
  void SetUp() override {
    db_ = openMemory();
    loadSmallFixture(*db_);
  }
  platform::DataPacket dayPacket(server::db::Database& db, double d) {
    return call(object_, db, "GetProduto",
                {"0001", "00001", platform::Variant::date(d), 6, false, platform::Variant::date(d),
                 platform::Variant::date(day(2026, 3, 1)), ""})
        .packet();
  }
  // GravaReceita's fourteen arguments for a save of `delta` on day `d`.
  std::vector<platform::Variant> saveArgs(const platform::DataPacket& full,
                                          const platform::DataPacket& delta, double d,
                                          const std::string& kind = "P",
                                          const std::string& dishBranch = "P",
                                          const std::string& dish = "1001") {
    return {platform::Variant(full),
            platform::Variant(delta),
            "0001",
            "00001",
            platform::Variant::date(d),
            6,
            false,
            platform::Variant::date(d),
            "4",
            kind,
            dishBranch,
            dish,
            platform::Variant::date(day(2026, 3, 1)),
            ""};
  }
  platform::Variant save(server::db::Database& db, const platform::DataPacket& full,
                         const platform::DataPacket& delta, double d, const std::string& op,
                         const std::string& kind = "P", const std::string& dishBranch = "P",
                         const std::string& dish = "1001") {
    return call(object_, db, "GravaReceita", saveArgs(full, delta, d, kind, dishBranch, dish), op);
  }

  TestClock clock_;
  server::objects::AnaCustRevRec object_{testEnvironment(clock_)};
  TestDatabase db_;
};

}  // namespace servertest
