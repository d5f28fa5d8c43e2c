// Field definitions of the screen's datasets as tables: one row per field, in field order.
#pragma once

#include <initializer_list>

#include "platform/client_dataset.h"

namespace screen {

struct FieldDef {
  const char* name = "";
  platform::FieldType type = platform::FieldType::Text;
  int size = 0;
  platform::FieldKind kind = platform::FieldKind::Data;
  const char* label = "";       // empty: the field name is shown
  const char* format = "";      // display format
  bool sameEditFormat = false;  // the display format is also the edit format
  bool visible = true;
  bool readOnly = false;
  int displayWidth = 0;  // characters; 0 keeps the type's default
};

// Costs and quantities are shown, and edited, with five decimals and thousands separators.
inline constexpr const char* kCostFormat = "#,###,##0.00000";

// A float field in the cost format; calculated when `kind` says so.
constexpr FieldDef costField(const char* name, const char* label,
                             platform::FieldKind kind = platform::FieldKind::Data) {
  return {.name = name,
          .type = platform::FieldType::Float,
          .kind = kind,
          .label = label,
          .format = kCostFormat,
          .sameEditFormat = true};
}

// Adds the fields in order. REQUIRES: the dataset is closed and has none of these names.
void defineFields(platform::ClientDataSet& dataSet, std::initializer_list<FieldDef> fields);

}  // namespace screen
