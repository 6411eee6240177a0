#include <QApplication>
#include <QLabel>
#include <QMainWindow>

#include "forms/Clock.h"
#include "forms/ProgramState.h"
#include "forms/QtMessageService.h"

#include <memory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Vantrell");
    QApplication::setApplicationName("Tesslin1");
    QApplication::setApplicationVersion("1.00");

    auto& services = Program().services;
    services.messages = std::make_shared<QtMessageService>();
    services.terminator = std::make_shared<ExitTerminator>();
    services.clock = std::make_shared<SystemClock>();

    // Until the program's own windows exist this shows a plain window with the product title.
    QMainWindow window;
    window.setWindowTitle("Tessaline 1.0");
    auto* text = new QLabel("Tessaline 1.0 — the label windows are not built yet.", &window);
    window.setCentralWidget(text);
    window.resize(480, 200);
    window.show();
    return QApplication::exec();
}
