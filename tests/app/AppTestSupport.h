#pragma once

// Shared pieces of the desktop program's tests: a main window on a test folder, and serving the
// event loop until a condition holds.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <memory>
#include <optional>
#include <string>

#include "app/CMainFrame.h"
#include "framework/Clock.h"

namespace svu::test {

/// Serves the event loop until `done` holds, for up to about 20 s, so a fault fails instead of hanging.
template <class Done>
bool ServeUntil(Done done) {
    for (int i = 0; i < 4000 && !done(); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(5);
    }
    return done();
}

/// A main window on `settings` with its station file loaded (asking nothing) and a new document.
inline std::unique_ptr<CMainFrame> MakeFrame(Settings& settings, RecentFileList& recent) {
    auto frame = std::make_unique<CMainFrame>(settings, recent, SystemClock());
    EXPECT_TRUE(frame->LoadStationFile([](const std::string&) { return std::nullopt; }));
    frame->NewDocument();
    return frame;
}

}  // namespace svu::test
