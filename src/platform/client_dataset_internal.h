// Private parts of ClientDataSet shared by its source files.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

#include "platform/client_dataset.h"

namespace platform {

enum class RecordChange { None, Inserted, Modified };

struct ClientDataSet::Record {
  Row data;
  Row calc;
  int64_t id = 0;       // bookmark number
  int64_t basePos = 0;  // physical position when loaded or last merged
  int phys = 0;         // physical position now
  RecordChange change = RecordChange::None;
  Row original;        // Modified: the values when loaded or last merged
  int64_t seq = 0;     // order of the first logged change
  bool passes = true;  // filter result, kept current while filtered
};

struct ClientDataSet::Deleted {
  Row original;
  int64_t seq = 0;
  int64_t id = 0;
  int64_t basePos = 0;
};

namespace dataset_detail {

inline const Variant& nullValue() {
  static const Variant kNull = Variant::null();
  return kNull;
}

// Equal values, NaN equal to NaN, so an unchanged NaN is not a change.
inline bool sameValue(const Variant& a, const Variant& b) {
  if (a.type() == Variant::Type::Double && b.type() == Variant::Type::Double &&
      std::isnan(a.toDouble()) && std::isnan(b.toDouble())) {
    return true;
  }
  if (a.isNull() && b.isNull()) return true;
  return a == b;
}

// Total order of two values of one field type: Null first, NaN before numbers, text byte-wise.
int compareValues(FieldType type, const Variant& a, const Variant& b);

bool equalsNoCase(std::string_view a, std::string_view b);
// ASCII letters and the Latin-1 letters of UTF-8 folded to lower case.
std::string foldCase(std::string_view text);

}  // namespace dataset_detail
}  // namespace platform
