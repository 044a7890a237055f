#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace kovalt {

/// Every message box of the bar goes through here, so a test can answer it in advance and see
/// what was shown.
class MessageBox {
public:
    enum class Icon { Error, Information };

    /// What one call showed (or would have shown, when answered in advance) and its result.
    struct Shown {
        QString title;
        QString text;
        Icon icon = Icon::Error;
        QStringList buttons;
        int result = 0;
    };

    /// Results in the numbering of the standard dialog results.
    static constexpr int ResultOk = 1;
    static constexpr int ResultCancel = 2;
    static constexpr int ResultYes = 6;
    static constexpr int ResultNo = 7;

    /// A plain box with one "OK" button, owned by the active window; returns ResultOk.
    static int information(const QString& title, const QString& text);
    static int error(const QString& title, const QString& text);

    /// The next call returns this result without showing anything (queued, first in first out).
    static void setNextAnswer(int result);
    /// The next call fails to show, as when the window system refuses the dialog.
    static void setNextShowFails();
    static const QList<Shown>& shown();
    static void clearShown();

    /// Shared by the boxes and the notice: takes a queued answer or failure, if any, and records.
    /// Returns true with *result set when the call is settled without a dialog.
    static bool takePrepared(int* result);
    static void record(Shown entry);

    /// The window a modal box is owned by: the active window, else the bar.
    static QWidget* owner();
};

} // namespace kovalt

/// The notice: title, text, the error icon and up to two own buttons (results 6 and 7, the first
/// the default; an empty caption leaves its button out). Escape, the close box or a failure to
/// show give 2.
int Hlaseni(const QString& caption, const QString& text, const QString& button1, const QString& button2);
