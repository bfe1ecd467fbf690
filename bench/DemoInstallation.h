#pragma once

#include "tools/Installation.h"

#include <QString>
#include <QTemporaryDir>

// The program folder of one demo installation, built on first use and shared by every benchmark.
inline const QString& demoProgramFolder() {
    static QTemporaryDir dir;
    static const QString path = [] {
        installation::Options o;
        o.programFolder = dir.path();
        o.dataFolder = dir.path() + QStringLiteral("/Data");
        o.demo = true;
        o.setupPath = o.dataFolder;
        installation::create(o);
        return dir.path();
    }();
    return path;
}
