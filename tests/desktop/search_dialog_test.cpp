#include "desktop/search_dialog.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QStyle>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/client_dataset.h"
#include "platform/data_source.h"

namespace desktop {
namespace {

using namespace platform;

// Runs `steps` on the search dialog once it is open and running modally.
void whenOpen(QtSearchList& list, std::function<void(SearchDialog&)> steps) {
  list.onOpened = [steps = std::move(steps)](SearchDialog& dialog) {
    QTimer::singleShot(0, &dialog, [&dialog, steps] {
      steps(dialog);
      // A step that left the dialog open fails the test instead of hanging it.
      if (dialog.isVisible()) {
        ADD_FAILURE() << "the dialog is still open";
        dialog.reject();
      }
    });
  };
}

QStringList shownNames(SearchDialog& dialog) {
  QStringList names;
  for (int r = 0; r < dialog.filtered().rowCount(); ++r)
    names << dialog.filtered().index(r, 1).data().toString();
  return names;
}

class SearchDialogTest : public ::testing::Test {
 protected:
  SearchDialogTest() : source_(&ds_) {
    ds_.addField("CDARVPROD", FieldType::Text, 14).setDisplayLabel("Código");
    ds_.addField("NMPRODUTO", FieldType::Text, 40).setDisplayLabel("Produto");
    ds_.addField("SGUNIDADE", FieldType::Text, 3).setDisplayLabel("Un");
    ds_.addField("IDINTERNO", FieldType::Integer).setVisible(false);
    ds_.addField("VRCUSTO", FieldType::Float).setDisplayFormat("#,##0.000");
    ds_.createDataSet();
    int id = 0;
    for (const auto& [code, name, unit, cost] :
         std::vector<std::tuple<const char*, const char*, const char*, double>>{
             {"01.01.001.0001", "Arroz Tipo 1", "KG", 4.5},
             {"01.01.002.0003", "FEIJÃO PRETO", "KG", 7.25},
             {"01.02.001.0007", "Açúcar Cristal", "KG", 3.1},
             {"02.01.001.0002", "Óleo de Soja", "LT", 6.8},
             {"02.03.004.0010", "Pão Francês", "UN", 0.6}}) {
      ds_.append();
      ds_.fieldByName("CDARVPROD").setAsString(code);
      ds_.fieldByName("NMPRODUTO").setAsString(name);
      ds_.fieldByName("SGUNIDADE").setAsString(unit);
      ds_.fieldByName("IDINTERNO").setAsInteger(++id);
      ds_.fieldByName("VRCUSTO").setAsFloat(cost);
      ds_.post();
    }
    ds_.first();
  }

