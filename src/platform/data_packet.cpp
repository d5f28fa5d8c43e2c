#include "platform/data_packet.h"

#include <algorithm>
#include <optional>

#include "platform/json.h"

namespace platform {

namespace {

constexpr FieldType kFieldTypes[] = {FieldType::Text,    FieldType::FixedText, FieldType::Float,
                                     FieldType::Integer, FieldType::DateTime,  FieldType::Boolean};

[[noreturn]] void invalid(const std::string& detail) {
  throw PacketError("Invalid data packet: " + detail);
}

char lowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  }
  return true;
}

// Code points, counting every byte that does not continue a UTF-8 sequence.
size_t characterCount(std::string_view text) {
  size_t count = 0;
  for (const char c : text)
    count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

bool accepts(FieldType field, Variant::Type type) {
  switch (field) {
    case FieldType::Text:
    case FieldType::FixedText:
      return type == Variant::Type::Text;
    case FieldType::Float:
      return type == Variant::Type::Double || type == Variant::Type::Int32 ||
             type == Variant::Type::Int64;
    case FieldType::Integer:
      return type == Variant::Type::Int32 || type == Variant::Type::Int64;
    case FieldType::DateTime:
      return type == Variant::Type::DateTime;
    case FieldType::Boolean:
      return type == Variant::Type::Bool;
  }
  return false;
}

// Names a row, or the original values of a change; spelt out only for a message, since a
// packet has many rows.
struct Where {
  bool change;
  size_t index;
  std::string text() const {
    return change ? "change " + std::to_string(index) + " original"
                  : "row " + std::to_string(index);
  }
};

void checkValues(const std::vector<PacketField>& fields, const Row& values, Where at) {
  if (values.size() != fields.size()) {
    const std::string where = at.text();
    invalid(where + ": expected " + std::to_string(fields.size()) + " values, got " +
            std::to_string(values.size()));
  }
  for (size_t i = 0; i < values.size(); ++i) {
    const Variant& value = values[i];
    if (value.isNull()) continue;
    const PacketField& field = fields[i];
    if (!accepts(field.type, value.type())) {
      invalid(at.text() + ": field '" + field.name + "' expects " + fieldTypeName(field.type) +
              ", got " + typeName(value.type()));
    }
    if (value.isText() && field.size > 0) {
      const size_t length = characterCount(value.toString());
      if (length > static_cast<size_t>(field.size)) {
        invalid(at.text() + ": field '" + field.name + "' holds " + std::to_string(length) +
                " characters, more than its size " + std::to_string(field.size));
      }
    }
  }
}

const char* changeKindName(ChangeKind kind) {
  switch (kind) {
    case ChangeKind::Insert:
      return "insert";
    case ChangeKind::Modify:
      return "modify";
    case ChangeKind::Delete:
      return "delete";
  }
  return "?";
}

void writeRow(std::string& out, const Row& row) {
  out += '[';
  for (size_t i = 0; i < row.size(); ++i) {
    if (i > 0) out += ',';
    row[i].appendJson(out);
  }
  out += ']';
}

// --- decoding ----------------------------------------------------------------------------------

// Tracks which members of an object were seen, refusing repeats.
class Members {
 public:
  explicit Members(std::string where) : where_(std::move(where)) {}
  void see(std::string_view key, int index) {
    if (seen_ & (1u << index)) invalid(where_ + ": member '" + std::string(key) + "' repeated");
    seen_ |= 1u << index;
  }
  bool has(int index) const { return (seen_ & (1u << index)) != 0; }
  [[noreturn]] void unknown(std::string_view key) const {
    invalid(where_ + ": unknown member '" + std::string(key) + "'");
  }

 private:
  std::string where_;
  unsigned seen_ = 0;
};

std::string_view readText(json::Reader& reader, const std::string& what) {
  if (reader.peek() != '"') invalid(what + " must be a text");
  return reader.readString();
}

int64_t readInteger(json::Reader& reader, const std::string& what) {
  const char c = reader.peek();
  if (c != '-' && (c < '0' || c > '9')) invalid(what + " must be an integer");
  const json::Reader::Number number = reader.readNumber();
  if (!number.isInt) invalid(what + " must be an integer");
  return number.i;
}

// Whatever is not the expected container: the end of the text or a byte that starts no value is
// a syntax error, any other value a packet error.
void expectContainer(json::Reader& reader, char open, const std::string& what, const char* kind) {
  const char c = reader.peek();
  if (c == open) return;
  if (c == '\0' || std::string_view("\"-0123456789tfn[{").find(c) == std::string_view::npos) {
    reader.unexpected();
  }
  invalid(what + " must be " + kind);
}

void beginArray(json::Reader& reader, const std::string& what) {
  expectContainer(reader, '[', what, "an array");
  reader.beginArray();
}

void beginObject(json::Reader& reader, const std::string& what) {
  expectContainer(reader, '{', what, "an object");
  reader.beginObject();
}

PacketField readField(json::Reader& reader, size_t index) {
  const std::string where = "field " + std::to_string(index);
  beginObject(reader, where);
  PacketField field;
  Members members(where);
  std::string_view key;
  for (bool first = true; reader.nextMember(first, key); first = false) {
    if (key == "name") {
      members.see(key, 0);
      field.name = readText(reader, where + " name");
    } else if (key == "type") {
      members.see(key, 1);
      const std::string_view name = readText(reader, where + " type");
      std::optional<FieldType> type;
      for (const FieldType candidate : kFieldTypes) {
        if (name == fieldTypeName(candidate)) type = candidate;
      }
      if (!type) invalid(where + ": unknown type '" + std::string(name) + "'");
      field.type = *type;
    } else if (key == "size") {
      members.see(key, 2);
      const int64_t size = readInteger(reader, where + " size");
      if (size < 0 || size > 0x7FFFFFFF)
        invalid(where + ": size " + std::to_string(size) + " out of range");
      field.size = static_cast<int>(size);
    } else {
      members.unknown(key);
    }
  }
  if (!members.has(0)) invalid(where + ": missing 'name'");
  if (!members.has(1)) invalid(where + ": missing 'type'");
  return field;
}

Row readValues(json::Reader& reader, Where at, size_t expectedWidth) {
  if (reader.peek() != '[') beginArray(reader, at.text());  // fails, naming the place
  reader.beginArray();
  Row row;
  row.reserve(expectedWidth);
  try {
    for (bool first = true; reader.nextElement(first); first = false) {
      row.push_back(Variant::readJson(reader));
    }
  } catch (const json::ParseError& e) {
    invalid(at.text() + ": " + e.what());
  }
  return row;
}

Change readChange(json::Reader& reader, size_t index, size_t width) {
  const std::string where = "change " + std::to_string(index);
  beginObject(reader, where);
  Change change;
  Members members(where);
  std::string_view key;
  for (bool first = true; reader.nextMember(first, key); first = false) {
    if (key == "kind") {
      members.see(key, 0);
      const std::string_view kind = readText(reader, where + " kind");
      if (kind == "insert") {
        change.kind = ChangeKind::Insert;
      } else if (kind == "modify") {
        change.kind = ChangeKind::Modify;
      } else if (kind == "delete") {
        change.kind = ChangeKind::Delete;
      } else {
        invalid(where + ": unknown kind '" + std::string(kind) + "'");
      }
    } else if (key == "row") {
      members.see(key, 1);
      const int64_t row = readInteger(reader, where + " row");
      if (row < -1 || row > 0x7FFFFFFF)
        invalid(where + ": row " + std::to_string(row) + " out of range");
      change.row = static_cast<int>(row);
    } else if (key == "original") {
      members.see(key, 2);
      change.original = readValues(reader, Where{true, index}, width);
    } else {
      members.unknown(key);
    }
  }
  if (!members.has(0)) invalid(where + ": missing 'kind'");
  if (change.kind != ChangeKind::Delete && !members.has(1)) invalid(where + ": missing 'row'");
  if (change.kind != ChangeKind::Insert && !members.has(2)) invalid(where + ": missing 'original'");
  return change;
}

// Float fields hold doubles; the JSON form may write a whole number as an integer.
void floatsAsDoubles(const std::vector<PacketField>& fields, Row& row) {
  const size_t width = std::min(fields.size(), row.size());
  for (size_t i = 0; i < width; ++i) {
    const Variant::Type type = row[i].type();
    if (fields[i].type == FieldType::Float &&
        (type == Variant::Type::Int32 || type == Variant::Type::Int64)) {
      row[i] = Variant(row[i].toDouble());
    }
  }
}

}  // namespace

