#pragma once

#include "tools/Installation.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>

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

inline const QString& demoProgramFolder() {
    return demoInstallation().programFolder;
}

// A database server holding a station's demo content (cuepilot-init --demo --server), readable by
// the station role: where CUEPILOT_BENCH_SERVER names one, the board benchmarks run on it as well.
inline QString benchServer() {
    const char* address = std::getenv("CUEPILOT_BENCH_SERVER");
    return address ? QString::fromLocal8Bit(address) : QString();
}

// A program folder whose setup record names the bench server as the data folder.
inline const QString& serverProgramFolder() {
    static QTemporaryDir dir;
    static const QString path = [] {
        installation::Options o;
        o.programFolder = dir.path();
        o.setupPath = benchServer();
        installation::create(o);
        return dir.path();
    }();
    return path;
}

// Benchmark argument 0: the content in files; 1: on the bench server.
inline void onEachEngine(benchmark::internal::Benchmark* b) {
    b->ArgName("server")->Arg(0);
    if (!benchServer().isEmpty()) b->Arg(1);
}
inline const QString& programFolderFor(const benchmark::State& state) {
    return state.range(0) ? serverProgramFolder() : demoProgramFolder();
}