  ClientDataSet ds_;
  DataSource source_;
  QtSearchList list_;
};

TEST_F(SearchDialogTest, ListsTheVisibleFieldsWithTheirLabelsAndASoundModel) {
  SearchRowsModel rows;
  QAbstractItemModelTester tester(&rows, QAbstractItemModelTester::FailureReportingMode::Fatal);
  rows.load(ds_);
  ASSERT_EQ(rows.columnCount(), 4);  // IDINTERNO is hidden
  EXPECT_EQ(rows.headerData(0, Qt::Horizontal).toString(), QString::fromUtf8("Código"));
  EXPECT_EQ(rows.headerData(3, Qt::Horizontal).toString(), "VRCUSTO");
  EXPECT_EQ(rows.column(1).widthChars, 40);
  EXPECT_EQ(rows.data(rows.index(1, 1)).toString(), QString::fromUtf8("FEIJÃO PRETO"));
  EXPECT_EQ(rows.data(rows.index(1, 3)).toString(), "7,250");  // the field's display text
  EXPECT_TRUE(rows.data(rows.index(1, 3), Qt::TextAlignmentRole).value<Qt::Alignment>() &
              Qt::AlignRight);

  SearchFilterModel filtered;
  QAbstractItemModelTester filterTester(&filtered,
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
  filtered.setSourceModel(&rows);
  filtered.setTyped("arroz");
  EXPECT_EQ(filtered.rowCount(), 1);
  filtered.setTyped("");
  EXPECT_EQ(filtered.rowCount(), 5);
}

TEST_F(SearchDialogTest, TypingFiltersByCodeOrNameIgnoringCaseAndAccents) {
  const std::vector<std::pair<QString, QStringList>> cases = {
      {"", {"Arroz Tipo 1", "FEIJÃO PRETO", "Açúcar Cristal", "Óleo de Soja", "Pão Francês"}},
      {"feijao", {"FEIJÃO PRETO"}},
      {"FEIJÃO", {"FEIJÃO PRETO"}},
      {"acucar", {"Açúcar Cristal"}},
      {"oleo", {"Óleo de Soja"}},
      {"pao fr", {"Pão Francês"}},
      {"01.02", {"Açúcar Cristal"}},
      {"0102", {"Açúcar Cristal"}},  // the code's digits without its points
      {"02", {"FEIJÃO PRETO", "Açúcar Cristal", "Óleo de Soja", "Pão Francês"}},
      {"  soja  ", {"Óleo de Soja"}},
      {"chocolate", {}},
  };
  for (const auto& [typed, expected] : cases) {
    whenOpen(list_, [&](SearchDialog& dialog) {
      QTest::keyClicks(&dialog.filterEdit(), typed);
      EXPECT_EQ(shownNames(dialog), expected) << typed.toStdString();
      // A filter that keeps nothing still shows the (empty) list, not the empty-list text.
      EXPECT_EQ(dialog.table().isVisible(), true) << typed.toStdString();
      dialog.reject();
    });
    EXPECT_FALSE(list_.Pesquisar(source_, "Produtos|Nenhum produto", false, true));
  }
}

TEST_F(SearchDialogTest, EnterAndDoubleClickChooseEscCancels) {
  enum class Gesture { Enter, DoubleClick, Esc };
  const std::vector<std::tuple<const char*, Gesture, bool, const char*>> cases = {
      {"soja", Gesture::Enter, true, "02.01.001.0002"},
      {"pao", Gesture::DoubleClick, true, "02.03.004.0010"},
      {"soja", Gesture::Esc, false, "01.01.002.0003"},
  };
  for (const auto& [typed, gesture, chosen, expectedCode] : cases) {
    ds_.first();
    ds_.next();  // on the beans: a cancel must leave the cursor there
    whenOpen(list_, [&, gesture = gesture, typed = typed](SearchDialog& dialog) {
      QTest::keyClicks(&dialog.filterEdit(), typed);
      switch (gesture) {
        case Gesture::Enter:
          QTest::keyClick(&dialog.filterEdit(), Qt::Key_Return);
          break;
        case Gesture::DoubleClick: {
          QTableView& table = dialog.table();
          const QRect cell = table.visualRect(dialog.filtered().index(0, 1));
          // Qt needs the press before the double click for it to count as one.
          QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, cell.center());
          QTest::mouseDClick(table.viewport(), Qt::LeftButton, {}, cell.center());
          break;
        }
        case Gesture::Esc:
          QTest::keyClick(&dialog.filterEdit(), Qt::Key_Escape);
          break;
      }
    });
    EXPECT_EQ(list_.Pesquisar(source_, "Produtos", false, true), chosen) << typed;
    EXPECT_EQ(ds_.fieldByName("CDARVPROD").asString(), expectedCode) << typed;
  }
}

TEST_F(SearchDialogTest, OpensOnTheCurrentRowAndArrowsMoveWhileTyping) {
  ds_.last();
  whenOpen(list_, [](SearchDialog& dialog) {
    EXPECT_EQ(dialog.table().currentIndex().row(), 4);
    QTest::keyClicks(&dialog.filterEdit(), "01");  // every code holds "01": the row stays
    EXPECT_EQ(dialog.table().currentIndex().row(), 4);
    QTest::keyClick(&dialog.filterEdit(), Qt::Key_Up);
    EXPECT_EQ(dialog.filterEdit().text(), "01");
    QTest::keyClick(&dialog.filterEdit(), Qt::Key_Enter);
  });
  ASSERT_TRUE(list_.Pesquisar(source_, "Produtos", false, true));
  EXPECT_EQ(ds_.recNo(), 4);
}

TEST_F(SearchDialogTest, TheHighlightedRowStaysOnItsProductWhenRowsAboveItAreFilteredOut) {
  ds_.last();
  whenOpen(list_, [](SearchDialog& dialog) {
    QTest::keyClicks(&dialog.filterEdit(), "02");  // drops the rice, above the bread
    const int row = dialog.table().currentIndex().row();
    EXPECT_EQ(dialog.filtered().index(row, 1).data().toString(), QString::fromUtf8("Pão Francês"));
    QTest::keyClick(&dialog.filterEdit(), Qt::Key_Enter);
  });
  ASSERT_TRUE(list_.Pesquisar(source_, "Produtos", false, true));
  EXPECT_EQ(ds_.fieldByName("CDARVPROD").asString(), "02.03.004.0010");
}

TEST_F(SearchDialogTest, ShowsWholeCodesAndUnits) {
  whenOpen(list_, [](SearchDialog& dialog) {
    QTableView& table = dialog.table();
    // The margins the style's item views keep either side of a cell's text.
    const int margins = 2 * (table.style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
    for (int c : {0, 2}) {  // code and unit; the name takes what is left
      for (int r = 0; r < dialog.filtered().rowCount(); ++r) {
        const QString text = dialog.filtered().index(r, c).data().toString();
        EXPECT_GE(table.columnWidth(c), table.fontMetrics().horizontalAdvance(text) + margins)
            << text.toStdString();
      }
    }
    dialog.reject();
  });
  EXPECT_FALSE(list_.Pesquisar(source_, "Produtos", false, true));
}

TEST_F(SearchDialogTest, AnEmptyListShowsItsTextAndChoosesNothing) {
  ds_.emptyDataSet();
  whenOpen(list_, [](SearchDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Produtos");
    EXPECT_TRUE(dialog.emptyLabel().isVisible());
    EXPECT_EQ(dialog.emptyLabel().text(), QString::fromUtf8("Nenhum produto cadastrado"));
    QTest::keyClick(&dialog.filterEdit(), Qt::Key_Return);  // nothing to choose: stays open
    EXPECT_TRUE(dialog.isVisible());
    dialog.reject();
  });
  EXPECT_FALSE(list_.Pesquisar(source_, "Produtos|Nenhum produto cadastrado", false, true));
}

TEST_F(SearchDialogTest, WithoutFilterAsTypedEnterFiltersFirstThenChooses) {
  whenOpen(list_, [](SearchDialog& dialog) {
    QTest::keyClicks(&dialog.filterEdit(), "soja");
    EXPECT_EQ(dialog.filtered().rowCount(), 5);
    QTest::keyClick(&dialog.filterEdit(), Qt::Key_Return);
    EXPECT_EQ(dialog.filtered().rowCount(), 1);
    EXPECT_TRUE(dialog.isVisible());
    QTest::keyClick(&dialog.filterEdit(), Qt::Key_Return);
  });
  ASSERT_TRUE(list_.Pesquisar(source_, "Produtos", false, false));
  EXPECT_EQ(ds_.fieldByName("NMPRODUTO").asString(), "Óleo de Soja");
}

TEST(QtClipboardTest, ReadsAndWritesTheSystemClipboardsText) {
  QtClipboard clipboard;
  clipboard.setText("01.02.001.0007 Açúcar");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("01.02.001.0007 Açúcar"));
  QGuiApplication::clipboard()->setText("02.01");
  EXPECT_EQ(clipboard.text(), "02.01");
  QGuiApplication::clipboard()->clear();
  EXPECT_EQ(clipboard.text(), "");
}

}  // namespace
}  // namespace desktop
