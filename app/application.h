#pragma once

#include <QApplication>

namespace kovalt {

/// The bar's application object: an error that escapes an event handler ends up in notify(),
/// is shown by the general error report, and the program goes on with the next event.
class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    /// The title shown as the error report's caption, from the running program file.
    QString title() const;
    /// "kovalt05.exe" gives "Kovalt05": the name up to its first ".", capitalised, every letter after the first
    /// in lower case.
    static QString TitleFromProgramFile(const QString& fileName);
    /// The message with a "." appended when its last character comes after "." in code order.
    static QString ReportText(const QString& message);
    /// Shows the general error report for a message.
    void ShowError(const QString& message);
};

} // namespace kovalt
