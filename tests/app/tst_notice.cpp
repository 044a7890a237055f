#include "app/notice.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using kovalt::MessageBox;

class TestNotice : public QObject {
    Q_OBJECT

private:
    // Acts on the modal dialog as soon as it is open; the call under test blocks until then.
    void whenOpen(std::function<void(QDialog*)> act)
    {
        auto* timer = new QTimer(this);
        timer->setInterval(10);
        connect(timer, &QTimer::timeout, this, [timer, act] {
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                timer->stop();
                timer->deleteLater();
                act(d);
            }
        });
        timer->start();
    }

private slots:
    void init() { MessageBox::clearShown(); }

    void buttons_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QStringList>("shownButtons");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("result");

        QTest::newRow("OK only, pressed") << "OK" << "" << QStringList{"OK"} << "button1" << 6;
        QTest::newRow("OK only, Escape") << "OK" << "" << QStringList{"OK"} << "escape" << 2;
        QTest::newRow("OK only, close box") << "OK" << "" << QStringList{"OK"} << "close" << 2;
        QTest::newRow("two, second pressed") << "Ano" << "Ne" << QStringList{"Ano", "Ne"} << "button2" << 7;
        QTest::newRow("two, Enter takes the first") << "Ano" << "Ne" << QStringList{"Ano", "Ne"} << "enter" << 6;
        QTest::newRow("two, Escape") << "Ano" << "Ne" << QStringList{"Ano", "Ne"} << "escape" << 2;
        QTest::newRow("empty first, second only") << "" << "Ne" << QStringList{"Ne"} << "button2" << 7;
    }

    void buttons()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QStringList, shownButtons);
        QFETCH(QString, action);
        QFETCH(int, result);

        QString title;
        QString text;
        QStringList captions;
        bool firstIsDefault = false;
        bool hasIcon = false;
        whenOpen([&](QDialog* d) {
            title = d->windowTitle();
            text = d->findChild<QLabel*>("text")->text();
            hasIcon = !d->findChild<QLabel*>("icon")->pixmap().isNull();
            const auto buttons = d->findChildren<QPushButton*>();
            for (QPushButton* b : buttons)
                captions << b->text();
            firstIsDefault = !buttons.isEmpty() && buttons.first()->isDefault();
            if (action == "escape")
                QTest::keyClick(d, Qt::Key_Escape);
            else if (action == "enter")
                QTest::keyClick(d->focusWidget() ? d->focusWidget() : d, Qt::Key_Return);
            else if (action == "close")
                d->close();
            else
                QTest::mouseClick(d->findChild<QPushButton*>(action), Qt::LeftButton);
        });

        const QString message = QStringLiteral("Se serverem SQL Čáslav se nelze spojit!");
        QCOMPARE(Hlaseni("Kovalt05", message, first, second), result);
        QCOMPARE(title, QString("Kovalt05"));
        QCOMPARE(text, message);
        QVERIFY(hasIcon);
        QCOMPARE(captions, shownButtons);
        QVERIFY(firstIsDefault);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown().first().icon, MessageBox::Icon::Error);
        QCOMPARE(MessageBox::shown().first().result, result);
    }

    void failureToShow_givesCancel()
    {
        MessageBox::setNextShowFails();
        QCOMPARE(Hlaseni("Kovalt05", "text", "OK", ""), 2);
        QCOMPARE(MessageBox::shown().size(), 1);
    }

    void answeredInAdvance_showsNothingAndRecords()
    {
        MessageBox::setNextAnswer(7);
        QCOMPARE(Hlaseni("Kovalt05", "text", "Ano", "Ne"), 7);
        QVERIFY(QApplication::topLevelWidgets().isEmpty() ||
                !qobject_cast<QDialog*>(QApplication::activeModalWidget()));
        QCOMPARE(MessageBox::shown().first().buttons, (QStringList{"Ano", "Ne"}));
        QCOMPARE(MessageBox::shown().first().title, QString("Kovalt05"));
    }
};

QTEST_MAIN(TestNotice)
#include "tst_notice.moc"
