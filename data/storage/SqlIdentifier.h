#pragma once

#include <QString>

// A table or field name as SQL text: in double quotes, inner quotes doubled. Both engines take
// names this way, so "12am" and "Monday.mdb" stay names.
inline QString quotedIdentifier(const QString& identifier) {
    QString q = identifier;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}
