#include "platform/data_packet.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

namespace platform {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

// A product list as the server sends it after a few edits: nulls, dates with and without time,
// a 64-bit integer, escapes, accents and a character outside the BMP, and a full change log.
DataPacket productPacket() {
  DataPacket p;
  p.fields = {{"CDPRODUTO", FieldType::Text, 10},     {"NMPRODUTO", FieldType::Text, 20},
              {"QTDE", FieldType::Float, 0},          {"NRORDEM", FieldType::Integer, 0},
              {"DTCARDAPIO", FieldType::DateTime, 0}, {"IDATIVO", FieldType::Boolean, 0},
              {"SGUNIDADE", FieldType::FixedText, 2}};
  p.rows = {
      {Variant("00010"), Variant("Feij\xC3\xA3o carioca"), Variant(1.25), Variant(1),
       Variant::date(46082), Variant(true), Variant("KG")},
      {Variant("00020"), Variant("Arroz \"tipo 1\"\t/"), Variant::null(),
       Variant(int64_t{5000000000}), Variant::date(46082.5), Variant(false), Variant::null()},
      {Variant("00030"),
       Variant("A\xC3\xA7\xC3\xBA"
               "car \xF0\x9F\x98\x80"),
       Variant(0.1), Variant::null(), Variant::null(), Variant::null(), Variant("UN")},
  };
  p.changes = {
      {ChangeKind::Insert, 2, {}},
      {ChangeKind::Modify,
       1,
       {Variant("00020"), Variant("Arroz"), Variant(3.0), Variant(2), Variant::date(46081),
        Variant(true), Variant("KG")}},
      {ChangeKind::Delete,
       -1,
       {Variant("00099"), Variant::null(), Variant::null(), Variant::null(), Variant::null(),
        Variant::null(), Variant::null()}},
  };
  return p;
}

std::string singleField(const std::string& type, const std::string& rows,
                        const std::string& extra = "") {
  return R"({"fields":[{"name":"QTDE","type":")" + type + R"("}],"rows":)" + rows + extra + "}";
}

TEST(DataPacketTest, RoundTripKeepsEverything) {
  const DataPacket packet = productPacket();
  packet.validate();
  const std::string json = encodePacket(packet);
  const DataPacket back = decodePacket(json);
  EXPECT_EQ(back, packet);
  EXPECT_EQ(back.rows[1][3].type(), Variant::Type::Int64);
  EXPECT_EQ(back.rows[0][4].type(), Variant::Type::DateTime);
  EXPECT_EQ(back.rows[1][4].toString(), "01/03/2026 12:00:00");
  EXPECT_EQ(back.rows[2][1].toString(),
            "A\xC3\xA7\xC3\xBA"
            "car \xF0\x9F\x98\x80");
  EXPECT_EQ(encodePacket(back), json);
}

TEST(DataPacketTest, EncodingIsTheDocumentedJson) {
  DataPacket p;
  p.fields = {{"A", FieldType::Text, 3}, {"B", FieldType::Float, 0}, {"C", FieldType::DateTime, 0}};
  p.rows = {{Variant("x"), Variant(1.0), Variant::date(46082)},
            {Variant::null(), Variant::null(), Variant::null()}};
  EXPECT_EQ(
      encodePacket(p),
      R"({"fields":[{"name":"A","type":"text","size":3},{"name":"B","type":"float"},)"
      R"({"name":"C","type":"datetime"}],"rows":[["x",1.0,{"$date":46082}],[null,null,null]]})");
  p.changes = {{ChangeKind::Insert, 0, {}},
               {ChangeKind::Delete, -1, {Variant("y"), Variant(2.5), Variant::null()}}};
  EXPECT_THAT(encodePacket(p), HasSubstr(R"("changes":[{"kind":"insert","row":0},)"
                                         R"({"kind":"delete","original":["y",2.5,null]}]})"));
}

TEST(DataPacketTest, MembersMayComeInAnyOrderWithBlanks) {
  const DataPacket p =
      decodePacket(R"( { "changes" : [ {"original":[2.5],"row":0,"kind":"modify"} ],
      "rows" : [ [ 1.5 ] ], "fields" : [ { "type":"float", "name":"QTDE" } ] } )");
  ASSERT_EQ(p.rows.size(), 1u);
  EXPECT_EQ(p.rows[0][0], Variant(1.5));
  EXPECT_EQ(p.changes[0], (Change{ChangeKind::Modify, 0, {Variant(2.5)}}));
}

