// The host's file dialogs: where the user wants a file saved. Qt implements them; tests answer
// from a script.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace desktop {

struct SaveFileRequest {
  QString title;
  QString suggestedName;  // file name offered, with its extension
  QStringList filters;    // "Planilha do Excel (*.xlsx)", the first one chosen at first
};

struct SaveFileAnswer {
  QString path;
  QString filter;  // the filter chosen, one of the request's
};

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // The file chosen, or nothing when the user cancelled.
  virtual std::optional<SaveFileAnswer> askSaveFile(const SaveFileRequest& request,
                                                    QWidget* parent) = 0;
};

// The platform's save dialog, modal over `parent`.
class QtFileDialogs : public FileDialogs {
 public:
  std::optional<SaveFileAnswer> askSaveFile(const SaveFileRequest& request,
                                            QWidget* parent) override;
};

}  // namespace desktop
