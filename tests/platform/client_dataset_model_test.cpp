// Randomized test: drives a ClientDataSet and a plain std::vector model side by side and
// compares them after every step (visible rows, cursor, state, change log and delta).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "client_dataset_helpers.h"
#include "platform/client_dataset.h"

namespace platform {
namespace {

enum Col { kId, kKey, kText, kNum, kCols };
enum class MState { Browse, Edit, Insert };

struct MRec {
  int64_t bm = 0;
  Row data;
  int change = 0;  // 0 none, 1 inserted, 2 modified
  Row original;
  int64_t seq = 0;
  int64_t basePos = 0;
};

struct MDeleted {
  Row original;
  int64_t seq = 0;
  int64_t bm = 0;
  int64_t basePos = 0;
};

struct FilterCase {
  const char* text;
  std::function<bool(const Row&)> pass;
};

bool isNull(const Variant& v) {
  return v.isNull();
}

const std::vector<FilterCase>& filters() {
  static const std::vector<FilterCase> kFilters = {
      {"KEY >= 2", [](const Row& r) { return !isNull(r[kKey]) && r[kKey].toInt() >= 2; }},
      {"TXT = 'ab'", [](const Row& r) { return !isNull(r[kText]) && r[kText].toString() == "ab"; }},
      {"KEY = NULL", [](const Row& r) { return isNull(r[kKey]); }},
      {"NOT (NUM < 5) OR TXT <> 'b'",
       [](const Row& r) {
         const bool lt = !isNull(r[kNum]) && r[kNum].toDouble() < 5;
         const bool ne = !isNull(r[kText]) && r[kText].toString() != "b";
         return !lt || ne;
       }},
      {"", [](const Row&) { return true; }},
  };
  return kFilters;
}

// The trivially correct model of the dataset's contract.
class Model {
 public:
  std::vector<MRec> phys;
  std::vector<MDeleted> deleted;
  bool filtered = false;
  size_t filter = 4;
  bool indexed = false;
  int64_t current = 0;  // bookmark number of the current record, 0 none
  bool bof = true, eof = true;
  MState state = MState::Browse;
  Row buffer;
  int64_t insertBefore = 0;
  int insertRow = 0;
  int64_t nextBm = 1, nextSeq = 1;

  void load(const std::vector<Row>& rows) {
    phys.clear();
    deleted.clear();
    for (size_t i = 0; i < rows.size(); ++i) {
      MRec r;
      r.bm = static_cast<int64_t>(i) + 1;
      r.data = rows[i];
      r.basePos = static_cast<int64_t>(i);
      phys.push_back(r);
    }
    nextBm = static_cast<int64_t>(rows.size()) + 1;
    nextSeq = 1;
    state = MState::Browse;
    const auto v = visible();
    current = v.empty() ? 0 : v.front();
    bof = true;
    eof = v.empty();
  }

  MRec* find(int64_t bm) {
    for (MRec& r : phys) {
      if (r.bm == bm) return &r;
    }
    return nullptr;
  }

  std::vector<int64_t> ordered() const {
    std::vector<const MRec*> order;
    for (const MRec& r : phys)
      order.push_back(&r);
    if (indexed) {
      std::stable_sort(order.begin(), order.end(), [](const MRec* a, const MRec* b) {
        const bool an = isNull(a->data[kKey]), bn = isNull(b->data[kKey]);
        if (an || bn) return an && !bn;
        return a->data[kKey].toInt() < b->data[kKey].toInt();
      });
    }
    std::vector<int64_t> out;
    for (const MRec* r : order)
      out.push_back(r->bm);
    return out;
  }

  bool passes(const Row& data) const { return !filtered || filters()[filter].pass(data); }

  std::vector<int64_t> visible() const {
    std::vector<int64_t> out;
    for (int64_t bm : ordered()) {
      for (const MRec& r : phys) {
        if (r.bm == bm && passes(r.data)) out.push_back(bm);
      }
    }
    return out;
  }

