// ClientDataSet: an in-memory table of typed records with a cursor, calculated fields, a filter,
// an index order, a change log and before/after events.
//
// Records and order. Records are kept in their physical order (as loaded; insert() places a new
// record before the current one, append() at the end). The index order (indexFieldNames or a
// named index) sorts them by key, records with equal keys keeping their physical order. The
// visible records are those of the index order that pass the filter; recordCount(), recNo(),
// the cursor, locate and lookup see only them.
//
// Cursor. The current record is one of the visible records (none when there are none). BOF/EOF
// say that a move tried to go before the first / after the last record:
//
//   ds.setData(packet);      // 3 visible records A B C: on A, bof() true, eof() false
//   ds.next();               // on B: bof() false, eof() false
//   ds.last();               // on C: eof() true
//   ds.next();               // stays on C, eof() true, no scroll events
//   ds.moveBy(-5);           // on A (moved 2), bof() true
//   while (!ds.eof()) {      // the usual walk over the visible records
//     total += ds.fieldByName("QTDE").asFloat();
//     ds.next();
//   }
//
// Events. Each operation raises its events in the order given on it. A Before handler refuses
// the operation by throwing (usually platform::Abort): the exception propagates and the dataset
// is exactly as before. An exception from an After handler propagates after the operation has
// completed. Handlers may use the dataset, except that nothing may move or change a dataset
// while it computes its calculated fields (DataSetError "Dataset is computing calculated
// fields").
//
// Calculated fields are computed eagerly by onCalcFields, once per visible record, whenever the
// visible set or the data changes: on load, filter or index change, delete, merge, cancelUpdates,
// refresh() and resync() for every visible record; on post and cancel for that record; when a
// record enters Insert state and each time one of its data fields is assigned in Edit/Insert
// state for the edited record. Reading never runs the handler. During the handler the state is
// CalcFields, every read of this dataset's fields sees the record being computed, and its
// calculated fields start Null. An exception from the handler undoes the operation that ran it.
//
// Change log. Every posted insert and modification and every delete is logged with the values
// the record had when loaded or last merged: an insert later modified stays one insert, an
// insert later deleted disappears, a modification keeps the first original values. Posting an
// edit that changed nothing logs nothing. delta() and data() carry the log; cancelUpdates()
// restores the records as loaded or last merged; mergeChangeLog() makes the changes permanent.
//
// Observers (grids, data sources) are told about moves and data changes (dataChanged), state
// changes (stateChanged) and anything else (layoutChanged: re-read everything). While controls
// are disabled they are told nothing; enableControls() back at depth zero sends one
// layoutChanged (after a stateChanged when the state differs from when they were disabled).
// Events (the std::function members) are raised whether or not controls are disabled.
//
// Errors are exceptions with clear texts; after an error nothing has changed.
// Not thread-safe: one thread uses a dataset and the datasets its handlers reach.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/data_packet.h"
#include "platform/field.h"
#include "platform/filter.h"
#include "platform/variant.h"

namespace platform {

enum class DataSetState { Inactive, Browse, Edit, Insert, CalcFields };

const char* stateName(DataSetState state);  // "inactive", "browse", "edit", "insert", "calc"

struct LocateOptions {
  bool caseInsensitive = false;  // text fields: letters match regardless of case
  bool partialKey = false;       // text fields: the field's value starts with the key
};

// A position marker: names one record of the dataset that made it. Records are numbered in the
// order they were loaded, so a bookmark also finds the record in the same place of a reloaded
// packet. Appended and inserted records get new numbers.
class Bookmark {
 public:
  Bookmark() = default;
  bool isNull() const { return id_ == 0; }
  bool operator==(const Bookmark&) const = default;

 private:
  friend class ClientDataSet;
  Bookmark(const void* owner, int64_t id) : owner_(owner), id_(id) {}
  const void* owner_ = nullptr;
  int64_t id_ = 0;
};

class ClientDataSet;

class DataSetObserver {
 public:
  virtual ~DataSetObserver() = default;
  // The cursor moved (field null), or `field` of the active record changed.
  virtual void dataChanged(ClientDataSet& dataSet, const Field* field) {
    (void)dataSet;
    (void)field;
  }
  virtual void stateChanged(ClientDataSet& dataSet) { (void)dataSet; }
  // Records were loaded, added, removed, reordered or refiltered: re-read everything.
  virtual void layoutChanged(ClientDataSet& dataSet) { (void)dataSet; }
  // The dataset is being destroyed; forget it (do not call removeObserver).
  virtual void dataSetDestroyed(ClientDataSet& dataSet) { (void)dataSet; }
};

class ClientDataSet {
 public:
  using Event = std::function<void(ClientDataSet&)>;

