// Cursor moves and BOF/EOF, locate and lookup, index order, insert positions, display rows.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "client_dataset_helpers.h"
#include "platform/client_dataset.h"
#include "platform/date.h"

namespace platform {
namespace {

using testing::makePacket;

DataPacket letters() {
  return makePacket(
      {{"ID", FieldType::Integer, 0}, {"NAME", FieldType::Text, 20}},
      {{Variant(1), Variant("A")}, {Variant(2), Variant("B")}, {Variant(3), Variant("C")}});
}

int id(ClientDataSet& ds) {
  return ds.fieldByName("ID").asInteger();
}

struct MoveCase {
  const char* name;
  std::function<int(ClientDataSet&)> move;  // returns moveBy's result, else 0
  int id;
  bool bof, eof;
  int moved;
};

class Moves : public ::testing::TestWithParam<MoveCase> {};

TEST_P(Moves, SetCursorAndFlags) {
  const MoveCase& c = GetParam();
  ClientDataSet ds;
  ds.setData(letters());
  EXPECT_EQ(c.move(ds), c.moved);
  EXPECT_EQ(id(ds), c.id);
  EXPECT_EQ(ds.bof(), c.bof);
  EXPECT_EQ(ds.eof(), c.eof);
  EXPECT_EQ(ds.recNo(), c.id);
}

INSTANTIATE_TEST_SUITE_P(
    Walk, Moves,
    ::testing::Values(MoveCase{"opened", [](ClientDataSet&) { return 0; }, 1, true, false, 0},
                      MoveCase{"next",
                               [](ClientDataSet& d) {
                                 d.next();
                                 return 0;
                               },
                               2, false, false, 0},
                      MoveCase{"last",
                               [](ClientDataSet& d) {
                                 d.last();
                                 return 0;
                               },
                               3, false, true, 0},
                      MoveCase{"pastEnd",
                               [](ClientDataSet& d) {
                                 d.next();
                                 d.next();
                                 d.next();
                                 return 0;
                               },
                               3, false, true, 0},
                      MoveCase{"ontoLastIsNotEof", [](ClientDataSet& d) { return d.moveBy(2); }, 3,
                               false, false, 2},
                      MoveCase{"moveByBeyond", [](ClientDataSet& d) { return d.moveBy(7); }, 3,
                               false, true, 2},
                      MoveCase{"moveByBack",
                               [](ClientDataSet& d) {
                                 d.last();
                                 return d.moveBy(-5);
                               },
                               1, true, false, -2},
                      MoveCase{"priorAtFirst",
                               [](ClientDataSet& d) {
                                 d.prior();
                                 return 0;
                               },
                               1, true, false, 0},
                      MoveCase{"backFromEof",
                               [](ClientDataSet& d) {
                                 d.last();
                                 d.prior();
                                 return 0;
                               },
                               2, false, false, 0},
                      MoveCase{"setRecNo",
                               [](ClientDataSet& d) {
                                 d.setRecNo(2);
                                 return 0;
                               },
                               2, false, false, 0},
                      MoveCase{"firstAgain",
                               [](ClientDataSet& d) {
                                 d.last();
                                 d.first();
                                 return 0;
                               },
                               1, true, false, 0},
                      MoveCase{"eofBlocksNext",
                               [](ClientDataSet& d) {
                                 d.last();
                                 return d.moveBy(1);
                               },
                               3, false, true, 0}),
    [](const ::testing::TestParamInfo<MoveCase>& p) { return std::string(p.param.name); });

TEST(Cursor, WalkTheVisibleRecords) {
  ClientDataSet ds;
  ds.setData(letters());
  std::string seen;
  for (ds.first(); !ds.eof(); ds.next())
    seen += ds.fieldByName("NAME").asString();
  EXPECT_EQ(seen, "ABC");
  for (ds.last(); !ds.bof(); ds.prior())
    seen += ds.fieldByName("NAME").asString();
  EXPECT_EQ(seen, "ABCCBA");
}

TEST(Cursor, EmptyDataSet) {
  ClientDataSet ds;
  ds.setData(makePacket({{"ID", FieldType::Integer, 0}}, {}));
  EXPECT_TRUE(ds.bof() && ds.eof() && ds.isEmpty());
  EXPECT_EQ(ds.recNo(), 0);
  ds.next();
  ds.last();
  EXPECT_EQ(ds.moveBy(3), 0);
  EXPECT_TRUE(ds.fieldByName("ID").isNull());
  EXPECT_THROW(ds.deleteRecord(), DataSetError);
  EXPECT_THROW(ds.setRecNo(1), DataSetError);
  EXPECT_TRUE(ds.getBookmark().isNull());
}

TEST(Cursor, DeleteMovesToTheNextElseTheNewLast) {
  ClientDataSet ds;
  ds.setData(letters());
  ds.setRecNo(2);
  ds.deleteRecord();
  EXPECT_EQ(id(ds), 3);
  ds.deleteRecord();
  EXPECT_EQ(id(ds), 1);
  EXPECT_FALSE(ds.bof() || ds.eof());
  ds.deleteRecord();
  EXPECT_TRUE(ds.isEmpty() && ds.bof() && ds.eof());
}

// --- Locate and lookup ---

struct LocateCase {
  const char* name;
  const char* fields;
  Variant values;
  LocateOptions options;
  int found;  // ID of the record found, 0 for none
};

class Locate : public ::testing::TestWithParam<LocateCase> {};

TEST_P(Locate, FindsTheFirstMatch) {
  const LocateCase& c = GetParam();
  ClientDataSet ds;
  ds.setData(makePacket(
      {{"ID", FieldType::Integer, 0},
       {"NAME", FieldType::Text, 20},
       {"DAY", FieldType::DateTime, 0},
       {"QTY", FieldType::Float, 0}},
      {{Variant(1), Variant("Feijão"), Variant::date(encodeDate(2026, 3, 6)), Variant(1.5)},
       {Variant(2), Variant("FEIJÃO preto"), Variant::date(encodeDate(2026, 3, 7)),
        Variant::null()},
       {Variant(3), Variant("arroz"), Variant::date(encodeDate(2026, 3, 7)), Variant(2.0)}}));
  ds.last();
  EXPECT_EQ(ds.locate(c.fields, c.values, c.options), c.found != 0);
  EXPECT_EQ(id(ds), c.found != 0 ? c.found : 3);
}

INSTANTIATE_TEST_SUITE_P(
    Options, Locate,
    ::testing::Values(LocateCase{"exact", "NAME", Variant("arroz"), {}, 3},
                      LocateCase{"caseMatters", "NAME", Variant("ARROZ"), {}, 0},
                      LocateCase{"caseInsensitive", "NAME", Variant("ARROZ"), {true, false}, 3},
                      LocateCase{"accentsFold", "NAME", Variant("feijão preto"), {true, false}, 2},
                      LocateCase{"partial", "NAME", Variant("Fei"), {false, true}, 1},
                      LocateCase{"partialNoCase", "NAME", Variant("feijão p"), {true, true}, 2},
                      LocateCase{"partialIsPrefixOnly", "NAME", Variant("roz"), {false, true}, 0},
                      LocateCase{"number", "ID", Variant(2), {}, 2},
                      LocateCase{"numberAsText", "ID", Variant("2"), {}, 2},
                      LocateCase{"float", "QTY", Variant(2), {}, 3},
                      LocateCase{"null", "QTY", Variant::null(), {}, 2},
                      LocateCase{"dateAsText", "DAY", Variant("07/03/2026"), {}, 2},
                      LocateCase{
                          "severalFields",
                          "DAY;NAME",
                          Variant::array({Variant::date(encodeDate(2026, 3, 7)), Variant("arroz")}),
                          {},
                          3},
                      LocateCase{"severalFieldsNoCase",
                                 "day ; name",
                                 Variant::array({Variant("07/03/2026"), Variant("Arroz")}),
                                 {true, false},
                                 3},
                      LocateCase{"oneElementArray", "ID", Variant::array({Variant(1)}), {}, 1},
                      LocateCase{"missing", "ID", Variant(9), {}, 0}),
    [](const ::testing::TestParamInfo<LocateCase>& p) { return std::string(p.param.name); });

TEST(Locate, Errors) {
  ClientDataSet ds;
  ds.setData(letters());
  EXPECT_THROW(ds.locate("NOPE", Variant(1)), DataSetError);
  EXPECT_THROW(ds.locate("ID;NAME", Variant(1)), DataSetError);
  EXPECT_THROW(ds.locate("ID", Variant("abc")), ConversionError);
  EXPECT_EQ(id(ds), 1);
}

TEST(Lookup, ReturnsValuesWithoutMoving) {
  ClientDataSet ds;
  ds.setData(letters());
  int scrolls = 0;
  ds.afterScroll = [&](ClientDataSet&) { ++scrolls; };
  EXPECT_EQ(ds.lookup("ID", Variant(3), "NAME"), Variant("C"));
  EXPECT_EQ(ds.lookup("NAME", Variant("B"), "ID;NAME"), Variant::array({Variant(2), Variant("B")}));
  EXPECT_TRUE(ds.lookup("ID", Variant(9), "NAME").isNull());
  EXPECT_EQ(id(ds), 1);
  EXPECT_EQ(scrolls, 0);
}

// --- Index order ---

TEST(IndexOrder, KeepsRecordsInKeyOrderWhateverTheyArrivedIn) {
  ClientDataSet ds;
  ds.addField("DTDATA", FieldType::DateTime);
  ds.addField("N", FieldType::Integer);
  ds.addIndex("OrdenaData", "DTDATA");
  ds.setIndexName("OrdenaData");
  ds.setData(makePacket({{"DTDATA", FieldType::DateTime, 0}, {"N", FieldType::Integer, 0}},
                        {{Variant::date(3), Variant(1)},
                         {Variant::null(), Variant(2)},
                         {Variant::date(1), Variant(3)},
                         {Variant::date(3), Variant(4)}}));
  const auto order = [&] {
    std::vector<int> out;
    for (int r = 1; r <= ds.recordCount(); ++r) {
      ds.withDisplayRow(r, [&] { out.push_back(ds.fieldByName("N").asInteger()); });
    }
    return out;
  };
  EXPECT_EQ(order(), (std::vector<int>{2, 3, 1, 4}));  // Null first; equal keys as loaded
  ds.append();
  ds.fieldByName("DTDATA").setAsDateTime(2);
  ds.fieldByName("N").setAsInteger(5);
  ds.post();  // takes its place on post
  EXPECT_EQ(order(), (std::vector<int>{2, 3, 5, 1, 4}));
  EXPECT_EQ(ds.recNo(), 3);
  ds.edit();
  ds.fieldByName("DTDATA").setAsDateTime(9);
  ds.post();
  EXPECT_EQ(order(), (std::vector<int>{2, 3, 1, 4, 5}));
  EXPECT_EQ(ds.recNo(), 5);
  ds.setIndexName("");
  EXPECT_EQ(order(), (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(ds.fieldByName("N").asInteger(), 5);  // the cursor stays on its record
  EXPECT_THROW(ds.setIndexName("Nope"), DataSetError);
  ds.setIndexFieldNames("N;DTDATA");
  EXPECT_EQ(ds.indexFieldNames(), "N;DTDATA");
  EXPECT_THROW(ds.setIndexFieldNames("MISSING"), DataSetError);
  EXPECT_EQ(ds.indexFieldNames(), "N;DTDATA");
}

TEST(IndexOrder, TextKeysCompareByteWise) {
  ClientDataSet ds;
  ds.setIndexFieldNames("T");
  ds.setData(makePacket({{"T", FieldType::Text, 0}},
                        {{Variant("b")}, {Variant("B")}, {Variant("a")}, {Variant("ab")}}));
  std::string seen;
  for (ds.first(); !ds.eof(); ds.next())
    seen += ds.fieldByName("T").asString() + ",";
  EXPECT_EQ(seen, "B,a,ab,b,");
}

// --- Insert positions and display rows ---

TEST(InsertPosition, BeforeTheCurrentOrAtTheEnd) {
  ClientDataSet ds;
  ds.setData(letters());
  ds.setRecNo(2);
  ds.insert();
  EXPECT_EQ(ds.recNo(), 2);
  EXPECT_EQ(ds.recordCount(), 3);
  EXPECT_EQ(ds.displayRowCount(), 4);
  EXPECT_TRUE(ds.getBookmark().isNull());
  ds.fieldByName("ID").setAsInteger(9);
  std::vector<int> rows;
  for (int r = 1; r <= ds.displayRowCount(); ++r) {
    ds.withDisplayRow(r, [&] { rows.push_back(ds.fieldByName("ID").asInteger()); });
  }
  EXPECT_EQ(rows, (std::vector<int>{1, 9, 2, 3}));
  ds.cancel();
  EXPECT_EQ(id(ds), 2);
  ds.insert();
  ds.fieldByName("ID").setAsInteger(9);
  ds.post();
  EXPECT_EQ(ds.recNo(), 2);
  EXPECT_EQ(id(ds), 9);
  ds.append();
  EXPECT_EQ(ds.recNo(), 5);
  ds.fieldByName("ID").setAsInteger(10);
  ds.post();
  EXPECT_EQ(ds.recNo(), 5);
}

TEST(DisplayRows, RangeAndNoChangesWhileShowing) {
  ClientDataSet ds;
  ds.setData(letters());
  EXPECT_THROW(ds.withDisplayRow(0, [] {}), DataSetError);
  EXPECT_THROW(ds.withDisplayRow(4, [] {}), DataSetError);
  ds.withDisplayRow(2, [&] {
    EXPECT_EQ(id(ds), 2);
    EXPECT_THROW(ds.next(), DataSetError);
    ds.withDisplayRow(3, [&] { EXPECT_EQ(id(ds), 3); });
    EXPECT_EQ(id(ds), 2);
  });
  EXPECT_EQ(id(ds), 1);
  ds.edit();
  ds.fieldByName("NAME").setAsString("edited");
  ds.withDisplayRow(1, [&] { EXPECT_EQ(ds.fieldByName("NAME").asString(), "edited"); });
}

}  // namespace
}  // namespace platform
