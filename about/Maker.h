#pragma once

#include <QString>

// The maker's details, kept in one place so the about box and the board's help message never
// drift apart.
namespace maker {

inline const QString kProductName = QStringLiteral("Cuepilot");
inline const QString kVersion = QStringLiteral("3.1");
inline const QString kWebSite = QStringLiteral("https://www.cuepilot.example");
inline const QString kSupportMail = QStringLiteral("support@cuepilot.example");

// The text of the board's help message box.
inline QString helpMessage() {
    return QStringLiteral("Please visit our web site for any help you may need. ") + kWebSite;
}

} // namespace maker
