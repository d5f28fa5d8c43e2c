// Scripted doubles of the host's search list and clipboard, installed by TestHost.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/data_source.h"
#include "platform/search_filter.h"
#include "remote/host_services.h"

namespace screentest {

// Answers each search from a queue: choose the row with a code, choose the first row a typed
// text keeps on view (the dialogs' own filter rule), or cancel. An empty queue cancels.
class ScriptedSearch : public remote::SearchList {
 public:
  struct Shown {
    std::string caption;
    bool editable = false;
    bool filterAsTyped = false;
    std::vector<std::string> visibleFields;
    int rows = 0;
  };

  void chooseCode(std::string code) { answers_.push_back({Answer::Code, std::move(code)}); }
  void chooseTyped(std::string typed) { answers_.push_back({Answer::Typed, std::move(typed)}); }
  void cancel() { answers_.push_back({Answer::Cancel, {}}); }

  bool Pesquisar(platform::DataSource& source, const std::string& caption, bool editable,
                 bool filterAsTyped) override {
    platform::ClientDataSet& ds = *source.dataSet();
    Shown shown{caption, editable, filterAsTyped, {}, ds.active() ? ds.recordCount() : 0};
    for (const platform::Field* f : ds.fields())
      if (f->visible()) shown.visibleFields.push_back(f->name());
    shown_.push_back(shown);
    if (answers_.empty()) return false;
    const Answer answer = answers_.front();
    answers_.pop_front();
    if (answer.kind == Answer::Cancel || !ds.active()) return false;
    if (answer.kind == Answer::Code) return ds.locate("CDARVPROD", platform::Variant(answer.text));
    for (int row = 1; row <= ds.recordCount(); ++row) {
      bool keeps = false;
      ds.withDisplayRow(row, [&] {
        keeps = platform::searchMatches(answer.text, ds.fieldByName("CDARVPROD").asString(),
                                        ds.fieldByName("NMPRODUTO").asString());
      });
      if (keeps) {
        ds.setRecNo(row);
        return true;
      }
    }
    return false;
  }

  const std::vector<Shown>& shown() const { return shown_; }

 private:
  struct Answer {
    enum Kind { Cancel, Code, Typed } kind;
    std::string text;
  };
  std::deque<Answer> answers_;
  std::vector<Shown> shown_;
};

class TestClipboard : public remote::Clipboard {
 public:
  std::string text() const override { return text_; }
  void setText(const std::string& text) override { text_ = text; }

 private:
  std::string text_;
};

}  // namespace screentest
