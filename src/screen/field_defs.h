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

// Adds the fields in order. REQUIRES: the dataset is closed and has none of these names.
void defineFields(platform::ClientDataSet& dataSet, std::initializer_list<FieldDef> fields);

}  // namespace screen
