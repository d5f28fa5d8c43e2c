// ClientDataSet: record order, filter, cursor moves, locate, lookup and bookmarks.
#include <algorithm>
#include <numeric>
#include <utility>

#include "platform/client_dataset.h"
#include "platform/client_dataset_internal.h"

namespace platform {

using dataset_detail::compareValues;

// --- Order and visibility ---

ClientDataSet::Record* ClientDataSet::currentRecord() const {
  return cursor_ >= 0 && static_cast<size_t>(cursor_) < visible_.size()
             ? visible_[static_cast<size_t>(cursor_)]
             : nullptr;
}

int ClientDataSet::positionOf(const Record* record) const {
  const auto it = std::find(visible_.begin(), visible_.end(), record);
  return it == visible_.end() ? -1 : static_cast<int>(it - visible_.begin());
}

FieldType ClientDataSet::slotType(int slot) const {
  for (const Field* f : fields_) {
    if (!f->isCalculated() && f->slot_ == slot) return f->fieldType();
  }
  return FieldType::Text;
}

bool ClientDataSet::recordLess(const Record* a, const Record* b) const {
  for (size_t k = 0; k < indexKeys_.size(); ++k) {
    const auto slot = static_cast<size_t>(indexKeys_[k]);
    const int c = compareValues(indexTypes_[k], a->data[slot], b->data[slot]);
    if (c != 0) return c < 0;
  }
  return a->phys < b->phys;
}

void ClientDataSet::renumberPhysical() {
  for (size_t i = 0; i < records_.size(); ++i)
    records_[i]->phys = static_cast<int>(i);
}

void ClientDataSet::updateIndexTypes() {
  indexTypes_.clear();
  for (int slot : indexKeys_)
    indexTypes_.push_back(slotType(slot));
}

void ClientDataSet::rebuildOrder() {
  updateIndexTypes();
  ordered_.clear();
  ordered_.reserve(records_.size());
  for (const auto& r : records_)
    ordered_.push_back(r.get());
  if (indexKeys_.empty()) return;

  // Keys read once per record: text values would otherwise be copied on every comparison.
  struct Key {
    int rank = 0;  // 0 Null, 1 NaN, 2 value
    double number = 0.0;
    std::string text;
  };
  const size_t n = ordered_.size(), k = indexKeys_.size();
  std::vector<Key> keys(n * k);
  for (size_t i = 0; i < n; ++i) {
    for (size_t j = 0; j < k; ++j) {
      const Variant& v = ordered_[i]->data[static_cast<size_t>(indexKeys_[j])];
      Key& key = keys[i * k + j];
      if (v.isNull()) continue;
      key.rank = 2;
      const FieldType type = indexTypes_[j];
      if (type == FieldType::Text || type == FieldType::FixedText) {
        key.text = v.toString();
      } else {
        key.number = type == FieldType::Boolean ? (v.toBool() ? 1.0 : 0.0) : v.toDouble();
        if (std::isnan(key.number)) key.rank = 1;
      }
    }
  }
  std::vector<size_t> order(n);
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    for (size_t j = 0; j < k; ++j) {
      const Key& x = keys[a * k + j];
      const Key& y = keys[b * k + j];
      if (x.rank != y.rank) return x.rank < y.rank;
      if (x.rank != 2) continue;
      if (x.text != y.text) return x.text < y.text;
      if (x.number != y.number) return x.number < y.number;
    }
    return false;
  });
  std::vector<Record*> sorted(n);
  for (size_t i = 0; i < n; ++i)
    sorted[i] = ordered_[order[i]];
  ordered_ = std::move(sorted);
}

void ClientDataSet::rebuildVisible() {
  if (!filtered_) {
    visible_ = ordered_;
    return;
  }
  visible_.clear();
  for (Record* r : ordered_) {
    if (r->passes) visible_.push_back(r);
  }
}

bool ClientDataSet::passes(const Row& data) const {
  return !filtered_ || filter_.matches(data);
}

void ClientDataSet::placeCursor(const Record* record) {
  cursor_ = record ? positionOf(record) : -1;
  if (cursor_ < 0 && record) {
    // Hidden by the filter: the visible record after it, else the last one.
    auto it = std::find(ordered_.begin(), ordered_.end(), record);
    for (; it != ordered_.end() && cursor_ < 0; ++it) {
      if (*it != record && (!filtered_ || (*it)->passes)) cursor_ = positionOf(*it);
    }
    if (cursor_ < 0) cursor_ = static_cast<int>(visible_.size()) - 1;
  }
  if (cursor_ < 0 && !visible_.empty()) cursor_ = 0;
  bof_ = eof_ = visible_.empty();
}

