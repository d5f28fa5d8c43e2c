#include "desktop/grid_model.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "platform/abort.h"
#include "platform/client_dataset.h"
#include "platform/data_source.h"
#include "platform/ui/ui.h"
#include "platform/variant.h"

namespace desktop {
namespace {

using namespace platform;
using namespace platform::ui;

// Collects what QAbstractItemModelTester complains about.
class TesterWarnings {
 public:
  TesterWarnings() {
    messages().clear();
    previous_ = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& m) {
      messages().push_back(m.toStdString());
    });
  }
  ~TesterWarnings() { qInstallMessageHandler(previous_); }
  static std::vector<std::string>& messages() {
    static std::vector<std::string> list;
    return list;
  }

 private:
  QtMessageHandler previous_;
};

class GridModelTest : public ::testing::Test {
 protected:
  GridModelTest() : form_("frmTest"), grid_(form_.create<DBGrid>("dbgPrato")), source_(&ds_) {
    ds_.addField("CDPRATO", FieldType::Text, 10);
    ds_.addField("NMPRATO", FieldType::Text, 40).setDisplayLabel("Prato");
    ds_.addField("VRCUSTO", FieldType::Float).setDisplayFormat("#,##0.00000");
    ds_.createDataSet();
    for (const auto& [code, name, cost] : std::vector<std::tuple<const char*, const char*, double>>{
             {"003", "Feijão", 1.5}, {"001", "Arroz", 0.125}, {"002", "Salada", 2}}) {
      ds_.append();
      ds_.fieldByName("CDPRATO").setAsString(code);
      ds_.fieldByName("NMPRATO").setAsString(name);
      ds_.fieldByName("VRCUSTO").setAsFloat(cost);
      ds_.post();
    }
    ds_.first();
    grid_.setDataSource(&source_);
    grid_.addColumn("NMPRATO");
    grid_.addColumn("VRCUSTO", "Custo", 90, Alignment::Right);
    model_ = std::make_unique<GridModel>(grid_);
    tester_ = std::make_unique<QAbstractItemModelTester>(
        model_.get(), QAbstractItemModelTester::FailureReportingMode::Warning);
  }
  ~GridModelTest() override {
    tester_.reset();
    model_.reset();
    EXPECT_TRUE(TesterWarnings::messages().empty())
        << "model tester: " << TesterWarnings::messages().front();
  }

  QString text(int row, int column) const {
    return model_->data(model_->index(row, column)).toString();
  }
  QStringList column(int c) const {
    QStringList list;
    for (int r = 0; r < model_->rowCount(); ++r)
      list << text(r, c);
    return list;
  }

  TesterWarnings warnings_;
  Form form_;
  DBGrid& grid_;
  ClientDataSet ds_{"cdsPrato"};
  DataSource source_;
  std::unique_ptr<GridModel> model_;
  std::unique_ptr<QAbstractItemModelTester> tester_;
};

TEST_F(GridModelTest, RowsAreTheRecordsAndCellsTheirDisplayTexts) {
  EXPECT_EQ(model_->rowCount(), 3);
  EXPECT_EQ(model_->columnCount(), 2);
  EXPECT_EQ(column(0), (QStringList{"Feijão", "Arroz", "Salada"}));
  EXPECT_EQ(column(1), (QStringList{"1,50000", "0,12500", "2,00000"}));
  EXPECT_EQ(model_->headerData(0, Qt::Horizontal).toString(), "Prato");  // the field's label
  EXPECT_EQ(model_->headerData(1, Qt::Horizontal).toString(), "Custo");
  EXPECT_EQ(model_->headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>(),
            Qt::AlignRight | Qt::AlignVCenter);
  EXPECT_EQ(model_->currentRow(), 0);
  // The indicator marks the current row only, and only as text.
  EXPECT_EQ(model_->headerData(0, Qt::Vertical).toString(), QString::fromUtf8("▶"));
  EXPECT_EQ(model_->headerData(1, Qt::Vertical).toString(), "");
  EXPECT_FALSE(model_->headerData(0, Qt::Vertical, Qt::FontRole).isValid());
  ds_.edit();
  EXPECT_EQ(model_->headerData(0, Qt::Vertical).toString(), QString::fromUtf8("✎"));
}

