#include "screen/field_defs.h"

namespace screen {

void defineFields(platform::ClientDataSet& dataSet, std::initializer_list<FieldDef> fields) {
  for (const FieldDef& def : fields) {
    platform::Field& field = dataSet.addField(def.name, def.type, def.size, def.kind);
    field.setDisplayLabel(def.label);
    field.setDisplayFormat(def.format);
    if (def.sameEditFormat) field.setEditFormat(def.format);
    field.setVisible(def.visible);
    field.setReadOnly(def.readOnly);
    if (def.displayWidth > 0) field.setDisplayWidth(def.displayWidth);
  }
}

}  // namespace screen
