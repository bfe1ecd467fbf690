#include "board/LiveUpdates.h"

#include "board/StatusLine.h"
#include "data/DataControl.h"
#include "data/KeptEdits.h"
#include "data/Steps.h"

LiveUpdates::LiveUpdates(QVector<DataControl*> sources, DatabaseProvider& provider, QString connect,
                         StatusLine& status, QObject* parent)
    : QObject(parent), sources_(std::move(sources)), provider_(provider), connect_(std::move(connect)),
      status_(status) {
    timer_.setInterval(kIntervalMs);
    QObject::connect(&timer_, &QTimer::timeout, this, &LiveUpdates::poll);
}

void LiveUpdates::poll() {
    bool allRead = true;
    for (DataControl* source : sources_) {
        const bool read = skipOnFailure([&] { source->pollForChanges(); });
        allRead = allRead && read && source->isOpen();
    }
    KeptEdits* kept = provider_.keptEdits();
    if (kept && kept->hasRetryable()) kept->retry(provider_, connect_);
    if (allRead && !(kept && kept->hasRetryable())) status_.healthy();
}
