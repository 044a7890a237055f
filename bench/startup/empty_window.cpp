// Baseline for the start-up benchmark: an empty Qt Widgets window.
#include "app/firstpaint.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(280, 47);
    kovalt::ReportFirstPaint(&window);
    window.show();
    return app.exec();
}
