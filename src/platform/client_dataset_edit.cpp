// ClientDataSet: insert, edit, post, cancel, delete and the change log.
#include <algorithm>
#include <utility>

#include "platform/client_dataset.h"
#include "platform/client_dataset_internal.h"

namespace platform {

using dataset_detail::sameValue;

namespace {
bool editing(DataSetState state) {
  return state == DataSetState::Edit || state == DataSetState::Insert;
}
}  // namespace

// --- Insert and edit ---

void ClientDataSet::insert() {
  beginInsert(false);
}
void ClientDataSet::append() {
  beginInsert(true);
}

void ClientDataSet::beginInsert(bool append) {
  checkActive();
  checkNotComputing();
  checkBrowseMode();
  fire(beforeInsert);
  checkBrowseMode();
  Record* current = currentRecord();
  Row data(static_cast<size_t>(dataCount_), Variant::null());
  Row calc = computeCalc(data);
  editData_ = std::move(data);
  editCalc_ = std::move(calc);
  editRecord_ = nullptr;
  if (append || !current) {
    insertBefore_ = nullptr;
    insertRow_ = static_cast<int>(visible_.size());
  } else {
    insertBefore_ = current;
    insertRow_ = cursor_;
  }
  state_ = DataSetState::Insert;
  notifyState();
  notifyLayout();
  try {
    fire(onNewRecord);
  } catch (...) {
    if (state_ == DataSetState::Insert) {
      editData_.clear();
      editCalc_.clear();
      insertBefore_ = nullptr;
      state_ = DataSetState::Browse;
      notifyState();
      notifyLayout();
    }
    throw;
  }
  fire(afterInsert);
}

void ClientDataSet::edit() {
  checkActive();
  checkNotComputing();
  if (editing(state_)) return;
  if (visible_.empty()) {
    insert();
    return;
  }
  fire(beforeEdit);
  Record* record = currentRecord();
  if (state_ != DataSetState::Browse || !record) return;
  editRecord_ = record;
  editData_ = record->data;
  editCalc_ = record->calc;
  state_ = DataSetState::Edit;
  notifyState();
  fire(afterEdit);
}

// --- Post and cancel ---

void ClientDataSet::post() {
  checkActive();
  checkNotComputing();
  if (!editing(state_)) return;
  fire(beforePost);
  if (!editing(state_)) return;  // the handler settled the record itself
  for (const Field* f : fields_) {
    if (f->required() && !f->isCalculated() && editData_[static_cast<size_t>(f->slot_)].isNull()) {
      throw DataSetError("Field '" + f->displayLabel() + "' must have a value");
    }
  }
  const bool shown = passes(editData_);
  Row calc = shown ? computeCalc(editData_) : editCalc_;

  Record* record = editRecord_;
  if (state_ == DataSetState::Insert) {
    auto fresh = std::make_unique<Record>();
    fresh->data = std::move(editData_);
    fresh->calc = std::move(calc);
    fresh->id = nextId_++;
    fresh->change = RecordChange::Inserted;
    fresh->seq = nextSeq_++;
    fresh->passes = shown;
    record = fresh.get();
    const size_t at = insertBefore_ ? static_cast<size_t>(insertBefore_->phys) : records_.size();
    records_.insert(records_.begin() + static_cast<std::ptrdiff_t>(at), std::move(fresh));
    renumberPhysical();
    ordered_.insert(
        std::lower_bound(ordered_.begin(), ordered_.end(), record,
                         [this](const Record* a, const Record* b) { return recordLess(a, b); }),
        record);
  } else {
    bool changed = false, keyChanged = false;
    for (size_t i = 0; i < editData_.size(); ++i) {
      if (sameValue(record->data[i], editData_[i])) continue;
      changed = true;
      if (std::find(indexKeys_.begin(), indexKeys_.end(), static_cast<int>(i)) !=
          indexKeys_.end()) {
        keyChanged = true;
      }
    }
    if (changed && record->change == RecordChange::None) {
      record->change = RecordChange::Modified;
      record->original = record->data;
      record->seq = nextSeq_++;
    }
    if (changed) record->data = std::move(editData_);
    record->calc = std::move(calc);
    record->passes = shown;
    if (keyChanged) {
      ordered_.erase(std::find(ordered_.begin(), ordered_.end(), record));
      ordered_.insert(
          std::lower_bound(ordered_.begin(), ordered_.end(), record,
                           [this](const Record* a, const Record* b) { return recordLess(a, b); }),
          record);
    }
  }
  rebuildVisible();
  editData_.clear();
  editCalc_.clear();
  editRecord_ = insertBefore_ = nullptr;
  state_ = DataSetState::Browse;
  placeCursor(record);
  notifyState();
  notifyLayout();
  fire(afterPost);
}

void ClientDataSet::cancel() {
  checkActive();
  checkNotComputing();
  if (!editing(state_)) return;
  fire(beforeCancel);
  if (!editing(state_)) return;
  if (state_ == DataSetState::Edit) {
    editRecord_->calc = computeCalc(editRecord_->data);
  }
  editData_.clear();
  editCalc_.clear();
  editRecord_ = insertBefore_ = nullptr;
  state_ = DataSetState::Browse;
  notifyState();
  notifyLayout();
  fire(afterCancel);
}

// --- Delete ---

void ClientDataSet::deleteRecord() {
  checkActive();
  checkNotComputing();
  if (state_ == DataSetState::Insert) {
    cancel();
    return;
  }
  if (!currentRecord()) {
    throw DataSetError("Cannot perform this operation on an empty dataset");
  }
  fire(beforeDelete);
  Record* record = currentRecord();
  if (!record || state_ == DataSetState::Insert) return;

  std::vector<Record*> visible;
  visible.reserve(visible_.size());
  for (Record* r : visible_) {
    if (r != record) visible.push_back(r);
  }
  std::vector<Row> calcs = computeVisibleCalcs(visible);

  const int position = cursor_;
  if (record->change != RecordChange::Inserted) {
    Deleted d;
    const bool modified = record->change == RecordChange::Modified;
    d.original = modified ? std::move(record->original) : record->data;
    d.seq = modified ? record->seq : nextSeq_++;
    d.id = record->id;
    d.basePos = record->basePos;
    deleted_.push_back(std::move(d));
  }
  ordered_.erase(std::find(ordered_.begin(), ordered_.end(), record));
  visible_ = std::move(visible);
  storeCalcs(visible_, calcs);
  const bool wasEditing = state_ == DataSetState::Edit;
  editData_.clear();
  editCalc_.clear();
  editRecord_ = nullptr;
  state_ = DataSetState::Browse;
  records_.erase(records_.begin() + record->phys);
  renumberPhysical();
  cursor_ = std::min(position, static_cast<int>(visible_.size()) - 1);
  bof_ = eof_ = visible_.empty();
  if (wasEditing) notifyState();
  notifyLayout();
  fire(afterDelete);
}

// --- Change log ---

namespace {
struct LogEntry {
  int64_t seq;
  ChangeKind kind;
  const Row* row;       // Insert/Modify: the record now
  const Row* original;  // Modify/Delete
};
}  // namespace

namespace {
std::vector<PacketField> packetFields(const std::vector<Field*>& fields) {
  std::vector<PacketField> out;
  for (const Field* f : fields) {
    if (!f->isCalculated()) out.push_back({f->name(), f->fieldType(), f->size()});
  }
  return out;
}
}  // namespace

DataPacket ClientDataSet::data() const {
  DataPacket packet;
  packet.fields = packetFields(fields_);
  packet.rows.reserve(records_.size());
  std::vector<std::pair<int64_t, Change>> changes;
  for (size_t i = 0; i < records_.size(); ++i) {
    const Record& r = *records_[i];
    packet.rows.push_back(r.data);
    if (r.change == RecordChange::Inserted) {
      changes.push_back({r.seq, Change{ChangeKind::Insert, static_cast<int>(i), {}}});
    } else if (r.change == RecordChange::Modified) {
      changes.push_back({r.seq, Change{ChangeKind::Modify, static_cast<int>(i), r.original}});
    }
  }
  for (const Deleted& d : deleted_) {
    changes.push_back({d.seq, Change{ChangeKind::Delete, -1, d.original}});
  }
  std::sort(changes.begin(), changes.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& [seq, change] : changes)
    packet.changes.push_back(std::move(change));
  return packet;
}

DataPacket ClientDataSet::delta() const {
  std::vector<LogEntry> entries;
  for (const auto& r : records_) {
    if (r->change == RecordChange::Inserted) {
      entries.push_back({r->seq, ChangeKind::Insert, &r->data, nullptr});
    } else if (r->change == RecordChange::Modified) {
      entries.push_back({r->seq, ChangeKind::Modify, &r->data, &r->original});
    }
  }
  for (const Deleted& d : deleted_) {
    entries.push_back({d.seq, ChangeKind::Delete, nullptr, &d.original});
  }
  std::sort(entries.begin(), entries.end(),
            [](const LogEntry& a, const LogEntry& b) { return a.seq < b.seq; });
  DataPacket packet;
  packet.fields = packetFields(fields_);
  for (const LogEntry& e : entries) {
    Change c;
    c.kind = e.kind;
    if (e.row) {
      c.row = static_cast<int>(packet.rows.size());
      packet.rows.push_back(*e.row);
    }
    if (e.original) c.original = *e.original;
    packet.changes.push_back(std::move(c));
  }
  return packet;
}

int ClientDataSet::changeCount() const {
  int count = static_cast<int>(deleted_.size());
  for (const auto& r : records_)
    count += r->change != RecordChange::None;
  return count;
}

void ClientDataSet::mergeChangeLog() {
  checkActive();
  checkNotComputing();
  checkBrowseMode();
  std::vector<Row> calcs = computeVisibleCalcs(visible_);
  for (const auto& r : records_) {
    r->change = RecordChange::None;
    r->original.clear();
    r->seq = 0;
    r->basePos = r->phys;
  }
  deleted_.clear();
  storeCalcs(visible_, calcs);
  notifyLayout();
}

void ClientDataSet::cancelUpdates() {
  checkActive();
  checkNotComputing();
  if (editing(state_)) cancel();
  if (state_ != DataSetState::Browse) return;
  const Record* current = currentRecord();
  const int64_t currentId = current ? current->id : 0;

  // The records as loaded or last merged, built aside so that a failing calculation changes
  // nothing.
  std::vector<std::unique_ptr<Record>> restored;
  restored.reserve(records_.size() + deleted_.size());
  for (const auto& r : records_) {
    if (r->change == RecordChange::Inserted) continue;
    auto copy = std::make_unique<Record>(*r);
    if (copy->change == RecordChange::Modified) copy->data = std::move(copy->original);
    copy->original.clear();
    copy->change = RecordChange::None;
    copy->seq = 0;
    restored.push_back(std::move(copy));
  }
  for (const Deleted& d : deleted_) {
    auto back = std::make_unique<Record>();
    back->data = d.original;
    back->calc.assign(static_cast<size_t>(calcCount_), Variant::null());
    back->id = d.id;
    back->basePos = d.basePos;
    restored.push_back(std::move(back));
  }
  std::stable_sort(restored.begin(), restored.end(),
                   [](const auto& a, const auto& b) { return a->basePos < b->basePos; });
  for (auto& r : restored)
    r->passes = passes(r->data);

  std::vector<std::unique_ptr<Record>> old = std::exchange(records_, std::move(restored));
  std::vector<Record*> oldOrdered = std::move(ordered_), oldVisible = std::move(visible_);
  renumberPhysical();
  rebuildOrder();
  rebuildVisible();
  std::vector<Row> calcs;
  try {
    calcs = computeVisibleCalcs(visible_);
  } catch (...) {
    records_ = std::move(old);
    ordered_ = std::move(oldOrdered);
    visible_ = std::move(oldVisible);
    throw;
  }
  storeCalcs(visible_, calcs);
  deleted_.clear();
  cursor_ = -1;
  for (size_t i = 0; i < visible_.size() && currentId != 0; ++i) {
    if (visible_[i]->id == currentId) cursor_ = static_cast<int>(i);
  }
  if (cursor_ < 0) {
    cursor_ = visible_.empty() ? -1 : 0;
    bof_ = true;
    eof_ = visible_.empty();
  } else {
    bof_ = eof_ = false;
  }
  notifyLayout();
}

}  // namespace platform
