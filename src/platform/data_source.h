// DataSource: the link between one ClientDataSet and the controls that show it (grids, edits,
// texts, navigators). Controls listen to the data source rather than to the dataset, so that a
// screen can switch a whole group of controls off (enabled) or over to another dataset at once,
// and the screen's own data-change and state-change handlers hang here.
//
//   DataSource dtsCardapio(&cdsCardapio);
//   dtsCardapio.onDataChange = [&](DataSource&, const Field*) { followDish(); };
//   cdsCardapio.next();            // onDataChange(nullptr), listeners dataChanged(nullptr)
//   dtsCardapio.setEnabled(false); // controls show nothing; state() is Inactive
//
// Notifications are relayed only while enabled and while the dataset's controls are not
// disabled (ClientDataSet::disableControls).
#pragma once

#include <functional>
#include <vector>

#include "platform/client_dataset.h"

namespace platform {

class DataSource;

class DataSourceListener {
 public:
  virtual ~DataSourceListener() = default;
  // The current record moved (field null) or `field` of it changed.
  virtual void dataChanged(DataSource& source, const Field* field) {
    (void)source;
    (void)field;
  }
  // state() changed: edit/insert/browse, opened, closed, enabled, disabled or another dataset.
  virtual void stateChanged(DataSource& source) { (void)source; }
  // Re-read everything.
  virtual void layoutChanged(DataSource& source) { (void)source; }
};

class DataSource : private DataSetObserver {
 public:
  using DataChangeHandler = std::function<void(DataSource& sender, const Field* field)>;
  using StateChangeHandler = std::function<void(DataSource& sender)>;

  DataSource() = default;
  explicit DataSource(ClientDataSet* dataSet);
  ~DataSource() override;
  DataSource(const DataSource&) = delete;
  DataSource& operator=(const DataSource&) = delete;

  ClientDataSet* dataSet() const { return dataSet_; }
  // Links another dataset (or none). Listeners get stateChanged and layoutChanged; onStateChange
  // runs when state() differs, onDataChange(nullptr) always.
  void setDataSet(ClientDataSet* dataSet);

  bool enabled() const { return enabled_; }
  // Switching changes state() between Inactive and the dataset's state, with the same
  // notifications as setDataSet.
  void setEnabled(bool enabled);

  // The dataset's state; Inactive without a dataset or while disabled.
  DataSetState state() const;

  // Run on every dataChanged and layoutChanged of the dataset (field null for a move or a
  // layout change), and on state changes. A handler may replace or clear itself while running.
  DataChangeHandler onDataChange;
  StateChangeHandler onStateChange;

  // REQUIRES: the listener stays alive until removed or the data source is destroyed.
  void addListener(DataSourceListener* listener);
  void removeListener(DataSourceListener* listener);

 private:
  void dataChanged(ClientDataSet& dataSet, const Field* field) override;
  void stateChanged(ClientDataSet& dataSet) override;
  void layoutChanged(ClientDataSet& dataSet) override;
  void dataSetDestroyed(ClientDataSet& dataSet) override;

  void relink(ClientDataSet* dataSet, bool enabled);
  template <typename Call>
  void tellListeners(Call call);

  ClientDataSet* dataSet_ = nullptr;
  bool enabled_ = true;
  std::vector<DataSourceListener*> listeners_;
};

}  // namespace platform
