#include "CupsEnvironment.h"
#include "support/CupsServer.h"

#include "ui/forms/SystemPrinterProvider.h"

#include <QPrinter>
#include <gtest/gtest.h>

#include <thread>

namespace {

// What the default printer is when there is none. Where the label lands on paper, at what size, with its
// text as text and without its buttons, is pinned by the printed label's golden page and the label window's
// printing tests, which also print through the default CUPS queue and meet a refused or unstartable job.

// Each check runs on a fresh thread: libcups reads CUPS_SERVER once per thread.
bool defaultPrinterSeenFromNewThread() {
    bool found = true;
    std::thread([&] { found = SystemPrinterProvider().defaultPrinter() != nullptr; }).join();
    return found;
}

TEST(NoPrinter, SchedulerWithoutQueuesGivesNone) {
    const CupsServer empty(CupsServer::Queue::None);
    EXPECT_FALSE(defaultPrinterSeenFromNewThread());
}

TEST(NoPrinter, UnreachableSchedulerGivesNone) {
    const std::string saved = std::getenv("CUPS_SERVER") ? std::getenv("CUPS_SERVER") : "";
    setenv("CUPS_SERVER", "/tmp/tessaline-no-such-scheduler.sock", 1);
    EXPECT_FALSE(defaultPrinterSeenFromNewThread());
    setenv("CUPS_SERVER", saved.c_str(), 1);
    EXPECT_TRUE(defaultPrinterSeenFromNewThread()); // the scheduler of the other tests is still seen
}

} // namespace
