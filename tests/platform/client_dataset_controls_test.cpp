// Observers, disableControls/enableControls nesting, and DataSource relaying.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "client_dataset_helpers.h"
#include "platform/client_dataset.h"
#include "platform/data_source.h"

namespace platform {
namespace {

using testing::CountingObserver;
using testing::makePacket;

DataPacket rows() {
  return makePacket({{"ID", FieldType::Integer, 0}}, {{Variant(1)}, {Variant(2)}, {Variant(3)}});
}

struct NotifyCase {
  const char* name;
  std::function<void(ClientDataSet&)> op;
  int data, state, layout;
};

class Notifications : public ::testing::TestWithParam<NotifyCase> {};

TEST_P(Notifications, ReachObservers) {
  ClientDataSet ds;
  ds.setData(rows());
  CountingObserver o(&ds);
  GetParam().op(ds);
  EXPECT_EQ(o.data, GetParam().data);
  EXPECT_EQ(o.state, GetParam().state);
  EXPECT_EQ(o.layout, GetParam().layout);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, Notifications,
    ::testing::Values(
        NotifyCase{"move", [](ClientDataSet& d) { d.next(); }, 1, 0, 0},
        NotifyCase{"noMove", [](ClientDataSet& d) { d.first(); }, 0, 0, 0},
        NotifyCase{"edit", [](ClientDataSet& d) { d.edit(); }, 0, 1, 0},
        NotifyCase{"assign",
                   [](ClientDataSet& d) {
                     d.edit();
                     d.fieldByName("ID").setAsInteger(7);
                   },
                   1, 1, 0},
        NotifyCase{"post",
                   [](ClientDataSet& d) {
                     d.edit();
                     d.post();
                   },
                   0, 2, 1},
        NotifyCase{"insertCancel",
                   [](ClientDataSet& d) {
                     d.insert();
                     d.cancel();
                   },
                   0, 2, 2},
        NotifyCase{"delete", [](ClientDataSet& d) { d.deleteRecord(); }, 0, 0, 1},
        NotifyCase{"filter",
                   [](ClientDataSet& d) {
                     d.setFilter("ID > 1");
                     d.setFiltered(true);
                   },
                   0, 0, 1},
        NotifyCase{"reload", [](ClientDataSet& d) { d.setData(rows()); }, 0, 0, 1},
        NotifyCase{"close", [](ClientDataSet& d) { d.close(); }, 0, 1, 1},
        NotifyCase{"lookup", [](ClientDataSet& d) { d.lookup("ID", Variant(2), "ID"); }, 0, 0, 0}),
    [](const ::testing::TestParamInfo<NotifyCase>& p) { return std::string(p.param.name); });

TEST(DisableControls, NestsAndSendsOneRefresh) {
  ClientDataSet ds;
  ds.setData(rows());
  CountingObserver o(&ds);
  int scrolls = 0;
  ds.afterScroll = [&](ClientDataSet&) { ++scrolls; };
  ds.disableControls();
  ds.disableControls();
  EXPECT_TRUE(ds.controlsDisabled());
  ds.next();
  ds.edit();
  ds.fieldByName("ID").setAsInteger(9);
  ds.post();
  ds.setFilter("ID > 1");
  ds.setFiltered(true);
  EXPECT_EQ(scrolls, 2);  // events are raised all the same
  ds.enableControls();
  EXPECT_TRUE(ds.controlsDisabled());
  EXPECT_EQ(o.total(), 0);
  ds.enableControls();
  EXPECT_FALSE(ds.controlsDisabled());
  EXPECT_EQ(o.layout, 1);
  EXPECT_EQ(o.total(), 1);  // browse before and after: no state notification
  ds.enableControls();      // unmatched: nothing
  EXPECT_EQ(o.total(), 1);
}

TEST(DisableControls, StateChangedWhileDisabledIsReported) {
  ClientDataSet ds;
  ds.setData(rows());
  CountingObserver o(&ds);
  ds.disableControls();
  ds.edit();
  ds.enableControls();
  EXPECT_EQ(o.state, 1);
  EXPECT_EQ(o.layout, 1);
}

TEST(Observers, MayRemoveEachOtherWhileBeingTold) {
  ClientDataSet ds;
  ds.setData(rows());
  CountingObserver second(&ds);
  struct Remover : DataSetObserver {
    DataSetObserver* victim = nullptr;
    int calls = 0;
    void dataChanged(ClientDataSet& d, const Field*) override {
      ++calls;
      d.removeObserver(victim);
    }
  } first;
  first.victim = &second;
  ds.removeObserver(&second);
  ds.addObserver(&first);
  ds.addObserver(&second);
  ds.addObserver(&second);  // once only
  ds.next();
  EXPECT_EQ(first.calls, 1);
  EXPECT_EQ(second.data, 0);
  ds.removeObserver(&first);
}

TEST(Observers, ToldWhenTheDataSetGoes) {
  ClientDataSet* gone = new ClientDataSet;
  CountingObserver o(gone);
  delete gone;
  EXPECT_EQ(o.destroyed, 1);
  EXPECT_EQ(o.dataSet, nullptr);
}

// --- DataSource ---

struct RecordingListener : DataSourceListener {
  std::vector<std::string> log;
  void dataChanged(DataSource&, const Field* f) override {
    log.push_back(f ? "data:" + f->name() : "data");
  }
  void stateChanged(DataSource& s) override {
    log.push_back(std::string("state:") + stateName(s.state()));
  }
  void layoutChanged(DataSource&) override { log.push_back("layout"); }
};

TEST(DataSource, RelaysChangesToHandlersAndListeners) {
  ClientDataSet ds;
  ds.setData(rows());
  DataSource src(&ds);
  RecordingListener listener;
  src.addListener(&listener);
  int dataChanges = 0, stateChanges = 0;
  src.onDataChange = [&](DataSource& s, const Field*) {
    EXPECT_EQ(&s, &src);
    ++dataChanges;
  };
  src.onStateChange = [&](DataSource&) { ++stateChanges; };
  ds.next();
  ds.edit();
  ds.fieldByName("ID").setAsInteger(5);
  ds.post();
  EXPECT_EQ(listener.log,
            (std::vector<std::string>{"data", "state:edit", "data:ID", "state:browse", "layout"}));
  EXPECT_EQ(dataChanges, 3);
  EXPECT_EQ(stateChanges, 2);
  EXPECT_EQ(src.state(), DataSetState::Browse);
}

TEST(DataSource, DisabledSourceIsSilentAndInactive) {
  ClientDataSet ds;
  ds.setData(rows());
  DataSource src(&ds);
  RecordingListener listener;
  src.addListener(&listener);
  int stateChanges = 0;
  src.onStateChange = [&](DataSource&) { ++stateChanges; };
  src.setEnabled(false);
  EXPECT_EQ(src.state(), DataSetState::Inactive);
  EXPECT_EQ(stateChanges, 1);
  listener.log.clear();
  ds.next();
  ds.edit();
  EXPECT_TRUE(listener.log.empty());
  src.setEnabled(true);
  EXPECT_EQ(src.state(), DataSetState::Edit);
  EXPECT_EQ(stateChanges, 2);
  EXPECT_EQ(listener.log, (std::vector<std::string>{"state:edit", "layout"}));
}

TEST(DataSource, HandlerMayDetachItselfAndDataSetMayGoFirst) {
  auto ds = std::make_unique<ClientDataSet>();
  ds->setData(rows());
  DataSource src(ds.get());
  int calls = 0;
  src.onDataChange = [&](DataSource& s, const Field*) {
    ++calls;
    s.onDataChange = nullptr;
  };
  ds->next();
  ds->next();
  EXPECT_EQ(calls, 1);
  int stateChanges = 0;
  src.onStateChange = [&](DataSource&) { ++stateChanges; };
  ds.reset();
  EXPECT_EQ(src.dataSet(), nullptr);
  EXPECT_EQ(src.state(), DataSetState::Inactive);
  EXPECT_EQ(stateChanges, 1);
  ClientDataSet other;
  src.setDataSet(&other);
  EXPECT_EQ(src.dataSet(), &other);
}

TEST(DataSource, FollowsDisableControls) {
  ClientDataSet ds;
  ds.setData(rows());
  DataSource src(&ds);
  int dataChanges = 0;
  src.onDataChange = [&](DataSource&, const Field*) { ++dataChanges; };
  ds.disableControls();
  ds.next();
  ds.next();
  EXPECT_EQ(dataChanges, 0);
  ds.enableControls();
  EXPECT_EQ(dataChanges, 1);
}

}  // namespace
}  // namespace platform
