// Reading a field of a dataset that may not be open yet: a closed dataset reads as empty, the
// way an unloaded table shows nothing.
#pragma once

#include <string>
#include <string_view>

#include "platform/client_dataset.h"

namespace screen {

inline double fieldFloat(const platform::ClientDataSet& dataSet, std::string_view name) {
  return dataSet.active() ? dataSet.fieldByName(name).asFloat() : 0.0;
}

inline std::string fieldText(const platform::ClientDataSet& dataSet, std::string_view name) {
  return dataSet.active() ? dataSet.fieldByName(name).asString() : std::string();
}

inline double fieldDate(const platform::ClientDataSet& dataSet, std::string_view name) {
  return dataSet.active() ? dataSet.fieldByName(name).asDateTime() : 0.0;
}

inline bool isEditing(const platform::ClientDataSet& dataSet) {
  return dataSet.state() == platform::DataSetState::Edit ||
         dataSet.state() == platform::DataSetState::Insert;
}

}  // namespace screen