TEST(DataPacketTest, IntegersInFloatFieldsAreReadAsDoubles) {
  const DataPacket p =
      decodePacket(singleField("float", "[[2],[3000000000],[2.5],[null]]",
                               R"(,"changes":[{"kind":"modify","row":0,"original":[7]}])"));
  for (const Row& row : p.rows) {
    if (!row[0].isNull()) {
      EXPECT_EQ(row[0].type(), Variant::Type::Double) << row[0];
    }
  }
  EXPECT_EQ(p.rows[1][0], Variant(3e9));
  EXPECT_EQ(p.changes[0].original[0].type(), Variant::Type::Double);
  const DataPacket integers = decodePacket(singleField("integer", "[[2],[3000000000]]"));
  EXPECT_EQ(integers.rows[0][0].type(), Variant::Type::Int32);
  EXPECT_EQ(integers.rows[1][0].type(), Variant::Type::Int64);
}

TEST(DataPacketTest, TextSizeCountsCharactersNotBytes) {
  EXPECT_NO_THROW(decodePacket(
      R"({"fields":[{"name":"A","type":"text","size":3}],"rows":[["a\u00e7\u00e3"],[""]]})"));
  EXPECT_NO_THROW(decodePacket(
      R"({"fields":[{"name":"A","type":"text","size":0}],"rows":[["no limit at all"]]})"));
  EXPECT_THROW(
      decodePacket(R"({"fields":[{"name":"A","type":"fixedtext","size":2}],"rows":[["abc"]]})"),
      PacketError);
}

struct Malformed {
  std::string json;
  std::string fragment;
};

