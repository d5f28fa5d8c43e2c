#include "desktop/form_renderer.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QStyle>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "desktop/align_layout.h"
#include "desktop/control_views.h"
#include "desktop/grid_view.h"
#include "desktop/key_map.h"
#include "desktop/painter_canvas.h"
#include "desktop/qt_text.h"
#include "desktop/user_event.h"
#include "platform/data_source.h"

namespace desktop {

namespace ui = platform::ui;

namespace {

Qt::Alignment labelAlignment(ui::Alignment alignment) {
  switch (alignment) {
    case ui::Alignment::Right:
      return Qt::AlignRight | Qt::AlignVCenter;
    case ui::Alignment::Center:
      return Qt::AlignHCenter | Qt::AlignVCenter;
    case ui::Alignment::Left:
      break;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

ui::MouseButton mouseButton(Qt::MouseButton button) {
  switch (button) {
    case Qt::RightButton:
      return ui::MouseButton::Right;
    case Qt::MiddleButton:
      return ui::MouseButton::Middle;
    default:
      return ui::MouseButton::Left;
  }
}

// Standard icons for the tool-bar buttons of the suite's screens, which carry no caption.
QIcon buttonIcon(const std::string& name, const QStyle& style) {
  static const std::pair<const char*, QStyle::StandardPixmap> icons[] = {
      {"sbtConfirma", QStyle::SP_DialogApplyButton},
      {"sbtCancela", QStyle::SP_DialogCancelButton},
      {"sbtCalcula", QStyle::SP_BrowserReload},
      {"sbtCustos", QStyle::SP_FileDialogDetailedView},
      {"sbtCustZero", QStyle::SP_FileDialogContentsView},
      {"sbtAjuda", QStyle::SP_DialogHelpButton},
      {"sbtHelp", QStyle::SP_DialogHelpButton},
      {"sbtSair", QStyle::SP_DialogCloseButton},
      {"sbtFechar", QStyle::SP_DialogCloseButton},
      {"sbtGrafCust", QStyle::SP_ArrowUp},
      {"sbtPlanReal", QStyle::SP_ArrowRight},
      {"sbtCustoAcum", QStyle::SP_ArrowDown},
  };
  for (const auto& [known, pixmap] : icons)
    if (name == known) return style.standardIcon(pixmap);
  return {};
}

// The initials of a hint, for a button with neither caption nor icon.
QString initials(const std::string& hint) {
  QString result;
  for (const QString& word : qs(hint).split(' ', Qt::SkipEmptyParts))
    if (word.size() > 2 && result.size() < 3) result += word.front().toUpper();
  return result;
}

void setPaletteColour(QWidget& widget, QPalette::ColorRole role, const QColor& colour) {
  if (widget.palette().color(role) == colour) return;
  QPalette palette = widget.palette();
  palette.setColor(role, colour);
  widget.setPalette(palette);
}

void setBold(QWidget& widget, bool bold) {
  if (widget.font().bold() == bold) return;
  QFont font = widget.font();
  font.setBold(bold);
  widget.setFont(font);
}

platform::ClientDataSet* activeDataSet(platform::DataSource* source) {
  if (source == nullptr || source->state() == platform::DataSetState::Inactive) return nullptr;
  return source->dataSet();
}

// Moves and edits of a navigator when the screen installed no action of its own.
void navigate(platform::ClientDataSet& ds, ui::NavigateButton button) {
  switch (button) {
    case ui::NavigateButton::First:
      ds.first();
      break;
    case ui::NavigateButton::Prior:
      ds.prior();
      break;
    case ui::NavigateButton::Next:
      ds.next();
      break;
    case ui::NavigateButton::Last:
      ds.last();
      break;
    case ui::NavigateButton::Insert:
      ds.insert();
      break;
    case ui::NavigateButton::Delete:
      ds.deleteRecord();
      break;
    case ui::NavigateButton::Edit:
      ds.edit();
      break;
    case ui::NavigateButton::Post:
      ds.post();
      break;
    case ui::NavigateButton::Cancel:
      ds.cancel();
      break;
    case ui::NavigateButton::Refresh:
      ds.refresh();
      break;
  }
}

bool canNavigate(const ui::DBNavigator& navigator, ui::NavigateButton button) {
  platform::ClientDataSet* ds = activeDataSet(navigator.dataSource());
  if (ds == nullptr || !navigator.effectiveEnabled()) return false;
  const bool browsing = ds->state() == platform::DataSetState::Browse;
  const int recNo = ds->recNo();
  switch (button) {
    case ui::NavigateButton::First:
    case ui::NavigateButton::Prior:
      return recNo > 1;
    case ui::NavigateButton::Next:
    case ui::NavigateButton::Last:
      return recNo >= 1 && recNo < ds->recordCount();
    case ui::NavigateButton::Insert:
    case ui::NavigateButton::Refresh:
      return browsing;
    case ui::NavigateButton::Delete:
    case ui::NavigateButton::Edit:
      return browsing && !ds->isEmpty();
    case ui::NavigateButton::Post:
    case ui::NavigateButton::Cancel:
      return !browsing;
  }
  return false;
}

}  // namespace

// Refreshes a control whenever the data source it shows tells of a change.
class FormRenderer::SourceWatch : public platform::DataSourceListener {
 public:
  SourceWatch(platform::DataSource* source, std::function<void()> refresh)
      : source_(source), refresh_(std::move(refresh)) {
    if (source_ != nullptr) source_->addListener(this);
  }
  ~SourceWatch() override {
    if (source_ != nullptr) source_->removeListener(this);
  }
  SourceWatch(const SourceWatch&) = delete;
  SourceWatch& operator=(const SourceWatch&) = delete;
  platform::DataSource* source() const { return source_; }

  void dataChanged(platform::DataSource&, const platform::Field*) override { refresh_(); }
  void stateChanged(platform::DataSource&) override { refresh_(); }
  void layoutChanged(platform::DataSource&) override { refresh_(); }

 private:
  platform::DataSource* source_;
  std::function<void()> refresh_;
};

FormRenderer::FormRenderer(ui::Form& form, QWidget& root) : form_(form), root_(root) {
  formObserver_ = form_.addComponentObserver(
      [this](ui::Component& sender, ui::Prop what) { changed(sender, what); });
  afterEventPass_ = addAfterEventPass([this] { sync(); });
  QObject::connect(qApp, &QApplication::focusChanged, this,
                   [this](QWidget*, QWidget* now) { focusMoved(now); });
  sync();
}

FormRenderer::~FormRenderer() {
  removeAfterEventPass(afterEventPass_);
  form_.removeComponentObserver(formObserver_);
  watches_.clear();
  // The widgets go with the root; views holding model references must not outlive this.
  for (auto& [control, widget] : widgets_)
    delete widget.data();
}

QWidget* FormRenderer::widgetOf(const ui::Control& control) const {
  const auto found = widgets_.find(&control);
  return found != widgets_.end() ? found->second.data() : nullptr;
}

GridView* FormRenderer::gridView(const ui::DBGrid& grid) const {
  return dynamic_cast<GridView*>(widgetOf(grid));
}

ui::Control* FormRenderer::controlAt(const QWidget* widget) const {
  for (const QWidget* w = widget; w != nullptr && w != &root_; w = w->parentWidget()) {
    const auto found = controls_.find(w);
    if (found != controls_.end()) return found->second;
  }
  return nullptr;
}

ui::Rect FormRenderer::clientArea(const ui::Control& control) const {
  if (const auto* pages = dynamic_cast<const ui::PageControl*>(&control)) {
    if (auto* view = dynamic_cast<PageControlView*>(widgetOf(*pages))) {
      const int top = view->tabBar()->sizeHint().height();
      return {2, top + 2, std::max(control.width() - 2, 2),
              std::max(control.height() - 2, top + 2)};
    }
  }
  if (dynamic_cast<const ui::GroupBox*>(&control) != nullptr) {
    const int top = QFontMetrics(root_.font()).height() + 2;
    return {2, top, std::max(control.width() - 2, 2), std::max(control.height() - 2, top)};
  }
  return {0, 0, control.width(), control.height()};
}

// ---- Building ---------------------------------------------------------------------------------

void FormRenderer::build(ui::Control& control) {
  if (widgetOf(control) != nullptr) return;
  QWidget* parent = &root_;
  if (control.parent() != nullptr) {
    build(*control.parent());
    parent = widgetOf(*control.parent());
  }
  QWidget* widget = makeWidget(control, parent);
  widget->setObjectName(qs(control.name()));
  widgets_[&control] = widget;
  controls_[widget] = &control;
  QObject::connect(widget, &QObject::destroyed, this, [this, widget] { controls_.erase(widget); });
  wire(control, widget);
  widget->installEventFilter(this);
  if (auto* grid = dynamic_cast<GridView*>(widget)) grid->viewport()->installEventFilter(this);
}

QWidget* FormRenderer::makeWidget(ui::Control& control, QWidget* parent) {
  if (auto* grid = dynamic_cast<ui::DBGrid*>(&control)) return new GridView(*grid, parent);
  if (auto* pages = dynamic_cast<ui::PageControl*>(&control)) {
    auto* view = new PageControlView(*pages, parent);
    view->refresh();
    return view;
  }
  if (dynamic_cast<ui::TabSheet*>(&control) != nullptr) {
    auto* page = new QWidget(parent);
    page->setAutoFillBackground(true);
    return page;
  }
  if (auto* panel = dynamic_cast<ui::Panel*>(&control)) return new PanelView(*panel, parent);
  if (dynamic_cast<ui::GroupBox*>(&control) != nullptr) return new QGroupBox(parent);
  if (dynamic_cast<ui::Label*>(&control) != nullptr) return new QLabel(parent);
  if (dynamic_cast<ui::Button*>(&control) != nullptr) {
    auto* button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setIconSize(QSize(20, 20));
    return button;
  }
  if (dynamic_cast<ui::NumberEdit*>(&control) != nullptr) {
    auto* edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return edit;
  }
  if (dynamic_cast<ui::DBEdit*>(&control) != nullptr) return new QLineEdit(parent);
  if (dynamic_cast<ui::DBText*>(&control) != nullptr) return new QLabel(parent);
  if (auto* navigator = dynamic_cast<ui::DBNavigator*>(&control))
    return new NavigatorView(*navigator, parent);
  if (auto* shape = dynamic_cast<ui::Shape*>(&control)) return new ShapeView(*shape, parent);
  if (auto* splitter = dynamic_cast<ui::Splitter*>(&control))
    return new SplitterView(*splitter, parent);
  return new QWidget(parent);
}

void FormRenderer::wire(ui::Control& control, QWidget* widget) {
  if (auto* button = dynamic_cast<ui::Button*>(&control)) {
    auto* tool = static_cast<QToolButton*>(widget);
    QObject::connect(tool, &QToolButton::clicked, this, [this, button] {
      runUserEvent([button] { button->press(); });
      refresh(*button);
    });
  } else if (auto* pages = dynamic_cast<ui::PageControl*>(&control)) {
    static_cast<PageControlView*>(widget)->onTabPicked = [this, pages](int index) {
      if (index >= 0 && index < pages->pageCount())
        runUserEvent([pages, index] { pages->selectPage(pages->page(index)); });
      // Back to what the model shows: the change may have been refused.
      refresh(*pages);
      for (ui::TabSheet* page : pages->pages())
        refresh(*page);
    };
  } else if (auto* navigator = dynamic_cast<ui::DBNavigator*>(&control)) {
    static_cast<NavigatorView*>(widget)->onPressed = [this, navigator](ui::NavigateButton b) {
      if (!navigator->action) {
        navigator->action = [navigator](ui::NavigateButton pressed) {
          if (platform::ClientDataSet* ds = activeDataSet(navigator->dataSource()))
            navigate(*ds, pressed);
        };
      }
      runUserEvent([navigator, b] { navigator->press(b); });
      refresh(*navigator);
    };
  } else if (auto* splitter = dynamic_cast<ui::Splitter*>(&control)) {
    static_cast<SplitterView*>(widget)->onDragged = [this, splitter](int delta) {
      splitterDragged(*splitter, delta);
    };
  } else if (auto* edit = dynamic_cast<ui::DBEdit*>(&control)) {
    auto* line = static_cast<QLineEdit*>(widget);
    QObject::connect(line, &QLineEdit::editingFinished, this, [this, edit, line] {
      if (!line->isModified()) return;
      line->setModified(false);
      const std::string text = utf8(line->text());
      runUserEvent([edit, text] {
        platform::ClientDataSet* ds = activeDataSet(edit->dataSource());
        if (ds == nullptr) return;
        platform::Field& field = ds->fieldByName(edit->dataField());
        if (ds->state() == platform::DataSetState::Browse) ds->edit();
        field.setAsString(text);
      });
      refresh(*edit);
    });
  }
}

// ---- Applying the model -----------------------------------------------------------------------

void FormRenderer::refresh(ui::Control& control) {
  QWidget* widget = widgetOf(control);
  if (widget == nullptr) return;
  const QRect bounds(control.left(), control.top(), control.width(), control.height());
  if (widget->geometry() != bounds) widget->setGeometry(bounds);
  bool visible = control.visible();
  if (auto* page = dynamic_cast<ui::TabSheet*>(&control)) {
    const ui::PageControl* owner = page->pageControl();
    visible = visible && owner != nullptr && owner->activePage() == page;
  }
  if (widget->isHidden() == visible) widget->setVisible(visible);
  // Qt disables the children of a disabled widget by itself, as the model's effective enabling
  // does; only the control's own flag is set here.
  if (widget->testAttribute(Qt::WA_ForceDisabled) == control.enabled())
    widget->setEnabled(control.enabled());
  const QString hint = qs(control.hint());
  if (widget->toolTip() != hint) widget->setToolTip(hint);
  setBold(*widget, control.fontBold());
  refreshKind(control, widget);
}

void FormRenderer::refreshKind(ui::Control& control, QWidget* widget) {
  const QPalette& palette = widget->palette();
  const QColor fontColour = toQColor(control.fontColor(), palette);
  if (auto* label = dynamic_cast<ui::Label*>(&control)) {
    auto* view = static_cast<QLabel*>(widget);
    if (view->text() != qs(label->caption())) view->setText(qs(label->caption()));
    view->setAlignment(labelAlignment(label->alignment()));
    setPaletteColour(*view, QPalette::WindowText, fontColour);
  } else if (auto* button = dynamic_cast<ui::Button*>(&control)) {
    auto* tool = static_cast<QToolButton*>(widget);
    const QString caption = qs(button->caption());
    if (tool->icon().isNull()) tool->setIcon(buttonIcon(button->name(), *tool->style()));
    const QString text =
        !caption.isEmpty() ? caption : (tool->icon().isNull() ? initials(button->hint()) : "");
    if (tool->text() != text) tool->setText(text);
    tool->setToolButtonStyle(
        text.isEmpty()
            ? Qt::ToolButtonIconOnly
            : (tool->icon().isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonTextBesideIcon));
    const bool checkable = button->groupIndex() != 0;
    if (tool->isCheckable() != checkable) tool->setCheckable(checkable);
    if (tool->isChecked() != button->down()) tool->setChecked(button->down());
  } else if (auto* number = dynamic_cast<ui::NumberEdit*>(&control)) {
    auto* edit = static_cast<QLineEdit*>(widget);
    const QString text = qs(number->text());
    if (edit->text() != text) edit->setText(text);
    setPaletteColour(*edit, QPalette::Base, toQColor(number->color(), palette));
    setPaletteColour(*edit, QPalette::Text, fontColour);
  } else if (auto* edit = dynamic_cast<ui::DBEdit*>(&control)) {
    watchSource(control, edit->dataSource());
    auto* line = static_cast<QLineEdit*>(widget);
    platform::ClientDataSet* ds = activeDataSet(edit->dataSource());
    platform::Field* field = ds != nullptr ? ds->findField(edit->dataField()) : nullptr;
    QString text;
    if (field != nullptr) {
      try {
        text = qs(line->hasFocus() ? field->text() : field->displayText());
      } catch (const std::exception&) {
      }
    }
    if (!line->isModified() && line->text() != text) line->setText(text);
    const bool numeric = field != nullptr && (field->fieldType() == platform::FieldType::Float ||
                                              field->fieldType() == platform::FieldType::Integer);
    line->setAlignment(numeric ? Qt::AlignRight | Qt::AlignVCenter
                               : Qt::AlignLeft | Qt::AlignVCenter);
    const bool readOnly =
        edit->readOnly() || field == nullptr || field->readOnly() || field->isCalculated();
    if (line->isReadOnly() != readOnly) line->setReadOnly(readOnly);
    setPaletteColour(*line, QPalette::Base, toQColor(edit->color(), palette));
    setPaletteColour(*line, QPalette::Text, fontColour);
  } else if (auto* text = dynamic_cast<ui::DBText*>(&control)) {
    watchSource(control, text->dataSource());
    auto* shownIn = static_cast<QLabel*>(widget);
    platform::ClientDataSet* ds = activeDataSet(text->dataSource());
    platform::Field* field = ds != nullptr ? ds->findField(text->dataField()) : nullptr;
    QString shown;
    if (field != nullptr) {
      try {
        shown = qs(field->displayText());
      } catch (const std::exception&) {
      }
    }
    if (shownIn->text() != shown) shownIn->setText(shown);
    setPaletteColour(*shownIn, QPalette::WindowText, fontColour);
  } else if (auto* navigator = dynamic_cast<ui::DBNavigator*>(&control)) {
    watchSource(control, navigator->dataSource());
    static_cast<NavigatorView*>(widget)->refresh(
        [navigator](ui::NavigateButton b) { return canNavigate(*navigator, b); });
  } else if (auto* grid = dynamic_cast<ui::DBGrid*>(&control)) {
    (void)grid;
    static_cast<GridView*>(widget)->refresh();
  } else if (dynamic_cast<ui::PageControl*>(&control) != nullptr) {
    static_cast<PageControlView*>(widget)->refresh();
  } else if (auto* group = dynamic_cast<ui::GroupBox*>(&control)) {
    auto* box = static_cast<QGroupBox*>(widget);
    if (box->title() != qs(group->caption())) box->setTitle(qs(group->caption()));
    setPaletteColour(*box, QPalette::WindowText, fontColour);
  } else if (dynamic_cast<ui::TabSheet*>(&control) != nullptr) {
    setPaletteColour(*widget, QPalette::Window, toQColor(control.color(), palette));
  } else if (auto* panel = dynamic_cast<PanelView*>(widget)) {
    panel->refresh();
  } else if (auto* splitter = dynamic_cast<SplitterView*>(widget)) {
    splitter->refresh();
  } else {
    widget->update();
  }
}

void FormRenderer::watchSource(ui::Control& control, platform::DataSource* source) {
  auto& watch = watches_[&control];
  if (watch != nullptr && watch->source() == source) return;
  watch = std::make_unique<SourceWatch>(source, [this, &control] { refresh(control); });
}

void FormRenderer::fitLabels() {
  for (size_t i = 0; i < form_.componentCount(); ++i) {
    auto* label = dynamic_cast<ui::Label*>(&form_.componentAt(i));
    QWidget* widget = label != nullptr ? widgetOf(*label) : nullptr;
    if (widget == nullptr || label->caption().empty()) continue;
    // Labels size themselves to their caption, as the classic auto-sized label does; a label
    // docked by its width needs that size before docking.
    const QFontMetrics metrics(widget->font());
    const int width = metrics.horizontalAdvance(qs(label->caption())) + 2;
    const int height = metrics.height();
    if (label->width() < width || label->height() < height)
      label->setBounds(label->left(), label->top(), std::max(label->width(), width),
                       std::max(label->height(), height));
  }
}

void FormRenderer::layout() {
  if (layingOut_ > 0) return;
  ++layingOut_;
  fitLabels();
  alignControls(form_, [this](const ui::Control& c) { return clientArea(c); });
  --layingOut_;
}

void FormRenderer::sync() {
  for (size_t i = 0; i < form_.componentCount(); ++i)
    if (auto* control = dynamic_cast<ui::Control*>(&form_.componentAt(i))) build(*control);
  layout();
  for (size_t i = 0; i < form_.componentCount(); ++i)
    if (auto* control = dynamic_cast<ui::Control*>(&form_.componentAt(i))) refresh(*control);
  followFocus();
}

void FormRenderer::changed(ui::Component& sender, ui::Prop what) {
  if (&sender == &form_) {
    if (what == ui::Prop::Bounds) layout();
    if (what == ui::Prop::ActiveControl) followFocus();
    if (what == ui::Prop::Repaint) root_.update();
    return;
  }
  if (auto* menu = dynamic_cast<ui::PopupMenu*>(&sender)) {
    if (what == ui::Prop::Popup) {
      // A handler of a mouse release pops its menu up where the mouse was, whatever position
      // it passes (handlers tend to pass the control's own coordinates).
      const QPoint at = mouseUpAt_ ? *mouseUpAt_ : QPoint(menu->popupX(), menu->popupY());
      // After the handler that asked: a menu runs its own event loop.
      QPointer<FormRenderer> self(this);
      QTimer::singleShot(0, this, [self, menu, at] {
        if (self != nullptr) self->showMenu(*menu, at);
      });
    }
    return;
  }
  auto* control = dynamic_cast<ui::Control*>(&sender);
  if (control == nullptr) return;
  if (widgetOf(*control) == nullptr) build(*control);
  switch (what) {
    case ui::Prop::Parent:
      if (QWidget* widget = widgetOf(*control)) {
        QWidget* parent = control->parent() != nullptr ? widgetOf(*control->parent()) : &root_;
        if (parent != nullptr && widget->parentWidget() != parent) {
          widget->setParent(parent);
          widget->show();
        }
      }
      layout();
      refresh(*control);
      break;
    case ui::Prop::Bounds:
    case ui::Prop::Visible:
    case ui::Prop::Align:
      layout();
      refresh(*control);
      if (control->parent() != nullptr && dynamic_cast<ui::TabSheet*>(control) != nullptr)
        refresh(*control->parent());
      break;
    case ui::Prop::Pages:
    case ui::Prop::ActivePage:
    case ui::Prop::TabVisible:
      refresh(*control);
      if (auto* pages = dynamic_cast<ui::PageControl*>(control)) {
        layout();
        for (ui::TabSheet* page : pages->pages())
          refresh(*page);
      } else if (control->parent() != nullptr) {
        refresh(*control->parent());
      }
      break;
    case ui::Prop::Enabled:
      refresh(*control);
      if (dynamic_cast<ui::TabSheet*>(control) != nullptr && control->parent() != nullptr)
        refresh(*control->parent());
      break;
    case ui::Prop::Focus:
      followFocus();
      break;
    default:
      refresh(*control);
      break;
  }
}

// ---- Focus ------------------------------------------------------------------------------------

void FormRenderer::followFocus() {
  ui::Control* active = form_.activeControl();
  if (active == nullptr) return;
  QWidget* widget = widgetOf(*active);
  if (widget == nullptr || !widget->isVisible()) return;
  QWidget* focused = QApplication::focusWidget();
  if (focused != nullptr && controlAt(focused) == active) return;
  if (!root_.isActiveWindow()) return;
  settingFocus_ = true;
  widget->setFocus(Qt::OtherFocusReason);
  settingFocus_ = false;
}

void FormRenderer::focusMoved(QWidget* now) {
  if (settingFocus_ || now == nullptr || now->window() != root_.window()) return;
  ui::Control* control = controlAt(now);
  if (control == nullptr || control == form_.activeControl()) return;
  runUserEvent([this, control] { form_.setActiveControl(control); });
  if (form_.activeControl() != control) followFocus();
}

// ---- Mouse, menus, splitters ------------------------------------------------------------------

bool FormRenderer::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick)
    return QObject::eventFilter(watched, event);
  auto* widget = qobject_cast<QWidget*>(watched);
  ui::Control* control = controlAt(widget);
  QWidget* controlWidget = control != nullptr ? widgetOf(*control) : nullptr;
  if (control == nullptr || controlWidget == nullptr) return false;
  // A grid's viewport and its frame both report the same click: take the innermost only.
  if (auto* grid = dynamic_cast<GridView*>(controlWidget); grid != nullptr && widget == grid)
    return false;
  auto* mouse = static_cast<QMouseEvent*>(event);
  if (type == QEvent::MouseButtonDblClick) {
    runUserEvent([control] { control->dblClick(); });
    return false;
  }
  const QPoint at = widget->mapTo(controlWidget, mouse->position().toPoint());
  const QPoint global = mouse->globalPosition().toPoint();
  const ui::MouseButton button = mouseButton(mouse->button());
  const ui::ShiftState shift = shiftState(mouse->modifiers());
  mouseUpAt_ = global;
  runUserEvent([control, button, shift, at, global] {
    control->mouseUp(button, shift, at.x(), at.y());
    if (button != ui::MouseButton::Right) return;
    for (ui::Control* c = control; c != nullptr; c = c->parent()) {
      if (c->popupMenu() == nullptr) continue;
      if (c->popupMenu()->autoPopup()) c->popupMenu()->popup(global.x(), global.y());
      break;
    }
  });
  mouseUpAt_.reset();
  return false;
}

void FormRenderer::showMenu(ui::PopupMenu& menu, QPoint at) {
  QMenu qmenu(&root_);
  for (ui::MenuItem* item : menu.items()) {
    if (!item->visible()) continue;
    if (item->isSeparator()) {
      qmenu.addSeparator();
      continue;
    }
    QAction* action = qmenu.addAction(qs(item->caption()));
    action->setEnabled(item->enabled());
    action->setCheckable(item->checked());
    action->setChecked(item->checked());
    if (!item->shortCut().isNone()) {
      // Shown only: the form routes the keys itself.
      action->setText(action->text() + '\t' + qs(item->shortCut().text()));
    }
    QObject::connect(action, &QAction::triggered, this,
                     [item] { runUserEvent([item] { item->click(); }); });
  }
  qmenu.exec(at);
}

void FormRenderer::splitterDragged(ui::Splitter& splitter, int delta) {
  // The control it resizes: the nearest one docked the same way before it.
  const std::vector<ui::Control*> siblings =
      splitter.parent() != nullptr ? splitter.parent()->children() : form_.topLevelControls();
  ui::Control* resized = nullptr;
  for (ui::Control* c : siblings) {
    if (c == &splitter) break;
    if (c->visible() && c->align() == splitter.align()) resized = c;
  }
  if (resized == nullptr) return;
  int size = 0;
  switch (splitter.align()) {
    case ui::Align::Top:
      size = resized->height() + delta;
      break;
    case ui::Align::Bottom:
      size = resized->height() - delta;
      break;
    case ui::Align::Left:
      size = resized->width() + delta;
      break;
    case ui::Align::Right:
      size = resized->width() - delta;
      break;
    default:
      return;
  }
  runUserEvent([&] { splitter.move(*resized, size); });
}

}  // namespace desktop
