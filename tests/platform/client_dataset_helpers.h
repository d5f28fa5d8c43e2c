// Helpers shared by the dataset tests: packet building, event recording, state snapshots.
#pragma once

#include <string>
#include <vector>

#include "platform/abort.h"
#include "platform/client_dataset.h"

namespace platform::testing {

inline DataPacket makePacket(std::vector<PacketField> fields, std::vector<Row> rows) {
  DataPacket p;
  p.fields = std::move(fields);
  p.rows = std::move(rows);
  return p;
}

// Records every event of a dataset by name; throws Abort from the event named abortAt.
struct EventLog {
  std::vector<std::string> events;
  std::string abortAt;

  void attach(ClientDataSet& ds) {
    const auto hook = [this](const char* name) {
      return [this, name](ClientDataSet&) {
        events.push_back(name);
        if (abortAt == name) throw Abort();
      };
    };
    ds.beforeOpen = hook("beforeOpen");
    ds.afterOpen = hook("afterOpen");
    ds.beforeClose = hook("beforeClose");
    ds.afterClose = hook("afterClose");
    ds.beforeScroll = hook("beforeScroll");
    ds.afterScroll = hook("afterScroll");
    ds.beforeInsert = hook("beforeInsert");
    ds.onNewRecord = hook("onNewRecord");
    ds.afterInsert = hook("afterInsert");
    ds.beforeEdit = hook("beforeEdit");
    ds.afterEdit = hook("afterEdit");
    ds.beforePost = hook("beforePost");
    ds.afterPost = hook("afterPost");
    ds.beforeCancel = hook("beforeCancel");
    ds.afterCancel = hook("afterCancel");
    ds.beforeDelete = hook("beforeDelete");
    ds.afterDelete = hook("afterDelete");
  }
};

// Everything observable about a dataset, to check that a refused or failed operation left it
// exactly as it was.
struct Snapshot {
  DataSetState state = DataSetState::Inactive;
  int recNo = 0;
  bool bof = false;
  bool eof = false;
  std::string filter;
  bool filtered = false;
  std::string index;
  int changeCount = 0;
  DataPacket data;
  std::vector<std::vector<Variant>> rows;  // display rows, every field

  static Snapshot of(ClientDataSet& ds) {
    Snapshot s;
    s.state = ds.state();
    s.filter = ds.filter();
    s.filtered = ds.filtered();
    s.index = ds.indexFieldNames();
    if (!ds.active()) return s;
    s.recNo = ds.recNo();
    s.bof = ds.bof();
    s.eof = ds.eof();
    s.changeCount = ds.changeCount();
    s.data = ds.data();
    for (int r = 1; r <= ds.displayRowCount(); ++r) {
      std::vector<Variant> values;
      ds.withDisplayRow(r, [&] {
        for (Field* f : ds.fields())
          values.push_back(f->value());
      });
      s.rows.push_back(std::move(values));
    }
    std::vector<Variant> current;
    for (Field* f : ds.fields())
      current.push_back(f->value());
    s.rows.push_back(std::move(current));
    return s;
  }

  bool operator==(const Snapshot&) const = default;
};

// Counts the notifications an observer receives; leaves its dataset when it goes first.
struct CountingObserver : DataSetObserver {
  explicit CountingObserver(ClientDataSet* watched = nullptr) : dataSet(watched) {
    if (dataSet) dataSet->addObserver(this);
  }
  ~CountingObserver() override {
    if (dataSet) dataSet->removeObserver(this);
  }
  CountingObserver(const CountingObserver&) = delete;
  CountingObserver& operator=(const CountingObserver&) = delete;

  ClientDataSet* dataSet;
  int data = 0, state = 0, layout = 0, destroyed = 0;
  void dataChanged(ClientDataSet&, const Field*) override { ++data; }
  void stateChanged(ClientDataSet&) override { ++state; }
  void layoutChanged(ClientDataSet&) override { ++layout; }
  void dataSetDestroyed(ClientDataSet&) override {
    ++destroyed;
    dataSet = nullptr;
  }
  int total() const { return data + state + layout; }
};

}  // namespace platform::testing
