// Event order of every dataset operation, and refusals that must leave the dataset untouched.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "client_dataset_helpers.h"
#include "platform/abort.h"
#include "platform/client_dataset.h"

namespace platform {
namespace {

using testing::EventLog;
using testing::makePacket;
using testing::Snapshot;

DataPacket threeRows() {
  return makePacket(
      {{"ID", FieldType::Integer, 0}, {"NAME", FieldType::Text, 10}},
      {{Variant(1), Variant("A")}, {Variant(2), Variant("B")}, {Variant(3), Variant("C")}});
}

using Step = std::function<void(ClientDataSet&)>;

struct OrderCase {
  const char* name;
  Step setup;  // runs before events are recorded
  Step op;
  std::vector<std::string> expected;
};

Bookmark gBookmark;

void none(ClientDataSet&) {}
void toSecond(ClientDataSet& ds) {
  ds.setRecNo(2);
}
void editingName(ClientDataSet& ds) {
  ds.edit();
  ds.fieldByName("NAME").setAsString("X");
}
void inserting(ClientDataSet& ds) {
  ds.insert();
  ds.fieldByName("ID").setAsInteger(9);
}

class EventOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(EventOrder, RaisesEventsInOrder) {
  const OrderCase& c = GetParam();
  ClientDataSet ds("cds");
  ds.setData(threeRows());
  c.setup(ds);
  EventLog log;
  log.attach(ds);
  c.op(ds);
  EXPECT_EQ(log.events, c.expected);
}

const std::vector<std::string> kScroll = {"beforeScroll", "afterScroll"};
const std::vector<std::string> kPostThenScroll = {"beforePost", "afterPost", "beforeScroll",
                                                  "afterScroll"};
const std::vector<std::string> kInsert = {"beforeInsert", "onNewRecord", "afterInsert"};

INSTANTIATE_TEST_SUITE_P(
    Operations, EventOrder,
    ::testing::Values(
        OrderCase{"next", none, [](ClientDataSet& ds) { ds.next(); }, kScroll},
        OrderCase{"nextAtLast",
                  [](ClientDataSet& ds) { ds.last(); },
                  [](ClientDataSet& ds) { ds.next(); },
                  {}},
        OrderCase{"firstOnFirst", none, [](ClientDataSet& ds) { ds.first(); }, {}},
        OrderCase{"priorAtFirst", none, [](ClientDataSet& ds) { ds.prior(); }, {}},
        OrderCase{"last", none, [](ClientDataSet& ds) { ds.last(); }, kScroll},
        OrderCase{"moveBy", none, [](ClientDataSet& ds) { ds.moveBy(2); }, kScroll},
        OrderCase{"setRecNo", none, [](ClientDataSet& ds) { ds.setRecNo(3); }, kScroll},
        OrderCase{"locateOther", none, [](ClientDataSet& ds) { ds.locate("ID", Variant(3)); },
                  kScroll},
        OrderCase{
            "locateCurrent", none, [](ClientDataSet& ds) { ds.locate("ID", Variant(1)); }, {}},
        OrderCase{
            "locateMissing", none, [](ClientDataSet& ds) { ds.locate("ID", Variant(7)); }, {}},
        OrderCase{"gotoBookmark",
                  [](ClientDataSet& ds) {
                    ds.last();
                    gBookmark = ds.getBookmark();
                    ds.first();
                  },
                  [](ClientDataSet& ds) { ds.gotoBookmark(gBookmark); }, kScroll},
        OrderCase{"nextWhileEditing", editingName, [](ClientDataSet& ds) { ds.next(); },
                  kPostThenScroll},
        OrderCase{"locateWhileInserting", inserting,
                  [](ClientDataSet& ds) { ds.locate("ID", Variant(3)); }, kPostThenScroll},
        OrderCase{"insert", toSecond, [](ClientDataSet& ds) { ds.insert(); }, kInsert},
        OrderCase{"append", none, [](ClientDataSet& ds) { ds.append(); }, kInsert},
        OrderCase{"insertWhileEditing",
                  editingName,
                  [](ClientDataSet& ds) { ds.insert(); },
                  {"beforePost", "afterPost", "beforeInsert", "onNewRecord", "afterInsert"}},
        OrderCase{"edit", none, [](ClientDataSet& ds) { ds.edit(); }, {"beforeEdit", "afterEdit"}},
        OrderCase{"editWhileEditing", editingName, [](ClientDataSet& ds) { ds.edit(); }, {}},
        OrderCase{"editEmptyInserts", [](ClientDataSet& ds) { ds.emptyDataSet(); },
                  [](ClientDataSet& ds) { ds.edit(); }, kInsert},
        OrderCase{"postEdit",
                  editingName,
                  [](ClientDataSet& ds) { ds.post(); },
                  {"beforePost", "afterPost"}},
        OrderCase{"postInsert",
                  inserting,
                  [](ClientDataSet& ds) { ds.post(); },
                  {"beforePost", "afterPost"}},
        OrderCase{"postBrowsing", none, [](ClientDataSet& ds) { ds.post(); }, {}},
        OrderCase{"cancelEdit",
                  editingName,
                  [](ClientDataSet& ds) { ds.cancel(); },
                  {"beforeCancel", "afterCancel"}},
        OrderCase{"cancelBrowsing", none, [](ClientDataSet& ds) { ds.cancel(); }, {}},
        OrderCase{"delete",
                  toSecond,
                  [](ClientDataSet& ds) { ds.deleteRecord(); },
                  {"beforeDelete", "afterDelete"}},
        OrderCase{"deleteWhileInserting",
                  inserting,
                  [](ClientDataSet& ds) { ds.deleteRecord(); },
                  {"beforeCancel", "afterCancel"}},
        OrderCase{"setFilterFiltered", [](ClientDataSet& ds) { ds.setFiltered(true); },
                  [](ClientDataSet& ds) { ds.setFilter("ID > 1"); }, kScroll},
        OrderCase{
            "setFilterUnfiltered", none, [](ClientDataSet& ds) { ds.setFilter("ID > 1"); }, {}},
        OrderCase{"setFilteredWhileEditing", editingName,
                  [](ClientDataSet& ds) { ds.setFiltered(true); }, kPostThenScroll},
        OrderCase{
            "setFilteredUnchanged", none, [](ClientDataSet& ds) { ds.setFiltered(false); }, {}},
        OrderCase{
            "indexKeepsRecord", none, [](ClientDataSet& ds) { ds.setIndexFieldNames("NAME"); }, {}},
        OrderCase{"setData",
                  toSecond,
                  [](ClientDataSet& ds) { ds.setData(threeRows()); },
                  {"beforeOpen", "afterOpen", "afterScroll"}},
        OrderCase{
            "close", none, [](ClientDataSet& ds) { ds.close(); }, {"beforeClose", "afterClose"}},
        OrderCase{"createDataSet",
                  [](ClientDataSet& ds) { ds.close(); },
                  [](ClientDataSet& ds) { ds.createDataSet(); },
                  {"beforeOpen", "afterOpen", "afterScroll"}},
        OrderCase{"mergeWhileEditing",
                  editingName,
                  [](ClientDataSet& ds) { ds.mergeChangeLog(); },
                  {"beforePost", "afterPost"}},
        OrderCase{"cancelUpdatesWhileEditing",
                  editingName,
                  [](ClientDataSet& ds) { ds.cancelUpdates(); },
                  {"beforeCancel", "afterCancel"}},
        OrderCase{"emptyDataSet", none, [](ClientDataSet& ds) { ds.emptyDataSet(); }, {}}),
    [](const ::testing::TestParamInfo<OrderCase>& p) { return std::string(p.param.name); });

// --- Refusals ---

struct RefusalCase {
  const char* name;
  Step setup;
  Step op;
  const char* abortAt;
};

class Refusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(Refusal, AbortLeavesDataSetAsBefore) {
  const RefusalCase& c = GetParam();
  ClientDataSet ds("cds");
  ds.addField("ID", FieldType::Integer);
  ds.addField("NAME", FieldType::Text, 10);
  ds.addField("Calc", FieldType::Text, 0, FieldKind::Calculated);
  ds.onCalcFields = [](ClientDataSet& d) {
    d.fieldByName("Calc").setAsString(d.fieldByName("NAME").asString() + "!");
  };
  ds.setData(threeRows());
  c.setup(ds);
  const Snapshot before = Snapshot::of(ds);
  EventLog log;
  log.abortAt = c.abortAt;
  log.attach(ds);
  EXPECT_THROW(c.op(ds), Abort);
  EXPECT_EQ(log.events.back(), c.abortAt);
  EXPECT_TRUE(Snapshot::of(ds) == before);
}

INSTANTIATE_TEST_SUITE_P(
    BeforeHandlers, Refusal,
    ::testing::Values(
        RefusalCase{"next", none, [](ClientDataSet& ds) { ds.next(); }, "beforeScroll"},
        RefusalCase{"locate", none, [](ClientDataSet& ds) { ds.locate("NAME", Variant("C")); },
                    "beforeScroll"},
        RefusalCase{"insert", toSecond, [](ClientDataSet& ds) { ds.insert(); }, "beforeInsert"},
        RefusalCase{"newRecord", toSecond, [](ClientDataSet& ds) { ds.insert(); }, "onNewRecord"},
        RefusalCase{"edit", none, [](ClientDataSet& ds) { ds.edit(); }, "beforeEdit"},
        RefusalCase{"post", editingName, [](ClientDataSet& ds) { ds.post(); }, "beforePost"},
        RefusalCase{"postInsert", inserting, [](ClientDataSet& ds) { ds.post(); }, "beforePost"},
        RefusalCase{"moveWhileEditing", editingName, [](ClientDataSet& ds) { ds.next(); },
                    "beforePost"},
        RefusalCase{"cancel", editingName, [](ClientDataSet& ds) { ds.cancel(); }, "beforeCancel"},
        RefusalCase{"delete", toSecond, [](ClientDataSet& ds) { ds.deleteRecord(); },
                    "beforeDelete"},
        RefusalCase{"filter", [](ClientDataSet& ds) { ds.setFiltered(true); },
                    [](ClientDataSet& ds) { ds.setFilter("ID = 2"); }, "beforeScroll"},
        RefusalCase{"filtered",
                    [](ClientDataSet& ds) {
                      ds.setFilter("ID = 2");
                      ds.setRecNo(3);
                    },
                    [](ClientDataSet& ds) { ds.setFiltered(true); }, "beforeScroll"},
        RefusalCase{"setData", toSecond,
                    [](ClientDataSet& ds) {
                      ds.setData(makePacket({{"OTHER", FieldType::Float, 0}}, {}));
                    },
                    "beforeOpen"},
        RefusalCase{"close", none, [](ClientDataSet& ds) { ds.close(); }, "beforeClose"}),
    [](const ::testing::TestParamInfo<RefusalCase>& p) { return std::string(p.param.name); });

TEST(EventOrder, AfterHandlerExceptionLeavesOperationDone) {
  ClientDataSet ds;
  ds.setData(threeRows());
  ds.afterScroll = [](ClientDataSet&) { throw Abort(); };
  EXPECT_THROW(ds.next(), Abort);
  EXPECT_EQ(ds.recNo(), 2);
}

TEST(EventOrder, HandlerMayReplaceItselfWhileRunning) {
  ClientDataSet ds;
  ds.setData(threeRows());
  int calls = 0;
  ds.afterScroll = [&](ClientDataSet& d) {
    ++calls;
    d.afterScroll = nullptr;
  };
  ds.next();
  ds.next();
  EXPECT_EQ(calls, 1);
}

TEST(EventOrder, BeforePostMayFillFieldsBeforeTheRequiredCheck) {
  ClientDataSet ds;
  ds.addField("ID", FieldType::Integer).setRequired(true);
  ds.createDataSet();
  ds.append();
  EXPECT_THROW(ds.post(), DataSetError);
  EXPECT_EQ(ds.state(), DataSetState::Insert);
  ds.beforePost = [](ClientDataSet& d) { d.fieldByName("ID").setAsInteger(5); };
  ds.post();
  EXPECT_EQ(ds.fieldByName("ID").asInteger(), 5);
}

}  // namespace
}  // namespace platform
