#include "app/Module1.h"

#include "app/TerminationSignal.h"
#include "app/frmMain.h"
#include "data/rescue/KeptEdits.h"
#include "data/storage/RoutingProvider.h"

#include <QApplication>
#include <QPointer>
#include <pwd.h>
#include <unistd.h>

namespace {

// Beside the program, never on the share, and one per user: in an installed program folder
// (sticky, shared by a group) nobody may replace another user's files. Within it each board process
// has a store of its own.
QString keptEditsName() {
    const passwd* pw = getpwuid(getuid());
    const QString user = pw ? QString::fromLocal8Bit(pw->pw_name) : QString::number(getuid());
    return QCoreApplication::applicationDirPath() + QStringLiteral("/KeptEdits-%1").arg(user);
}

} // namespace

int Module1::Main(int argc, char** argv) {
    QApplication app(argc, argv);
    RoutingProvider provider;
    // It outlives every window that may keep text in it.
    const std::unique_ptr<KeptEdits> kept = KeptEdits::forThisProcess(keptEditsName());
    // The single store earlier versions kept for all of a user's boards.
    kept->adopt(keptEditsName() + QStringLiteral(".json"));
    provider.setKeptEdits(kept.get());
    SystemClock clock;
    frmMain board(clock, provider, QCoreApplication::applicationDirPath());
    const TerminationSignal termination([&] {
        kept->flush();
        board.close();
    });
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
