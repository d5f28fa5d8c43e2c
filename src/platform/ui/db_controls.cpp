#include "platform/ui/db_controls.h"

#include <exception>

#include "platform/client_dataset.h"
#include "platform/data_source.h"
#include "platform/ui/form.h"
#include "platform/ui/text_input.h"

namespace platform::ui {
namespace {

ClientDataSet* openDataSet(DataSource* source) {
  if (source == nullptr || source->state() == DataSetState::Inactive) return nullptr;
  return source->dataSet();
}

}  // namespace

// ---- Field controls ---------------------------------------------------------------------------

ClientDataSet* DBFieldControl::dataSet() const {
  return openDataSet(dataSource_);
}

Field* DBFieldControl::field() const {
  ClientDataSet* ds = dataSet();
  return ds != nullptr ? ds->findField(dataField_) : nullptr;
}

std::string DBFieldControl::displayText() const {
  const Field* f = field();
  if (f == nullptr) return {};
  try {
    return f->displayText();
  } catch (const std::exception&) {
    return {};
  }
}

DBEdit::DBEdit(CreationToken, Form& owner, std::string name)
    : DBFieldControl(owner, std::move(name), clWindow) {
  setTabStop(true);
}

bool DBEdit::canModify() const {
  const Field* f = field();
  return !readOnly_ && f != nullptr && !f->readOnly() && !f->isCalculated();
}

std::string DBEdit::editText() const {
  const Field* f = field();
  if (f == nullptr) return {};
  try {
    return f->text();
  } catch (const std::exception&) {
    return {};
  }
}

bool DBEdit::writeText(std::string_view text) {
  if (!canModify()) return false;
  ClientDataSet& ds = *dataSet();
  if (ds.state() == DataSetState::Browse) ds.edit();
  field()->setAsString(text);
  return true;
}

bool DBEdit::changeText(std::string text) {
  if (!canModify()) return false;
  ClientDataSet& ds = *dataSet();
  if (ds.state() == DataSetState::Browse) ds.edit();
  typed_ = std::move(text);
  modified_ = true;
  changed(Prop::Editor);
  return true;
}

bool DBEdit::commitText() {
  if (!modified_) return true;
  const bool written = writeText(typed_);
  dropText();
  return written;
}

void DBEdit::dropText() {
  if (!modified_) return;
  modified_ = false;
  typed_.clear();
  changed(Prop::Editor);
}

void DBEdit::keyLeft(Key key, ShiftState, char32_t typed) {
  const bool backspace = typed == 8 || key == VK_BACK;
  if ((typed >= 32 && typed != 127) || backspace) {
    std::string text = modified_ ? typed_ : editText();
    if (backspace)
      dropLastUtf8(text);
    else
      appendUtf8(text, typed);
    changeText(std::move(text));
  } else if (typed == 13 || key == VK_RETURN) {
    commitText();
  } else if (typed == 27 || key == VK_ESCAPE) {
    dropText();
  }
}

void DBEdit::updateRecord(DataSource& source) {
  if (&source == dataSource()) commitText();
}

void DBEdit::discardEdits(DataSource& source) {
  if (&source == dataSource()) dropText();
}

DBText::DBText(CreationToken, Form& owner, std::string name)
    : DBFieldControl(owner, std::move(name), clBtnFace) {}

// ---- Navigator --------------------------------------------------------------------------------

DBNavigator::DBNavigator(CreationToken, Form& owner, std::string name)
    : Control(owner, std::move(name), clBtnFace) {}

void DBNavigator::setHints(const std::vector<std::string>& hints) {
  std::array<std::string, kNavigateButtonCount> next;
  for (size_t i = 0; i < next.size() && i < hints.size(); ++i)
    next[i] = hints[i];
  assign(hints_, std::move(next), Prop::Hint);
}

ClientDataSet* DBNavigator::activeDataSet() const {
  return openDataSet(dataSource_);
}

bool DBNavigator::buttonEnabled(NavigateButton button) const {
  const ClientDataSet* ds = activeDataSet();
  if (ds == nullptr || !effectiveEnabled()) return false;
  const bool browsing = ds->state() == DataSetState::Browse;
  const int recNo = ds->recNo();
  switch (button) {
    case NavigateButton::First:
    case NavigateButton::Prior:
      return recNo > 1;
    case NavigateButton::Next:
    case NavigateButton::Last:
      return recNo >= 1 && recNo < ds->recordCount();
    case NavigateButton::Insert:
    case NavigateButton::Refresh:
      return browsing;
    case NavigateButton::Delete:
    case NavigateButton::Edit:
      return browsing && !ds->isEmpty();
    case NavigateButton::Post:
    case NavigateButton::Cancel:
      return !browsing;
  }
  return false;
}

bool DBNavigator::press(NavigateButton button) {
  if (!visibleButtons_.contains(button) || !canFocus()) return false;
  if (dataSource_ != nullptr && !buttonEnabled(button)) return false;
  if (dataSource_ != nullptr) {
    if (button == NavigateButton::Cancel)
      owner().discardEdits(*dataSource_);
    else
      owner().updateRecord(*dataSource_);
  }
  if (action) {
    action(button);
  } else if (ClientDataSet* ds = activeDataSet()) {
    perform(*ds, button);
  }
  if (onClick) onClick(button);
  return true;
}

void DBNavigator::perform(ClientDataSet& ds, NavigateButton button) {
  switch (button) {
    case NavigateButton::First:
      ds.first();
      break;
    case NavigateButton::Prior:
      ds.prior();
      break;
    case NavigateButton::Next:
      ds.next();
      break;
    case NavigateButton::Last:
      ds.last();
      break;
    case NavigateButton::Insert:
      ds.insert();
      break;
    case NavigateButton::Delete:
      ds.deleteRecord();
      break;
    case NavigateButton::Edit:
      ds.edit();
      break;
    case NavigateButton::Post:
      ds.post();
      break;
    case NavigateButton::Cancel:
      ds.cancel();
      break;
    case NavigateButton::Refresh:
      ds.refresh();
      break;
  }
}

}  // namespace platform::ui
