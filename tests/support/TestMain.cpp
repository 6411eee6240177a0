#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    // Tests never need a real display; keep them headless even when run by hand.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    // Printing tests bring their own scheduler; no test may reach the machine's printers.
    if (std::getenv("CUPS_SERVER") == nullptr) {
        setenv("CUPS_SERVER", "/nonexistent/tessaline-tests/cups.sock", 1);
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
