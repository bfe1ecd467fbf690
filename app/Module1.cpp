#include "app/Module1.h"

#include "app/frmMain.h"
#include "data/KeptEdits.h"
#include "data/RoutingProvider.h"

#include <QApplication>
#include <QPointer>
#include <pwd.h>
#include <unistd.h>

namespace {

// Where Setup.mdb and Location.mdb are: beside the program, or, for the program installed under a
// prefix (/usr/lib/cuepilot is read-only), the shared folder the package made for them.
QString programFolder() {
    const QString here = QCoreApplication::applicationDirPath();
#ifdef CUEPILOT_INSTALLED_PROGRAM_DIR
    if (here.endsWith(QStringLiteral(CUEPILOT_INSTALLED_PROGRAM_DIR))) return QStringLiteral(CUEPILOT_SHARED_DIR);
#endif
    return here;
}

// Beside the program, never on the share, and one per user: in an installed program folder
// (sticky, shared by a group) nobody may replace another user's file.
QString keptEditsPath() {
    const passwd* pw = getpwuid(getuid());
    const QString user = pw ? QString::fromLocal8Bit(pw->pw_name) : QString::number(getuid());
    return programFolder() + QStringLiteral("/KeptEdits-%1.json").arg(user);
}

} // namespace

int Module1::Main(int argc, char** argv) {
    QApplication app(argc, argv);
    RoutingProvider provider;
    // It outlives every window that may keep text in it.
    KeptEdits kept(keptEditsPath());
    provider.setKeptEdits(&kept);
    SystemClock clock;
    frmMain board(clock, provider, programFolder());
    board.watchChangesFromThread([] { return std::make_unique<RoutingProvider>(); });
    board.readAheadFromThread([] { return std::make_unique<RoutingProvider>(); });
    board.Form_Load();
    board.showMaximized();
    const int result = app.exec();
    discardSecondaryWindows(&board);
    return result;
}

void Module1::discardSecondaryWindows(const QWidget* board) {
    // Only our own windows (adopted ones delete themselves on close); guarded, since deleting one
    // window may take another with it.
    QList<QPointer<QWidget>> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != board && !w->parentWidget() && w->testAttribute(Qt::WA_DeleteOnClose)) windows << w;
    for (const QPointer<QWidget>& w : windows)
        delete w.data();
}
