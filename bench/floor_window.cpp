// The floor for the start-up benchmark: the least a Qt Widgets program does to put one window on screen.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel window("floor");
    window.resize(426, 182);
    window.show();
    return QApplication::exec();
}
