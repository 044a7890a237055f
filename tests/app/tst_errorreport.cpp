#include "app/application.h"
#include "app/notice.h"
#include "util/error.h"

#include <QTest>
#include <QTimer>

#include <stdexcept>

using kovalt::Application;
using kovalt::MessageBox;

namespace {

// Throws from its event handler the way a failing handler of the bar would.
class Thrower : public QObject {
public:
    int handled = 0;
    bool standard = false;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        ++handled;
        if (standard)
            throw std::runtime_error("disk full");
        throw kovalt::Error(QStringLiteral("Nelze zapsat soubor C:\\Kovalt\\moduly.ini"));
    }
};

} // namespace

class TestErrorReport : public QObject {
    Q_OBJECT
private slots:
    void init() { MessageBox::clearShown(); }

    void reportText_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("ends with a letter") << "Soubor nelze otevřít" << "Soubor nelze otevřít.";
        QTest::newRow("ends with a dot") << "Hotovo." << "Hotovo.";
        QTest::newRow("ends with an exclamation mark") << "Chyba!" << "Chyba!";
        QTest::newRow("ends with a comma") << "a," << "a,";
        QTest::newRow("ends with a hyphen") << "a-" << "a-";
        QTest::newRow("ends with a slash") << "C:/" << "C:/.";
        QTest::newRow("ends with a digit") << "Kód 5" << "Kód 5.";
        QTest::newRow("ends with a Czech letter") << "Soubor č" << "Soubor č.";
        QTest::newRow("ends with a space") << "a " << "a ";
        QTest::newRow("empty") << "" << "";
    }

    void reportText()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(Application::ReportText(message), shown);
    }

    void title_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("title");
        QTest::newRow("program file") << "kovalt05.exe" << "Kovalt05";
        QTest::newRow("capitals") << "KOVALT05.EXE" << "Kovalt05";
        QTest::newRow("up to the first dot") << "kovalt05.old.exe" << "Kovalt05";
        QTest::newRow("no extension") << "kovalt05" << "Kovalt05";
        QTest::newRow("Czech capitals") << "ČESKÝ.exe" << "Český";
        QTest::newRow("small Czech first letter") << "účet.exe" << "Účet";
    }

    void title()
    {
        QFETCH(QString, file);
        QFETCH(QString, title);
        QCOMPARE(Application::TitleFromProgramFile(file), title);
    }

    void escapingError_isReportedAndTheProgramGoesOn_data()
    {
        QTest::addColumn<bool>("standard");
        QTest::addColumn<QString>("text");
        QTest::newRow("kovalt::Error") << false << "Nelze zapsat soubor C:\\Kovalt\\moduly.ini.";
        QTest::newRow("std::exception") << true << "disk full.";
    }

    void escapingError_isReportedAndTheProgramGoesOn()
    {
        QFETCH(bool, standard);
        QFETCH(QString, text);
        MessageBox::setNextAnswer(MessageBox::ResultOk);
        MessageBox::setNextAnswer(MessageBox::ResultOk);
        Thrower thrower;
        thrower.standard = standard;
        bool laterTimerRan = false;
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QTimer::singleShot(0, this, [&] { laterTimerRan = true; });
        QTRY_VERIFY(laterTimerRan);
        QCOMPARE(thrower.handled, 2);
        QCOMPARE(MessageBox::shown().size(), 2);
        const MessageBox::Shown& box = MessageBox::shown().first();
        QCOMPARE(box.text, text);
        QCOMPARE(box.title, QString("Tst_errorreport"));
        QCOMPARE(box.icon, MessageBox::Icon::Error);
    }

    void errorInTimerSlot_isReported()
    {
        MessageBox::setNextAnswer(MessageBox::ResultOk);
        QTimer timer;
        int fired = 0;
        connect(&timer, &QTimer::timeout, this, [&] {
            if (++fired == 1)
                throw kovalt::Error(QStringLiteral("Spojení selhalo"));
            timer.stop();
        });
        timer.start(1);
        QTRY_COMPARE(fired, 2);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown().first().text, QString("Spojení selhalo."));
    }
};

int main(int argc, char** argv)
{
    Application app(argc, argv);
    TestErrorReport test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_errorreport.moc"
