// What the data-aware controls do for the user: a grid's key path, which cells may be edited,
// writing cells, posting before the cursor moves, and the navigator's moves and enabling.
#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/abort.h"
#include "platform/client_dataset.h"
#include "platform/consiste.h"
#include "platform/data_source.h"
#include "platform/ui/ui.h"
#include "platform/variant.h"

namespace platform::ui {
namespace {

// A small dish screen: a grid and a navigator over three dishes, and an edit of the name.
struct Dishes {
  Dishes() {
    dishes.addField("NMPRATO", FieldType::Text, 40);
    dishes.addField("COMENS", FieldType::Float);
    dishes.addField("CDPRATO", FieldType::Text, 10).setReadOnly(true);
    dishes.addField("CUSTO", FieldType::Float, 0, FieldKind::Calculated);
    dishes.onCalcFields = [](ClientDataSet& ds) {
      ds.fieldByName("CUSTO").setAsFloat(ds.fieldByName("COMENS").asFloat() * 2);
    };
    dishes.createDataSet();
    for (const auto& [name, diners] : std::vector<std::pair<const char*, double>>{
             {"Arroz", 100}, {"Feijão", 80}, {"Salada", 60}}) {
      dishes.append();
      dishes.fieldByName("NMPRATO").setAsString(name);
      dishes.fieldByName("COMENS").setAsFloat(diners);
      dishes.post();
    }
    dishes.mergeChangeLog();
    dishes.first();
    grid.setDataSource(&source);
    for (const char* field : {"NMPRATO", "COMENS", "CDPRATO", "CUSTO"})
      grid.addColumn(field);
    navigator.setDataSource(&source);
    edit.setDataSource(&source);
    edit.setDataField("NMPRATO");
    grid.setFocus();
  }

  int col(const char* field) const { return grid.columnIndexOf(field); }
  std::string name() const { return dishes.fieldByName("NMPRATO").asString(); }
  double diners() const { return dishes.fieldByName("COMENS").asFloat(); }
  // One keystroke of the user, as a user event.
  EventOutcome key(Key k, char32_t typed = 0, ShiftState shift = ssNone) {
    return runUserEvent([&] { form.pressKey(k, shift, typed); });
  }
  void type(const std::string& text) {
    for (char c : text)
      key(keyOf(c), static_cast<unsigned char>(c));
  }

