#include "data/catalogue/Catalogue.h"
#include "data/rescue/KeptEdits.h"
#include "tests/support/RawConnection.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

// Two presenters of one station's group on a shared data folder, as real accounts: whoever made the
// files, the other one's saves are stored. Accounts can only be made by root.
namespace {

const QString kGroup = QStringLiteral("cuepilot-station");
const QString kFirst = QStringLiteral("cuepilot-presenter1");
const QString kSecond = QStringLiteral("cuepilot-presenter2");

bool run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

class GroupFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "accounts of a station's group can only be made by root";
        // Another test of this suite, run beside this one, may be making them at the same moment (and
        // holding the account files' lock): what counts is that they are there.
        const auto made = [] {
            return ::getgrnam(kGroup.toLocal8Bit().constData()) &&
                   ::getpwnam(kFirst.toLocal8Bit().constData()) &&
                   ::getpwnam(kSecond.toLocal8Bit().constData());
        };
        for (int attempt = 0; attempt < 10 && !made(); ++attempt) {
            run("groupadd", {"-f", kGroup});
            for (const QString& user : {kFirst, kSecond})
                if (!::getpwnam(user.toLocal8Bit().constData()))
                    run("useradd",
                        {"--system", "--no-create-home", "--shell", "/usr/sbin/nologin", "-G", kGroup, user});
            if (!made()) QThread::msleep(200);
        }
        ASSERT_TRUE(made());
        gid_ = ::getgrnam(kGroup.toLocal8Bit().constData())->gr_gid;
        ASSERT_EQ(::chmod(QFile::encodeName(dir_.path()).constData(), 0755), 0);
    }

    // A folder of the station as its engineer makes it: the group's, setgid, writable for the group.
    QString sharedFolder(const QString& name) const {
        const QString folder = dir_.path() + "/" + name;
        const QByteArray f = QFile::encodeName(folder);
        EXPECT_TRUE(QDir().mkpath(folder));
        EXPECT_EQ(::chown(f.constData(), 0, gid_), 0);
        EXPECT_EQ(::chmod(f.constData(), 02775), 0);
        return folder;
    }
    QString ownedFolder(const QString& name, const QString& user) const {
        const QString folder = dir_.path() + "/" + name;
        const struct passwd* pw = ::getpwnam(user.toLocal8Bit().constData());
        EXPECT_TRUE(QDir().mkpath(folder));
        EXPECT_EQ(::chown(QFile::encodeName(folder).constData(), pw->pw_uid, pw->pw_gid), 0);
        return folder;
    }

    // The program started as the presenter, with the presenter's groups and the usual umask.
    static std::unique_ptr<QProcess> as(const QString& user, const QString& program,
                                        const QStringList& args) {
        const struct passwd* pw = ::getpwnam(user.toLocal8Bit().constData());
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->setWorkingDirectory("/");
        p->start("setpriv", QStringList{"--reuid=" + QString::number(pw->pw_uid),
                                        "--regid=" + QString::number(pw->pw_gid), "--init-groups", "--", "sh",
                                        "-c", "umask 022; exec \"$0\" \"$@\"", program} +
                                args);
        EXPECT_TRUE(p->waitForStarted());
        return p;
    }
    static QString initAs(const QString& user, const QStringList& args) {
        auto p = as(user, CUEPILOT_INIT_PROGRAM, args);
        EXPECT_TRUE(p->waitForFinished(60000));
        EXPECT_EQ(p->exitCode(), 0);
        return QString::fromLocal8Bit(p->readAllStandardOutput());
    }
    // The presenter types into midnight's first slot of Monday.mdb and the board is closed.
    static void typeAs(const QString& user, const QString& store, const QString& monday,
                       const QString& text) {
        auto board =
            as(user, CUEPILOT_TYPING_BOARD, {store, monday, "12am", catalogue::slotFields().front(), text});
        ASSERT_TRUE(board->waitForReadyRead(20000));
        EXPECT_EQ(board->readLine().trimmed(), "typed");
        ::kill(pid_t(board->processId()), SIGTERM);
        EXPECT_TRUE(board->waitForFinished(20000));
    }
    static std::string storedSlot(const QString& monday) {
        RawConnection db(monday);
        return db.text("SELECT \"" + catalogue::slotFields().front().toStdString() +
                       "\" FROM \"12am\" LIMIT 1");
    }

    QTemporaryDir dir_;
    gid_t gid_ = 0;
};

TEST_F(GroupFolder, WhatOnePresenterMakesTheOtherCanSave) {
    const QString program = sharedFolder("program");
    const QString data = program + "/Data"; // made by the tool itself, inside the shared folder
    const QString made = initAs(kFirst, {"--demo", program, data});
    EXPECT_TRUE(made.contains("Aired.mdb")) << made.toStdString();

    int files = 0;
    for (QDirIterator it(program, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
         it.hasNext();) {
        const QString path = it.next();
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
        EXPECT_EQ(st.st_gid, gid_) << path.toStdString();
        EXPECT_TRUE(st.st_mode & S_IWGRP) << path.toStdString();
        if (S_ISDIR(st.st_mode)) {
            EXPECT_TRUE(st.st_mode & S_ISGID) << path.toStdString();
        }
        ++files;
    }
    EXPECT_GE(files, 40); // the data folder, 37 content files, the two setup files and Aired.mdb

    // Each saves in turn into the same file: the journal one makes never stops the other.
    const QString monday = data + "/Monday.mdb";
    typeAs(kSecond, ownedFolder("kept2", kSecond), monday, "said by the second presenter");
    EXPECT_EQ(storedSlot(monday), "said by the second presenter");
    typeAs(kFirst, ownedFolder("kept1", kFirst), monday, "and then by the first");
    EXPECT_EQ(storedSlot(monday), "and then by the first");
}

TEST_F(GroupFolder, ASaveRefusedForRightsSaysSoAndWaitsForAPerson) {
    const QString program = ownedFolder("own", kFirst); // a presenter's own folder, not the group's
    initAs(kFirst, {program, program + "/Data"});
    const QString store = ownedFolder("kept2", kSecond);
    typeAs(kSecond, store, program + "/Data/Monday.mdb", "refused text");

    const std::unique_ptr<KeptEdits> kept = KeptEdits::forThisProcess(store);
    ASSERT_TRUE(kept->writtenWithin(5000));
    ASSERT_EQ(kept->edits().size(), 1);
    const KeptEdit& edit = kept->edits().front();
    EXPECT_EQ(edit.fields.values(), QStringList{"refused text"});
    EXPECT_EQ(edit.reason, QStringLiteral("Monday.mdb in %1/Data is not writable for %2: ask the station's "
                                          "engineer to make the data folder writable for the group.")
                               .arg(program, kSecond));
    // Kept for a person: no round of retries takes it as a share that will be back.
    EXPECT_TRUE(edit.conflict && edit.refused);
    EXPECT_FALSE(kept->hasRetryable());
    EXPECT_TRUE(kept->notice().contains("It waits in History")) << kept->notice().toStdString();
}

} // namespace
