// Conversions between the core's UTF-8 text and Qt's strings, and the line breaks of the core's
// messages.
#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace gui {

inline QString Q(const std::string& text) { return QString::fromStdString(text); }
inline std::string S(const QString& text) { return text.toStdString(); }

QStringList ToStringList(const std::vector<std::string>& items);
std::vector<std::string> FromStringList(const QStringList& items);

// A message of the core with its "\r" line separators as Qt line breaks.
QString MessageText(const std::string& text);

}  // namespace gui
