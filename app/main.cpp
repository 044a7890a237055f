#include "app/application.h"
#include "app/firstpaint.h"
#include "app/singleinstance.h"
#include "app/startupwarmup.h"
#include "app/unit3.h"

#include <QMetaObject>

int main(int argc, char** argv)
{
    // The bar is laid out in pixels and is not scaled with the screen's density.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    // Before the application object, so that it runs while Qt starts.
    const kovalt::StartUpWarmUp warmUp;
    kovalt::Application app(argc, argv);

    kovalt::SingleInstance guard(QCoreApplication::applicationFilePath());
    if (!guard.claim())
        return 0;

    auto* form = new TForm3;
    kovalt::ReportFirstPaint(form);
    QObject::connect(&guard, &kovalt::SingleInstance::activateRequested, form, [form] {
        if (form->isMinimized())
            form->showNormal();
        form->raise();
        form->activateWindow();
    });
    // Shown from the message loop, so an error while filling reaches the general error report.
    QMetaObject::invokeMethod(form, [form] { form->show(); }, Qt::QueuedConnection);
    const int rc = app.exec();
    delete form;
    return rc;
}
