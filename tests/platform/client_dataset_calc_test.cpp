// Calculated fields: eager computation, calc-state reads across datasets, empty start, and
// handler failures undoing the operation that ran them.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "client_dataset_helpers.h"
#include "platform/abort.h"
#include "platform/client_dataset.h"
#include "platform/format.h"

namespace platform {
namespace {

using testing::makePacket;
using testing::Snapshot;

class CalcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ds_.addField("A", FieldType::Integer);
    ds_.addField("Double", FieldType::Integer, 0, FieldKind::Calculated);
    ds_.addField("Positive", FieldType::Text, 1, FieldKind::Calculated);
    ds_.onCalcFields = [this](ClientDataSet& d) {
      ++calls_;
      states_.push_back(d.state());
      const int a = d.fieldByName("A").asInteger();
      d.fieldByName("Double").setAsInteger(a * 2);
      if (a > 0) d.fieldByName("Positive").setAsString("S");
      if (failAt_ == a) throw Abort();
    };
    ds_.setData(makePacket({{"A", FieldType::Integer, 0}},
                           {{Variant(1)}, {Variant(2)}, {Variant(3)}, {Variant(4)}}));
    calls_ = 0;
    states_.clear();
  }

  ClientDataSet ds_;
  int calls_ = 0;
  int failAt_ = -1;
  std::vector<DataSetState> states_;
};

struct CountCase {
  const char* name;
  std::function<void(ClientDataSet&)> op;
  int calls;
};

class CalcCount : public CalcTest, public ::testing::WithParamInterface<CountCase> {};

TEST_P(CalcCount, RunsOncePerRecordThatChanged) {
  GetParam().op(ds_);
  EXPECT_EQ(calls_, GetParam().calls);
  for (DataSetState s : states_)
    EXPECT_EQ(s, DataSetState::CalcFields);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, CalcCount,
    ::testing::Values(CountCase{"reads",
                                [](ClientDataSet& d) {
                                  for (int i = 0; i < 3; ++i)
                                    d.fieldByName("Double").asInteger();
                                  d.next();
                                  d.last();
                                },
                                0},
                      CountCase{"filter",
                                [](ClientDataSet& d) {
                                  d.setFilter("A > 2");
                                  d.setFiltered(true);
                                },
                                2},
                      CountCase{"filterTextWhileUnfiltered",
                                [](ClientDataSet& d) { d.setFilter("A > 2"); }, 0},
                      CountCase{"index", [](ClientDataSet& d) { d.setIndexFieldNames("A"); }, 4},
                      CountCase{"insertStart", [](ClientDataSet& d) { d.append(); }, 1},
                      CountCase{"assignTwice",
                                [](ClientDataSet& d) {
                                  d.edit();
                                  d.fieldByName("A").setAsInteger(7);
                                  d.fieldByName("A").setAsInteger(8);
                                },
                                2},
                      CountCase{"editStartOnly", [](ClientDataSet& d) { d.edit(); }, 0},
                      CountCase{"post",
                                [](ClientDataSet& d) {
                                  d.edit();
                                  d.post();
                                },
                                1},
                      CountCase{"cancel",
                                [](ClientDataSet& d) {
                                  d.edit();
                                  d.cancel();
                                },
                                1},
                      CountCase{"delete", [](ClientDataSet& d) { d.deleteRecord(); }, 3},
                      CountCase{"merge", [](ClientDataSet& d) { d.mergeChangeLog(); }, 4},
                      CountCase{"cancelUpdates", [](ClientDataSet& d) { d.cancelUpdates(); }, 4},
                      CountCase{"resync", [](ClientDataSet& d) { d.resync(); }, 4},
                      CountCase{"refresh", [](ClientDataSet& d) { d.refresh(); }, 4},
                      CountCase{"emptyDataSet", [](ClientDataSet& d) { d.emptyDataSet(); }, 0}),
    [](const ::testing::TestParamInfo<CountCase>& p) { return std::string(p.param.name); });