  explicit ClientDataSet(std::string name = {});
  ~ClientDataSet();  // tells the observers dataSetDestroyed
  ClientDataSet(const ClientDataSet&) = delete;
  ClientDataSet& operator=(const ClientDataSet&) = delete;

  const std::string& name() const { return name_; }

  // --- Field definitions ---
  // Adds a field definition. REQUIRES: inactive (else DataSetError), a name not yet used
  // (case-insensitive; else DataSetError "Duplicate field name 'X'"). The returned field lives
  // as long as the dataset.
  Field& addField(std::string name, FieldType type, int size = 0, FieldKind kind = FieldKind::Data);
  // Removes every field. REQUIRES: inactive.
  void clearFields();
  // The fields in order: definitions, then fields added by loading packets. A field a later
  // packet drops stays alive (index() -1, reads throw) and comes back, with its
  // properties, when a packet brings it again.
  const std::vector<Field*>& fields() const { return fields_; }
  int fieldCount() const { return static_cast<int>(fields_.size()); }
  // Case-insensitive; nullptr when absent.
  Field* findField(std::string_view name) const;
  // ERRORS: DataSetError "Field 'X' not found".
  Field& fieldByName(std::string_view name) const;

  // --- Events (see each operation for the order) ---
  Event beforeOpen, afterOpen, beforeClose, afterClose;
  Event beforeScroll, afterScroll;
  Event beforeInsert, onNewRecord, afterInsert;
  Event beforeEdit, afterEdit, beforePost, afterPost, beforeCancel, afterCancel;
  Event beforeDelete, afterDelete;
  Event onCalcFields;

  // --- Opening and closing ---
  // Opens empty with the defined fields. REQUIRES: inactive (else DataSetError "Cannot perform
  // this operation on an open dataset") and at least one field.
  // EVENTS: beforeOpen, afterOpen, afterScroll.
  void createDataSet();
  // Replaces the whole content with a packet (rows and change log), closed or open; a pending
  // edit is dropped. Packet fields are matched to the fields by name: packet fields without a
  // field are added as data fields, fields absent from the packet stay Null, fields added by an
  // earlier packet and absent from this one are dropped. Records get bookmark numbers 1..n in
  // packet order. The cursor is on the first visible record (bof() true).
  // EVENTS: beforeOpen, afterOpen, afterScroll.
  // ERRORS: PacketError for an invalid packet, a field of another type (Integer may load into
  // Float, Text and FixedText into each other), a packet field named like a calculated field,
  // or a text longer than its field's size; FilterError when the filter does not fit the new
  // fields. The dataset is then unchanged.
  void setData(const DataPacket& packet);
  void setData(DataPacket&& packet);
  // JSON text of a packet (decodePacket).
  void setData(std::string_view json);
  void setData(const char* json) { setData(std::string_view(json)); }
  void setData(const std::string& json) { setData(std::string_view(json)); }
  // A packet Variant. ERRORS: ConversionError when it holds no packet (a text result is the
  // server's error message: check it before loading).
  void setData(const Variant& packet);
  // Drops the records, the change log and any pending edit; keeps the fields.
  // EVENTS: beforeClose, afterClose. Nothing happens when already inactive.
  void close();
  bool active() const { return state_ != DataSetState::Inactive; }
  // Removes every record and forgets the change log, as if just created; a pending edit is
  // posted first. REQUIRES: active. Raises no record events.
  void emptyDataSet();

  DataSetState state() const;

  // --- Cursor: moves REQUIRE active (else DataSetError); queries answer as for an empty
  // dataset while inactive ---
  bool bof() const { return bof_; }
  bool eof() const { return eof_; }
  bool isEmpty() const { return visible_.empty(); }
  int recordCount() const { return static_cast<int>(visible_.size()); }
  // 1-based position of the current record among the visible records; 0 when there is none.
  // In Insert state, the position the new record is shown at.
  int recNo() const;
  // Moves to visible record `recNo`. ERRORS: DataSetError when outside 1..recordCount().
  void setRecNo(int recNo);
  // Moves. Each first posts a pending edit (its beforePost may refuse: then nothing moves);
  // when the current record changes they raise beforeScroll, then afterScroll.
  void first();  // bof() true
  void last();   // eof() true
  void next();   // from the last record: eof() true, no move
  void prior();  // from the first record: bof() true, no move
  // Moves up to |distance| records; returns the number moved (negative backwards). Running
  // into an end sets eof()/bof().
  int moveBy(int distance);
  // Moves to the first visible record (index order) whose fields `fieldNames` ("A;B") equal
  // `values` (one Variant for one field, an array for several). Returns false, not moving, when
  // none matches. Options apply to text fields; a Null value matches a Null field. Posts first;
  // scroll events when the record changes.
  // ERRORS: DataSetError for an unknown field or a count mismatch; ConversionError when a value
  // does not convert to its field's type.
  bool locate(std::string_view fieldNames, const Variant& values, LocateOptions options = {});
  // The value of `resultFields` ("X", or "X;Y" for an array) in the first visible record whose
  // `keyFields` equal `keyValues` exactly; Null when none. Does not move, post or raise events.
  Variant lookup(std::string_view keyFields, const Variant& keyValues,
                 std::string_view resultFields) const;