TEST(DataPacketTest, MalformedPacketsGiveOneClearError) {
  const std::string fieldA = R"({"fields":[{"name":"A","type":"text"}],"rows":[["x"]])";
  auto withChanges = [&](const std::string& changes) {
    return fieldA + R"(,"changes":)" + changes + "}";
  };
  const Malformed cases[] = {
      // Not JSON, or not a packet object.
      {"", "unexpected end of text at 0"},
      {"[]", "the packet must be an object"},
      {R"({"fields":[],"rows":[]} x)", "unexpected 'x' after the value at 24"},
      {R"({"fields":[],"rows":[],})", "expected a string key"},
      {R"({"rows":[]})", "missing 'fields'"},
      {R"({"fields":[]})", "missing 'rows'"},
      {R"({"fields":[],"rows":[],"chanegs":[]})", "the packet: unknown member 'chanegs'"},
      {R"({"fields":[],"fields":[],"rows":[]})", "the packet: member 'fields' repeated"},
      {R"({"fields":{},"rows":[]})", "'fields' must be an array"},
      {R"({"fields":x,"rows":[]})", "unexpected 'x' at 10"},
      {R"({"fields":[],"rows":)", "unexpected end of text at 20"},
      {R"({"fields":[],"rows":{}})", "'rows' must be an array"},
      {R"({"fields":[],"rows":[],"changes":null})", "'changes' must be an array"},
      // Field definitions.
      {R"({"fields":[{"name":"A","type":"money"}],"rows":[]})", "field 0: unknown type 'money'"},
      {R"({"fields":[{"name":"A","type":"TEXT"}],"rows":[]})", "field 0: unknown type 'TEXT'"},
      {R"({"fields":[{"type":"text"}],"rows":[]})", "field 0: missing 'name'"},
      {R"({"fields":[{"name":"A"}],"rows":[]})", "field 0: missing 'type'"},
      {R"({"fields":[{"name":7,"type":"text"}],"rows":[]})", "field 0 name must be a text"},
      {R"({"fields":[{"name":"A","type":"text","size":-1}],"rows":[]})", "size -1 out of range"},
      {R"({"fields":[{"name":"A","type":"text","size":1.5}],"rows":[]})",
       "field 0 size must be an integer"},
      {R"({"fields":[{"name":"A","type":"text","width":3}],"rows":[]})",
       "field 0: unknown member 'width'"},
      {R"({"fields":["A"],"rows":[]})", "field 0 must be an object"},
      {R"({"fields":[{"name":"A","type":"text"},{"name":"a","type":"float"}],"rows":[]})",
       "field 'a' appears twice"},
      {R"({"fields":[{"name":"","type":"text"}],"rows":[]})", "field 0 has no name"},
      // Rows.
      {R"({"fields":[{"name":"A","type":"text"}],"rows":[["x","y"]]})",
       "row 0: expected 1 values, got 2"},
      {R"({"fields":[{"name":"A","type":"text"}],"rows":[["x"],[]]})",
       "row 1: expected 1 values, got 0"},
      {R"({"fields":[{"name":"A","type":"text"}],"rows":["x"]})", "row 0 must be an array"},
      {singleField("float", "[[1.0],[2.0],[3.0],[\"x\"]]"),
       "row 3: field 'QTDE' expects float, got text"},
      {singleField("integer", "[[1.5]]"), "row 0: field 'QTDE' expects integer, got double"},
      {singleField("datetime", "[[46082]]"), "row 0: field 'QTDE' expects datetime, got int32"},
      {singleField("datetime", "[[\"07/03/2026\"]]"), "expects datetime, got text"},
      {singleField("boolean", "[[1]]"), "expects boolean, got int32"},
      {singleField("text", "[[1]]"), "expects text, got int32"},
      {singleField("fixedtext", "[[true]]"), "expects fixedtext, got boolean"},
      {singleField("float", "[[[1]]]"), "expects float, got array"},
      {singleField("float", R"([[{"$packet":{"fields":[],"rows":[]}}]])"),
       "expects float, got packet"},
      {singleField("float", R"([[{"x":1}]])"), "row 0: unsupported object member \"x\""},
      {singleField("datetime", R"([[{"$date":"x"}]])"), "row 0: \"$date\" must be a number"},
      {singleField("float", "[[1,]]"), "row 0: unexpected ']'"},
      {singleField("float", "[[01]]"), "row 0: leading zero"},
      {singleField("text", "[[\"\\q\"]]"), "row 0: invalid escape 'q'"},
      {singleField("float", "[[" + std::string(300, '[') + "]]"), "row 0: nesting deeper than 256"},
      {R"({"fields":[{"name":"A","type":"text","size":3}],"rows":[["abcd"]]})",
       "row 0: field 'A' holds 4 characters, more than its size 3"},
      // Change log.
      {withChanges(R"([{"kind":"insert","row":5}])"),
       "change 0: insert of row 5, but there are 1 rows"},
      {withChanges(R"([{"kind":"modify","row":-1,"original":["x"]}])"),
       "change 0: modify of row -1"},
      {withChanges(R"([{"kind":"insert","row":-2}])"), "change 0: row -2 out of range"},
      {withChanges(R"([{"kind":"insert","row":1.0}])"), "change 0 row must be an integer"},
      {withChanges(R"([{"kind":"update","row":0}])"), "change 0: unknown kind 'update'"},
      {withChanges(R"([{"row":0}])"), "change 0: missing 'kind'"},
      {withChanges(R"([{"kind":"insert"}])"), "change 0: missing 'row'"},
      {withChanges(R"([{"kind":"modify","row":0}])"), "change 0: missing 'original'"},
      {withChanges(R"([{"kind":"delete"}])"), "change 0: missing 'original'"},
      {withChanges(R"([{"kind":"delete","row":0,"original":["x"]}])"),
       "change 0: a delete has row -1, not 0"},
      {withChanges(R"([{"kind":"insert","row":0,"original":["x"]}])"),
       "change 0: an insert carries no original values"},
      {withChanges(R"([{"kind":"modify","row":0,"original":[]}])"),
       "change 0 original: expected 1 values, got 0"},
      {withChanges(R"([{"kind":"delete","original":[5]}])"),
       "change 0 original: field 'A' expects text, got int32"},
      {withChanges(R"([{"kind":"insert","row":0},{"kind":"modify","row":0,"original":["x"]}])"),
       "change 1: row 0 has more than one change"},
      {withChanges(R"([{"kind":"insert","row":0,"row":0}])"), "change 0: member 'row' repeated"},
      {withChanges(R"([{"kind":"insert","row":0,"why":1}])"), "change 0: unknown member 'why'"},
      {withChanges(R"([[]])"), "change 0 must be an object"},
  };
  for (const Malformed& c : cases) {
    SCOPED_TRACE(c.json);
    try {
      decodePacket(c.json);
      ADD_FAILURE() << "accepted";
    } catch (const PacketError& e) {
      EXPECT_THAT(e.what(), StartsWith("Invalid data packet: "));
      EXPECT_THAT(e.what(), HasSubstr(c.fragment));
    }
  }
}

