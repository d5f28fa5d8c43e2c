// ClientDataSet: fields, opening and loading, field access, calculated fields, observers.
#include "platform/client_dataset.h"

#include <algorithm>
#include <numeric>
#include <utility>

#include "platform/client_dataset_internal.h"

namespace platform {

using dataset_detail::nullValue;

namespace dataset_detail {

int compareValues(FieldType type, const Variant& a, const Variant& b) {
  const bool an = a.isNull(), bn = b.isNull();
  if (an || bn) return an == bn ? 0 : (an ? -1 : 1);
  switch (type) {
    case FieldType::Text:
    case FieldType::FixedText: {
      const int c = a.toString().compare(b.toString());
      return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    case FieldType::Boolean:
      return static_cast<int>(a.toBool()) - static_cast<int>(b.toBool());
    default: {
      const double x = a.toDouble(), y = b.toDouble();
      if (x < y) return -1;
      if (y < x) return 1;
      const bool xn = std::isnan(x), yn = std::isnan(y);
      return xn == yn ? 0 : (xn ? -1 : 1);
    }
  }
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::string foldCase(std::string_view text) {
  std::string out(text);
  for (size_t i = 0; i < out.size(); ++i) {
    const auto c = static_cast<unsigned char>(out[i]);
    if (c >= 'A' && c <= 'Z') {
      out[i] = static_cast<char>(c - 'A' + 'a');
    } else if (c == 0xC3 && i + 1 < out.size()) {
      // U+00C0..U+00DE (but not U+00D7, the multiplication sign) are the capitals of
      // U+00E0..U+00FE: the accented letters of Portuguese.
      const auto d = static_cast<unsigned char>(out[i + 1]);
      if (d >= 0x80 && d <= 0x9E && d != 0x97) out[i + 1] = static_cast<char>(d + 0x20);
      ++i;
    }
  }
  return out;
}

}  // namespace dataset_detail

const char* stateName(DataSetState state) {
  switch (state) {
    case DataSetState::Inactive:
      return "inactive";
    case DataSetState::Browse:
      return "browse";
    case DataSetState::Edit:
      return "edit";
    case DataSetState::Insert:
      return "insert";
    case DataSetState::CalcFields:
      return "calc";
  }
  return "?";
}

ClientDataSet::ClientDataSet(std::string name) : name_(std::move(name)) {}

ClientDataSet::~ClientDataSet() {
  const std::vector<DataSetObserver*> observers = observers_;
  observers_.clear();
  for (DataSetObserver* o : observers)
    o->dataSetDestroyed(*this);
}

// --- Fields ---

Field& ClientDataSet::addField(std::string name, FieldType type, int size, FieldKind kind) {
  if (active()) throw DataSetError("Cannot perform this operation on an open dataset");
  if (name.empty()) throw DataSetError("A field needs a name");
  if (findField(name)) throw DataSetError("Duplicate field name '" + name + "'");
  fieldPool_.push_back(std::unique_ptr<Field>(new Field(this, std::move(name), type, size, kind)));
  fields_.push_back(fieldPool_.back().get());
  reindexFields();
  return *fields_.back();
}

void ClientDataSet::clearFields() {
  if (active()) throw DataSetError("Cannot perform this operation on an open dataset");
  for (Field* f : fields_)
    f->index_ = -1;
  fields_.clear();
  reindexFields();
}

Field* ClientDataSet::findField(std::string_view name) const {
  for (Field* f : fields_) {
    if (dataset_detail::equalsNoCase(f->name(), name)) return f;
  }
  return nullptr;
}

Field& ClientDataSet::fieldByName(std::string_view name) const {
  Field* f = findField(name);
  if (!f) throw DataSetError("Field '" + std::string(name) + "' not found");
  return *f;
}

void ClientDataSet::reindexFields() {
  dataCount_ = 0;
  calcCount_ = 0;
  for (size_t i = 0; i < fields_.size(); ++i) {
    Field* f = fields_[i];
    f->index_ = static_cast<int>(i);
    f->slot_ = f->isCalculated() ? calcCount_++ : dataCount_++;
  }
}

std::vector<int> ClientDataSet::resolveFieldList(std::string_view names,
                                                 bool allowCalculated) const {
  std::vector<int> out;
  size_t start = 0;
  while (start <= names.size()) {
    size_t end = names.find(';', start);
    if (end == std::string_view::npos) end = names.size();
    std::string_view part = names.substr(start, end - start);
    while (!part.empty() && part.front() == ' ')
      part.remove_prefix(1);
    while (!part.empty() && part.back() == ' ')
      part.remove_suffix(1);
    if (!part.empty()) {
      const Field& f = fieldByName(part);
      if (!allowCalculated && f.isCalculated()) {
        throw DataSetError("Field '" + f.name() + "' is calculated and cannot be indexed");
      }
      out.push_back(f.index());
    }
    start = end + 1;
  }
  return out;
}

// --- State checks, events, observers ---

DataSetState ClientDataSet::state() const {
  return calcView_ ? DataSetState::CalcFields : state_;
}

void ClientDataSet::checkActive() const {
  if (!active()) throw DataSetError("Cannot perform this operation on a closed dataset");
}

void ClientDataSet::checkNotComputing() const {
  if (calcView_) throw DataSetError("Dataset is computing calculated fields");
  if (rowView_) throw DataSetError("Dataset is showing a display row");
}

void ClientDataSet::checkBrowseMode() {
  if (state_ == DataSetState::Edit || state_ == DataSetState::Insert) post();
}

void ClientDataSet::fire(const Event& event) {
  if (!event) return;
  // A copy: the handler may replace or clear the member while it runs.
  const Event handler = event;
  handler(*this);
}

void ClientDataSet::addObserver(DataSetObserver* observer) {
  if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
    observers_.push_back(observer);
  }
}

void ClientDataSet::removeObserver(DataSetObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

namespace {
template <typename Call>
void notifyAll(const std::vector<DataSetObserver*>& registered, Call call) {
  const std::vector<DataSetObserver*> snapshot = registered;
  for (DataSetObserver* o : snapshot) {
    // One observer may remove another while being told.
    if (std::find(registered.begin(), registered.end(), o) != registered.end()) call(o);
  }
}
}  // namespace

void ClientDataSet::notifyData(const Field* field) {
  if (disableDepth_ > 0) return;
  notifyAll(observers_, [&](DataSetObserver* o) { o->dataChanged(*this, field); });
}

void ClientDataSet::notifyState() {
  if (disableDepth_ > 0) return;
  notifyAll(observers_, [&](DataSetObserver* o) { o->stateChanged(*this); });
}

void ClientDataSet::notifyLayout() {
  if (disableDepth_ > 0) return;
  notifyAll(observers_, [&](DataSetObserver* o) { o->layoutChanged(*this); });
}

void ClientDataSet::disableControls() {
  if (disableDepth_++ == 0) stateWhenDisabled_ = state_;
}

void ClientDataSet::enableControls() {
  if (disableDepth_ == 0 || --disableDepth_ > 0) return;
  if (state_ != stateWhenDisabled_) notifyState();
  notifyLayout();
}

// --- Field access ---

const Variant& ClientDataSet::readSlot(const Field& field) const {
  if (field.index_ < 0) {
    throw DataSetError("Field '" + field.name() + "' is no longer part of the dataset");
  }
  if (!active()) return nullValue();
  const auto slot = static_cast<size_t>(field.slot_);
  const bool calc = field.isCalculated();
  if (calcView_) return calc ? (*calcTarget_)[slot] : (*calcView_->data)[slot];
  if (rowView_) return calc ? (*rowView_->calc)[slot] : (*rowView_->data)[slot];
  if (state_ == DataSetState::Edit || state_ == DataSetState::Insert) {
    return calc ? editCalc_[slot] : editData_[slot];
  }
  const Record* r = currentRecord();
  if (!r) return nullValue();
  return calc ? r->calc[slot] : r->data[slot];
}

void ClientDataSet::writeField(Field& field, Variant value) {
  if (field.index_ < 0) {
    throw DataSetError("Field '" + field.name() + "' is no longer part of the dataset");
  }
  checkActive();
  const auto slot = static_cast<size_t>(field.slot_);
  if (field.isCalculated()) {
    if (!calcTarget_) throw DataSetError("Field '" + field.name() + "' cannot be modified");
    (*calcTarget_)[slot] = std::move(value);
    return;
  }
  if (calcView_) throw DataSetError("Field '" + field.name() + "' cannot be modified");
  if (state_ != DataSetState::Edit && state_ != DataSetState::Insert) {
    throw DataSetError("Dataset not in edit or insert mode");
  }
  Variant old = std::exchange(editData_[slot], std::move(value));
  try {
    recalcEditBuffer();
  } catch (...) {
    editData_[slot] = std::move(old);
    throw;
  }
  notifyData(&field);
}

// --- Calculated fields ---

Row ClientDataSet::computeCalc(const Row& data) {
  Row calc(static_cast<size_t>(calcCount_), Variant::null());
  if (calcCount_ == 0 || !onCalcFields) return calc;
  const View view{&data, &calc};
  const View* savedView = calcView_;
  Row* savedTarget = calcTarget_;
  calcView_ = &view;
  calcTarget_ = &calc;
  struct Restore {
    ClientDataSet* ds;
    const View* view;
    Row* target;
    ~Restore() {
      ds->calcView_ = view;
      ds->calcTarget_ = target;
    }
  } restore{this, savedView, savedTarget};
  const Event handler = onCalcFields;
  handler(*this);
  return calc;
}

std::vector<Row> ClientDataSet::computeVisibleCalcs(const std::vector<Record*>& records) {
  std::vector<Row> calcs;
  if (calcCount_ == 0) return calcs;
  calcs.reserve(records.size());
  for (const Record* r : records)
    calcs.push_back(computeCalc(r->data));
  return calcs;
}

void ClientDataSet::storeCalcs(const std::vector<Record*>& records, std::vector<Row>& calcs) {
  if (calcCount_ == 0) return;
  for (size_t i = 0; i < records.size(); ++i)
    records[i]->calc = std::move(calcs[i]);
}

void ClientDataSet::recalcEditBuffer() {
  editCalc_ = computeCalc(editData_);
}

void ClientDataSet::resync() {
  checkActive();
  checkNotComputing();
  std::vector<Row> calcs = computeVisibleCalcs(visible_);
  storeCalcs(visible_, calcs);
  if (state_ == DataSetState::Edit || state_ == DataSetState::Insert) recalcEditBuffer();
  notifyLayout();
}

// --- Opening, loading, closing ---

void ClientDataSet::createDataSet() {
  if (active()) throw DataSetError("Cannot perform this operation on an open dataset");
  if (fields_.empty()) throw DataSetError("Cannot create a dataset without fields");
  fire(beforeOpen);
  if (active()) throw DataSetError("Cannot perform this operation on an open dataset");
  CompiledFilter compiled = bindFilter(filterExpr_);
  std::vector<int> keys;
  for (int i : resolveFieldList(activeIndexFields(), false)) {
    keys.push_back(fields_[static_cast<size_t>(i)]->slot_);
  }
  filter_ = std::move(compiled);
  indexKeys_ = std::move(keys);
  rebuildOrder();
  records_.clear();
  ordered_.clear();
  visible_.clear();
  deleted_.clear();
  cursor_ = -1;
  bof_ = eof_ = true;
  nextId_ = 1;
  nextSeq_ = 1;
  state_ = DataSetState::Browse;
  notifyState();
  notifyLayout();
  fire(afterOpen);
  fire(afterScroll);
}

void ClientDataSet::setData(const DataPacket& packet) {
  packet.validate();
  loadPacket(DataPacket(packet));
}

void ClientDataSet::setData(DataPacket&& packet) {
  packet.validate();
  loadPacket(std::move(packet));
}

void ClientDataSet::setData(std::string_view json) {
  loadPacket(decodePacket(json));
}

void ClientDataSet::setData(const Variant& packet) {
  if (!packet.isPacket()) {
    throw ConversionError("Could not load a " + std::string(typeName(packet.type())) +
                          " value as a data packet");
  }
  setData(packet.packet());
}

namespace {

bool typeLoadsInto(FieldType packetType, FieldType fieldType) {
  if (packetType == fieldType) return true;
  const auto isText = [](FieldType t) { return t == FieldType::Text || t == FieldType::FixedText; };
  if (isText(packetType) && isText(fieldType)) return true;
  return packetType == FieldType::Integer && fieldType == FieldType::Float;
}

size_t charCount(const std::string& s) {
  size_t n = 0;
  for (char c : s)
    n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

}  // namespace

void ClientDataSet::loadPacket(DataPacket&& packet) {
  checkNotComputing();
  fire(beforeOpen);
  checkNotComputing();

  // Match the packet's fields by name.
  const size_t packetCount = packet.fields.size();
  std::vector<Field*> target(packetCount, nullptr);
  std::vector<Field*> newFields;
  std::vector<bool> keep(fields_.size(), true);
  size_t poolBefore = fieldPool_.size();
  const auto undoPool = [&] { fieldPool_.resize(poolBefore); };
  try {
    for (size_t i = 0; i < packetCount; ++i) {
      const PacketField& pf = packet.fields[i];
      Field* f = findField(pf.name);
      if (f && f->isCalculated()) {
        throw PacketError("Field '" + pf.name + "' of the packet is a calculated field");
      }
      if (f && !typeLoadsInto(pf.type, f->fieldType())) {
        if (!f->fromPacket_) {
          throw PacketError("Field '" + pf.name + "' is " + fieldTypeName(pf.type) +
                            " in the packet but " + fieldTypeName(f->fieldType()) +
                            " in the dataset");
        }
        keep[static_cast<size_t>(f->index())] = false;
        f = nullptr;
      }
      if (!f) {
        // A field dropped by an earlier load comes back with its properties.
        for (size_t p = 0; p < poolBefore && !f; ++p) {
          Field* old = fieldPool_[p].get();
          if (old->index_ < 0 && old->fromPacket_ && old->fieldType() == pf.type &&
              old->size() == pf.size && dataset_detail::equalsNoCase(old->name(), pf.name)) {
            f = old;
          }
        }
        if (!f) {
          fieldPool_.push_back(
              std::unique_ptr<Field>(new Field(this, pf.name, pf.type, pf.size, FieldKind::Data)));
          f = fieldPool_.back().get();
          f->fromPacket_ = true;
        }
        newFields.push_back(f);
      }
      target[i] = f;
    }
  } catch (...) {
    undoPool();
    throw;
  }
  for (size_t i = 0; i < fields_.size(); ++i) {
    if (!fields_[i]->fromPacket_) continue;
    const bool inPacket = std::find(target.begin(), target.end(), fields_[i]) != target.end();
    if (!inPacket) keep[i] = false;
  }

  // The new layout, kept aside until everything has been checked.
  std::vector<Field*> layout;
  for (size_t i = 0; i < fields_.size(); ++i) {
    if (keep[i]) layout.push_back(fields_[i]);
  }
  layout.insert(layout.end(), newFields.begin(), newFields.end());
  int dataCount = 0;
  std::vector<int> slotOf(packetCount, -1);
  std::vector<std::pair<Field*, int>> slots;  // data slot of each data field in the new layout
  for (Field* f : layout) {
    if (!f->isCalculated()) slots.emplace_back(f, dataCount++);
  }
  for (size_t i = 0; i < packetCount; ++i) {
    for (const auto& [f, s] : slots) {
      if (f == target[i]) slotOf[i] = s;
    }
  }
  bool identity = static_cast<size_t>(dataCount) == packetCount;
  for (size_t i = 0; identity && i < packetCount; ++i) {
    identity = slotOf[i] == static_cast<int>(i) && target[i]->fieldType() == packet.fields[i].type;
  }
  std::vector<bool> convertFloat(packetCount), checkSize(packetCount);
  for (size_t i = 0; i < packetCount; ++i) {
    const Field* f = target[i];
    convertFloat[i] = f->fieldType() == FieldType::Float;
    checkSize[i] =
        f->size() > 0 && (packet.fields[i].size == 0 || packet.fields[i].size > f->size());
  }

  const auto mapRow = [&](Row&& in, size_t rowNumber) {
    Row out;
    if (identity) {
      out = std::move(in);
    } else {
      out.assign(static_cast<size_t>(dataCount), Variant::null());
      for (size_t i = 0; i < packetCount; ++i)
        out[static_cast<size_t>(slotOf[i])] = std::move(in[i]);
    }
    for (size_t i = 0; i < packetCount; ++i) {
      Variant& v = out[static_cast<size_t>(slotOf[i])];
      if (v.isEmpty()) {
        v = Variant::null();
      } else if (convertFloat[i] &&
                 (v.type() == Variant::Type::Int32 || v.type() == Variant::Type::Int64)) {
        v = Variant(v.toDouble());
      } else if (checkSize[i] && v.isText() &&
                 charCount(v.toString()) > static_cast<size_t>(target[i]->size())) {
        undoPool();
        throw PacketError("Row " + std::to_string(rowNumber) + ": the text of field '" +
                          target[i]->name() + "' is longer than its size " +
                          std::to_string(target[i]->size()));
      }
    }
    return out;
  };

  // Records and change log.
  std::vector<std::unique_ptr<Record>> records;
  records.reserve(packet.rows.size());
  const size_t calcCount = layout.size() - static_cast<size_t>(dataCount);
  for (size_t r = 0; r < packet.rows.size(); ++r) {
    auto rec = std::make_unique<Record>();
    rec->data = mapRow(std::move(packet.rows[r]), r);
    rec->calc.assign(calcCount, Variant::null());
    rec->id = static_cast<int64_t>(r) + 1;
    rec->basePos = static_cast<int64_t>(r);
    rec->phys = static_cast<int>(r);
    records.push_back(std::move(rec));
  }
  std::vector<Deleted> deleted;
  int64_t seq = 0;
  int64_t nextId = static_cast<int64_t>(records.size()) + 1;
  for (Change& c : packet.changes) {
    ++seq;
    if (c.kind == ChangeKind::Delete) {
      Deleted d;
      d.original = mapRow(std::move(c.original), packet.rows.size());
      d.seq = seq;
      d.id = nextId++;
      d.basePos = static_cast<int64_t>(records.size()) + seq;
      deleted.push_back(std::move(d));
      continue;
    }
    if (c.row < 0 || static_cast<size_t>(c.row) >= records.size() ||
        records[static_cast<size_t>(c.row)]->change != RecordChange::None) {
      undoPool();
      throw PacketError("Invalid data packet: change " + std::to_string(seq - 1) + " names row " +
                        std::to_string(c.row));
    }
    Record& rec = *records[static_cast<size_t>(c.row)];
    rec.seq = seq;
    if (c.kind == ChangeKind::Insert) {
      rec.change = RecordChange::Inserted;
    } else {
      rec.change = RecordChange::Modified;
      rec.original = mapRow(std::move(c.original), static_cast<size_t>(c.row));
    }
  }

  // Install the new layout and records tentatively; undo it all if anything below throws.
  std::vector<Field*> oldFields = layout;
  std::swap(oldFields, fields_);
  reindexFields();
  std::vector<Field*> dropped;
  for (Field* f : oldFields) {
    if (std::find(fields_.begin(), fields_.end(), f) == fields_.end()) dropped.push_back(f);
  }
  for (Field* f : dropped)
    f->index_ = -1;

  std::vector<std::unique_ptr<Record>> oldRecords = std::exchange(records_, std::move(records));
  std::vector<Record*> oldOrdered = std::move(ordered_), oldVisible = std::move(visible_);
  std::vector<Deleted> oldDeleted = std::exchange(deleted_, std::move(deleted));
  CompiledFilter oldFilter = filter_;
  std::vector<int> oldKeys = indexKeys_;
  const DataSetState oldState = state_;
  const int oldCursor = cursor_;
  const bool oldBof = bof_, oldEof = eof_;
  Row oldEditData = std::move(editData_), oldEditCalc = std::move(editCalc_);
  Record* oldEditRecord = editRecord_;
  Record* oldInsertBefore = insertBefore_;
  const int oldInsertRow = insertRow_;
  state_ = DataSetState::Browse;
  editRecord_ = insertBefore_ = nullptr;

  try {
    filter_ = bindFilter(filterExpr_);
    std::vector<int> keys;
    for (int i : resolveFieldList(activeIndexFields(), false)) {
      keys.push_back(fields_[static_cast<size_t>(i)]->slot_);
    }
    indexKeys_ = std::move(keys);
    if (filtered_) {
      for (auto& r : records_)
        r->passes = filter_.matches(r->data);
    }
    rebuildOrder();
    rebuildVisible();
    std::vector<Row> calcs = computeVisibleCalcs(visible_);
    storeCalcs(visible_, calcs);
  } catch (...) {
    fields_ = std::move(oldFields);
    reindexFields();
    for (Field* f : layout) {
      if (std::find(fields_.begin(), fields_.end(), f) == fields_.end()) f->index_ = -1;
    }
    records_ = std::move(oldRecords);
    ordered_ = std::move(oldOrdered);
    visible_ = std::move(oldVisible);
    deleted_ = std::move(oldDeleted);
    filter_ = std::move(oldFilter);
    indexKeys_ = std::move(oldKeys);
    updateIndexTypes();
    state_ = oldState;
    cursor_ = oldCursor;
    bof_ = oldBof;
    eof_ = oldEof;
    editData_ = std::move(oldEditData);
    editCalc_ = std::move(oldEditCalc);
    editRecord_ = oldEditRecord;
    insertBefore_ = oldInsertBefore;
    insertRow_ = oldInsertRow;
    undoPool();
    throw;
  }

  nextId_ = nextId;
  nextSeq_ = seq + 1;
  cursor_ = visible_.empty() ? -1 : 0;
  bof_ = true;
  eof_ = visible_.empty();
  oldRecords.clear();
  if (oldState != state_) notifyState();
  notifyLayout();
  fire(afterOpen);
  fire(afterScroll);
}

void ClientDataSet::close() {
  if (!active()) return;
  checkNotComputing();
  fire(beforeClose);
  if (!active()) return;
  records_.clear();
  ordered_.clear();
  visible_.clear();
  deleted_.clear();
  editData_.clear();
  editCalc_.clear();
  editRecord_ = insertBefore_ = nullptr;
  cursor_ = -1;
  bof_ = eof_ = true;
  state_ = DataSetState::Inactive;
  notifyState();
  notifyLayout();
  fire(afterClose);
}

void ClientDataSet::emptyDataSet() {
  checkActive();
  checkNotComputing();
  checkBrowseMode();
  records_.clear();
  ordered_.clear();
  visible_.clear();
  deleted_.clear();
  cursor_ = -1;
  bof_ = eof_ = true;
  notifyLayout();
}

// --- Display rows ---

int ClientDataSet::displayRowCount() const {
  return static_cast<int>(visible_.size()) + (state_ == DataSetState::Insert ? 1 : 0);
}

void ClientDataSet::withDisplayRow(int row, const std::function<void()>& body) {
  checkActive();
  if (row < 1 || row > displayRowCount()) {
    throw DataSetError("Row " + std::to_string(row) + " out of range");
  }
  auto i = static_cast<size_t>(row - 1);
  View view{&editData_, &editCalc_};
  if (state_ == DataSetState::Insert && i == static_cast<size_t>(insertRow_)) {
    // the new record
  } else {
    if (state_ == DataSetState::Insert && i > static_cast<size_t>(insertRow_)) --i;
    const Record* r = visible_[i];
    if (!(state_ == DataSetState::Edit && r == editRecord_)) view = View{&r->data, &r->calc};
  }
  const View* saved = rowView_;
  rowView_ = &view;
  struct Restore {
    const View** slot;
    const View* value;
    ~Restore() { *slot = value; }
  } restore{&rowView_, saved};
  body();
}

}  // namespace platform
