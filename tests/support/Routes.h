#pragma once

// Routes of the loopback server written as one expression, for tests that set up many answers.

#include "support/LoopbackServer.h"

namespace tavimo::test {

inline Route answerRoute(const QByteArray &body, int delayMs = 0,
                         const QByteArray &contentType = "application/octet-stream") {
    Route route;
    route.body = body;
    route.delayMs = delayMs;
    route.contentType = contentType;
    return route;
}

inline Route statusRoute(int status) {
    Route route;
    route.status = status;
    return route;
}

// Takes the request and never answers.
inline Route stalledRoute() {
    Route route;
    route.stall = true;
    return route;
}

} // namespace tavimo::test
