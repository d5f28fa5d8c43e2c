// Field: one column of a ClientDataSet, with its display properties and typed access to the
// value of the dataset's active record.
//
// A Field never holds a value itself: every read and write goes to the record its dataset makes
// active at that moment:
//   - while the dataset computes calculated fields (state CalcFields): the record being computed,
//     whoever reads (also another dataset's handler);
//   - inside ClientDataSet::withDisplayRow: the record of that display row;
//   - in Edit/Insert state: the edit buffer;
//   - otherwise the current record, or no record at all: an empty or closed dataset reads as
//     Null (handlers read datasets that are not loaded yet).
//
//   Field& qty = ds.fieldByName("QTDERECE");
//   ds.edit();
//   qty.setAsFloat(0.125);        // the edit buffer; calculated fields are recomputed
//   qty.asFloat();                // 0.125
//   qty.displayText();            // "0,12500" with display format "#,##0.00000"
//   ds.post();
//
// Reading a Null value gives 0, 0.0, false or "" through the typed accessors; value() and
// isNull() tell Null apart.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/data_packet.h"
#include "platform/variant.h"

namespace platform {

class ClientDataSet;

// Raised by datasets and fields for a request the current state cannot satisfy ("Field 'X' not
// found", "Dataset not in edit or insert mode"). Nothing has changed when it is raised.
class DataSetError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class FieldKind { Data, Calculated };

class Field {
 public:
  // Display-text handler: returns the text shown for `sender` (displayText true) or edited
  // (false). It runs with the same active record as the read that asked for the text.
  using GetTextHandler = std::function<std::string(const Field& sender, bool displayText)>;

  Field(const Field&) = delete;
  Field& operator=(const Field&) = delete;

  // --- Definition (fixed once added) ---
  const std::string& name() const { return name_; }
  FieldType fieldType() const { return type_; }
  FieldKind kind() const { return kind_; }
  bool isCalculated() const { return kind_ == FieldKind::Calculated; }
  int size() const { return size_; }  // characters for text fields (0: unlimited), else 0
  // Position in dataSet().fields(); -1 once the field has been dropped by a later load.
  int index() const { return index_; }
  ClientDataSet& dataSet() const { return *dataSet_; }

  // --- Presentation properties ---
  // The label, or the name when no label was set.
  const std::string& displayLabel() const { return label_.empty() ? name_ : label_; }
  void setDisplayLabel(std::string label) { label_ = std::move(label); }
  bool visible() const { return visible_; }
  void setVisible(bool visible) { visible_ = visible; }
  // Read-only applies to controls (grids, edits); code may still assign the field.
  bool readOnly() const { return readOnly_; }
  void setReadOnly(bool readOnly) { readOnly_ = readOnly; }
  // A required data field refuses a post while Null ("Field 'X' must have a value").
  bool required() const { return required_; }
  void setRequired(bool required) { required_ = required; }
  // Number and date patterns of format.h; a boolean format is "TrueText;FalseText".
  const std::string& displayFormat() const { return displayFormat_; }
  void setDisplayFormat(std::string format) { displayFormat_ = std::move(format); }
  // The pattern of text(); empty uses the display format (numbers only).
  const std::string& editFormat() const { return editFormat_; }
  void setEditFormat(std::string format) { editFormat_ = std::move(format); }
  // Kept for controls; the field does not apply it.
  const std::string& editMask() const { return editMask_; }
  void setEditMask(std::string mask) { editMask_ = std::move(mask); }
  // Characters; the default depends on the type (a text field's size).
  int displayWidth() const;
  void setDisplayWidth(int width) { displayWidth_ = width; }

  GetTextHandler onGetText;

  // --- Value of the active record ---
  // ERRORS (all reads): DataSetError when a later load dropped the field.
  Variant value() const;  // Null, or a value of the field's type
  bool isNull() const;
  std::string asString() const;  // "" for Null; numbers and dates in the locale's notation
  double asFloat() const;        // 0 for Null; ConversionError for text that is no number
  int32_t asInteger() const;     // 0 for Null; ConversionError when out of range
  int64_t asLargeInt() const;
  double asDateTime() const;  // the day number; 0 for Null
  bool asBoolean() const;     // false for Null

  // The text shown for the value: onGetText(*this, true) when set; otherwise "" for Null, or
  // the value formatted with the display format (numbers: formatFloat; dates: formatDateTime;
  // without a format, the asString() form).
  std::string displayText() const;
  // The text offered for editing: onGetText(*this, false) when set, else as displayText() with
  // the edit format (numbers fall back to the display format, dates to asString()).
  std::string text() const;

  // Assignments. REQUIRES: a data field while the dataset is in Edit or Insert state (else
  // DataSetError "Dataset not in edit or insert mode"); a calculated field only while its
  // dataset computes it (else DataSetError "Field 'X' cannot be modified").
  // GUARANTEES: the value is converted to the field's type (text longer than size() is cut to
  // size() characters); for a data field, the calculated fields of the edited record are
  // recomputed and observers get dataChanged(this).
  // ERRORS: ConversionError when the value cannot be converted; an exception of the
  // calculated-field handler. Either way the field keeps its previous value.
  void setValue(const Variant& value);
  // Text in the locale's notation: "" is Null; numbers accept ',' or '.' as the decimal point
  // and no thousands separators; dates are short dates ("07/03/2026"); booleans
  // "True"/"False"/"1"/"0" (or the two texts of a boolean display format).
  void setAsString(std::string_view text);
  void setAsFloat(double value);
  void setAsInteger(int32_t value);
  void setAsLargeInt(int64_t value);
  void setAsDateTime(double dayNumber);
  void setAsBoolean(bool value);
  void clear();  // sets Null

  // Converts `value` to this field's type without assigning it (Null stays Null).
  // ERRORS: ConversionError.
  Variant convert(const Variant& value) const;

 private:
  friend class ClientDataSet;
  Field(ClientDataSet* dataSet, std::string name, FieldType type, int size, FieldKind kind);

  const Variant& current() const;
  std::string formatValue(const Variant& value, const std::string& pattern) const;

  ClientDataSet* dataSet_;
  std::string name_;
  FieldType type_;
  int size_;
  FieldKind kind_;
  int index_ = -1;
  int slot_ = -1;            // index into the record's data row or calculated row
  bool fromPacket_ = false;  // added by a load rather than defined with addField
  std::string label_;
  bool visible_ = true;
  bool readOnly_ = false;
  bool required_ = false;
  std::string displayFormat_;
  std::string editFormat_;
  std::string editMask_;
  int displayWidth_ = 0;
};

// The locale text of a value of `type` as asString() gives it ("" for Null).
std::string fieldValueText(FieldType type, const Variant& value);

// Cuts UTF-8 `text` to at most `maxChars` code points (0: no limit).
std::string truncateChars(std::string text, int maxChars);

}  // namespace platform