  int cursor() const {
    const auto v = visible();
    const auto it = std::find(v.begin(), v.end(), current);
    return it == v.end() ? -1 : static_cast<int>(it - v.begin());
  }

  void place(int64_t bm) {
    const auto v = visible();
    const auto order = ordered();
    current = 0;
    if (std::find(v.begin(), v.end(), bm) != v.end()) {
      current = bm;
    } else {
      auto it = std::find(order.begin(), order.end(), bm);
      for (; it != order.end() && current == 0; ++it) {
        if (*it != bm && passes(find(*it)->data)) current = *it;
      }
      if (current == 0 && !v.empty()) current = v.back();
    }
    bof = eof = v.empty();
  }

  void post() {
    if (state == MState::Insert) {
      MRec r;
      r.bm = nextBm++;
      r.data = buffer;
      r.change = 1;
      r.seq = nextSeq++;
      auto at = phys.end();
      for (auto it = phys.begin(); it != phys.end(); ++it) {
        if (it->bm == insertBefore) at = it;
      }
      const int64_t bm = r.bm;
      phys.insert(at, r);
      state = MState::Browse;
      place(bm);
    } else if (state == MState::Edit) {
      MRec& r = *find(current);
      if (r.data != buffer) {
        if (r.change == 0) {
          r.change = 2;
          r.original = r.data;
          r.seq = nextSeq++;
        }
        r.data = buffer;
      }
      state = MState::Browse;
      place(r.bm);
    }
  }

  void moveTo(int target, bool b, bool e) {
    const auto v = visible();
    current = target < 0 ? 0 : v[static_cast<size_t>(target)];
    bof = b;
    eof = e;
  }

  int moveBy(int distance) {
    post();
    if (distance == 0 || (distance > 0 && eof) || (distance < 0 && bof)) return 0;
    const auto v = visible();
    const int n = static_cast<int>(v.size());
    if (n == 0) {
      bof = eof = true;
      return 0;
    }
    const int target = std::clamp(cursor() + distance, 0, n - 1);
    const int moved = target - cursor();
    const bool shortMove = moved != distance;
    moveTo(target, shortMove && distance < 0, shortMove && distance > 0);
    return moved;
  }

  void beginInsert(bool append) {
    post();
    buffer = Row(kCols, Variant::null());
    state = MState::Insert;
    const auto v = visible();
    if (append || current == 0) {
      insertBefore = 0;
      insertRow = static_cast<int>(v.size());
    } else {
      insertBefore = current;
      insertRow = cursor();
    }
  }

  void remove() {
    const int pos = cursor();
    MRec r = *find(current);
    if (r.change != 1) {
      deleted.push_back({r.change == 2 ? r.original : r.data, r.change == 2 ? r.seq : nextSeq++,
                         r.bm, r.basePos});
    }
    phys.erase(std::find_if(phys.begin(), phys.end(), [&](const MRec& m) { return m.bm == r.bm; }));
    state = MState::Browse;
    const auto v = visible();
    current = v.empty() ? 0 : v[static_cast<size_t>(std::min(pos, static_cast<int>(v.size()) - 1))];
    bof = eof = v.empty();
  }

  void setFilter(bool on, size_t which) {
    post();
    filtered = on;
    filter = which;
    const auto v = visible();
    current = v.empty() ? 0 : v.front();
    bof = true;
    eof = v.empty();
  }

  void setIndexed(bool on) {
    post();
    indexed = on;
    bof = eof = visible().empty();
  }

  void merge() {
    post();
    for (size_t i = 0; i < phys.size(); ++i) {
      phys[i].change = 0;
      phys[i].original.clear();
      phys[i].seq = 0;
      phys[i].basePos = static_cast<int64_t>(i);
    }
    deleted.clear();
  }

