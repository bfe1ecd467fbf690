#pragma once

#include "tools/Installation.h"

#include <QDir>
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

// With the data folder on the network drive in miniature, a program folder on it too (a studio
// that starts the program from the share), naming the same data folder; empty otherwise.
inline const QString& sharedProgramFolder() {
    static const QString path = [] {
        const QStringList share = qEnvironmentVariable("CUEPILOT_BENCH_SHARE").split(QLatin1Char(':'));
        if (share.size() != 2) return QString();
        installation::Options o;
        o.programFolder = share[0] + QStringLiteral("/Program");
        QDir().mkpath(o.programFolder);
        o.setupPath = demoInstallation().dataFolder;
        installation::create(o);
        return share[1] + QStringLiteral("/Program");
    }();
    return path;
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
