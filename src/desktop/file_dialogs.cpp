#include "desktop/file_dialogs.h"

#include <QFileDialog>

namespace desktop {

std::optional<SaveFileAnswer> QtFileDialogs::askSaveFile(const SaveFileRequest& request,
                                                         QWidget* parent) {
  QString filter = request.filters.value(0);
  const QString path =
      QFileDialog::getSaveFileName(parent, request.title, request.suggestedName,
                                   request.filters.join(QStringLiteral(";;")), &filter);
  if (path.isEmpty()) return std::nullopt;
  return SaveFileAnswer{path, filter};
}

}  // namespace desktop
