// The floor of the start-up benchmark: a Qt program that shows one empty
// window of the main window's size and nothing else.

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("floor"));
    window.resize(800, 600);
    window.show();
    return QApplication::exec();
}