  // Bookmarks: the current record (null bookmark when none).
  Bookmark getBookmark() const;
  // Moves to the bookmarked record, with scroll events when it changes. Posts first.
  // ERRORS: DataSetError "Record not found" when the record is gone or not visible.
  void gotoBookmark(const Bookmark& bookmark);
  // Whether gotoBookmark would find the record.
  bool bookmarkValid(const Bookmark& bookmark) const;
  void freeBookmark(Bookmark& bookmark) { bookmark = Bookmark(); }

  // --- Filter and index order ---
  const std::string& filter() const { return filterText_; }
  // Replaces the filter text. When active and filtered it is applied: a pending edit is posted,
  // then beforeScroll, the cursor goes to the first visible record, afterScroll.
  // ERRORS: FilterError for a bad expression (checked against the fields when they are known);
  // the old filter stays.
  void setFilter(std::string_view text);
  bool filtered() const { return filtered_; }
  // Switches filtering on or off (nothing when unchanged); applied as setFilter says.
  void setFiltered(bool filtered);
  const std::string& indexFieldNames() const { return indexFieldNames_; }
  // Orders the records by the fields "A;B" (ascending; Null first; text byte-wise); empty:
  // physical order. Keeps the current record (no scroll events); a pending edit is posted.
  // ERRORS: DataSetError for an unknown or calculated field; nothing changes.
  void setIndexFieldNames(std::string_view fieldNames);
  // Named indexes: addIndex defines one, setIndexName selects it ("" for none). Selecting one
  // replaces indexFieldNames and the other way round.
  void addIndex(std::string name, std::string fieldNames);
  const std::string& indexName() const { return indexName_; }
  // ERRORS: DataSetError "Index 'X' not found".
  void setIndexName(std::string_view name);

  // --- Editing (all REQUIRE active) ---
  // Starts a new record before the current one (insert) or after the last (append), all fields
  // Null; a pending edit is posted first. The new record is in the visible list only after post.
  // EVENTS: beforeInsert, onNewRecord, afterInsert. An exception from onNewRecord drops the new
  // record and propagates.
  void insert();
  void append();
  // Starts editing the current record (an empty dataset starts an insert instead). Nothing when
  // already in Edit or Insert state. EVENTS: beforeEdit, afterEdit.
  void edit();
  // Stores the edited record: required fields checked (DataSetError "Field 'X' must have a
  // value"), change logged, the record placed in index order; the cursor stays on it, or when the
  // filter hides it, goes to the visible record after it (else the last). Nothing in Browse
  // state. EVENTS: beforePost, afterPost. On error the record stays in Edit/Insert state.
  void post();
  // Drops the pending edit or insert. Nothing in Browse state. EVENTS: beforeCancel, afterCancel.
  void cancel();
  // Deletes the current record (a pending edit of it is dropped); in Insert state it cancels.
  // The cursor goes to the next record, else the new last one.
  // EVENTS: beforeDelete, afterDelete. ERRORS: DataSetError on an empty dataset.
  void deleteRecord();

  // --- Change log ---
  // Every record (physical order) with the change log. A pending edit is not included.
  DataPacket data() const;
  // The change log only: rows of the inserted and modified records, in the order the changes
  // were made, each change pointing at its row; deletes carry the original values.
  DataPacket delta() const;
  int changeCount() const;
  // Makes the logged changes the loaded state; a pending edit is posted first.
  void mergeChangeLog();
  // Drops a pending edit (with its cancel events), then undoes every logged change: inserted
  // records removed, modified ones restored, deleted ones back in their places. The cursor stays
  // on its record when that survives, else goes to the first one.
  void cancelUpdates();

