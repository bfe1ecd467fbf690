#pragma once

#include "tools/Installation.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// One demo installation, built on first use and shared by every benchmark. The program folder is
// local, as on a studio computer. With CUEPILOT_BENCH_SHARE=SOURCE:MOUNT (see slowshare-bench.sh)
// the data folder lies on a network drive in miniature: its files are made in SOURCE at local
// speed and the board reads them through MOUNT.
struct DemoInstallation {
    QString programFolder;
    QString dataFolder; // as the board names it
};

inline const DemoInstallation& demoInstallation() {
    static QTemporaryDir dir;
    static const DemoInstallation demo = [] {
        installation::Options o;
        o.programFolder = dir.path();
        o.dataFolder = dir.path() + QStringLiteral("/Data");
        o.setupPath = o.dataFolder;
        const QStringList share = qEnvironmentVariable("CUEPILOT_BENCH_SHARE").split(QLatin1Char(':'));
        if (share.size() == 2) {
            o.dataFolder = share[0] + QStringLiteral("/Data");
            o.setupPath = share[1] + QStringLiteral("/Data");
        }
        o.demo = true;
        installation::create(o);
        return DemoInstallation{o.programFolder, o.setupPath};
    }();
    return demo;
}

inline const QString& demoProgramFolder() { return demoInstallation().programFolder; }
