#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget w;
    w.setWindowTitle(QStringLiteral("Kovalt05"));
    w.resize(280, 47);
    w.show();
    return app.exec();
}