TEST_F(GridModelTest, FollowsIndexFilterInsertDeleteAndCancel) {
  struct Step {
    const char* what;
    std::function<void(ClientDataSet&)> action;
    QStringList names;
  };
  const Step steps[] = {
      {"index order",
       [](ClientDataSet& d) { d.setIndexFieldNames("CDPRATO"); },
       {"Arroz", "Salada", "Feijão"}},
      {"filter",
       [](ClientDataSet& d) {
         d.setFilter("VRCUSTO > 1");
         d.setFiltered(true);
       },
       {"Salada", "Feijão"}},
      {"append posted",
       [](ClientDataSet& d) {
         d.append();
         d.fieldByName("CDPRATO").setAsString("000");
         d.fieldByName("NMPRATO").setAsString("Sopa");
         d.fieldByName("VRCUSTO").setAsFloat(3);
         d.post();
       },
       {"Sopa", "Salada", "Feijão"}},
      {"insert pending shows its row",
       [](ClientDataSet& d) {
         d.first();
         d.insert();
       },
       {"", "Sopa", "Salada", "Feijão"}},
      {"cancel drops it", [](ClientDataSet& d) { d.cancel(); }, {"Sopa", "Salada", "Feijão"}},
      {"delete",
       [](ClientDataSet& d) {
         d.locate("NMPRATO", Variant("Salada"));
         d.deleteRecord();
       },
       {"Sopa", "Feijão"}},
      {"unfiltered", [](ClientDataSet& d) { d.setFiltered(false); }, {"Sopa", "Arroz", "Feijão"}},
      {"edit in place",
       [](ClientDataSet& d) {
         d.first();
         d.edit();
         d.fieldByName("NMPRATO").setAsString("Caldo");
       },
       {"Caldo", "Arroz", "Feijão"}},
      {"closed", [](ClientDataSet& d) { d.close(); }, {}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.action(ds_);
    EXPECT_EQ(column(0), step.names);
  }
}

TEST_F(GridModelTest, CurrentRowFollowsTheCursorBothWays) {
  std::vector<int> told;
  model_->onCurrentRowChanged = [&](int row) { told.push_back(row); };
  ds_.last();
  ds_.prior();
  ds_.prior();  // moves to the first
  ds_.prior();  // no move: nothing told
  EXPECT_EQ(told, (std::vector<int>{2, 1, 0}));

  model_->moveToRow(2);
  EXPECT_EQ(ds_.recNo(), 3);
  EXPECT_EQ(model_->currentRow(), 2);

  // A refused move propagates and leaves the cursor where it was.
  ds_.beforeScroll = [](ClientDataSet&) { throw Abort(); };
  EXPECT_THROW(model_->moveToRow(0), Abort);
  EXPECT_EQ(model_->currentRow(), 2);
}

TEST_F(GridModelTest, MovingOffANewRecordPostsIt) {
  ds_.append();
  ds_.fieldByName("NMPRATO").setAsString("Sopa");
  EXPECT_EQ(model_->rowCount(), 4);
  model_->moveToRow(0);
  EXPECT_EQ(ds_.state(), DataSetState::Browse);
  EXPECT_EQ(ds_.recordCount(), 4);
  EXPECT_EQ(model_->currentRow(), 0);
}

TEST_F(GridModelTest, MovesAndEditsRepaintTheRowsConcerned) {
  QSignalSpy changed(model_.get(), &QAbstractItemModel::dataChanged);
  QSignalSpy reset(model_.get(), &QAbstractItemModel::modelReset);
  ds_.next();
  ASSERT_GE(changed.count(), 2);  // the row left and the row reached
  EXPECT_EQ(changed.at(0).at(0).toModelIndex().row(), 0);
  EXPECT_EQ(changed.at(1).at(0).toModelIndex().row(), 1);
  changed.clear();
  ds_.edit();
  ds_.fieldByName("VRCUSTO").setAsFloat(9);
  EXPECT_EQ(text(1, 1), "9,00000");
  EXPECT_GE(changed.count(), 1);
  EXPECT_EQ(reset.count(), 0);  // an open cell editor survives
}

TEST_F(GridModelTest, ColumnsAndBindingChangesAreFollowed) {
  grid_.column(0).setVisible(false);
  EXPECT_EQ(model_->columnCount(), 1);
  EXPECT_EQ(model_->gridColumn(0), 1);
  EXPECT_EQ(model_->modelColumn(0), -1);

  grid_.clearColumns();  // no columns: every visible field
  EXPECT_EQ(model_->columnCount(), 3);
  EXPECT_EQ(model_->headerData(0, Qt::Horizontal).toString(), "CDPRATO");

  source_.setEnabled(false);
  EXPECT_EQ(model_->rowCount(), 0);
  source_.setEnabled(true);
  EXPECT_EQ(model_->rowCount(), 3);

  DataSource other;
  grid_.setDataSource(&other);
  EXPECT_EQ(model_->rowCount(), 0);
  grid_.setDataSource(&source_);
  EXPECT_EQ(model_->rowCount(), 3);
}

TEST_F(GridModelTest, EditableCellsAreTheOnesTheGridAllows) {
  const struct {
    const char* name;
    std::function<void()> setUp;
    bool nameEditable;
    bool costEditable;
  } cases[] = {
      {"editing grid", nullptr, true, true},
      {"no Editing option",
       [this] { grid_.setOptions(grid_.options().without(GridOption::Editing)); }, false, false},
      {"read-only column", [this] { grid_.column(1).setReadOnly(true); }, true, false},
      {"read-only field", [this] { ds_.fieldByName("NMPRATO").setReadOnly(true); }, false, true},
      {"disabled grid", [this] { grid_.setEnabled(false); }, false, false},
  };
  const GridOptions options = grid_.options();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    grid_.setOptions(options);
    grid_.column(1).setReadOnly(false);
    ds_.fieldByName("NMPRATO").setReadOnly(false);
    grid_.setEnabled(true);
    if (c.setUp) c.setUp();
    for (int row = 0; row < model_->rowCount(); ++row) {
      const bool name = model_->flags(model_->index(row, 0)).testFlag(Qt::ItemIsEditable);
      const bool cost = model_->flags(model_->index(row, 1)).testFlag(Qt::ItemIsEditable);
      EXPECT_EQ(name, c.nameEditable);
      EXPECT_EQ(cost, c.costEditable);
      EXPECT_EQ(name, grid_.canEditCell(0));
      EXPECT_EQ(cost, grid_.canEditCell(1));
    }
  }
  // Fields shown without columns are for reading.
  grid_.clearColumns();
  EXPECT_FALSE(model_->flags(model_->index(0, 0)).testFlag(Qt::ItemIsEditable));
}