const char* fieldTypeName(FieldType type) {
  switch (type) {
    case FieldType::Text:
      return "text";
    case FieldType::FixedText:
      return "fixedtext";
    case FieldType::Float:
      return "float";
    case FieldType::Integer:
      return "integer";
    case FieldType::DateTime:
      return "datetime";
    case FieldType::Boolean:
      return "boolean";
  }
  return "unknown";
}

int DataPacket::fieldIndex(std::string_view name) const {
  for (size_t i = 0; i < fields.size(); ++i) {
    if (equalsIgnoreCase(fields[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

const Variant& DataPacket::value(size_t row, std::string_view name) const {
  const int index = fieldIndex(name);
  if (index < 0) throw std::out_of_range("Field '" + std::string(name) + "' not found");
  if (row >= rows.size() || static_cast<size_t>(index) >= rows[row].size()) {
    throw std::out_of_range("Row " + std::to_string(row) + " out of range (" +
                            std::to_string(rows.size()) + " rows)");
  }
  return rows[row][static_cast<size_t>(index)];
}

void DataPacket::validate() const {
  for (size_t i = 0; i < fields.size(); ++i) {
    const PacketField& field = fields[i];
    if (field.name.empty()) invalid("field " + std::to_string(i) + " has no name");
    if (field.size < 0) {
      invalid("field '" + field.name + "' has a negative size " + std::to_string(field.size));
    }
  }
  // Sorted by folded name, so a hostile packet with many fields costs n log n, not n^2.
  std::vector<std::pair<std::string, size_t>> names;
  names.reserve(fields.size());
  for (size_t i = 0; i < fields.size(); ++i) {
    std::string folded = fields[i].name;
    for (char& c : folded)
      c = lowerAscii(c);
    names.emplace_back(std::move(folded), i);
  }
  std::sort(names.begin(), names.end());
  for (size_t i = 1; i < names.size(); ++i) {
    if (names[i].first == names[i - 1].first) {
      invalid("field '" + fields[names[i].second].name + "' appears twice");
    }
  }
  for (size_t i = 0; i < rows.size(); ++i)
    checkValues(fields, rows[i], Where{false, i});

  std::vector<bool> changed(rows.size(), false);
  for (size_t i = 0; i < changes.size(); ++i) {
    const Change& change = changes[i];
    const std::string where = "change " + std::to_string(i);
    const std::string kind = changeKindName(change.kind);
    if (change.kind == ChangeKind::Delete) {
      if (change.row != -1)
        invalid(where + ": a delete has row -1, not " + std::to_string(change.row));
    } else {
      if (change.row < 0 || static_cast<size_t>(change.row) >= rows.size()) {
        invalid(where + ": " + kind + " of row " + std::to_string(change.row) + ", but there are " +
                std::to_string(rows.size()) + " rows");
      }
      if (changed[static_cast<size_t>(change.row)]) {
        invalid(where + ": row " + std::to_string(change.row) + " has more than one change");
      }
      changed[static_cast<size_t>(change.row)] = true;
    }
    if (change.kind == ChangeKind::Insert) {
      if (!change.original.empty()) invalid(where + ": an insert carries no original values");
    } else {
      checkValues(fields, change.original, Where{true, i});
    }
  }
}

void encodePacketTo(std::string& out, const DataPacket& packet) {
  out += "{\"fields\":[";
  for (size_t i = 0; i < packet.fields.size(); ++i) {
    const PacketField& field = packet.fields[i];
    if (i > 0) out += ',';
    out += "{\"name\":";
    json::writeString(out, field.name);
    out += ",\"type\":\"";
    out += fieldTypeName(field.type);
    out += '"';
    if (field.size != 0) {
      out += ",\"size\":";
      out += std::to_string(field.size);
    }
    out += '}';
  }
  out += "],\"rows\":[";
  for (size_t i = 0; i < packet.rows.size(); ++i) {
    if (i > 0) out += ',';
    writeRow(out, packet.rows[i]);
  }
  out += ']';
  if (!packet.changes.empty()) {
    out += ",\"changes\":[";
    for (size_t i = 0; i < packet.changes.size(); ++i) {
      const Change& change = packet.changes[i];
      if (i > 0) out += ',';
      out += "{\"kind\":\"";
      out += changeKindName(change.kind);
      out += '"';
      if (change.kind != ChangeKind::Delete) {
        out += ",\"row\":";
        out += std::to_string(change.row);
      }
      if (change.kind != ChangeKind::Insert) {
        out += ",\"original\":";
        writeRow(out, change.original);
      }
      out += '}';
    }
    out += ']';
  }
  out += '}';
}

std::string encodePacket(const DataPacket& packet) {
  std::string out;
  // Rows dominate; a dozen bytes per value is a fair first guess.
  out.reserve(64 + packet.fields.size() * 40 + packet.rows.size() * packet.fields.size() * 12);
  encodePacketTo(out, packet);
  return out;
}

DataPacket readPacket(json::Reader& reader) {
  beginObject(reader, "the packet");
  DataPacket packet;
  Members members("the packet");
  std::string_view key;
  for (bool first = true; reader.nextMember(first, key); first = false) {
    if (key == "fields") {
      members.see(key, 0);
      beginArray(reader, "'fields'");
      for (bool firstField = true; reader.nextElement(firstField); firstField = false) {
        packet.fields.push_back(readField(reader, packet.fields.size()));
      }
    } else if (key == "rows") {
      members.see(key, 1);
      beginArray(reader, "'rows'");
      for (bool firstRow = true; reader.nextElement(firstRow); firstRow = false) {
        packet.rows.push_back(
            readValues(reader, Where{false, packet.rows.size()}, packet.fields.size()));
      }
    } else if (key == "changes") {
      members.see(key, 2);
      beginArray(reader, "'changes'");
      for (bool firstChange = true; reader.nextElement(firstChange); firstChange = false) {
        packet.changes.push_back(readChange(reader, packet.changes.size(), packet.fields.size()));
      }
    } else {
      members.unknown(key);
    }
  }
  if (!members.has(0)) invalid("missing 'fields'");
  if (!members.has(1)) invalid("missing 'rows'");
  for (Row& row : packet.rows)
    floatsAsDoubles(packet.fields, row);
  for (Change& change : packet.changes)
    floatsAsDoubles(packet.fields, change.original);
  packet.validate();
  return packet;
}

DataPacket decodePacket(std::string_view json) {
  try {
    json::Reader reader(json);
    DataPacket packet = readPacket(reader);
    reader.finish();
    return packet;
  } catch (const json::ParseError& e) {
    invalid(e.what());
  }
}

}  // namespace platform
