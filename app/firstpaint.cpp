#include "app/firstpaint.h"

#include <QDateTime>
#include <QEvent>
#include <QWidget>

#include <cstdio>

namespace kovalt {
namespace {

class FirstPaint : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            std::fprintf(stderr, "first-paint %lld\n", static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
            std::fflush(stderr);
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

} // namespace kovalt
