#pragma once

#include "tools/Installation.h"

#include <QString>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>

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
