// The daily cost table: calculated and running values, month totals, date text and painting.
#include <array>

#include "platform/consiste.h"
#include "platform/ui/canvas.h"
#include "screen_fixture.h"

namespace screentest {
namespace {

using platform::Variant;
using platform::ui::clHighlight;
using platform::ui::clHighlightText;
using platform::ui::clInfoBk;
using platform::ui::clWindowText;
using platform::ui::Color;
using platform::ui::DrawFlag;
using platform::ui::GridDrawState;
using platform::ui::RecordingCanvas;
using platform::ui::Rect;
using screen::TfrmAnaCustRevRec;

double R5(double v) {
  return Consiste::RoundDec(v, 5);
}

// The table's values computed the plain way from the rows the server sent, in the order of
// kCheckedFields.
constexpr const char* kCheckedFields[] = {"QTCOMENSAIS",  "VRCUSTOTOTAL",   "VRMATPERC",
                                          "VRTOTPERC",    "VRCUSTOACU",     "QTCOMESACU",
                                          "VRCUSTMATACU", "VRCUSTOCONSACU", "VRCUSTOMEDIO"};
using Expected = std::array<double, std::size(kCheckedFields)>;

std::vector<Expected> expectedTable(const std::vector<DayRow>& days, bool clientDiners) {
  std::vector<Expected> out;
  double acc = 0, accDiners = 0, material = 0, consumption = 0;
  for (const DayRow& d : days) {
    const double diners = clientDiners ? d.clientDiners : d.diners;
    const double total = d.material + d.consumption + d.indirect;
    acc += total;
    accDiners += diners;
    material += d.material;
    consumption += d.consumption;
    out.push_back({diners, total, diners == 0 ? 0 : R5(d.material / diners),
                   diners == 0 ? 0 : R5(total / diners), acc, accDiners, R5(material),
                   R5(consumption), accDiners == 0 ? 0 : R5(acc / accDiners)});
  }
  return out;
}

TEST_F(ScreenTest, CalculatedAndRunningValuesFollowTheBranchDinersParameter) {
  server.days[0].diners = server.days[0].clientDiners = 0;  // the month starts without diners
  const struct {
    std::string parameter;
    bool client;
  } cases[] = {{"C", true}, {"c", false}, {"", false}, {"T", false}};
  for (const auto& c : cases) {
    server.idComCusPerc = c.parameter;
    const auto expected = expectedTable(server.days, c.client);
    open([&](TfrmAnaCustRevRec& f, Driver&) {
      ASSERT_EQ(f.cost.cdsTrabCusto.recordCount(), static_cast<int>(expected.size()));
      for (size_t i = 0; i < std::size(kCheckedFields); ++i) {
        const auto values = column(f.cost.cdsTrabCusto, kCheckedFields[i]);
        for (size_t row = 0; row < expected.size(); ++row) {
          EXPECT_DOUBLE_EQ(values[row].toDouble(), expected[row][i])
              << kCheckedFields[i] << " row " << row << " IDCOMCUSPERC '" << c.parameter << "'";
        }
      }
      // Raw material and consumption only: the indirect costs stay out of the month totals.
      EXPECT_DOUBLE_EQ(f.cost.cdsTotalMes.fieldByName("VRTOTMATPRIM").asFloat(), 660.5);
      EXPECT_DOUBLE_EQ(f.cost.cdsTotalMes.fieldByName("VRTOTCONS").asFloat(), 122.25);
      EXPECT_EQ(f.cost.cdsTotalMes.recordCount(), 1);
      EXPECT_EQ(f.cost.cdsTrabCusto.recNo(), 1);
      EXPECT_FALSE(f.cost.cdsTrabCusto.controlsDisabled());
    });
  }
}

TEST_F(ScreenTest, DaysArriveInAnyOrderAndAreKeptByDate) {
  std::swap(server.days[0], server.days[4]);
  open([&](TfrmAnaCustRevRec& f, Driver&) {
    const auto days = column(f.cost.cdsTrabCusto, "DTDATA");
    for (size_t i = 0; i < days.size(); ++i)
      EXPECT_DOUBLE_EQ(days[i].toDouble(), march(2 + i));
    EXPECT_DOUBLE_EQ(column(f.cost.cdsTrabCusto, "VRCUSTOACU").back().toDouble(), 829.75);
  });
}

TEST_F(ScreenTest, DaysCannotBeDeletedAndShowDateAndWeekday) {
  open([&](TfrmAnaCustRevRec& f, Driver& d) {
    EXPECT_FALSE(d.dispatch([&] { f.cost.cdsTrabCusto.deleteRecord(); }));
    EXPECT_EQ(d.aborts(), 1);
    EXPECT_TRUE(d.errors().empty());
    EXPECT_EQ(f.cost.cdsTrabCusto.recordCount(), 5);
    EXPECT_EQ(f.cost.cdsTrabCusto.fieldByName("DTDATA").displayText(), "02/03/2026 seg");
    EXPECT_EQ(f.cost.cdsTrabCusto.fieldByName("VRCUSTOTOTAL").displayText(), "125,00000");
  });
}

// One cell of dbgTrabCusto painted on a recording canvas.
struct Painted {
  Color brush;
  Color font;
  int x;
  std::string text;
};

Painted paint(TfrmAnaCustRevRec& f, int row, const std::string& field, bool selected) {
  RecordingCanvas canvas;
  const Rect rect{100, 40, 210, 58};
  const int col = f.cost.dbgTrabCusto->columnIndexOf(field);
  const GridDrawState state = selected ? GridDrawState{DrawFlag::Selected} : GridDrawState{};
  f.cost.cdsTrabCusto.withDisplayRow(row, [&] {
    f.cost.dbgTrabCustoDrawColumnCell(canvas, rect, col, f.cost.dbgTrabCusto->column(col), state);
  });
  const auto* text = canvas.lastText();
  EXPECT_EQ(canvas.calls().front().op, RecordingCanvas::Op::FillRect);
  EXPECT_EQ(text->y, 43);
  return {text->brush, text->font, text->x, text->text};
}

TEST_F(ScreenTest, GridPaintsOutdatedDaysAndCostsOverTheStandard) {
  const Color red = Color::rgb(255, 0, 0);
  const Color black = Color::rgb(0, 0, 0);
  // Per capita of the rows: 02/03 3,125 | 03/03 3,2 | 04/03 0 | 05/03 2,75 | 06/03 2,425;
  // averages 3,125 | 3,16667 | 4,27778 | 3,47368 | 3,19135.
  server.outdatedDays = {march(3), march(5)};
  const struct {
    char module;
    double standard;
    int row;
    const char* field;
    bool selected;
    Color font;
  } cases[] = {
      {'C', 3.5, 1, "VRTOTPERC", false, clWindowText},    // below the standard
      {'C', 3.0, 1, "VRTOTPERC", false, red},             // over the standard
      {'C', 3.125, 1, "VRTOTPERC", false, clWindowText},  // exactly the standard
      {'C', 3.0, 1, "VRCUSTOMEDIO", false, red},
      {'C', 3.0, 1, "VRCUSTPRODMAT", false, clWindowText},
      {'C', 3.5, 2, "VRCUSTPRODMAT", false, red},  // outdated day: the whole row
      {'C', 3.5, 2, "VRTOTPERC", false, black},    // outdated but within the standard
      {'C', 3.0, 2, "VRTOTPERC", false, red},
      {'C', 3.0, 1, "VRTOTPERC", true, clHighlightText},  // selection wins
      {'C', 3.5, 2, "DTDATA", true, clHighlightText},
      // Module 81 compares nothing with the standard and loads no outdated days.
      {'Q', 3.0, 1, "VRTOTPERC", false, clWindowText},
      {'Q', 3.5, 2, "VRTOTPERC", false, clWindowText},
  };
  for (const auto& c : cases) {
    shell.module = c.module;
    server.standardCost = c.standard;
    open([&](TfrmAnaCustRevRec& f, Driver&) {
      const Painted p = paint(f, c.row, c.field, c.selected);
      EXPECT_EQ(p.font, c.font) << c.module << " " << c.standard << " " << c.row << " " << c.field;
      EXPECT_EQ(p.brush, c.selected ? clHighlight : clInfoBk);
    });
  }
}

TEST_F(ScreenTest, GridAlignsDatesLeftAndNumbersRight) {
  open([&](TfrmAnaCustRevRec& f, Driver&) {
    const Painted date = paint(f, 2, "DTDATA", false);
    EXPECT_EQ(date.text, "03/03/2026 ter");
    EXPECT_EQ(date.x, 103);
    const Painted number = paint(f, 2, "VRCUSTOTOTAL", false);
    EXPECT_EQ(number.text, "160,00000");
    EXPECT_EQ(number.x, 210 - 2 - 7 * 9);
  });
}

}  // namespace
}  // namespace screentest
