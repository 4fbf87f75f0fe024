#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavimo"));
    QApplication::setOrganizationName(QStringLiteral("Tavimo"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Tavimo"));
    window.resize(800, 600);
    window.show();
    return QApplication::exec();
}
