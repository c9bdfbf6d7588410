#pragma once
// Texts between the core (std::string, UTF-8) and Qt's widgets (QString).

#include <QString>
#include <string>
#include <string_view>

namespace qsp {

// A core text as Qt shows it.
QString Q(std::string_view text);

// A text typed or shown in a widget, for the core.
std::string S(const QString& text);

}  // namespace qsp
