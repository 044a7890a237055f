#include "app/application.h"

#include "app/notice.h"
#include "util/error.h"

#include <QFileInfo>

#include <exception>

namespace kovalt {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const Error& e) {
        ShowError(e.message());
    } catch (const std::exception& e) {
        ShowError(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

QString Application::title() const { return TitleFromProgramFile(QFileInfo(applicationFilePath()).fileName()); }

QString Application::TitleFromProgramFile(const QString& fileName)
{
    const qsizetype dot = fileName.indexOf(QLatin1Char('.'));
    const QString name = dot < 0 ? fileName : fileName.left(dot);
    if (name.isEmpty())
        return name;
    return name.left(1).toUpper() + name.mid(1).toLower();
}

QString Application::ReportText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void Application::ShowError(const QString& message) { MessageBox::error(title(), ReportText(message)); }

} // namespace kovalt
