#include "app/firstpaint.h"

#include <QDateTime>
#include <QEvent>
#include <QWidget>

#include <cstdio>

namespace kovalt {
namespace {

void Report(const char* what)
{
    std::fprintf(stderr, "%s %lld\n", what, static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
    std::fflush(stderr);
}

class FirstPaint : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            Report("first-paint");
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }
};

} // namespace

void ReportFirstPaint(QWidget* window)
{
    if (qEnvironmentVariableIsSet("KOVALT_FIRST_PAINT"))
        window->installEventFilter(new FirstPaint(window));
}

void ReportFilled()
{
    if (qEnvironmentVariableIsSet("KOVALT_FIRST_PAINT"))
        Report("filled");
}

} // namespace kovalt
