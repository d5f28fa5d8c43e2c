// The search list and the clipboard of the headless host: nobody is there to choose a row, so
// the search chooses nothing (and says what it would have listed), and the clipboard is a text
// kept in memory.
#pragma once

#include <iosfwd>
#include <string>

#include "remote/host_services.h"

namespace host {

class ConsoleSearchList : public remote::SearchList {
 public:
  // `log` null: silent. Otherwise each search writes "Pesquisa: <title> (<n> linhas)" there.
  explicit ConsoleSearchList(std::ostream* log = nullptr) : log_(log) {}
  // Guarantees: false, the data source's cursor untouched.
  bool Pesquisar(platform::DataSource& source, const std::string& caption, bool editable,
                 bool filterAsTyped) override;
  int searches() const { return searches_; }

 private:
  std::ostream* log_;
  int searches_ = 0;
};

class MemoryClipboard : public remote::Clipboard {
 public:
  std::string text() const override { return text_; }
  void setText(const std::string& text) override { text_ = text; }

 private:
  std::string text_;
};

}  // namespace host