TEST_F(CalcTest, ValuesFollowTheData) {
  EXPECT_EQ(ds_.fieldByName("Double").asInteger(), 2);
  ds_.edit();
  ds_.fieldByName("A").setAsInteger(-5);
  EXPECT_EQ(ds_.fieldByName("Double").asInteger(), -10);
  // Each calculation starts from empty fields: no "S" left over from the value 1.
  EXPECT_TRUE(ds_.fieldByName("Positive").isNull());
  ds_.cancel();
  EXPECT_EQ(ds_.fieldByName("Positive").asString(), "S");
}

TEST_F(CalcTest, HiddenRecordsAreComputedWhenTheyAppear) {
  ds_.setFilter("A < 3");
  ds_.setFiltered(true);
  ds_.last();
  ds_.edit();
  ds_.fieldByName("A").setAsInteger(10);  // leaves the filter on post
  ds_.post();
  ds_.setFiltered(false);
  ASSERT_TRUE(ds_.locate("A", Variant(10)));
  EXPECT_EQ(ds_.fieldByName("Double").asInteger(), 20);
}

TEST_F(CalcTest, HandlerCannotMoveOrChangeItsOwnDataSet) {
  ds_.onCalcFields = [](ClientDataSet& d) {
    EXPECT_EQ(d.recordCount(), 4);  // reading is fine
    EXPECT_THROW(d.next(), DataSetError);
    EXPECT_THROW(d.setFiltered(true), DataSetError);
    EXPECT_THROW(d.edit(), DataSetError);
  };
  ds_.resync();
}

struct FailCase {
  const char* name;
  std::function<void(ClientDataSet&)> op;
};

class CalcFailure : public CalcTest, public ::testing::WithParamInterface<FailCase> {};

TEST_P(CalcFailure, UndoesTheOperation) {
  ds_.setRecNo(2);
  ds_.edit();
  ds_.fieldByName("A").setAsInteger(20);
  ds_.post();
  const Snapshot before = Snapshot::of(ds_);
  failAt_ = 3;  // the handler throws for the record holding 3
  EXPECT_THROW(GetParam().op(ds_), Abort);
  EXPECT_TRUE(Snapshot::of(ds_) == before);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, CalcFailure,
    ::testing::Values(FailCase{"filtered", [](ClientDataSet& d) { d.setFiltered(true); }},
                      FailCase{"index", [](ClientDataSet& d) { d.setIndexFieldNames("A"); }},
                      FailCase{"delete", [](ClientDataSet& d) { d.deleteRecord(); }},
                      FailCase{"merge", [](ClientDataSet& d) { d.mergeChangeLog(); }},
                      FailCase{"cancelUpdates", [](ClientDataSet& d) { d.cancelUpdates(); }},
                      FailCase{"refresh", [](ClientDataSet& d) { d.refresh(); }},
                      FailCase{"resync", [](ClientDataSet& d) { d.resync(); }},
                      FailCase{"reload",
                               [](ClientDataSet& d) {
                                 d.setData(makePacket(
                                     {{"A", FieldType::Integer, 0}, {"B", FieldType::Text, 2}},
                                     {{Variant(3), Variant("x")}}));
                               }}),
    [](const ::testing::TestParamInfo<FailCase>& p) { return std::string(p.param.name); });

TEST_F(CalcTest, FailingAssignmentKeepsTheOldValue) {
  ds_.edit();
  failAt_ = 3;
  EXPECT_THROW(ds_.fieldByName("A").setAsInteger(3), Abort);
  EXPECT_EQ(ds_.fieldByName("A").asInteger(), 1);
  EXPECT_EQ(ds_.fieldByName("Double").asInteger(), 2);
  ds_.fieldByName("A").setAsInteger(5);
  failAt_ = 5;
  EXPECT_THROW(ds_.post(), Abort);
  EXPECT_EQ(ds_.state(), DataSetState::Edit);
  EXPECT_EQ(ds_.changeCount(), 0);
}

