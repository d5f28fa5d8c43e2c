// DataPacket: the serialised content of a client dataset as the application server sends and
// receives it: field definitions, rows and the change log.
//
// Calculated fields are never part of a packet. Every row has exactly one value per field, in the
// order of `fields`; a value is Null or of the field's type (text for Text/FixedText, Double for
// Float, Int32/Int64 for Integer, DateTime for DateTime, Bool for Boolean).
//
// JSON encoding (see encodePacket):
//   {"fields":[{"name":"CDPRODUTO","type":"text","size":10}, ...],
//    "rows":[[...], ...],
//    "changes":[{"kind":"insert","row":N},
//               {"kind":"modify","row":N,"original":[...]},
//               {"kind":"delete","original":[...]}]}
// Type names: "text", "fixedtext", "float", "integer", "datetime", "boolean". Dates inside rows
// are {"$date": n}. "changes" may be omitted when empty, "size" when 0; "row" is omitted for a
// delete. Members may come in any order; unknown members are refused (a misspelt "changes"
// must not drop a change log silently).
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/variant.h"

namespace platform {

enum class FieldType { Text, FixedText, Float, Integer, DateTime, Boolean };

const char* fieldTypeName(FieldType type);  // the packet's type names above

struct PacketField {
  std::string name;
  FieldType type = FieldType::Text;
  int size = 0;  // characters for text fields, 0 otherwise
  bool operator==(const PacketField&) const = default;
};

using Row = std::vector<Variant>;

enum class ChangeKind { Insert, Modify, Delete };

// One entry of the change log, in the order the changes were made (one entry per record: an
// insert later modified stays one insert; a modify keeps the values of the first load).
struct Change {
  ChangeKind kind = ChangeKind::Insert;
  // Insert and Modify: index into DataPacket::rows of the record as it is now. Delete: -1.
  int row = -1;
  // Modify and Delete: the record as it was loaded or last merged. Insert: empty.
  Row original;
  bool operator==(const Change&) const = default;
};

// Raised for a packet that cannot be read; the text says what and where.
class PacketError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct DataPacket {
  std::vector<PacketField> fields;
  std::vector<Row> rows;
  std::vector<Change> changes;

  // Index of the field named `name` (ASCII case-insensitive), or -1.
  int fieldIndex(std::string_view name) const;
  // The value of field `name` in row `row`. Throws std::out_of_range for an unknown field or row.
  const Variant& value(size_t row, std::string_view name) const;

  // Checks the invariants above; throws PacketError naming the first problem and where it is
  // ("Invalid data packet: row 3: field 'QTDE' expects float, got text"):
  //  - fields: a non-empty name, unique regardless of case; size >= 0;
  //  - rows: one value per field; each value Null (or Empty) or of the field's type, where Float
  //    takes Int32/Int64/Double and Integer Int32/Int64; text no longer than a text field's
  //    size in characters (UTF-8 code points) when size > 0;
  //  - changes: Insert and Modify name an existing row (0 <= row < rows.size()), Delete has row
  //    -1; Modify and Delete carry an `original` of one valid value per field, Insert none;
  //    no row has more than one change.
  void validate() const;

  bool operator==(const DataPacket&) const = default;
};

// Encodes as the JSON object described above. Does not validate: encode what validate() accepts
// if it is to be decoded again.
std::string encodePacket(const DataPacket& packet);
void encodePacketTo(std::string& out, const DataPacket& packet);  // appends encodePacket()

// Decodes and validates. Throws PacketError with one clear message for malformed JSON, an unknown
// type, a row of the wrong width, a value of the wrong type or a bad change entry. Integers in a
// Float field are read as Double, so every Float value of a decoded packet is a Double.
// GUARANTEES: decodePacket(encodePacket(p)) == p for every p decodePacket returned.
DataPacket decodePacket(std::string_view json);
// The building block of decodePacket and of the Variant decoder: reads the packet object that
// comes next in `reader` and validates it. Throws PacketError for a packet that is well-formed
// JSON but not a valid packet, json::ParseError for malformed JSON outside the rows.
DataPacket readPacket(json::Reader& reader);

}  // namespace platform
