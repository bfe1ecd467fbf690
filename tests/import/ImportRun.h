#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

// The importer run as a station runs it, with a short time limit per file.
struct ImportRun {
    int status;
    QString out, err;
};

inline ImportRun import(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(CUEPILOT_IMPORT_PROGRAM), QStringList{"--time-limit", "5"} + args);
    EXPECT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}