// The menu screen's pattern: each dish's handler filters the products to the dish and adds up
// their totals; each product's handler reads the diners of the dish being computed.
TEST(CalcAcrossDataSets, ReadsSeeTheRecordBeingComputed) {
  ClientDataSet dishes("cdsCardapio"), products("cdsProduto");
  dishes.addField("CDPRATO", FieldType::Text, 10);
  dishes.addField("COMENSPRATO", FieldType::Float);
  dishes.addField("CustoPrato", FieldType::Float, 0, FieldKind::Calculated);
  products.addField("CDPRATO", FieldType::Text, 10);
  products.addField("QTDEBRUTA", FieldType::Float);
  products.addField("CUSTOPROD", FieldType::Float);
  products.addField("QtdeTotal", FieldType::Float, 0, FieldKind::Calculated);
  products.addField("CustoTotal", FieldType::Float, 0, FieldKind::Calculated);

  std::vector<DataSetState> dishStatesSeen;
  products.onCalcFields = [&](ClientDataSet& p) {
    dishStatesSeen.push_back(dishes.state());
    const double diners = dishes.fieldByName("COMENSPRATO").asFloat();
    const double qty = roundDec(p.fieldByName("QTDEBRUTA").asFloat() * diners, 5);
    p.fieldByName("QtdeTotal").setAsFloat(qty);
    p.fieldByName("CustoTotal").setAsFloat(roundDec(p.fieldByName("CUSTOPROD").asFloat() * qty, 5));
  };
  dishes.onCalcFields = [&](ClientDataSet& d) {
    if (!products.active()) return;
    products.setFiltered(false);
    products.setFilter("CDPRATO = '" + d.fieldByName("CDPRATO").asString() + "'");
    products.setFiltered(true);
    double sum = 0;
    for (products.first(); !products.eof(); products.next()) {
      sum += products.fieldByName("CustoTotal").asFloat();
    }
    d.fieldByName("CustoPrato").setAsFloat(sum);
    products.setFiltered(false);
  };

  products.setData(makePacket({{"CDPRATO", FieldType::Text, 10},
                               {"QTDEBRUTA", FieldType::Float, 0},
                               {"CUSTOPROD", FieldType::Float, 0}},
                              {{Variant("1"), Variant(0.25), Variant(3.2)},
                               {Variant("1"), Variant(0.1), Variant(10.0)},
                               {Variant("2"), Variant(0.1234567), Variant(10.0)}}));
  dishes.setData(
      makePacket({{"CDPRATO", FieldType::Text, 10}, {"COMENSPRATO", FieldType::Float, 0}},
                 {{Variant("1"), Variant(120.0)}, {Variant("2"), Variant(1.0)}}));

  EXPECT_DOUBLE_EQ(dishes.fieldByName("CustoPrato").asFloat(), 96 + 120);
  dishes.next();
  EXPECT_DOUBLE_EQ(dishes.fieldByName("CustoPrato").asFloat(), 1.2346);
  ASSERT_FALSE(dishStatesSeen.empty());
  EXPECT_EQ(dishStatesSeen.back(), DataSetState::CalcFields);

  // Editing the diners recomputes the dish, which recomputes its products with the new diners.
  dishes.first();
  dishes.edit();
  dishes.fieldByName("COMENSPRATO").setAsFloat(10);
  EXPECT_DOUBLE_EQ(dishes.fieldByName("CustoPrato").asFloat(), 8 + 10);
  dishes.cancel();
  EXPECT_DOUBLE_EQ(dishes.fieldByName("CustoPrato").asFloat(), 96 + 120);
}

TEST(CalcWithoutHandler, CalculatedFieldsStayNull) {
  ClientDataSet ds;
  ds.addField("A", FieldType::Integer);
  ds.addField("C", FieldType::Float, 0, FieldKind::Calculated);
  ds.setData(makePacket({{"A", FieldType::Integer, 0}}, {{Variant(1)}}));
  EXPECT_TRUE(ds.fieldByName("C").isNull());
  EXPECT_EQ(ds.fieldByName("C").asFloat(), 0.0);
}

}  // namespace
}  // namespace platform
