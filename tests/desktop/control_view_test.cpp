// The renderer takes each control's view from the registry by the control's kind.
#include "desktop/control_view.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QWidget>
#include <functional>
#include <stdexcept>
#include <string>

#include "desktop/control_views.h"
#include "desktop/form_renderer.h"
#include "desktop/grid_view.h"
#include "platform/ui/ui.h"

namespace desktop {
namespace {

using namespace platform::ui;

// One control of every kind.
class EveryKind : public Form {
 public:
  EveryKind() : Form("frmTodos") {
    create<Panel>("pan");
    create<GroupBox>("grb");
    create<Label>("lbl");
    create<Button>("sbt");
    create<NumberEdit>("ned");
    create<Shape>("shp");
    create<Splitter>("spl");
    create<DBEdit>("dbe");
    create<DBText>("dbt");
    create<DBNavigator>("dbn");
    create<DBGrid>("dbg");
    auto& pages = create<PageControl>("pgc");
    create<TabSheet>("tsh", &pages);
  }
};

template <class V>
std::function<bool(ControlView*)> is() {
  return [](ControlView* view) { return dynamic_cast<V*>(view) != nullptr; };
}

TEST(ViewRegistry, EachKindGetsItsOwnView) {
  EveryKind form;
  QWidget root;
  FormRenderer renderer(form, root);
  const struct {
    const char* name;
    ControlKind kind;
    std::function<bool(ControlView*)> expected;
  } cases[] = {
      {"pan", ControlKind::Panel, is<PanelView>()},
      {"grb", ControlKind::GroupBox, is<GroupBoxView>()},
      {"lbl", ControlKind::Label, is<LabelView>()},
      {"sbt", ControlKind::Button, is<ButtonView>()},
      {"ned", ControlKind::NumberEdit, is<NumberEditView>()},
      {"shp", ControlKind::Shape, is<ShapeView>()},
      {"spl", ControlKind::Splitter, is<SplitterView>()},
      {"dbe", ControlKind::DBEdit, is<DBEditView>()},
      {"dbt", ControlKind::DBText, is<DBTextView>()},
      {"dbn", ControlKind::DBNavigator, is<NavigatorView>()},
      {"dbg", ControlKind::DBGrid, is<GridView>()},
      {"pgc", ControlKind::PageControl, is<PageControlView>()},
      {"tsh", ControlKind::TabSheet, is<TabSheetView>()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto& control = form.component<Control>(c.name);
    EXPECT_EQ(control.kind(), c.kind);
    ControlView* view = renderer.viewOf(control);
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(c.expected(view));
    EXPECT_EQ(&view->control(), &control);
    EXPECT_EQ(renderer.widgetOf(control), &view->widget());
    EXPECT_EQ(view->widget().objectName().toStdString(), c.name);
  }
}

// A view of a test's own, to see that the renderer only asks the registry.
class CountingLabelView : public ViewOf<QLabel, Label> {
 public:
  using ViewOf::ViewOf;
  void refresh() override {
    ++refreshes;
    setText(QString::fromStdString(control().caption()).toUpper());
  }
  Rect clientArea() const override { return {1, 2, 3, 4}; }
  int refreshes = 0;
};

TEST(ViewRegistry, TheRendererUsesWhateverViewIsRegistered) {
  ViewRegistry views = ViewRegistry::standard();
  views.add<Label, CountingLabelView>(ControlKind::Label);
  Form form("frm");
  auto& label = form.create<Label>("lblTitulo");
  QWidget root;
  FormRenderer renderer(form, root, views);
  auto* view = dynamic_cast<CountingLabelView*>(renderer.viewOf(label));
  ASSERT_NE(view, nullptr);
  const int before = view->refreshes;
  label.setCaption("custo do dia");
  EXPECT_GT(view->refreshes, before);
  EXPECT_EQ(view->text(), "CUSTO DO DIA");
  EXPECT_EQ(renderer.clientArea(label), (Rect{1, 2, 3, 4}));

  // A kind nobody registered is a programming error, reported at once.
  ViewRegistry none;
  EXPECT_FALSE(none.has(ControlKind::Label));
  EXPECT_THROW(FormRenderer(form, root, none), std::logic_error);
}

}  // namespace
}  // namespace desktop
