#include "platform/ui/component.h"

#include <algorithm>

#include "platform/ui/form.h"

namespace platform::ui {

int Component::addObserver(Observer observer) {
  const int id = nextObserverId_++;
  observers_.emplace_back(id, std::move(observer));
  return id;
}

void Component::removeObserver(int id) {
  std::erase_if(observers_, [id](const auto& entry) { return entry.first == id; });
}

void Component::changed(Prop what) {
  if (!observers_.empty()) {
    // A copy, so an observer may add or remove observers while it runs.
    const auto observers = observers_;
    for (const auto& entry : observers)
      entry.second(*this, what);
  }
  owner_->notifyComponentObservers(*this, what);
}

}  // namespace platform::ui
