// Loading packets (fields matched by name, errors leaving the dataset as it was), the change log
// carried by data() and delta(), and bookmarks across reloads.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "client_dataset_helpers.h"
#include "platform/client_dataset.h"

namespace platform {
namespace {

using testing::makePacket;
using testing::Snapshot;

TEST(PacketLoad, MatchesFieldsByName) {
  ClientDataSet ds;
  ds.addField("A", FieldType::Integer);
  ds.addField("B", FieldType::Text, 5);
  ds.addField("C", FieldType::Float, 0, FieldKind::Calculated);
  ds.addField("D", FieldType::Float);
  ds.setData(makePacket(
      {{"b", FieldType::FixedText, 5}, {"X", FieldType::Float, 0}, {"A", FieldType::Integer, 0}},
      {{Variant("one"), Variant(1.5), Variant(1)}, {Variant("two"), Variant::null(), Variant(2)}}));
  std::vector<std::string> names;
  for (const Field* f : ds.fields())
    names.push_back(f->name());
  EXPECT_EQ(names, (std::vector<std::string>{"A", "B", "C", "D", "X"}));
  EXPECT_EQ(ds.fieldByName("A").asInteger(), 1);
  EXPECT_EQ(ds.fieldByName("B").asString(), "one");
  EXPECT_EQ(ds.fieldByName("X").asFloat(), 1.5);
  EXPECT_TRUE(ds.fieldByName("D").isNull());
  EXPECT_FALSE(ds.fieldByName("X").isCalculated());
  // data() carries the data fields in the dataset's order.
  const DataPacket out = ds.data();
  ASSERT_EQ(out.fields.size(), 4u);
  EXPECT_EQ(out.fields[3].name, "X");
  EXPECT_EQ(out.rows[1], (Row{Variant(2), Variant("two"), Variant::null(), Variant::null()}));
}

TEST(PacketLoad, FieldsOfAnEarlierPacketComeAndGo) {
  ClientDataSet ds;
  ds.setData(makePacket({{"A", FieldType::Integer, 0}, {"X", FieldType::Float, 0}},
                        {{Variant(1), Variant(2.0)}}));
  Field* x = &ds.fieldByName("X");
  x->setDisplayFormat("0.0");
  ds.setData(makePacket({{"A", FieldType::Integer, 0}}, {{Variant(7)}}));
  EXPECT_EQ(ds.findField("X"), nullptr);
  EXPECT_EQ(x->index(), -1);
  EXPECT_THROW(x->value(), DataSetError);
  ds.setData(makePacket({{"A", FieldType::Integer, 0}, {"X", FieldType::Float, 0}},
                        {{Variant(1), Variant(3.0)}}));
  EXPECT_EQ(&ds.fieldByName("X"), x);
  EXPECT_EQ(x->displayText(), "3,0");
  // A packet may change the type of a field another packet added.
  ds.setData(makePacket({{"X", FieldType::Text, 3}}, {{Variant("abc")}}));
  EXPECT_EQ(ds.fieldByName("X").fieldType(), FieldType::Text);
  EXPECT_EQ(ds.findField("A"), nullptr);
}

TEST(PacketLoad, IntegersLoadIntoFloatFields) {
  ClientDataSet ds;
  ds.addField("Q", FieldType::Float);
  DataPacket p = makePacket({{"Q", FieldType::Integer, 0}}, {{Variant(3)}});
  ds.setData(p);
  EXPECT_EQ(ds.fieldByName("Q").value().type(), Variant::Type::Double);
}

struct BadLoad {
  const char* name;
  std::function<void(ClientDataSet&)> load;
};

class PacketLoadError : public ::testing::TestWithParam<BadLoad> {};

TEST_P(PacketLoadError, LeavesTheDataSetAsItWas) {
  ClientDataSet ds;
  ds.addField("A", FieldType::Integer);
  ds.addField("B", FieldType::Text, 3);
  ds.addField("C", FieldType::Float, 0, FieldKind::Calculated);
  ds.setData(makePacket({{"A", FieldType::Integer, 0}, {"B", FieldType::Text, 3}},
                        {{Variant(1), Variant("x")}, {Variant(2), Variant("y")}}));
  ds.next();
  ds.edit();
  ds.fieldByName("B").setAsString("z");
  const Snapshot before = Snapshot::of(ds);
  const size_t fieldCount = ds.fields().size();
  EXPECT_ANY_THROW(GetParam().load(ds));
  EXPECT_TRUE(Snapshot::of(ds) == before);
  EXPECT_EQ(ds.fields().size(), fieldCount);
  EXPECT_EQ(ds.fieldByName("B").asString(), "z");
}

INSTANTIATE_TEST_SUITE_P(
    Packets, PacketLoadError,
    ::testing::Values(
        BadLoad{"typeMismatch",
                [](ClientDataSet& ds) {
                  ds.setData(makePacket({{"A", FieldType::Text, 0}}, {{Variant("1")}}));
                }},
        BadLoad{"calculatedName",
                [](ClientDataSet& ds) {
                  ds.setData(makePacket({{"C", FieldType::Float, 0}}, {{Variant(1.0)}}));
                }},
        BadLoad{"textTooLong",
                [](ClientDataSet& ds) {
                  ds.setData(makePacket({{"B", FieldType::Text, 0}}, {{Variant("abcd")}}));
                }},
        BadLoad{
            "wrongWidth",
            [](ClientDataSet& ds) {
              ds.setData(makePacket({{"A", FieldType::Integer, 0}}, {{Variant(1), Variant(2)}}));
            }},
        BadLoad{"wrongValueType",
                [](ClientDataSet& ds) {
                  ds.setData(makePacket({{"A", FieldType::Integer, 0}}, {{Variant("x")}}));
                }},
        BadLoad{"malformedJson", [](ClientDataSet& ds) { ds.setData("{\"fields\":["); }},
        BadLoad{"unknownType",
                [](ClientDataSet& ds) {
                  ds.setData(R"({"fields":[{"name":"A","type":"money"}],"rows":[]})");
                }},
        BadLoad{"notAPacket", [](ClientDataSet& ds) { ds.setData(Variant("error text")); }},
        BadLoad{"badChange",
                [](ClientDataSet& ds) {
                  DataPacket p = makePacket({{"A", FieldType::Integer, 0}}, {{Variant(1)}});
                  p.changes.push_back({ChangeKind::Modify, 3, {Variant(1)}});
                  ds.setData(p);
                }}),
    [](const ::testing::TestParamInfo<BadLoad>& p) { return std::string(p.param.name); });

TEST(PacketLoad, JsonTextWithChangeLog) {
  ClientDataSet ds;
  ds.setData(
      R"({"fields":[{"name":"CDPRODUTO","type":"text","size":10},{"name":"QTDE","type":"float"}],)"
      R"("rows":[["P1",1.5],["P2",2.0]],)"
      R"("changes":[{"kind":"modify","row":1,"original":["P2",1.0]},{"kind":"insert","row":0}]})");
  EXPECT_EQ(ds.recordCount(), 2);
  EXPECT_EQ(ds.changeCount(), 2);
  const DataPacket delta = ds.delta();
  ASSERT_EQ(delta.changes.size(), 2u);
  EXPECT_EQ(delta.changes[0].kind, ChangeKind::Modify);
  EXPECT_EQ(delta.rows[0], (Row{Variant("P2"), Variant(2.0)}));
  EXPECT_EQ(delta.changes[1].kind, ChangeKind::Insert);
  ds.cancelUpdates();
  EXPECT_EQ(ds.recordCount(), 1);
  EXPECT_EQ(ds.fieldByName("QTDE").asFloat(), 1.0);
}

// --- The change log ---

class ChangeLog : public ::testing::Test {
 protected:
  void SetUp() override {
    ds_.setData(makePacket(
        {{"ID", FieldType::Integer, 0}, {"V", FieldType::Text, 5}},
        {{Variant(1), Variant("a")}, {Variant(2), Variant("b")}, {Variant(3), Variant("c")}}));
  }
  void set(int id, const char* v) {
    ASSERT_TRUE(ds_.locate("ID", Variant(id)));
    ds_.edit();
    ds_.fieldByName("V").setAsString(v);
    ds_.post();
  }
  void add(int id, const char* v) {
    ds_.append();
    ds_.fieldByName("ID").setAsInteger(id);
    ds_.fieldByName("V").setAsString(v);
    ds_.post();
  }
  void remove(int id) {
    ASSERT_TRUE(ds_.locate("ID", Variant(id)));
    ds_.deleteRecord();
  }
  ClientDataSet ds_;
};

TEST_F(ChangeLog, OneEntryPerRecordInTheOrderOfFirstChange) {
  set(2, "x");
  add(9, "new");
  set(2, "y");      // still one modify, with the loaded original
  set(9, "newer");  // still one insert
  add(8, "gone");
  remove(8);  // an insert deleted vanishes
  set(3, "z");
  remove(3);  // a modify deleted is a delete of the loaded values
  remove(1);
  const DataPacket d = ds_.delta();
  ASSERT_EQ(d.changes.size(), 4u);
  EXPECT_EQ(d.changes[0], (Change{ChangeKind::Modify, 0, {Variant(2), Variant("b")}}));
  EXPECT_EQ(d.rows[0], (Row{Variant(2), Variant("y")}));
  EXPECT_EQ(d.changes[1], (Change{ChangeKind::Insert, 1, {}}));
  EXPECT_EQ(d.rows[1], (Row{Variant(9), Variant("newer")}));
  EXPECT_EQ(d.changes[2], (Change{ChangeKind::Delete, -1, {Variant(3), Variant("c")}}));
  EXPECT_EQ(d.changes[3], (Change{ChangeKind::Delete, -1, {Variant(1), Variant("a")}}));
  EXPECT_EQ(ds_.changeCount(), 4);
  EXPECT_NO_THROW(d.validate());
  EXPECT_NO_THROW(ds_.data().validate());
}

TEST_F(ChangeLog, UnchangedEditLogsNothing) {
  set(2, "b");
  EXPECT_EQ(ds_.changeCount(), 0);
  set(2, "q");
  set(2, "b");  // back to the original: still a logged modify
  EXPECT_EQ(ds_.changeCount(), 1);
}

TEST_F(ChangeLog, CancelUpdatesRestoresRecordsInTheirPlaces) {
  const DataPacket loaded = ds_.data();
  set(1, "x");
  remove(2);
  add(7, "n");
  ds_.first();
  ds_.insert();
  ds_.fieldByName("ID").setAsInteger(6);
  ds_.post();
  ds_.cancelUpdates();
  EXPECT_EQ(ds_.data(), loaded);
  EXPECT_EQ(ds_.changeCount(), 0);
}

TEST_F(ChangeLog, MergeMakesChangesTheLoadedState) {
  set(1, "x");
  remove(2);
  add(7, "n");
  ds_.mergeChangeLog();
  EXPECT_EQ(ds_.changeCount(), 0);
  const DataPacket merged = ds_.data();
  set(3, "q");
  remove(7);
  ds_.cancelUpdates();
  EXPECT_EQ(ds_.data(), merged);
}

TEST_F(ChangeLog, DataRoundTripKeepsTheLog) {
  set(1, "x");
  add(5, "e");
  remove(3);
  ClientDataSet copy;
  copy.setData(ds_.data());
  EXPECT_EQ(copy.data(), ds_.data());
  EXPECT_EQ(copy.delta(), ds_.delta());
  ClientDataSet fromJson;
  fromJson.setData(encodePacket(ds_.data()));
  EXPECT_EQ(fromJson.delta(), ds_.delta());
}

TEST_F(ChangeLog, EmptyDataSetForgetsRecordsAndLog) {
  set(1, "x");
  ds_.emptyDataSet();
  EXPECT_TRUE(ds_.isEmpty());
  EXPECT_EQ(ds_.changeCount(), 0);
  EXPECT_EQ(ds_.fields().size(), 2u);
  add(1, "again");
  EXPECT_EQ(ds_.recordCount(), 1);
}

// --- Bookmarks and lifecycle ---

TEST(Bookmarks, FindTheSamePlaceAfterAReload) {
  const DataPacket month = makePacket({{"DTDATA", FieldType::Integer, 0}},
                                      {{Variant(1)}, {Variant(2)}, {Variant(3)}, {Variant(4)}});
  ClientDataSet ds;
  ds.setData(month);
  ds.setRecNo(3);
  const Bookmark day = ds.getBookmark();
  ds.append();
  ds.fieldByName("DTDATA").setAsInteger(5);
  ds.post();
  const Bookmark added = ds.getBookmark();
  ds.setData(month);
  ASSERT_TRUE(ds.bookmarkValid(day));
  EXPECT_FALSE(ds.bookmarkValid(added));
  ds.gotoBookmark(day);
  EXPECT_EQ(ds.fieldByName("DTDATA").asInteger(), 3);
  EXPECT_THROW(ds.gotoBookmark(added), DataSetError);
  ClientDataSet other;
  other.setData(month);
  EXPECT_FALSE(other.bookmarkValid(day));
  Bookmark b = day;
  ds.freeBookmark(b);
  EXPECT_TRUE(b.isNull());
  EXPECT_FALSE(ds.bookmarkValid(b));
}

TEST(Bookmarks, HiddenRecordIsNotValid) {
  ClientDataSet ds;
  ds.setData(makePacket({{"A", FieldType::Integer, 0}}, {{Variant(1)}, {Variant(2)}}));
  ds.last();
  const Bookmark b = ds.getBookmark();
  ds.setFilter("A = 1");
  ds.setFiltered(true);
  EXPECT_FALSE(ds.bookmarkValid(b));
  ds.setFiltered(false);
  EXPECT_TRUE(ds.bookmarkValid(b));
}

TEST(Lifecycle, OpenCloseAndCreate) {
  ClientDataSet ds;
  EXPECT_THROW(ds.createDataSet(), DataSetError);  // no fields
  ds.addField("A", FieldType::Integer);
  ds.createDataSet();
  EXPECT_TRUE(ds.active());
  EXPECT_EQ(ds.state(), DataSetState::Browse);
  EXPECT_TRUE(ds.isEmpty() && ds.bof() && ds.eof());
  EXPECT_THROW(ds.createDataSet(), DataSetError);
  ds.append();
  ds.fieldByName("A").setAsInteger(1);
  ds.close();  // drops the pending insert
  EXPECT_FALSE(ds.active());
  EXPECT_EQ(ds.state(), DataSetState::Inactive);
  EXPECT_THROW(ds.first(), DataSetError);
  EXPECT_THROW(ds.emptyDataSet(), DataSetError);
  ds.createDataSet();
  EXPECT_TRUE(ds.isEmpty());
  EXPECT_EQ(ds.changeCount(), 0);
}

}  // namespace
}  // namespace platform