TEST(DataPacketTest, ValidateChecksPacketsBuiltInCode) {
  struct Case {
    std::function<void(DataPacket&)> change;
    std::string fragment;  // empty: valid
  };
  const Case cases[] = {
      {[](DataPacket&) {}, ""},
      {[](DataPacket& p) { p.rows[0][2] = Variant(2); }, ""},  // an Int32 is a fine float
      {[](DataPacket& p) { p.rows[0][2] = Variant(); }, ""},   // Empty counts as null
      {[](DataPacket& p) { p.rows[0][3] = Variant(1.0); },
       "row 0: field 'NRORDEM' expects integer"},
      {[](DataPacket& p) { p.rows[2].pop_back(); }, "row 2: expected 7 values, got 6"},
      {[](DataPacket& p) { p.fields[1].name = "cdproduto"; }, "field 'cdproduto' appears twice"},
      {[](DataPacket& p) { p.fields[0].size = -3; }, "field 'CDPRODUTO' has a negative size -3"},
      {[](DataPacket& p) { p.fields[6].size = 1; }, "row 0: field 'SGUNIDADE' holds 2 characters"},
      {[](DataPacket& p) { p.changes[0].row = 3; },
       "change 0: insert of row 3, but there are 3 rows"},
      {[](DataPacket& p) { p.changes[2].row = 0; }, "change 2: a delete has row -1, not 0"},
      {[](DataPacket& p) { p.changes[1].row = 2; }, "change 1: row 2 has more than one change"},
      {[](DataPacket& p) { p.changes[1].original.clear(); }, "change 1 original: expected 7"},
      {[](DataPacket& p) { p.changes[0].original = p.rows[0]; }, "change 0: an insert carries"},
      {[](DataPacket& p) { p.changes[2].original[4] = Variant(46082.0); },
       "change 2 original: field 'DTCARDAPIO' expects datetime, got double"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    DataPacket p = productPacket();
    cases[i].change(p);
    if (cases[i].fragment.empty()) {
      EXPECT_NO_THROW(p.validate());
    } else {
      EXPECT_THAT([&] { p.validate(); },
                  ::testing::ThrowsMessage<PacketError>(HasSubstr(cases[i].fragment)));
    }
  }
}

TEST(DataPacketTest, FieldLookupIgnoresCase) {
  const DataPacket p = productPacket();
  EXPECT_EQ(p.fieldIndex("qtde"), 2);
  EXPECT_EQ(p.fieldIndex("QTDE"), 2);
  EXPECT_EQ(p.fieldIndex("QTD"), -1);
  EXPECT_EQ(p.value(1, "cdProduto"), Variant("00020"));
  EXPECT_THROW(p.value(3, "CDPRODUTO"), std::out_of_range);
  EXPECT_THAT([&] { p.value(0, "NOPE"); },
              ::testing::ThrowsMessage<std::out_of_range>(HasSubstr("Field 'NOPE' not found")));
}

// Random valid packets survive encode/decode unchanged: the model is the packet itself.
TEST(DataPacketTest, RandomPacketsRoundTrip) {
  std::mt19937 random(46082);
  const FieldType types[] = {FieldType::Text,    FieldType::FixedText, FieldType::Float,
                             FieldType::Integer, FieldType::DateTime,  FieldType::Boolean};
  auto randomText = [&] {
    std::string text;
    const int length = static_cast<int>(random() % 12);
    for (int i = 0; i < length; ++i)
      text += static_cast<char>(random() % 256);
    return text;
  };
  auto randomValue = [&](FieldType type) -> Variant {
    if (random() % 5 == 0) return Variant::null();
    switch (type) {
      case FieldType::Text:
      case FieldType::FixedText:
        return Variant(randomText());
      case FieldType::Float:
        return Variant(std::ldexp(static_cast<double>(random()), -static_cast<int>(random() % 40)));
      case FieldType::Integer:
        return random() % 2 ? Variant(static_cast<int32_t>(random()))
                            : Variant(static_cast<int64_t>(random()) << 31);
      case FieldType::DateTime:
        return Variant::date(static_cast<double>(random() % 80000) / 4);
      case FieldType::Boolean:
        return Variant(random() % 2 == 0);
    }
    return Variant::null();
  };
  for (int round = 0; round < 200; ++round) {
    DataPacket p;
    const size_t width = random() % 6;
    for (size_t i = 0; i < width; ++i) {
      p.fields.push_back({"F" + std::to_string(i), types[random() % 6], 0});
    }
    const size_t height = random() % 8;
    for (size_t r = 0; r < height; ++r) {
      Row row;
      for (const PacketField& field : p.fields)
        row.push_back(randomValue(field.type));
      p.rows.push_back(row);
      if (random() % 3 == 0) {
        p.changes.push_back({ChangeKind::Modify, static_cast<int>(r), row});
      } else if (random() % 3 == 0) {
        p.changes.push_back({ChangeKind::Insert, static_cast<int>(r), {}});
      }
      if (random() % 4 == 0) p.changes.push_back({ChangeKind::Delete, -1, row});
    }
    ASSERT_NO_THROW(p.validate());
    const std::string json = encodePacket(p);
    const DataPacket back = decodePacket(json);
    ASSERT_EQ(back, p) << json;
    ASSERT_EQ(encodePacket(back), json);
  }
}

}  // namespace
}  // namespace platform
