#include "data/AskedOnItsOwn.h"

#include <QHash>

namespace {
std::mutex unansweredMutex;
QHash<QString, std::shared_ptr<std::atomic<bool>>> unanswered;
} // namespace

bool UnansweredFolders::stillWaiting(const QString& folder) {
    std::lock_guard<std::mutex> lock(unansweredMutex);
    auto it = unanswered.find(folder);
    if (it == unanswered.end()) return false;
    if (!**it) return true;
    unanswered.erase(it);
    return false;
}

void UnansweredFolders::waitingFor(const QString& folder, std::shared_ptr<std::atomic<bool>> answered) {
    std::lock_guard<std::mutex> lock(unansweredMutex);
    unanswered.insert(folder, std::move(answered));
}
