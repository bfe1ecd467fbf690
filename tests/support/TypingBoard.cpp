// A board process in miniature for the tests that end a board while a presenter types: the real
// rescue store, a real data control on a real file and the real ending on SIGTERM. It types the text
// into the field of the table's first record as a bound box would, says "typed" on its output and
// runs until it is ended.
//
//   typing_board STORE_FOLDER FILE TABLE FIELD TEXT

#include "app/TerminationSignal.h"
#include "data/catalogue/Catalogue.h"
#include "data/controls/DataControl.h"
#include "data/rescue/KeptEdits.h"
#include "data/storage/RoutingProvider.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 6) return 2;
    RoutingProvider provider;
    const std::unique_ptr<KeptEdits> kept = KeptEdits::forThisProcess(args[1]);
    DataControl data(provider, *kept, QStringLiteral("Data1"));
    data.setConnect(catalogue::connectString());
    data.setDatabaseName(args[2]);
    data.setRecordSource(args[3]);
    data.refresh();
    data.setFieldText(args[4], args[5]);
    // The board's close path: the binding rule writes what was typed, or keeps it.
    const TerminationSignal termination([&] {
        kept->flush();
        data.close();
        QCoreApplication::quit();
    });
    std::puts("typed");
    std::fflush(stdout);
    return app.exec();
}