  void cancelUpdates() {
    state = MState::Browse;
    std::vector<MRec> restored;
    for (const MRec& r : phys) {
      if (r.change == 1) continue;
      MRec c = r;
      if (c.change == 2) c.data = c.original;
      c.change = 0;
      c.original.clear();
      c.seq = 0;
      restored.push_back(c);
    }
    for (const MDeleted& d : deleted) {
      MRec c;
      c.bm = d.bm;
      c.data = d.original;
      c.basePos = d.basePos;
      restored.push_back(c);
    }
    std::stable_sort(restored.begin(), restored.end(),
                     [](const MRec& a, const MRec& b) { return a.basePos < b.basePos; });
    phys = restored;
    deleted.clear();
    const auto v = visible();
    if (std::find(v.begin(), v.end(), current) != v.end()) {
      bof = eof = false;
    } else {
      current = v.empty() ? 0 : v.front();
      bof = true;
      eof = v.empty();
    }
  }

  DataPacket data(const std::vector<PacketField>& fields) const {
    DataPacket p;
    p.fields = fields;
    std::vector<std::pair<int64_t, Change>> changes;
    for (size_t i = 0; i < phys.size(); ++i) {
      p.rows.push_back(phys[i].data);
      if (phys[i].change == 1) {
        changes.push_back({phys[i].seq, {ChangeKind::Insert, static_cast<int>(i), {}}});
      } else if (phys[i].change == 2) {
        changes.push_back(
            {phys[i].seq, {ChangeKind::Modify, static_cast<int>(i), phys[i].original}});
      }
    }
    for (const MDeleted& d : deleted)
      changes.push_back({d.seq, {ChangeKind::Delete, -1, d.original}});
    std::sort(changes.begin(), changes.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& c : changes)
      p.changes.push_back(c.second);
    return p;
  }

  DataPacket delta(const std::vector<PacketField>& fields) const {
    const DataPacket all = data(fields);
    DataPacket p;
    p.fields = fields;
    for (Change c : all.changes) {
      if (c.row >= 0) {
        p.rows.push_back(all.rows[static_cast<size_t>(c.row)]);
        c.row = static_cast<int>(p.rows.size()) - 1;
      }
      p.changes.push_back(c);
    }
    return p;
  }
};

class ModelTest : public ::testing::TestWithParam<unsigned> {
 protected:
  void SetUp() override {
    rng_.seed(GetParam());
    ds_.addField("ID", FieldType::Integer);
    ds_.addField("KEY", FieldType::Integer);
    ds_.addField("TXT", FieldType::Text, 3);
    ds_.addField("NUM", FieldType::Float);
    ds_.addField("Twice", FieldType::Float, 0, FieldKind::Calculated);
    ds_.onCalcFields = [](ClientDataSet& d) {
      const Field& num = d.fieldByName("NUM");
      if (!num.isNull()) d.fieldByName("Twice").setAsFloat(num.asFloat() * 2);
    };
    std::vector<Row> rows;
    const int n = pick(0, 8);
    for (int i = 0; i < n; ++i)
      rows.push_back(randomRow(nextId_++));
    ds_.setData(testing::makePacket(fields_, rows));
    model_.load(rows);
  }

  int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

  Variant randomKey() { return pick(0, 5) == 0 ? Variant::null() : Variant(pick(0, 4)); }
  Variant randomText() {
    static const char* kTexts[] = {"a", "ab", "b", "abc"};
    return pick(0, 4) == 0 ? Variant::null() : Variant(kTexts[pick(0, 3)]);
  }
  Variant randomNum() { return pick(0, 5) == 0 ? Variant::null() : Variant(pick(0, 18) / 2.0); }
  Row randomRow(int id) { return {Variant(id), randomKey(), randomText(), randomNum()}; }

  // Assigns through the fields, as a screen would.
  void assign(int col, const Variant& v) {
    ds_.fields()[static_cast<size_t>(col)]->setValue(v);
    model_.buffer[static_cast<size_t>(col)] = v;
  }

