// The floor of the start-up benchmark: a Qt program that shows one empty
// window and nothing else. With --text the window has a menu bar and a line
// of text, which brings in the fonts every program with text loads.

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("floor"));
    window.resize(800, 600);
    if (QApplication::arguments().contains(QStringLiteral("--text"))) {
        window.menuBar()->addMenu(QStringLiteral("Page 1"));
        window.menuBar()->addMenu(QStringLiteral("Setup"));
        window.setCentralWidget(new QLabel(QStringLiteral("AB1CD - 2 days")));
    }
    window.show();
    return QApplication::exec();
}