// --- Moves ---

int ClientDataSet::recNo() const {
  if (state_ == DataSetState::Insert) return insertRow_ + 1;
  return cursor_ + 1;
}

void ClientDataSet::moveTo(int target, bool bof, bool eof) {
  if (target == cursor_) {
    bof_ = bof;
    eof_ = eof;
    return;
  }
  fire(beforeScroll);
  // The handler may have changed the records.
  target = std::min(target, static_cast<int>(visible_.size()) - 1);
  cursor_ = target;
  bof_ = bof || visible_.empty();
  eof_ = eof || visible_.empty();
  notifyData(nullptr);
  fire(afterScroll);
}

void ClientDataSet::first() {
  checkActive();
  checkNotComputing();
  checkBrowseMode();
  moveTo(visible_.empty() ? -1 : 0, true, visible_.empty());
}

void ClientDataSet::last() {
  checkActive();
  checkNotComputing();
  checkBrowseMode();
  const int n = static_cast<int>(visible_.size());
  moveTo(n - 1, n == 0, true);
}

void ClientDataSet::next() {
  moveBy(1);
}
void ClientDataSet::prior() {
  moveBy(-1);
}

int ClientDataSet::moveBy(int distance) {
  checkActive();
  checkNotComputing();
  checkBrowseMode();
  if (distance == 0 || (distance > 0 && eof_) || (distance < 0 && bof_)) return 0;
  const int n = static_cast<int>(visible_.size());
  if (n == 0) {
    bof_ = eof_ = true;
    return 0;
  }
  const int64_t wanted = static_cast<int64_t>(cursor_) + distance;
  const int target = static_cast<int>(std::clamp<int64_t>(wanted, 0, n - 1));
  const int moved = target - cursor_;
  const bool short_ = moved != distance;
  moveTo(target, short_ && distance < 0, short_ && distance > 0);
  return moved;
}

void ClientDataSet::setRecNo(int recNo) {
  checkActive();
  checkNotComputing();
  if (recNo < 1 || recNo > recordCount()) {
    throw DataSetError("Record number " + std::to_string(recNo) + " out of range");
  }
  checkBrowseMode();
  if (recNo > recordCount()) recNo = recordCount();
  moveTo(recNo - 1, false, false);
}

// --- Locate and lookup ---

std::vector<Variant> ClientDataSet::locateKeys(const std::vector<int>& fields,
                                               const Variant& values) const {
  std::vector<Variant> keys;
  if (fields.size() == 1 && !(values.isArray() && values.size() == 1)) {
    keys.push_back(values);
  } else if (values.isArray() && values.size() == fields.size()) {
    keys = values.items();
  } else {
    throw DataSetError("Locate: " + std::to_string(fields.size()) + " fields but " +
                       std::to_string(values.isArray() ? values.size() : 1) + " values");
  }
  for (size_t i = 0; i < keys.size(); ++i) {
    keys[i] = fields_[static_cast<size_t>(fields[i])]->convert(keys[i]);
  }
  return keys;
}

bool ClientDataSet::recordMatches(const Record& record, const std::vector<int>& fields,
                                  const std::vector<Variant>& keys, LocateOptions options) const {
  for (size_t i = 0; i < fields.size(); ++i) {
    const Field& f = *fields_[static_cast<size_t>(fields[i])];
    const Variant& v = f.isCalculated() ? record.calc[static_cast<size_t>(f.slot_)]
                                        : record.data[static_cast<size_t>(f.slot_)];
    const Variant& key = keys[i];
    if (key.isNull() || v.isNull()) {
      if (key.isNull() != v.isNull()) return false;
      continue;
    }
    const bool text = f.fieldType() == FieldType::Text || f.fieldType() == FieldType::FixedText;
    if (!text || (!options.caseInsensitive && !options.partialKey)) {
      if (!dataset_detail::sameValue(v, key)) return false;
      continue;
    }
    std::string value = v.toString();
    if (options.caseInsensitive) value = dataset_detail::foldCase(value);
    const std::string k = key.toString();  // folded by the caller when case-insensitive
    if (options.partialKey ? value.compare(0, k.size(), k) != 0 : value != k) return false;
  }
  return true;
}

bool ClientDataSet::locate(std::string_view fieldNames, const Variant& values,
                           LocateOptions options) {
  checkActive();
  checkNotComputing();
  const std::vector<int> fields = resolveFieldList(fieldNames, true);
  if (fields.empty()) throw DataSetError("Locate needs at least one field");
  std::vector<Variant> keys = locateKeys(fields, values);
  if (options.caseInsensitive) {
    for (Variant& k : keys) {
      if (k.isText()) k = Variant(dataset_detail::foldCase(k.toString()));
    }
  }
  checkBrowseMode();
  for (size_t i = 0; i < visible_.size(); ++i) {
    if (recordMatches(*visible_[i], fields, keys, options)) {
      moveTo(static_cast<int>(i), false, false);
      return true;
    }
  }
  return false;
}

