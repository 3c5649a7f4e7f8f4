// Conversions between the core's UTF-8 text and Qt's strings.
#include "dialogs/GuiText.h"

namespace gui {

QStringList ToStringList(const std::vector<std::string>& items) {
  QStringList out;
  out.reserve(static_cast<qsizetype>(items.size()));
  for (const std::string& item : items) out << Q(item);
  return out;
}

std::vector<std::string> FromStringList(const QStringList& items) {
  std::vector<std::string> out;
  out.reserve(static_cast<std::size_t>(items.size()));
  for (const QString& item : items) out.push_back(S(item));
  return out;
}

QString MessageText(const std::string& text) {
  QString out = Q(text);
  out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return out;
}

}  // namespace gui