  // --- Controls and observers ---
  void disableControls();
  // ERRORS: none; an enable without a matching disable does nothing.
  void enableControls();
  bool controlsDisabled() const { return disableDepth_ > 0; }
  // REQUIRES: the observer outlives its registration (or is told dataSetDestroyed first).
  void addObserver(DataSetObserver* observer);
  void removeObserver(DataSetObserver* observer);
  // Re-applies index and filter to every record, recomputes the calculated fields of the visible
  // ones and tells observers layoutChanged. The cursor stays on its record when still visible,
  // else goes to the first. A pending edit is posted first.
  void refresh();
  // Recomputes the calculated fields of the visible records and tells observers layoutChanged.
  void resync();

  // --- Display rows (for grids) ---
  // The rows a grid shows: the visible records plus, in Insert state, the new record at recNo().
  int displayRowCount() const;
  // Runs `body` with every field read seeing display row `row` (1-based); the cursor does not
  // move and no event is raised. Nested calls are allowed; moving or changing the dataset inside
  // `body` raises DataSetError.
  // ERRORS: DataSetError when `row` is outside 1..displayRowCount().
  void withDisplayRow(int row, const std::function<void()>& body);

 private:
  friend class Field;
  struct Record;
  struct Deleted;

  // Field access for Field.
  const Variant& readSlot(const Field& field) const;
  void writeField(Field& field, Variant value);

  void checkActive() const;
  void checkNotComputing() const;
  void checkBrowseMode();  // posts a pending edit
  void fire(const Event& event);
  void notifyData(const Field* field);
  void notifyState();
  void notifyLayout();

  void reindexFields();
  std::vector<int> resolveFieldList(std::string_view names, bool allowCalculated) const;
  Record* currentRecord() const;
  int positionOf(const Record* record) const;
  bool recordLess(const Record* a, const Record* b) const;
  void renumberPhysical();
  void rebuildOrder();
  void rebuildVisible();
  bool passes(const Row& data) const;
  // The cursor on `record`, or when it is not visible on the visible record after it in index
  // order, else the last; bof/eof cleared unless nothing is visible.
  void placeCursor(const Record* record);
  FieldType slotType(int slot) const;
  void updateIndexTypes();
  CompiledFilter bindFilter(const FilterExpression& expression) const;
  std::string activeIndexFields() const;

  Row computeCalc(const Row& data);
  std::vector<Row> computeVisibleCalcs(const std::vector<Record*>& records);
  void storeCalcs(const std::vector<Record*>& records, std::vector<Row>& calcs);
  void recalcEditBuffer();

  void loadPacket(DataPacket&& packet);
  void moveTo(int target, bool bof, bool eof);
  void applyFilter(std::string text, FilterExpression expression, bool filtered);
  void applyIndex(std::vector<int> keys, std::string fieldNames, std::string indexName);
  void beginInsert(bool append);
  bool recordMatches(const Record& record, const std::vector<int>& fields,
                     const std::vector<Variant>& keys, LocateOptions options) const;
  std::vector<Variant> locateKeys(const std::vector<int>& fields, const Variant& values) const;

  std::string name_;
  std::vector<std::unique_ptr<Field>> fieldPool_;  // every field ever made, also dropped ones
  std::vector<Field*> fields_;
  int dataCount_ = 0;
  int calcCount_ = 0;

  DataSetState state_ = DataSetState::Inactive;
  std::vector<std::unique_ptr<Record>> records_;  // physical order
  std::vector<Record*> ordered_;                  // index order
  std::vector<Record*> visible_;                  // index order, filter applied
  std::vector<Deleted> deleted_;
  int cursor_ = -1;  // into visible_
  bool bof_ = true;
  bool eof_ = true;
  int64_t nextId_ = 1;
  int64_t nextSeq_ = 1;

  // Edit/Insert buffer.
  Row editData_;
  Row editCalc_;
  Record* editRecord_ = nullptr;    // Edit: the record being edited
  Record* insertBefore_ = nullptr;  // Insert: physical successor (null: at the end)
  int insertRow_ = 0;               // Insert: 0-based display row of the new record

  // What reads see, when not the current record or edit buffer.
  struct View {
    const Row* data;
    const Row* calc;
  };
  const View* calcView_ = nullptr;  // the record being computed
  Row* calcTarget_ = nullptr;       // its calculated values, written by the handler
  const View* rowView_ = nullptr;   // withDisplayRow

  std::string filterText_;
  FilterExpression filterExpr_;
  CompiledFilter filter_;
  bool filtered_ = false;

  std::string indexFieldNames_;
  std::string indexName_;
  std::vector<int> indexKeys_;  // data slots
  std::vector<FieldType> indexTypes_;
  std::vector<std::pair<std::string, std::string>> indexes_;

  int disableDepth_ = 0;
  DataSetState stateWhenDisabled_ = DataSetState::Inactive;
  std::vector<DataSetObserver*> observers_;
};

}  // namespace platform
