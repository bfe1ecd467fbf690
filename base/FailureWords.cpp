#include "base/FailureWords.h"

namespace {

bool isServer(const QString& place) {
    return place.contains(QLatin1String("://"));
}

bool endsAsSentence(const QString& text) {
    return text.endsWith(QLatin1Char('.')) || text.endsWith(QLatin1Char('!')) ||
           text.endsWith(QLatin1Char('?'));
}

QString asSentence(QString text) {
    if (!text.isEmpty() && !endsAsSentence(text)) text += QLatin1Char('.');
    return text;
}

// The file and where it lies, or the place alone, at the start of a sentence.
QString subjectOf(const Failure& f) {
    if (!f.file.isEmpty())
        return QStringLiteral("%1 %2 %3")
            .arg(f.file, isServer(f.where) ? QStringLiteral("on") : QStringLiteral("in"), f.where);
    return (isServer(f.where) ? QStringLiteral("The server %1") : QStringLiteral("The folder %1"))
        .arg(f.where);
}

// What happened to the subject, by kind; the engine's words follow.
QString predicateOf(FailureKind kind) {
    switch (kind) {
    case FailureKind::Damaged:
    case FailureKind::Unreadable:
        return QStringLiteral("cannot be read");
    case FailureKind::ReadOnly:
    case FailureKind::Refused:
        return QStringLiteral("cannot be written");
    case FailureKind::Locked:
        return QStringLiteral("is in use by another studio");
    case FailureKind::Missing:
    case FailureKind::NoFolder:
        return QStringLiteral("could not be opened");
    default:
        return QStringLiteral("could not be used");
    }
}

} // namespace

QString sentenceOf(const Failure& failure) {
    QString words = failure.words.trimmed();
    if (words.isEmpty()) return {};
    if (failure.where.isEmpty() || words.contains(failure.where)) return asSentence(words);
    // A sentence of this program's own (a share that does not answer, a record another studio
    // changed, a file with no history yet) keeps its wording: only where it happened is added. An
    // engine's words are never one: they start in lower case or end without a full stop.
    if (words.front().isUpper() && words.endsWith(QLatin1Char('.'))) {
        words.chop(1);
        const QString place = failure.file.isEmpty() ? (isServer(failure.where) ? QStringLiteral("on %1")
                                                                                : QStringLiteral("in %1"))
                                                           .arg(failure.where)
                                                     : subjectOf(failure);
        return QStringLiteral("%1 (%2).").arg(words, place);
    }
    return asSentence(QStringLiteral("%1 %2: %3").arg(subjectOf(failure), predicateOf(failure.kind), words));
}
