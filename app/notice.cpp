#include "app/notice.h"

#include "app/unit3.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <deque>

namespace kovalt {
namespace {

struct Prepared {
    bool fails = false;
    int result = 0;
};

std::deque<Prepared>& queue()
{
    static std::deque<Prepared> q;
    return q;
}

QList<MessageBox::Shown>& log()
{
    static QList<MessageBox::Shown> l;
    return l;
}

bool canShow() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

int plainBox(MessageBox::Icon icon, const QString& title, const QString& text)
{
    MessageBox::Shown entry{title, text, icon, {QStringLiteral("OK")}, MessageBox::ResultOk};
    int result = 0;
    if (MessageBox::takePrepared(&result) || !canShow()) {
        entry.result = result ? result : MessageBox::ResultCancel;
        MessageBox::record(entry);
        return entry.result;
    }
    QPointer<QMessageBox> box =
        new QMessageBox(icon == MessageBox::Icon::Error ? QMessageBox::Critical : QMessageBox::Information, title,
                        text, QMessageBox::Ok, MessageBox::owner());
    box->setObjectName(QStringLiteral("MessageBox"));
    box->exec();
    delete box;
    MessageBox::record(entry);
    return MessageBox::ResultOk;
}

} // namespace

int MessageBox::information(const QString& title, const QString& text)
{
    return plainBox(Icon::Information, title, text);
}

int MessageBox::error(const QString& title, const QString& text) { return plainBox(Icon::Error, title, text); }

void MessageBox::setNextAnswer(int result) { queue().push_back({false, result}); }

void MessageBox::setNextShowFails() { queue().push_back({true, 0}); }

const QList<MessageBox::Shown>& MessageBox::shown() { return log(); }

void MessageBox::clearShown()
{
    log().clear();
    queue().clear();
}

bool MessageBox::takePrepared(int* result)
{
    if (queue().empty())
        return false;
    const Prepared p = queue().front();
    queue().pop_front();
    *result = p.fails ? ResultCancel : p.result;
    return true;
}

void MessageBox::record(Shown entry) { log().append(std::move(entry)); }

QWidget* MessageBox::owner()
{
    QWidget* active = QApplication::activeWindow();
    return active ? active : Form3;
}

} // namespace kovalt

int Hlaseni(const QString& caption, const QString& text, const QString& button1, const QString& button2)
{
    using kovalt::MessageBox;
    MessageBox::Shown entry{caption, text, MessageBox::Icon::Error, {}, MessageBox::ResultCancel};
    if (!button1.isEmpty())
        entry.buttons << button1;
    if (!button2.isEmpty())
        entry.buttons << button2;

    int result = 0;
    if (MessageBox::takePrepared(&result) || !qobject_cast<QApplication*>(QCoreApplication::instance())) {
        entry.result = result ? result : MessageBox::ResultCancel;
        MessageBox::record(entry);
        return entry.result;
    }

    // Our own dialog rather than QMessageBox: that one lets Escape press a lone button.
    QPointer<QDialog> dialog = new QDialog(MessageBox::owner());
    dialog->setObjectName(QStringLiteral("Hlaseni"));
    dialog->setWindowTitle(caption);
    dialog->setWindowModality(Qt::ApplicationModal);
    auto* icon = new QLabel(dialog);
    icon->setObjectName(QStringLiteral("icon"));
    const int side = dialog->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, dialog);
    icon->setPixmap(dialog->style()->standardIcon(QStyle::SP_MessageBoxCritical, nullptr, dialog).pixmap(side, side));
    auto* label = new QLabel(text, dialog);
    label->setObjectName(QStringLiteral("text"));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(label, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    bool first = true;
    const std::pair<QString, int> own[] = {{button1, MessageBox::ResultYes}, {button2, MessageBox::ResultNo}};
    for (const auto& [captionText, code] : own) {
        if (captionText.isEmpty())
            continue;
        auto* b = new QPushButton(captionText, dialog);
        b->setObjectName(code == MessageBox::ResultYes ? QStringLiteral("button1") : QStringLiteral("button2"));
        b->setAutoDefault(true);
        if (first) {
            b->setDefault(true);
            b->setFocus();
            first = false;
        }
        QObject::connect(b, &QPushButton::clicked, dialog, [d = dialog.data(), code = code] { d->done(code); });
        buttons->addWidget(b);
    }
    auto* layout = new QVBoxLayout(dialog);
    layout->addLayout(top);
    layout->addLayout(buttons);

    // Escape and the close box reject, which is result 0 here.
    const int answer = dialog->exec();
    delete dialog;
    entry.result = answer == MessageBox::ResultYes || answer == MessageBox::ResultNo ? answer : MessageBox::ResultCancel;
    MessageBox::record(entry);
    return entry.result;
}
