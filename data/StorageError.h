#pragma once

#include <QString>
#include <stdexcept>

// A failure of the storage layer, carrying the engine's own words.
class StorageError : public std::runtime_error {
public:
    explicit StorageError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};