Variant ClientDataSet::lookup(std::string_view keyFields, const Variant& keyValues,
                              std::string_view resultFields) const {
  checkActive();
  const std::vector<int> fields = resolveFieldList(keyFields, true);
  const std::vector<int> results = resolveFieldList(resultFields, true);
  if (fields.empty() || results.empty()) throw DataSetError("Lookup needs key and result fields");
  const std::vector<Variant> keys = locateKeys(fields, keyValues);
  for (const Record* r : visible_) {
    if (!recordMatches(*r, fields, keys, {})) continue;
    const auto valueOf = [&](int index) {
      const Field& f = *fields_[static_cast<size_t>(index)];
      return f.isCalculated() ? r->calc[static_cast<size_t>(f.slot_)]
                              : r->data[static_cast<size_t>(f.slot_)];
    };
    if (results.size() == 1) return valueOf(results.front());
    std::vector<Variant> out;
    for (int index : results)
      out.push_back(valueOf(index));
    return Variant::array(std::move(out));
  }
  return Variant::null();
}

// --- Bookmarks ---

Bookmark ClientDataSet::getBookmark() const {
  if (state_ == DataSetState::Insert) return Bookmark();
  const Record* r = currentRecord();
  return r ? Bookmark(this, r->id) : Bookmark();
}

bool ClientDataSet::bookmarkValid(const Bookmark& bookmark) const {
  if (bookmark.isNull() || bookmark.owner_ != this) return false;
  return std::any_of(visible_.begin(), visible_.end(),
                     [&](const Record* r) { return r->id == bookmark.id_; });
}

void ClientDataSet::gotoBookmark(const Bookmark& bookmark) {
  checkActive();
  checkNotComputing();
  if (!bookmarkValid(bookmark)) throw DataSetError("Record not found");
  checkBrowseMode();
  for (size_t i = 0; i < visible_.size(); ++i) {
    if (visible_[i]->id == bookmark.id_) {
      moveTo(static_cast<int>(i), false, false);
      return;
    }
  }
  throw DataSetError("Record not found");
}

// --- Filter and index ---

CompiledFilter ClientDataSet::bindFilter(const FilterExpression& expression) const {
  if (expression.empty()) return CompiledFilter();
  return CompiledFilter::bind(expression, [this](std::string_view name) {
    const Field* f = findField(name);
    return f && !f->isCalculated() ? std::optional<FilterField>({f->slot_, f->fieldType()})
                                   : std::nullopt;
  });
}

void ClientDataSet::setFilter(std::string_view text) {
  checkNotComputing();
  FilterExpression expression = FilterExpression::parse(text);
  applyFilter(std::string(text), std::move(expression), filtered_);
}

void ClientDataSet::setFiltered(bool filtered) {
  if (filtered == filtered_) return;
  checkNotComputing();
  applyFilter(filterText_, filterExpr_, filtered);
}

void ClientDataSet::applyFilter(std::string text, FilterExpression expression, bool filtered) {
  if (!active()) {
    filterText_ = std::move(text);
    filterExpr_ = std::move(expression);
    filtered_ = filtered;
    return;
  }
  CompiledFilter compiled = bindFilter(expression);
  if (!filtered && !filtered_) {
    filterText_ = std::move(text);
    filterExpr_ = std::move(expression);
    filter_ = std::move(compiled);
    return;
  }
  checkBrowseMode();
  fire(beforeScroll);

  // Handlers of the calculated fields see the new filter settings.
  std::string oldText = std::exchange(filterText_, std::move(text));
  FilterExpression oldExpression = std::exchange(filterExpr_, std::move(expression));
  CompiledFilter oldFilter = std::exchange(filter_, std::move(compiled));
  const bool oldFiltered = std::exchange(filtered_, filtered);
  std::vector<char> passing(ordered_.size(), 1);
  std::vector<Record*> visible;
  for (size_t i = 0; i < ordered_.size(); ++i) {
    if (filtered_) passing[i] = filter_.matches(ordered_[i]->data) ? 1 : 0;
    if (passing[i]) visible.push_back(ordered_[i]);
  }
  std::vector<Row> calcs;
  try {
    calcs = computeVisibleCalcs(visible);
  } catch (...) {
    filterText_ = std::move(oldText);
    filterExpr_ = std::move(oldExpression);
    filter_ = std::move(oldFilter);
    filtered_ = oldFiltered;
    throw;
  }
  for (size_t i = 0; i < ordered_.size(); ++i)
    ordered_[i]->passes = passing[i] != 0;
  visible_ = std::move(visible);
  storeCalcs(visible_, calcs);
  cursor_ = visible_.empty() ? -1 : 0;
  bof_ = true;
  eof_ = visible_.empty();
  notifyLayout();
  fire(afterScroll);
}

