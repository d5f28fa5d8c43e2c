// Fields: display and edit texts, conversions on assignment and reading, assignment rules.
#include "platform/field.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/client_dataset.h"
#include "platform/date.h"
#include "platform/format.h"

namespace platform {
namespace {

const double kMarch7 = encodeDate(2026, 3, 7);  // a Saturday

struct TextCase {
  const char* name;
  FieldType type;
  const char* displayFormat;
  Variant value;
  const char* expected;
};

class DisplayText : public ::testing::TestWithParam<TextCase> {};

TEST_P(DisplayText, FormatsWithTheDisplayFormat) {
  const TextCase& c = GetParam();
  ClientDataSet ds;
  Field& f = ds.addField("V", c.type, c.type == FieldType::Text ? 20 : 0);
  f.setDisplayFormat(c.displayFormat);
  ds.createDataSet();
  ds.append();
  f.setValue(c.value);
  EXPECT_EQ(f.displayText(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Types, DisplayText,
    ::testing::Values(
        TextCase{"fiveDecimals", FieldType::Float, "#,##0.00000", Variant(0.125), "0,12500"},
        TextCase{"grouped", FieldType::Float, "#,###,##0", Variant(1234567.0), "1.234.567"},
        TextCase{"percent", FieldType::Float, "#,##0.00 %", Variant(60.0), "60,00 %"},
        TextCase{"optionalDecimals", FieldType::Float, "#,##0.###", Variant(2.5), "2,5"},
        TextCase{"plainFloat", FieldType::Float, "", Variant(12.5), "12,5"},
        TextCase{"hugeFloat", FieldType::Float, "", Variant(1e20), "1E20"},
        TextCase{"nullFloat", FieldType::Float, "#,##0.00000", Variant::null(), ""},
        TextCase{"integer", FieldType::Integer, "", Variant(42), "42"},
        TextCase{"groupedInteger", FieldType::Integer, "#,##0", Variant(1234), "1.234"},
        TextCase{"date", FieldType::DateTime, "", Variant::date(kMarch7), "07/03/2026"},
        TextCase{"dateAndWeekday", FieldType::DateTime, "ddddd ddd", Variant::date(kMarch7),
                 "07/03/2026 sáb"},
        TextCase{"dateTime", FieldType::DateTime, "", Variant::date(kMarch7 + 0.5),
                 "07/03/2026 12:00:00"},
        TextCase{"boolean", FieldType::Boolean, "", Variant(true), "True"},
        TextCase{"booleanTexts", FieldType::Boolean, "Sim;Não", Variant(false), "Não"},
        TextCase{"text", FieldType::Text, "", Variant("abc"), "abc"}),
    [](const ::testing::TestParamInfo<TextCase>& p) { return std::string(p.param.name); });

class FieldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ds_.addField("CDARVPROD", FieldType::Text, 5);
    ds_.addField("QTDEBRUTA", FieldType::Float).setDisplayFormat("#,###,##0.00000");
    ds_.addField("SGUNIDPROD", FieldType::Text, 10);
    ds_.addField("QTD", FieldType::Integer);
    ds_.addField("DTCARDAPIO", FieldType::DateTime);
    ds_.addField("OK", FieldType::Boolean).setDisplayFormat("Sim;Não");
    ds_.addField("TIPO", FieldType::FixedText, 1);
    ds_.addField("Calc", FieldType::Float, 0, FieldKind::Calculated);
    ds_.createDataSet();
    ds_.append();
  }
  Field& f(const char* name) { return ds_.fieldByName(name); }
  ClientDataSet ds_;
};

TEST_F(FieldTest, GetTextHandlerReadsTheSameRow) {
  // The required-quantity text: the number and the product's unit.
  f("QTDEBRUTA").onGetText = [this](const Field& sender, bool) -> std::string {
    if (sender.isNull()) return "";
    return formatFloat("#,##0.00000", sender.asFloat()) + " " + f("SGUNIDPROD").asString();
  };
  EXPECT_EQ(f("QTDEBRUTA").displayText(), "");
  f("QTDEBRUTA").setAsFloat(0.125);
  f("SGUNIDPROD").setAsString("KG");
  EXPECT_EQ(f("QTDEBRUTA").displayText(), "0,12500 KG");
  ds_.post();
  ds_.append();
  f("QTDEBRUTA").setAsFloat(3);
  f("SGUNIDPROD").setAsString("L");
  ds_.post();
  std::vector<std::string> shown;
  for (int row = 1; row <= ds_.displayRowCount(); ++row) {
    ds_.withDisplayRow(row, [&] { shown.push_back(f("QTDEBRUTA").displayText()); });
  }
  EXPECT_EQ(shown, (std::vector<std::string>{"0,12500 KG", "3,00000 L"}));
}

TEST_F(FieldTest, GetTextHandlerTellsDisplayFromEdit) {
  f("TIPO").onGetText = [](const Field& sender, bool display) -> std::string {
    if (!display) return sender.asString();
    return sender.asString() == "P" ? "(Receita Padrão)" : "";
  };
  f("TIPO").setAsString("P");
  EXPECT_EQ(f("TIPO").displayText(), "(Receita Padrão)");
  EXPECT_EQ(f("TIPO").text(), "P");
  f("TIPO").setAsString("X");
  EXPECT_EQ(f("TIPO").displayText(), "");
}

TEST_F(FieldTest, EditTextUsesTheEditFormatThenTheDisplayFormat) {
  f("QTDEBRUTA").setAsFloat(1234.5);
  EXPECT_EQ(f("QTDEBRUTA").text(), "1.234,50000");
  f("QTDEBRUTA").setEditFormat("0.00");
  EXPECT_EQ(f("QTDEBRUTA").text(), "1234,50");
  EXPECT_EQ(f("QTDEBRUTA").displayText(), "1.234,50000");
}

TEST_F(FieldTest, NullReadsAsZeroOrEmpty) {
  EXPECT_TRUE(f("QTDEBRUTA").isNull());
  EXPECT_EQ(f("QTDEBRUTA").asFloat(), 0.0);
  EXPECT_EQ(f("QTD").asInteger(), 0);
  EXPECT_EQ(f("CDARVPROD").asString(), "");
  EXPECT_FALSE(f("OK").asBoolean());
  EXPECT_EQ(f("DTCARDAPIO").asDateTime(), 0.0);
  EXPECT_TRUE(f("QTDEBRUTA").value().isNull());
}

struct AssignCase {
  const char* field;
  const char* text;
  Variant expected;
};

class SetAsString : public FieldTest, public ::testing::WithParamInterface<AssignCase> {};

TEST_P(SetAsString, ConvertsToTheFieldType) {
  const AssignCase& c = GetParam();
  f(c.field).setAsString(c.text);
  const Variant got = f(c.field).value();
  EXPECT_EQ(got.type(), c.expected.type()) << got.debugString();
  if (got.isDate()) {
    EXPECT_NEAR(got.toDouble(), c.expected.toDouble(), 1e-9);
  } else {
    EXPECT_EQ(got, c.expected);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values, SetAsString,
    ::testing::Values(AssignCase{"QTDEBRUTA", "12,5", Variant(12.5)},
                      AssignCase{"QTDEBRUTA", "1.5", Variant(1.5)},
                      AssignCase{"QTDEBRUTA", " -0,25 ", Variant(-0.25)},
                      AssignCase{"QTDEBRUTA", "", Variant::null()},
                      AssignCase{"QTD", " 42 ", Variant(42)}, AssignCase{"QTD", "-7", Variant(-7)},
                      AssignCase{"DTCARDAPIO", "07/03/2026", Variant::date(kMarch7)},
                      AssignCase{"DTCARDAPIO", "7/3/26", Variant::date(kMarch7)},
                      AssignCase{"DTCARDAPIO", "07/03/2026 10:30",
                                 Variant::date(kMarch7 + 10.5 / 24)},
                      AssignCase{"OK", "sim", Variant(true)},
                      AssignCase{"OK", "Não", Variant(false)},
                      AssignCase{"OK", "true", Variant(true)},
                      AssignCase{"CDARVPROD", "abcdefgh", Variant("abcde")},
                      AssignCase{"CDARVPROD", "açãoxyz", Variant("açãox")},
                      AssignCase{"TIPO", "PL", Variant("P")}));

TEST_F(FieldTest, RefusedConversionsKeepTheValue) {
  f("QTDEBRUTA").setAsFloat(2);
  f("QTD").setAsInteger(3);
  f("DTCARDAPIO").setAsDateTime(kMarch7);
  const struct {
    const char* field;
    const char* text;
  } bad[] = {{"QTDEBRUTA", "abc"},
             {"QTDEBRUTA", "1.234,5"},
             {"QTDEBRUTA", "inf"},
             {"QTD", "4.2"},
             {"QTD", "x"},
             {"DTCARDAPIO", "31/02/2026"},
             {"DTCARDAPIO", "07/03/2026 25:00"},
             {"OK", "maybe"}};
  for (const auto& b : bad) {
    const Variant before = f(b.field).value();
    EXPECT_THROW(f(b.field).setAsString(b.text), ConversionError) << b.field << " " << b.text;
    EXPECT_EQ(f(b.field).value(), before) << b.field;
  }
}

TEST_F(FieldTest, TypedSettersStoreTheFieldType) {
  f("QTDEBRUTA").setAsInteger(3);
  EXPECT_EQ(f("QTDEBRUTA").value().type(), Variant::Type::Double);
  f("QTD").setAsFloat(2.5);
  EXPECT_EQ(f("QTD").value(), Variant(3));  // half away from zero
  f("QTD").setAsLargeInt(int64_t{1} << 40);
  EXPECT_EQ(f("QTD").asLargeInt(), int64_t{1} << 40);
  EXPECT_THROW(f("QTD").asInteger(), ConversionError);
  f("CDARVPROD").setAsFloat(1.5);
  EXPECT_EQ(f("CDARVPROD").asString(), "1.5");
  f("DTCARDAPIO").setValue(Variant("07/03/2026"));
  EXPECT_EQ(f("DTCARDAPIO").asDateTime(), kMarch7);
  f("QTDEBRUTA").clear();
  EXPECT_TRUE(f("QTDEBRUTA").isNull());
}

TEST(FieldRules, AssignmentNeedsEditInsertOrCalcState) {
  ClientDataSet ds;
  Field& a = ds.addField("A", FieldType::Integer);
  Field& c = ds.addField("C", FieldType::Integer, 0, FieldKind::Calculated);
  EXPECT_TRUE(a.isNull());  // a closed dataset reads as empty
  EXPECT_THROW(a.setAsInteger(1), DataSetError);
  ds.createDataSet();
  ds.append();
  a.setAsInteger(1);
  ds.post();
  try {
    a.setAsInteger(2);
    FAIL() << "assigned while browsing";
  } catch (const DataSetError& e) {
    EXPECT_STREQ(e.what(), "Dataset not in edit or insert mode");
  }
  ds.edit();
  try {
    c.setAsInteger(2);
    FAIL() << "assigned a calculated field outside its calculation";
  } catch (const DataSetError& e) {
    EXPECT_STREQ(e.what(), "Field 'C' cannot be modified");
  }
  ds.onCalcFields = [&](ClientDataSet&) { a.setAsInteger(9); };
  EXPECT_THROW(a.setAsInteger(3), DataSetError);  // the handler may not change data fields
  EXPECT_EQ(a.asInteger(), 1);
  try {
    ds.fieldByName("NOPE");
    FAIL();
  } catch (const DataSetError& e) {
    EXPECT_STREQ(e.what(), "Field 'NOPE' not found");
  }
  EXPECT_EQ(ds.findField("a"), &a);
}

TEST(FieldRules, PropertiesAndDefaults) {
  ClientDataSet ds;
  Field& safra = ds.addField("Safra", FieldType::Integer, 0, FieldKind::Calculated);
  Field& name = ds.addField("NMPRODUTO", FieldType::Text, 50);
  EXPECT_EQ(safra.displayLabel(), "Safra");
  name.setDisplayLabel("Nome do Produto");
  EXPECT_EQ(name.displayLabel(), "Nome do Produto");
  EXPECT_EQ(name.displayWidth(), 50);
  EXPECT_EQ(safra.displayWidth(), 10);
  EXPECT_EQ(name.size(), 50);
  EXPECT_EQ(safra.size(), 0);
  EXPECT_TRUE(safra.isCalculated());
  EXPECT_EQ(name.index(), 1);
  EXPECT_THROW(ds.addField("nmproduto", FieldType::Text), DataSetError);
  ds.createDataSet();
  EXPECT_THROW(ds.addField("X", FieldType::Text), DataSetError);
}

TEST(FieldRules, ReadOnlyBindsControlsNotCode) {
  ClientDataSet ds;
  Field& a = ds.addField("A", FieldType::Integer);
  a.setReadOnly(true);
  ds.createDataSet();
  ds.append();
  a.setAsInteger(4);
  EXPECT_EQ(a.asInteger(), 4);
}

}  // namespace
}  // namespace platform
