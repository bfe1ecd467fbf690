#pragma once

#include "base/Failure.h"

#include <QString>
#include <exception>
#include <functional>

// Where failures of the default error path are shown (the main board's status bar). A sink that
// wants only the words may take a QString.
using ErrorSink = std::function<void(const Failure& failure)>;

// Step-skipping: a failing step is skipped silently and the caller goes on with its next step.
// Returns whether the step ran to its end.
template <class Step> bool skipOnFailure(Step&& step) noexcept {
    try {
        step();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// Default error path: the handler stops at the failing step, the engine's message is shown,
// and the program goes on. Nothing escapes into the event loop.
template <class Handler> bool reportOnFailure(const ErrorSink& sink, Handler&& handler) noexcept {
    try {
        handler();
        return true;
    } catch (const std::exception& e) {
        if (sink) {
            try {
                sink(Failure::of(e));
            } catch (...) {
            }
        }
        return false;
    }
}
