// Filter expressions: parse errors, binding errors, evaluation, and their use in a dataset.
#include "platform/filter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client_dataset_helpers.h"
#include "platform/client_dataset.h"
#include "platform/date.h"

namespace platform {
namespace {

struct Slot {
  const char* name;
  FieldType type;
};
// The layout the evaluation rows follow.
const Slot kSlots[] = {{"A", FieldType::Integer},    {"T", FieldType::Text},
                       {"D", FieldType::DateTime},   {"B", FieldType::Boolean},
                       {"F", FieldType::Float},      {"N", FieldType::Float},
                       {"T2", FieldType::FixedText}, {"T3", FieldType::Text}};

std::optional<FilterField> resolve(std::string_view name) {
  for (size_t i = 0; i < std::size(kSlots); ++i) {
    std::string upper(name);
    for (char& c : upper)
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper == kSlots[i].name) return FilterField{static_cast<int>(i), kSlots[i].type};
  }
  return std::nullopt;
}

Row sampleRow() {
  return {Variant(5),    Variant("0000000001"), Variant::date(encodeDate(2026, 3, 7)),
          Variant(true), Variant(2.5),          Variant::null(),
          Variant("P"),  Variant("d'agua")};
}

std::string errorOf(const std::string& text) {
  try {
    CompiledFilter::bind(FilterExpression::parse(text), resolve);
  } catch (const FilterError& e) {
    return e.what();
  }
  return "(no error)";
}

struct ErrorCase {
  const char* text;
  const char* message;
};

class FilterErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(FilterErrors, NameTheProblemAndWhere) {
  EXPECT_EQ(errorOf(GetParam().text), std::string("Filter expression: ") + GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Syntax, FilterErrors,
    ::testing::Values(ErrorCase{"T = '0000000001')", "unexpected ')' at 16"},
                      ErrorCase{"(A = 1", "unexpected end of expression at 6"},
                      ErrorCase{"A = 'abc", "unterminated text at 4"},
                      ErrorCase{"A = ", "unexpected end of expression at 4"},
                      ErrorCase{"A = )", "unexpected ')' at 4"},
                      ErrorCase{"A 1", "unexpected '1' at 2"},
                      ErrorCase{"A", "expected a comparison operator at 1"},
                      ErrorCase{"A = 1 AND", "unexpected end of expression at 9"},
                      ErrorCase{"A # 1", "unexpected character '#' at 2"},
                      ErrorCase{"A = 1e", "invalid number '1e' at 4"},
                      ErrorCase{"A = 1.2.3", "invalid number '1.2.3' at 4"},
                      ErrorCase{"[A = 1", "unterminated field name at 0"},
                      ErrorCase{"[] = 1", "empty field name at 0"},
                      ErrorCase{"A = 1 OR OR A = 2", "unexpected 'OR' at 9"},
                      ErrorCase{"A IS 1", "unexpected '1' at 5"},
                      ErrorCase{"'a' IS NULL", "IS NULL needs a field name at 0"},
                      ErrorCase{"A ! 1", "unexpected '!' at 2"},
                      ErrorCase{"NOT", "unexpected end of expression at 3"},
                      ErrorCase{"()", "unexpected ')' at 1"}));

INSTANTIATE_TEST_SUITE_P(
    Binding, FilterErrors,
    ::testing::Values(ErrorCase{"X = 1", "Field 'X' not found at 0"},
                      ErrorCase{"A = 1 OR 2 = Y", "Field 'Y' not found at 13"},
                      ErrorCase{"1 = 2", "a comparison needs a field name at 0"},
                      ErrorCase{"D = '31/02/2026'",
                                "'31/02/2026' is not a valid date for field 'D' at 4"},
                      ErrorCase{"A = 'abc'", "'abc' is not a valid number for field 'A' at 4"},
                      ErrorCase{"T = TRUE", "cannot compare text field 'T' with a boolean at 4"},
                      ErrorCase{"A = T", "cannot compare field 'A' with field 'T' at 0"},
                      ErrorCase{"B = 'maybe'", "'maybe' is not a valid boolean for field 'B' at 4"},
                      ErrorCase{"A > NULL", "NULL can only be compared with = or <> at 0"}));

TEST(FilterErrors, DeepNestingIsRefusedNotOverflowed) {
  EXPECT_NE(
      errorOf(std::string(300, '(') + "A = 1" + std::string(300, ')')).find("too deeply nested"),
      std::string::npos);
  std::string nots;
  for (int i = 0; i < 300; ++i)
    nots += "NOT ";
  EXPECT_NE(errorOf(nots + "A = 1").find("too deeply nested"), std::string::npos);
  // Long flat chains are not nesting.
  std::string chain = "A = 5";
  for (int i = 0; i < 5000; ++i)
    chain += " AND A = 5";
  EXPECT_TRUE(CompiledFilter::bind(FilterExpression::parse(chain), resolve).matches(sampleRow()));
}

struct EvalCase {
  const char* text;
  bool expected;
};

class FilterEvaluation : public ::testing::TestWithParam<EvalCase> {};

TEST_P(FilterEvaluation, MatchesSampleRowAsExpected) {
  const CompiledFilter f = CompiledFilter::bind(FilterExpression::parse(GetParam().text), resolve);
  EXPECT_EQ(f.matches(sampleRow()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Comparisons, FilterEvaluation,
    ::testing::Values(
        EvalCase{"A = 5", true}, EvalCase{"A <> 5", false}, EvalCase{"A != 4", true},
        EvalCase{"A < 6", true}, EvalCase{"A > 5", false}, EvalCase{"A <= 5", true},
        EvalCase{"A >= 6", false}, EvalCase{"5 = A", true}, EvalCase{"6 > A", true},
        EvalCase{"4 >= A", false}, EvalCase{"A=5", true}, EvalCase{"A = '5'", true},
        EvalCase{"T = '0000000001'", true}, EvalCase{"T = '1'", false}, EvalCase{"T = 1", false},
        EvalCase{"T < '1'", true}, EvalCase{"T2 > 'O'", true}, EvalCase{"T2 = 'p'", false},
        EvalCase{"T3 = 'd''agua'", true}, EvalCase{"[T2] = 'P'", true},
        EvalCase{"T = '0000000001' AND T2 = 'P'", true}, EvalCase{"D = '07/03/2026'", true},
        EvalCase{"D = '7/3/2026'", true}, EvalCase{"D > '06/03/2026'", true},
        EvalCase{"D < '07/03/2026'", false}, EvalCase{"D = 46088", true}, EvalCase{"F = 2.5", true},
        EvalCase{"F = '2,5'", true}, EvalCase{"F > -1", true}, EvalCase{"F < .5", false},
        EvalCase{"B = TRUE", true}, EvalCase{"B = 'false'", false}, EvalCase{"B <> 0", true},
        EvalCase{"A = F", false}, EvalCase{"A > F", true}, EvalCase{"T2 = T3", false},
        EvalCase{"T3 > T2", true}, EvalCase{"", true}, EvalCase{"   ", true}));

INSTANTIATE_TEST_SUITE_P(
    NullsAndLogic, FilterEvaluation,
    ::testing::Values(EvalCase{"N = 1", false}, EvalCase{"N <> 1", false}, EvalCase{"N < 1", false},
                      EvalCase{"N IS NULL", true}, EvalCase{"N IS NOT NULL", false},
                      EvalCase{"N = NULL", true}, EvalCase{"NULL = N", true},
                      EvalCase{"A <> NULL", true}, EvalCase{"NOT N = 1", true},
                      EvalCase{"A = N", false}, EvalCase{"A <> N", false},
                      EvalCase{"A = 1 OR A = 5", true},
                      EvalCase{"(A = 1 OR A = 5) AND NOT T2 = 'P'", false},
                      EvalCase{"a = 5 and t2 = 'P'", true}, EvalCase{"NOT NOT A = 5", true},
                      EvalCase{"A = 1 OR A = 2 OR (T2 = 'P' AND (F = 2.5 OR N = 0))", true},
                      EvalCase{"not (A = 5) or b = false", false}));

// --- In a dataset ---

ClientDataSet& menu(ClientDataSet& ds) {
  ds.setData(testing::makePacket(
      {{"CDPRATO", FieldType::Text, 10},
       {"CDFILAUXPRAT", FieldType::Text, 4},
       {"DTCARDAPIO", FieldType::DateTime, 0}},
      {{Variant("0000000001"), Variant("P"), Variant::date(encodeDate(2026, 3, 7))},
       {Variant("0000000001"), Variant("L"), Variant::date(encodeDate(2026, 3, 7))},
       {Variant("0000000002"), Variant("P"), Variant::date(encodeDate(2026, 3, 8))}}));
  return ds;
}

TEST(DataSetFilter, KeepsTheRowsTheScreenAsksFor) {
  ClientDataSet ds;
  menu(ds);
  ds.setFilter("CDPRATO = '0000000001' AND CDFILAUXPRAT = 'P'");
  ds.setFiltered(true);
  EXPECT_EQ(ds.recordCount(), 1);
  ds.setFilter("DTCARDAPIO = '07/03/2026'");
  EXPECT_EQ(ds.recordCount(), 2);
  ds.setFiltered(false);
  EXPECT_EQ(ds.recordCount(), 3);
  EXPECT_EQ(ds.filter(), "DTCARDAPIO = '07/03/2026'");
}

TEST(DataSetFilter, BadExpressionKeepsTheOldFilter) {
  ClientDataSet ds;
  menu(ds);
  ds.setFilter("CDFILAUXPRAT = 'P'");
  ds.setFiltered(true);
  ds.next();
  const testing::Snapshot before = testing::Snapshot::of(ds);
  EXPECT_THROW(ds.setFilter("CDFILAUXPRAT = 'P' AND"), FilterError);
  EXPECT_THROW(ds.setFilter("NOPE = 1"), FilterError);
  EXPECT_TRUE(testing::Snapshot::of(ds) == before);
}

TEST(DataSetFilter, CalculatedFieldsCannotBeFiltered) {
  ClientDataSet ds;
  ds.addField("A", FieldType::Integer);
  ds.addField("C", FieldType::Integer, 0, FieldKind::Calculated);
  ds.createDataSet();
  EXPECT_THROW(ds.setFilter("C = 1"), FilterError);
}

TEST(DataSetFilter, FilterSetBeforeLoadingIsCheckedByTheLoad) {
  ClientDataSet ds;
  ds.setFilter("MISSING = 1");
  ds.setFiltered(true);
  EXPECT_THROW(menu(ds), FilterError);
  EXPECT_FALSE(ds.active());
  ds.setFilter("CDFILAUXPRAT = 'L'");
  menu(ds);
  EXPECT_EQ(ds.recordCount(), 1);
  EXPECT_EQ(ds.fieldByName("CDFILAUXPRAT").asString(), "L");
}

TEST(DataSetFilter, PostedRecordThatNoLongerMatchesLeavesTheCursorOnTheNext) {
  ClientDataSet ds;
  menu(ds);
  ds.setFilter("CDPRATO = '0000000001'");
  ds.setFiltered(true);
  ds.edit();
  ds.fieldByName("CDPRATO").setAsString("0000000009");
  ds.post();
  EXPECT_EQ(ds.recordCount(), 1);
  EXPECT_EQ(ds.fieldByName("CDFILAUXPRAT").asString(), "L");
  ds.edit();
  ds.fieldByName("CDPRATO").setAsString("0000000009");
  ds.post();
  EXPECT_TRUE(ds.isEmpty());
  EXPECT_TRUE(ds.bof() && ds.eof());
  EXPECT_EQ(ds.changeCount(), 2);
}

}  // namespace
}  // namespace platform