std::string ClientDataSet::activeIndexFields() const {
  if (indexName_.empty()) return indexFieldNames_;
  for (const auto& [name, fields] : indexes_) {
    if (dataset_detail::equalsNoCase(name, indexName_)) return fields;
  }
  return {};
}

void ClientDataSet::setIndexFieldNames(std::string_view fieldNames) {
  if (fieldNames == indexFieldNames_ && indexName_.empty()) return;
  checkNotComputing();
  std::vector<int> keys;
  if (active()) {
    for (int i : resolveFieldList(fieldNames, false)) {
      keys.push_back(fields_[static_cast<size_t>(i)]->slot_);
    }
  }
  applyIndex(std::move(keys), std::string(fieldNames), {});
}

void ClientDataSet::addIndex(std::string name, std::string fieldNames) {
  for (auto& [existing, fields] : indexes_) {
    if (dataset_detail::equalsNoCase(existing, name)) {
      throw DataSetError("Duplicate index name '" + name + "'");
    }
  }
  indexes_.emplace_back(std::move(name), std::move(fieldNames));
}

void ClientDataSet::setIndexName(std::string_view name) {
  if (dataset_detail::equalsNoCase(name, indexName_) &&
      (!name.empty() || indexFieldNames_.empty())) {
    return;
  }
  checkNotComputing();
  std::string fieldNames;
  std::string found;
  if (!name.empty()) {
    for (const auto& [existing, fields] : indexes_) {
      if (dataset_detail::equalsNoCase(existing, name)) {
        found = existing;
        fieldNames = fields;
      }
    }
    if (found.empty()) throw DataSetError("Index '" + std::string(name) + "' not found");
  }
  std::vector<int> keys;
  if (active()) {
    for (int i : resolveFieldList(fieldNames, false)) {
      keys.push_back(fields_[static_cast<size_t>(i)]->slot_);
    }
  }
  applyIndex(std::move(keys), {}, std::move(found));
}

void ClientDataSet::applyIndex(std::vector<int> keys, std::string fieldNames,
                               std::string indexName) {
  if (!active()) {
    indexFieldNames_ = std::move(fieldNames);
    indexName_ = std::move(indexName);
    return;
  }
  checkBrowseMode();
  Record* current = currentRecord();
  std::vector<int> oldKeys = std::exchange(indexKeys_, std::move(keys));
  std::vector<Record*> oldOrdered = ordered_, oldVisible = visible_;
  rebuildOrder();
  rebuildVisible();
  std::vector<Row> calcs;
  try {
    calcs = computeVisibleCalcs(visible_);
  } catch (...) {
    indexKeys_ = std::move(oldKeys);
    updateIndexTypes();
    ordered_ = std::move(oldOrdered);
    visible_ = std::move(oldVisible);
    throw;
  }
  indexFieldNames_ = std::move(fieldNames);
  indexName_ = std::move(indexName);
  storeCalcs(visible_, calcs);
  cursor_ = current ? positionOf(current) : (visible_.empty() ? -1 : 0);
  bof_ = eof_ = visible_.empty();
  notifyLayout();
}

void ClientDataSet::refresh() {
  checkActive();
  checkNotComputing();
  checkBrowseMode();
  Record* current = currentRecord();
  std::vector<char> oldPasses;
  oldPasses.reserve(records_.size());
  for (const auto& r : records_)
    oldPasses.push_back(r->passes ? 1 : 0);
  std::vector<Record*> oldOrdered = ordered_, oldVisible = visible_;
  for (const auto& r : records_)
    r->passes = passes(r->data);
  rebuildOrder();
  rebuildVisible();
  std::vector<Row> calcs;
  try {
    calcs = computeVisibleCalcs(visible_);
  } catch (...) {
    for (size_t i = 0; i < records_.size(); ++i)
      records_[i]->passes = oldPasses[i] != 0;
    ordered_ = std::move(oldOrdered);
    visible_ = std::move(oldVisible);
    throw;
  }
  storeCalcs(visible_, calcs);
  const int position = current ? positionOf(current) : -1;
  cursor_ = position >= 0 ? position : (visible_.empty() ? -1 : 0);
  bof_ = position < 0 || visible_.empty();
  eof_ = visible_.empty();
  notifyLayout();
}

}  // namespace platform
