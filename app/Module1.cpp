#include "app/Module1.h"

#include "app/BoardApplication.h"

#include "about/Maker.h"
#include "app/CommandLine.h"
#include "app/SingleInstance.h"
#include "app/TerminationSignal.h"
#include "app/frmMain.h"
#include "data/rescue/KeptEdits.h"
#include "data/sharing/LocalCopy.h"
#include "data/storage/AskedOnItsOwn.h"
#include "data/storage/BoardStorage.h"
#include "data/storage/RoutingProvider.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>
#include <cstdio>

namespace {

// Where Setup.mdb and Location.mdb are: beside the program, or, for the program installed under a
// prefix (/usr/lib/cuepilot is read-only), the shared folder the package made for them.
QString programFolder() {
    const QString here = QCoreApplication::applicationDirPath();
#ifdef CUEPILOT_INSTALLED_PROGRAM_DIR
    if (here.endsWith(QStringLiteral(CUEPILOT_INSTALLED_PROGRAM_DIR)))
        return QStringLiteral(CUEPILOT_SHARED_DIR);
#endif
    return here;
}

void print(FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// Qt's own words (context menus, standard buttons) in the user's language, where Qt has them.
void loadQtTranslations(QApplication& app) {
    auto* qt = new QTranslator(&app);
    if (qt->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    else
        delete qt;
}

// The board and its storage, gone once it ends: the storage thread they leave is then over.
int runBoard(const commandLine::Options& options, SingleInstance& single) {
    BoardStorage provider;
    // It outlives every window that may keep text in it. On this computer's disk, one per user;
    // what earlier versions kept beside the program is taken in without holding the start.
    const std::unique_ptr<KeptEdits> kept = KeptEdits::forThisUser(programFolder());
    SystemClock clock;
    frmMain board(clock, provider, kept.get(), programFolder());
    const TerminationSignal termination([&] {
        kept->flush();
        board.close();
    });
    board.watchChangesFromThread([] { return std::make_unique<RoutingProvider>(); });
    board.readAheadFromThread([] { return std::make_unique<RoutingProvider>(); });
    board.keepLocalCopy([] { return std::make_unique<RoutingProvider>(); }, LocalCopy::userRoot());
    board.Form_Load();
    // A board started on purpose beside another leaves later starts to the first one.
    if (!options.newInstance) single.serve(&board);
    if (options.fullScreen)
        board.showFullScreen();
    else
        board.showMaximized();
    const int result = QApplication::exec();
    Module1::discardSecondaryWindows(&board);
    return result;
}

} // namespace

int Module1::Main(int argc, char** argv) {
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    if (const std::optional<QString> answer = commandLine::earlyAnswer(raw)) {
        print(stdout, *answer);
        return 0;
    }
    BoardApplication app(argc, argv);
    // The window class desktops match against the desktop entry (StartupWMClass), and its name there.
    QCoreApplication::setApplicationName(maker::kProductName);
    QCoreApplication::setApplicationVersion(maker::kVersion);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.cuepilot.Cuepilot"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/org.cuepilot.Cuepilot.png")));
    loadQtTranslations(app);
    const commandLine::Parsed parsed = commandLine::parse(QCoreApplication::arguments());
    if (!parsed.error.isEmpty()) {
        print(stderr, parsed.error);
        return 2;
    }
    SingleInstance single;
    if (!parsed.options.newInstance && single.handOver()) {
        print(stdout,
              QStringLiteral("Cuepilot already runs on this display: its board is brought to the front.\n"));
        return 0;
    }
    const int result = runBoard(parsed.options, single);
    // Files still being let go of on a share get a moment; one that does not answer is left.
    Lookouts::finishAllWithin(1000);
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