TEST_F(GridModelTest, SetDataWritesTheCurrentRowThroughTheGrid) {
  std::vector<std::string> events;
  ds_.beforeEdit = [&](ClientDataSet&) { events.push_back("beforeEdit"); };
  EXPECT_TRUE(model_->setData(model_->index(0, 1), QString("3,25")));
  EXPECT_EQ(events, std::vector<std::string>{"beforeEdit"});
  EXPECT_EQ(ds_.state(), DataSetState::Edit);
  EXPECT_EQ(ds_.fieldByName("VRCUSTO").asFloat(), 3.25);
  EXPECT_EQ(text(0, 1), "3,25000");

  EXPECT_FALSE(model_->setData(model_->index(1, 1), QString("9")));  // not the current row
  EXPECT_FALSE(model_->setData(model_->index(0, 1), QString("9"), Qt::DisplayRole));
  EXPECT_THROW(model_->setData(model_->index(0, 1), QString("nove")), ConversionError);
  EXPECT_EQ(ds_.fieldByName("VRCUSTO").asFloat(), 3.25);
  ds_.cancel();
  grid_.column(1).setReadOnly(true);
  EXPECT_FALSE(model_->setData(model_->index(0, 1), QString("9")));
  ds_.beforeEdit = [](ClientDataSet&) { throw Abort(); };
  EXPECT_THROW(model_->setData(model_->index(0, 0), QString("Sopa")), Abort);
  EXPECT_EQ(text(0, 0), "Feijão");
}

TEST_F(GridModelTest, WhileControlsAreDisabledNothingIsToldUntilTheEnd) {
  QSignalSpy reset(model_.get(), &QAbstractItemModel::modelReset);
  ds_.disableControls();
  ds_.append();
  ds_.fieldByName("NMPRATO").setAsString("Sopa");
  ds_.post();
  EXPECT_EQ(model_->rowCount(), 3);
  ds_.enableControls();
  EXPECT_EQ(reset.count(), 1);
  EXPECT_EQ(model_->rowCount(), 4);
}

}  // namespace
}  // namespace desktop