  RecordingErrorDisplay shown;
  ScopedErrorDisplay installed{&shown};
  ClientDataSet dishes{"cdsCardapio"};
  DataSource source{&dishes};
  Form form{"frmPratos"};
  DBGrid& grid = form.create<DBGrid>("dbgCardapio");
  DBNavigator& navigator = form.create<DBNavigator>("dbnPadrao");
  DBEdit& edit = form.create<DBEdit>("dbeNome");
};

class DishForm : public ::testing::Test, protected Dishes {};

// ---- Keys -------------------------------------------------------------------------------------

TEST_F(DishForm, AGridKeyGoesDownThenPressThenToTheEditor) {
  const struct {
    const char* name;
    std::function<void(Key&)> down;
    std::function<void(char32_t&)> press;
    std::vector<std::string> seen;
    std::string editor;  // the editor's text after the key, "-" when it stayed closed
  } cases[] = {
      {"nobody eats it", nullptr, nullptr, {"down", "press 7"}, "7"},
      {"KeyDown eats it", [](Key& k) { k = kNoKey; }, nullptr, {"down"}, "-"},
      {"KeyPress eats it", nullptr, [](char32_t& c) { c = 0; }, {"down", "press 7"}, "-"},
      {"KeyPress types another", nullptr, [](char32_t& c) { c = U'9'; }, {"down", "press 7"}, "9"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    grid.hideEditor();
    grid.selectColumn(col("COMENS"));
    std::vector<std::string> seen;
    grid.onKeyDown = [&](Key& k, ShiftState) {
      seen.push_back("down");
      if (c.down) c.down(k);
    };
    grid.onKeyPress = [&](char32_t& ch) {
      seen.push_back("press " + std::string(1, static_cast<char>(ch)));
      if (c.press) c.press(ch);
    };
    key(keyOf('7'), U'7');
    EXPECT_EQ(seen, c.seen);
    EXPECT_EQ(grid.editorMode() ? grid.editorText() : "-", c.editor);
  }
}

TEST_F(DishForm, TypingEditsTheCellAndEnterWritesIt) {
  grid.selectColumn(col("COMENS"));
  type("125,5");  // the first character replaces the cell's text
  EXPECT_TRUE(grid.editorMode());
  EXPECT_EQ(grid.editorText(), "125,5");
  EXPECT_EQ(dishes.state(), DataSetState::Edit);
  EXPECT_EQ(diners(), 100);  // not written yet
  key(VK_BACK, 8);
  key(VK_BACK, 8);
  type("8");
  key(VK_RETURN, 13);
  EXPECT_FALSE(grid.editorMode());
  EXPECT_EQ(diners(), 1258);
  EXPECT_DOUBLE_EQ(dishes.fieldByName("CUSTO").asFloat(), 2516);

  // Esc closes the editor unwritten; F2 opens it on the field's text.
  key(VK_F2);
  EXPECT_EQ(grid.editorText(), "1258");
  type("3");
  key(VK_ESCAPE, 27);
  EXPECT_FALSE(grid.editorMode());
  EXPECT_EQ(diners(), 1258);
}

TEST_F(DishForm, ArrowsAndTabMoveWhereTheGridAllows) {
  grid.setOptions(grid.options().with(GridOption::Tabs));
  grid.column(col("COMENS")).setVisible(false);
  key(VK_DOWN);
  key(VK_DOWN);
  key(VK_DOWN);  // stays on the last row
  EXPECT_EQ(dishes.recNo(), 3);
  key(VK_UP);
  EXPECT_EQ(dishes.recNo(), 2);
  key(VK_TAB, 9);  // the hidden column is skipped
  EXPECT_EQ(grid.selectedIndex(), col("CDPRATO"));
  key(VK_TAB, 9, ssShift);
  EXPECT_EQ(grid.selectedIndex(), col("NMPRATO"));
  key(VK_RIGHT);
  EXPECT_EQ(grid.selectedIndex(), col("CDPRATO"));
}

// ---- Which cells may be edited ----------------------------------------------------------------

TEST_F(DishForm, OneAnswerSaysWhichCellMayBeEdited) {
  const struct {
    const char* name;
    std::function<void(Dishes&)> setUp;
    const char* field;
    bool editable;
  } cases[] = {
      {"a data field", nullptr, "COMENS", true},
      {"grid without the Editing option",
       [](Dishes& f) { f.grid.setOptions(f.grid.options().without(GridOption::Editing)); },
       "COMENS", false},
      {"read-only grid", [](Dishes& f) { f.grid.setReadOnly(true); }, "COMENS", false},
      {"disabled grid", [](Dishes& f) { f.grid.setEnabled(false); }, "COMENS", false},
      {"read-only column", [](Dishes& f) { f.grid.column(1).setReadOnly(true); }, "COMENS", false},
      {"hidden column", [](Dishes& f) { f.grid.column(1).setVisible(false); }, "COMENS", false},
      {"read-only field", nullptr, "CDPRATO", false},
      {"calculated field", nullptr, "CUSTO", false},
      {"a column without its field", [](Dishes& f) { f.grid.column(1).setFieldName("VRPECONS"); },
       "VRPECONS", false},
      {"closed dataset", [](Dishes& f) { f.dishes.close(); }, "COMENS", false},
      {"disabled data source", [](Dishes& f) { f.source.setEnabled(false); }, "COMENS", false},
      {"controls disabled", [](Dishes& f) { f.dishes.disableControls(); }, "COMENS", false},
      {"while editing", [](Dishes& f) { f.dishes.edit(); }, "COMENS", true},
      {"while inserting", [](Dishes& f) { f.dishes.insert(); }, "NMPRATO", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Dishes f;
    if (c.setUp) c.setUp(f);
    const int column = f.grid.columnIndexOf(c.field);
    ASSERT_GE(column, 0);
    EXPECT_EQ(f.grid.canEditCell(column), c.editable);
    f.grid.setSelectedIndex(column);
    // The user's ways follow the answer.
    EXPECT_EQ(f.grid.showEditor(), c.editable);
    f.grid.hideEditor();
    EXPECT_EQ(f.grid.writeCell(column, "1"), c.editable);
  }
  Dishes f;
  EXPECT_FALSE(f.grid.canEditField(f.dishes.fieldByName("CUSTO")));
  EXPECT_TRUE(f.grid.canEditField(f.dishes.fieldByName("NMPRATO")));
}

TEST_F(DishForm, TheDatasetsBeforeEditHasTheLastWord) {
  // A closed day refuses silently.
  dishes.beforeEdit = [](ClientDataSet&) { throw Abort(); };
  grid.selectColumn(col("NMPRATO"));
  EXPECT_TRUE(key(keyOf('S'), U'S').aborted());
  EXPECT_EQ(grid.editorText(), "Arroz");  // opened, but the typing was refused
  EXPECT_FALSE(grid.editorModified());
  EXPECT_EQ(dishes.state(), DataSetState::Browse);
  key(VK_RETURN, 13);
  EXPECT_EQ(name(), "Arroz");
  EXPECT_THROW(grid.writeCell(col("NMPRATO"), "Sopa"), Abort);
  EXPECT_EQ(name(), "Arroz");
  EXPECT_TRUE(shown.shown().empty());

  // A key handler that swallows every character leaves the cell alone as well.
  dishes.beforeEdit = nullptr;
  grid.onKeyPress = [](char32_t& c) { c = 0; };
  type("Sopa");
  key(VK_RETURN, 13);
  EXPECT_EQ(name(), "Arroz");
  EXPECT_EQ(dishes.state(), DataSetState::Browse);
}

// ---- Writing cells ----------------------------------------------------------------------------

TEST_F(DishForm, ACellIsWrittenThroughTheDatasetAndTheFieldsTextSetter) {
  std::vector<std::string> events;
  dishes.beforeEdit = [&](ClientDataSet&) { events.push_back("beforeEdit"); };
  dishes.afterEdit = [&](ClientDataSet&) { events.push_back("afterEdit"); };
  EXPECT_TRUE(grid.writeCell(col("COMENS"), "1234,5"));
  EXPECT_EQ(events, (std::vector<std::string>{"beforeEdit", "afterEdit"}));
  EXPECT_EQ(dishes.state(), DataSetState::Edit);
  EXPECT_EQ(diners(), 1234.5);

  // A text the field rejects leaves the value, and the editor keeps the text for correcting.
  grid.selectColumn(col("COMENS"));
  type("12x");
  const EventOutcome rejected = key(VK_RETURN, 13);
  EXPECT_TRUE(rejected.failed());
  EXPECT_EQ(shown.texts().size(), 1u);
  EXPECT_EQ(diners(), 1234.5);
  EXPECT_TRUE(grid.editorMode());
  EXPECT_EQ(grid.editorText(), "12x");
  key(VK_BACK, 8);
  key(VK_RETURN, 13);
  EXPECT_EQ(diners(), 12);
  EXPECT_EQ(events.size(), 2u);  // already editing: no second beforeEdit
}

TEST_F(DishForm, TheEditButtonActsOnlyWhereTheCellShowsOne) {
  int searches = 0;
  grid.onEditButtonClick = [&] { ++searches; };
  grid.column(col("NMPRATO")).setButtonStyle(ColumnButtonStyle::Ellipsis);
  grid.selectColumn(col("COMENS"));
  EXPECT_FALSE(grid.hasEditButton(col("COMENS")));
  EXPECT_FALSE(grid.pressEditButton());
  grid.selectColumn(col("NMPRATO"));
  EXPECT_TRUE(grid.hasEditButton(col("NMPRATO")));
  EXPECT_TRUE(grid.pressEditButton());
  grid.setReadOnly(true);
  EXPECT_FALSE(grid.hasEditButton(col("NMPRATO")));
  EXPECT_FALSE(grid.pressEditButton());
  EXPECT_EQ(searches, 1);
}

// ---- Posting before the cursor moves ----------------------------------------------------------

TEST_F(DishForm, TypedTextIsWrittenAndPostedBeforeTheCursorMoves) {
  const struct {
    const char* name;
    std::function<void(Dishes&)> move;
    int recNo;
  } moves[] = {
      {"another row", [](Dishes& f) { f.grid.selectRow(2); }, 3},
      {"the navigator", [](Dishes& f) { f.navigator.press(NavigateButton::Next); }, 2},
      {"the navigator's own action",
       [](Dishes& f) {
         f.navigator.action = [&f](NavigateButton) { f.dishes.last(); };
         f.navigator.press(NavigateButton::Next);
       },
       3},
      {"a key", [](Dishes& f) { f.key(VK_DOWN); }, 2},
  };
  for (const auto& m : moves) {
    SCOPED_TRACE(m.name);
    Dishes f;
    f.grid.selectColumn(f.col("NMPRATO"));
    f.type("Sopa");
    m.move(f);
    EXPECT_EQ(f.dishes.state(), DataSetState::Browse);
    EXPECT_EQ(f.dishes.recNo(), m.recNo);
    EXPECT_FALSE(f.grid.editorMode());
    f.dishes.first();
    EXPECT_EQ(f.name(), "Sopa");
    EXPECT_EQ(f.dishes.changeCount(), 1);
  }
}

TEST_F(DishForm, TheColumnIsWrittenBeforeItsExitHandlerRuns) {
  std::string seenOnExit;
  grid.onColExit = [&] { seenOnExit = name(); };
  grid.selectColumn(col("NMPRATO"));
  type("Sopa");
  key(VK_RIGHT);  // moves inside the editor, not out of the cell
  EXPECT_EQ(grid.selectedIndex(), col("NMPRATO"));
  grid.selectColumn(col("COMENS"));
  EXPECT_EQ(seenOnExit, "Sopa");
}

TEST_F(DishForm, ANewRowIsPostedWhenTheUserLeavesIt) {
  navigator.press(NavigateButton::Last);
  navigator.press(NavigateButton::Insert);
  grid.selectColumn(col("NMPRATO"));
  type("Sopa");
  EXPECT_EQ(dishes.displayRowCount(), 4);
  EXPECT_TRUE(grid.selectRow(0));
  EXPECT_EQ(dishes.state(), DataSetState::Browse);
  EXPECT_EQ(dishes.recordCount(), 4);
  EXPECT_EQ(dishes.recNo(), 1);
  // A refused move leaves the cursor; a row that does not exist is refused.
  dishes.beforeScroll = [](ClientDataSet&) { throw Abort(); };
  EXPECT_THROW(grid.selectRow(2), Abort);
  EXPECT_EQ(dishes.recNo(), 1);
  EXPECT_FALSE(grid.selectRow(4));
  grid.setVisible(false);
  EXPECT_FALSE(grid.selectRow(1));
}

TEST_F(DishForm, CancelDropsTheTypingWithTheEdit) {
  grid.selectColumn(col("NMPRATO"));
  type("Sopa");
  EXPECT_TRUE(navigator.press(NavigateButton::Cancel));
  EXPECT_FALSE(grid.editorMode());
  EXPECT_EQ(dishes.state(), DataSetState::Browse);
  EXPECT_EQ(name(), "Arroz");
}

// ---- Navigator --------------------------------------------------------------------------------

TEST_F(DishForm, NavigatorButtonsAreEnabledByThePosition) {
  using B = NavigateButton;
  const std::vector<B> all = {B::First,  B::Prior, B::Next, B::Last,   B::Insert,
                              B::Delete, B::Edit,  B::Post, B::Cancel, B::Refresh};
  const struct {
    const char* name;
    std::function<void(Dishes&)> setUp;
    std::vector<B> enabled;
  } cases[] = {
      {"first record", nullptr, {B::Next, B::Last, B::Insert, B::Delete, B::Edit, B::Refresh}},
      {"middle record",
       [](Dishes& f) { f.dishes.next(); },
       {B::First, B::Prior, B::Next, B::Last, B::Insert, B::Delete, B::Edit, B::Refresh}},
      {"last record",
       [](Dishes& f) { f.dishes.last(); },
       {B::First, B::Prior, B::Insert, B::Delete, B::Edit, B::Refresh}},
      {"editing", [](Dishes& f) { f.dishes.edit(); }, {B::Next, B::Last, B::Post, B::Cancel}},
      {"empty",
       [](Dishes& f) {
         while (!f.dishes.isEmpty())
           f.dishes.deleteRecord();
       },
       {B::Insert, B::Refresh}},
      {"closed", [](Dishes& f) { f.dishes.close(); }, {}},
      {"disabled navigator", [](Dishes& f) { f.navigator.setEnabled(false); }, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Dishes f;
    if (c.setUp) c.setUp(f);
    std::vector<B> enabled;
    for (B b : all)
      if (f.navigator.buttonEnabled(b)) enabled.push_back(b);
    EXPECT_EQ(enabled, c.enabled);
    // A disabled button cannot be pressed.
    for (B b : all) {
      if (!f.navigator.buttonEnabled(b)) {
        EXPECT_FALSE(f.navigator.press(b));
      }
    }
  }
}

TEST_F(DishForm, TheNavigatorMovesItsDatasetItself) {
  using B = NavigateButton;
  std::vector<std::string> clicks;
  navigator.onClick = [&](B b) { clicks.push_back(std::to_string(static_cast<int>(b))); };
  const struct {
    B button;
    int recNo;
    DataSetState state;
    int records;
  } steps[] = {
      {B::Last, 3, DataSetState::Browse, 3},   {B::Prior, 2, DataSetState::Browse, 3},
      {B::First, 1, DataSetState::Browse, 3},  {B::Next, 2, DataSetState::Browse, 3},
      {B::Edit, 2, DataSetState::Edit, 3},     {B::Cancel, 2, DataSetState::Browse, 3},
      {B::Insert, 2, DataSetState::Insert, 3}, {B::Cancel, 2, DataSetState::Browse, 3},
      {B::Delete, 2, DataSetState::Browse, 2}, {B::Refresh, 2, DataSetState::Browse, 2},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(static_cast<int>(s.button));
    EXPECT_TRUE(navigator.press(s.button));
    EXPECT_EQ(dishes.recNo(), s.recNo);
    EXPECT_EQ(dishes.state(), s.state);
    EXPECT_EQ(dishes.recordCount(), s.records);
  }
  EXPECT_EQ(clicks.size(), std::size(steps));
  // Post writes what was typed into the edit, then posts it.
  edit.setFocus();
  runUserEvent([&] {
    form.pressKey(VK_BACK, ssNone, 8);
    form.pressKey(keyOf('o'), ssNone, U'o');
  });
  EXPECT_EQ(edit.typedText(), "Salado");
  EXPECT_TRUE(navigator.press(B::Post));
  EXPECT_EQ(name(), "Salado");
  EXPECT_EQ(dishes.state(), DataSetState::Browse);
  EXPECT_FALSE(edit.modified());
}

// ---- Edit -------------------------------------------------------------------------------------

TEST_F(DishForm, AnEditWritesItsTextWhereItMay) {
  edit.setFocus();
  dishes.beforeEdit = [](ClientDataSet&) { throw Abort(); };
  EXPECT_TRUE(key(keyOf('X'), U'X').aborted());
  EXPECT_FALSE(edit.modified());
  dishes.beforeEdit = nullptr;
  key(keyOf('X'), U'X');
  EXPECT_EQ(edit.typedText(), "ArrozX");
  key(VK_ESCAPE, 27);
  EXPECT_FALSE(edit.modified());
  EXPECT_EQ(name(), "Arroz");
  edit.setDataField("CDPRATO");  // read-only field
  EXPECT_FALSE(edit.canModify());
  EXPECT_FALSE(edit.writeText("P1"));
  edit.setDataField("NMPRATO");
  edit.setReadOnly(true);
  EXPECT_FALSE(edit.changeText("Sopa"));
}

}  // namespace
}  // namespace platform::ui
