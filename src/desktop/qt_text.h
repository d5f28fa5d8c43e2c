// UTF-8 texts of the model to and from Qt strings.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace desktop {

inline QString qs(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string utf8(const QString& text) {
  return text.toStdString();
}

}  // namespace desktop
