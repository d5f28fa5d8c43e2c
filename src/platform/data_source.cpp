#include "platform/data_source.h"

#include <algorithm>

namespace platform {

DataSource::DataSource(ClientDataSet* dataSet) {
  setDataSet(dataSet);
}

DataSource::~DataSource() {
  if (dataSet_) dataSet_->removeObserver(this);
}

DataSetState DataSource::state() const {
  return dataSet_ && enabled_ ? dataSet_->state() : DataSetState::Inactive;
}

void DataSource::setDataSet(ClientDataSet* dataSet) {
  if (dataSet != dataSet_) relink(dataSet, enabled_);
}

void DataSource::setEnabled(bool enabled) {
  if (enabled != enabled_) relink(dataSet_, enabled);
}

void DataSource::relink(ClientDataSet* dataSet, bool enabled) {
  const DataSetState before = state();
  if (dataSet_) dataSet_->removeObserver(this);
  dataSet_ = dataSet;
  enabled_ = enabled;
  if (dataSet_) dataSet_->addObserver(this);
  tellListeners([this](DataSourceListener* l) { l->stateChanged(*this); });
  tellListeners([this](DataSourceListener* l) { l->layoutChanged(*this); });
  if (state() != before && onStateChange) {
    const StateChangeHandler handler = onStateChange;
    handler(*this);
  }
  if (onDataChange) {
    const DataChangeHandler handler = onDataChange;
    handler(*this, nullptr);
  }
}

void DataSource::addListener(DataSourceListener* listener) {
  if (listener && std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end()) {
    listeners_.push_back(listener);
  }
}

void DataSource::removeListener(DataSourceListener* listener) {
  listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

template <typename Call>
void DataSource::tellListeners(Call call) {
  const std::vector<DataSourceListener*> snapshot = listeners_;
  for (DataSourceListener* l : snapshot) {
    if (std::find(listeners_.begin(), listeners_.end(), l) != listeners_.end()) call(l);
  }
}

void DataSource::dataChanged(ClientDataSet&, const Field* field) {
  if (!enabled_) return;
  tellListeners([&](DataSourceListener* l) { l->dataChanged(*this, field); });
  if (onDataChange) {
    const DataChangeHandler handler = onDataChange;
    handler(*this, field);
  }
}

void DataSource::stateChanged(ClientDataSet&) {
  if (!enabled_) return;
  tellListeners([&](DataSourceListener* l) { l->stateChanged(*this); });
  if (onStateChange) {
    const StateChangeHandler handler = onStateChange;
    handler(*this);
  }
}

void DataSource::layoutChanged(ClientDataSet&) {
  if (!enabled_) return;
  tellListeners([&](DataSourceListener* l) { l->layoutChanged(*this); });
  if (onDataChange) {
    const DataChangeHandler handler = onDataChange;
    handler(*this, nullptr);
  }
}

void DataSource::dataSetDestroyed(ClientDataSet&) {
  // The dataset has already forgotten this observer.
  const DataSetState before = state();
  dataSet_ = nullptr;
  tellListeners([this](DataSourceListener* l) { l->stateChanged(*this); });
  tellListeners([this](DataSourceListener* l) { l->layoutChanged(*this); });
  if (before != DataSetState::Inactive && onStateChange) {
    const StateChangeHandler handler = onStateChange;
    handler(*this);
  }
}

}  // namespace platform
