#include "host/console_search.h"

#include <ostream>

#include "platform/data_source.h"
#include "platform/search_filter.h"

namespace host {

bool ConsoleSearchList::Pesquisar(platform::DataSource& source, const std::string& caption, bool,
                                  bool) {
  ++searches_;
  if (log_ != nullptr) {
    const platform::ClientDataSet* ds = source.dataSet();
    const int rows = ds != nullptr && ds->active() ? ds->recordCount() : 0;
    *log_ << "Pesquisa: " << platform::splitSearchCaption(caption).title << " (" << rows
          << " linhas)\n";
  }
  return false;
}

}  // namespace host