  void step() {
    const int op = pick(0, 19);
    switch (op) {
      case 0:
        ds_.first();
        model_.post();
        model_.moveTo(model_.visible().empty() ? -1 : 0, true, model_.visible().empty());
        break;
      case 1: {
        ds_.last();
        model_.post();
        const int n = static_cast<int>(model_.visible().size());
        model_.moveTo(n - 1, n == 0, true);
        break;
      }
      case 2:
      case 3: {
        const int d = pick(-3, 3);
        EXPECT_EQ(ds_.moveBy(d), model_.moveBy(d));
        break;
      }
      case 4: {
        const int id = pick(1, nextId_);
        model_.post();
        const auto v = model_.visible();
        int found = -1;
        for (size_t i = 0; i < v.size() && found < 0; ++i) {
          if (model_.find(v[i])->data[kId] == Variant(id)) found = static_cast<int>(i);
        }
        EXPECT_EQ(ds_.locate("ID", Variant(id)), found >= 0);
        if (found >= 0) model_.moveTo(found, false, false);
        break;
      }
      case 5:
      case 6: {
        const bool append = op == 6;
        append ? ds_.append() : ds_.insert();
        model_.beginInsert(append);
        assign(kId, Variant(nextId_++));
        assign(kKey, randomKey());
        assign(kText, randomText());
        if (pick(0, 1)) assign(kNum, randomNum());
        break;
      }
      case 7:
      case 8:
        if (model_.state == MState::Browse && model_.current != 0) {
          ds_.edit();
          model_.state = MState::Edit;
          model_.buffer = model_.find(model_.current)->data;
        }
        if (model_.state != MState::Browse) {
          const int col = pick(kKey, kNum);
          assign(col, col == kKey ? randomKey() : col == kText ? randomText() : randomNum());
        }
        break;
      case 9:
      case 10:
        ds_.post();
        model_.post();
        break;
      case 11:
        ds_.cancel();
        model_.state = MState::Browse;
        break;
      case 12:
        if (model_.state == MState::Insert) {
          ds_.deleteRecord();
          model_.state = MState::Browse;
        } else if (model_.current != 0) {
          ds_.deleteRecord();
          model_.remove();
        }
        break;
      case 13: {
        const size_t which = static_cast<size_t>(pick(0, 4));
        const bool on = pick(0, 2) != 0;
        ds_.setFilter(filters()[which].text);
        // A new text re-applies only when filtering is on; the flag then switches.
        if (ds_.filtered()) model_.setFilter(true, which);
        model_.filter = which;
        if (on != ds_.filtered()) {
          ds_.setFiltered(on);
          model_.setFilter(on, which);
        }
        break;
      }
      case 14: {
        const bool on = !model_.indexed;
        ds_.setIndexFieldNames(on ? "KEY" : "");
        model_.setIndexed(on);
        break;
      }
      case 15:
        ds_.mergeChangeLog();
        model_.merge();
        break;
      case 16:
        ds_.cancelUpdates();
        model_.cancelUpdates();
        break;
      case 17:
        if (model_.state != MState::Insert && model_.current != 0) {
          bookmarks_.push_back({ds_.getBookmark(), model_.current});
        }
        break;
      case 18:
        if (!bookmarks_.empty()) {
          const auto& [bookmark, bm] =
              bookmarks_[static_cast<size_t>(pick(0, static_cast<int>(bookmarks_.size()) - 1))];
          const auto v = model_.visible();
          const bool valid = std::find(v.begin(), v.end(), bm) != v.end();
          ASSERT_EQ(ds_.bookmarkValid(bookmark), valid);
          if (valid && model_.state == MState::Browse) {
            ds_.gotoBookmark(bookmark);
            const auto now = model_.visible();
            model_.moveTo(static_cast<int>(std::find(now.begin(), now.end(), bm) - now.begin()),
                          false, false);
          }
        }
        break;
      case 19:
        if (model_.state == MState::Browse && model_.current != 0) {
          // An edit that changes nothing logs nothing.
          ds_.edit();
          ds_.post();
          model_.state = MState::Edit;
          model_.buffer = model_.find(model_.current)->data;
          model_.post();
        }
        break;
    }
  }

