#include "platform/consiste.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/abort.h"
#include "platform/date.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/form.h"

namespace {

using platform::encodeDate;

struct MonthCase {
  double date;
  double first;
  double last;
};

TEST(ConsisteDates, FirstAndLastDayOfTheMonth) {
  const MonthCase kCases[] = {
      {encodeDate(2024, 2, 15), encodeDate(2024, 2, 1), encodeDate(2024, 2, 29)},
      {encodeDate(2023, 2, 28), encodeDate(2023, 2, 1), encodeDate(2023, 2, 28)},
      {encodeDate(1900, 2, 10), encodeDate(1900, 2, 1), encodeDate(1900, 2, 28)},
      {encodeDate(2000, 2, 1), encodeDate(2000, 2, 1), encodeDate(2000, 2, 29)},
      {encodeDate(2026, 12, 31), encodeDate(2026, 12, 1), encodeDate(2026, 12, 31)},
      {encodeDate(2026, 1, 1), encodeDate(2026, 1, 1), encodeDate(2026, 1, 31)},
      {encodeDate(2026, 4, 30), encodeDate(2026, 4, 1), encodeDate(2026, 4, 30)},
      {46088.75, 46082, encodeDate(2026, 3, 31)},  // the time of day is dropped
  };
  for (const MonthCase& c : kCases) {
    SCOPED_TRACE(c.date);
    EXPECT_EQ(Consiste::PriDiaMes(c.date), c.first);
    EXPECT_EQ(Consiste::UltimoDiaMes(c.date), c.last);
  }
}

TEST(ConsisteDates, LastDayByMonthAndYear) {
  EXPECT_EQ(Consiste::UltDiaMes(2, 2024), encodeDate(2024, 2, 29));
  EXPECT_EQ(Consiste::UltDiaMes(2, 2100), encodeDate(2100, 2, 28));
  EXPECT_EQ(Consiste::UltDiaMes(4, 2026), encodeDate(2026, 4, 30));
  EXPECT_EQ(Consiste::UltDiaMes(12, 9999), encodeDate(9999, 12, 31));
  EXPECT_THROW(Consiste::UltDiaMes(13, 2026), std::invalid_argument);
  EXPECT_THROW(Consiste::UltDiaMes(0, 2026), std::invalid_argument);
  EXPECT_THROW(Consiste::UltDiaMes(1, 10000), std::invalid_argument);
  EXPECT_THROW(Consiste::PriDiaMes(1e9), std::out_of_range);
}

TEST(ConsisteDates, WeekdayNames) {
  EXPECT_EQ(Consiste::NomeSemana(46088), "sábado");
  EXPECT_EQ(Consiste::NomeSemana(46082), "domingo");
  EXPECT_EQ(Consiste::NomeSemana(46084.9), "terça-feira");
  EXPECT_EQ(Consiste::NomeSemana(encodeDate(2024, 2, 29)), "quinta-feira");
}

TEST(ConsisteText, BlankAndTrim) {
  struct Case {
    const char* text;
    bool empty;
    const char* trimmed;
  };
  const Case kCases[] = {
      {"", true, ""},
      {"   ", true, ""},
      {"\t\r\n ", true, ""},
      {" a ", false, "a"},
      {"a b", false, "a b"},
      {"  0001", false, "0001"},
      {"ação  ", false, "ação"},
      {"\xC2\xA0", false, "\xC2\xA0"},  // UTF-8 bytes are not blanks
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Consiste::EmptyString(c.text), c.empty);
    EXPECT_EQ(Consiste::AllTrim(c.text), c.trimmed);
  }
}

TEST(ConsisteText, IifPicksByCondition) {
  EXPECT_EQ(Consiste::iif(true, 1, 2.5), 1.0);
  EXPECT_EQ(Consiste::iif(false, 1, 2.5), 2.5);
  EXPECT_EQ(Consiste::iif(false, "P", std::string("L")), "L");
  EXPECT_STREQ(Consiste::iif(true, "S", "N"), "S");
}

TEST(ConsisteGrid, IndiceColFindsTheColumnOfAField) {
  platform::ui::Form form("frm");
  auto& grid = form.create<platform::ui::DBGrid>("dbgPrato");
  grid.addColumn("CDARVPROD");
  grid.addColumn("NMPRODUTO");
  grid.addColumn("QTDERECE");
  EXPECT_EQ(Consiste::IndiceCol(grid, "CDARVPROD"), 0);
  EXPECT_EQ(Consiste::IndiceCol(grid, "qtderece"), 2);
  EXPECT_EQ(Consiste::IndiceCol(grid, "CUSTOPROD"), -1);
  EXPECT_EQ(Consiste::IndiceCol(grid, ""), -1);
}

class ConsisteErrors : public testing::Test {
 protected:
  platform::RecordingErrorDisplay display;
  platform::ScopedErrorDisplay installed{&display};
};

TEST_F(ConsisteErrors, MensErroShowsThenAbortsWhenAsked) {
  EXPECT_THROW(Consiste::MensErro("Produto deve ser informado.", true), platform::Abort);
  EXPECT_NO_THROW(Consiste::MensErro("Aviso", false, 12));
  ASSERT_EQ(display.shown().size(), 2u);
  EXPECT_EQ(display.shown()[0],
            (platform::RecordingErrorDisplay::Shown{"Produto deve ser informado.", 0}));
  EXPECT_EQ(display.shown()[1], (platform::RecordingErrorDisplay::Shown{"Aviso", 12}));
}

TEST(ConsisteErrorsWithoutDisplay, MensErroRefusesToLoseTheMessage) {
  platform::ScopedErrorDisplay none(nullptr);
  EXPECT_THROW(Consiste::MensErro("texto", true), std::logic_error);
}

TEST_F(ConsisteErrors, CheckResultServTextIsAnError) {
  const platform::Variant error("Dia fechado");
  EXPECT_THROW(Consiste::CheckResultServ(error, true, 0), platform::Abort);
  const platform::Variant payload = Consiste::CheckResultServ(error, false, 7);
  EXPECT_TRUE(payload.isNull());
  EXPECT_EQ(display.shown(), (std::vector<platform::RecordingErrorDisplay::Shown>{
                                 {"Dia fechado", 0}, {"Dia fechado", 7}}));
}

TEST_F(ConsisteErrors, CheckResultServPassesOtherResultsThrough) {
  const platform::Variant kResults[] = {
      platform::Variant(42),
      platform::Variant(3.5),
      platform::Variant(true),
      platform::Variant::null(),
      platform::Variant(),
      platform::Variant::date(46082),
      platform::Variant::array({platform::Variant("texto"), platform::Variant(1)}),
      platform::Variant(""),  // no message to show
      platform::Variant("   "),
  };
  for (const platform::Variant& result : kResults) {
    SCOPED_TRACE(result.debugString());
    EXPECT_EQ(Consiste::CheckResultServ(result, true, 0), result);
  }
  EXPECT_TRUE(display.shown().empty());
}

}  // namespace