  void compare(int stepNumber) {
    SCOPED_TRACE("step " + std::to_string(stepNumber));
    const MState expected = model_.state;
    const DataSetState state = ds_.state();
    ASSERT_EQ(state, expected == MState::Browse ? DataSetState::Browse
                     : expected == MState::Edit ? DataSetState::Edit
                                                : DataSetState::Insert);
    const auto v = model_.visible();
    ASSERT_EQ(ds_.recordCount(), static_cast<int>(v.size()));
    ASSERT_EQ(ds_.bof(), model_.bof);
    ASSERT_EQ(ds_.eof(), model_.eof);
    ASSERT_EQ(ds_.recNo(), expected == MState::Insert ? model_.insertRow + 1 : model_.cursor() + 1);

    std::vector<Row> expectedRows;
    for (int64_t bm : v)
      expectedRows.push_back(model_.find(bm)->data);
    if (expected == MState::Edit)
      expectedRows[static_cast<size_t>(model_.cursor())] = model_.buffer;
    if (expected == MState::Insert) {
      expectedRows.insert(expectedRows.begin() + model_.insertRow, model_.buffer);
    }
    ASSERT_EQ(ds_.displayRowCount(), static_cast<int>(expectedRows.size()));
    for (size_t i = 0; i < expectedRows.size(); ++i) {
      ds_.withDisplayRow(static_cast<int>(i) + 1, [&] {
        for (int c = 0; c < kCols; ++c) {
          ASSERT_EQ(ds_.fields()[static_cast<size_t>(c)]->value(),
                    expectedRows[i][static_cast<size_t>(c)])
              << "row " << i << " col " << c;
        }
        const Variant& num = expectedRows[i][kNum];
        const Variant twice = num.isNull() ? Variant::null() : Variant(num.toDouble() * 2);
        ASSERT_EQ(ds_.fieldByName("Twice").value(), twice) << "row " << i;
      });
    }
    if (expected != MState::Browse) {
      for (int c = 0; c < kCols; ++c) {
        ASSERT_EQ(ds_.fields()[static_cast<size_t>(c)]->value(),
                  model_.buffer[static_cast<size_t>(c)]);
      }
    } else if (model_.current != 0) {
      ASSERT_EQ(ds_.fieldByName("ID").value(), model_.find(model_.current)->data[kId]);
    }
    ASSERT_EQ(ds_.delta(), model_.delta(fields_));
    ASSERT_EQ(ds_.changeCount(), static_cast<int>(model_.delta(fields_).changes.size()));
    if (stepNumber % 10 == 0) {
      ASSERT_EQ(ds_.data(), model_.data(fields_));
    }
  }

  std::mt19937 rng_;
  ClientDataSet ds_{"model"};
  Model model_;
  int nextId_ = 1;
  std::vector<std::pair<Bookmark, int64_t>> bookmarks_;
  const std::vector<PacketField> fields_ = {{"ID", FieldType::Integer, 0},
                                            {"KEY", FieldType::Integer, 0},
                                            {"TXT", FieldType::Text, 3},
                                            {"NUM", FieldType::Float, 0}};
};

TEST_P(ModelTest, MatchesModelStepByStep) {
  for (int i = 0; i < 400; ++i) {
    step();
    if (HasFatalFailure()) return;
    compare(i);
    if (HasFatalFailure()) return;
  }
  // The change log survives a round trip through a packet, and so does cancelling it.
  ds_.post();
  ClientDataSet copy;
  copy.setData(ds_.data());
  EXPECT_EQ(copy.delta(), ds_.delta());
  copy.cancelUpdates();
  ds_.cancelUpdates();
  const auto byId = [](DataPacket p) {
    std::sort(p.rows.begin(), p.rows.end(),
              [](const Row& a, const Row& b) { return a[kId].toInt() < b[kId].toInt(); });
    return p.rows;
  };
  EXPECT_EQ(byId(copy.data()), byId(ds_.data()));
}

INSTANTIATE_TEST_SUITE_P(Seeds, ModelTest, ::testing::Range(1u, 41u));

}  // namespace
}  // namespace platform
