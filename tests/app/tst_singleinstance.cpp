#include "app/singleinstance.h"

#include <QSignalSpy>
#include <QTest>

using kovalt::SingleInstance;

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    void key_data()
    {
        QTest::addColumn<QString>("pathA");
        QTest::addColumn<QString>("userA");
        QTest::addColumn<QString>("pathB");
        QTest::addColumn<QString>("userB");
        QTest::addColumn<bool>("same");
        QTest::newRow("same file") << "/opt/kovalt/kovalt05.exe" << "1000" << "/opt/kovalt/kovalt05.exe" << "1000"
                                   << true;
        QTest::newRow("letter case differs") << "C:/Kovalt/KOVALT05.EXE" << "1000" << "c:/kovalt/kovalt05.exe"
                                             << "1000" << true;
        QTest::newRow("Czech letters in other case") << "/opt/Účetnictví/kovalt05.exe" << "1000"
                                                     << "/opt/účetnictví/KOVALT05.exe" << "1000" << true;
        QTest::newRow("copy in another folder") << "/opt/a/kovalt05.exe" << "1000" << "/opt/b/kovalt05.exe" << "1000"
                                                << false;
        QTest::newRow("another user") << "/opt/kovalt/kovalt05.exe" << "1000" << "/opt/kovalt/kovalt05.exe" << "1001"
                                      << false;
    }

    void key()
    {
        QFETCH(QString, pathA);
        QFETCH(QString, userA);
        QFETCH(QString, pathB);
        QFETCH(QString, userB);
        QFETCH(bool, same);
        QCOMPARE(SingleInstance::KeyFor(pathA, userA) == SingleInstance::KeyFor(pathB, userB), same);
    }

    void secondClaim_activatesFirstAndIsRefused()
    {
        const QString path = QCoreApplication::applicationFilePath() + QStringLiteral(".guard-test");
        SingleInstance first(path);
        QVERIFY(first.claim());
        QSignalSpy activated(&first, &SingleInstance::activateRequested);

        SingleInstance second(path.toUpper());
        QVERIFY(!second.claim());
        QVERIFY(activated.wait(5000));

        SingleInstance elsewhere(path + QStringLiteral("-copy"));
        QVERIFY(elsewhere.claim());
    }

    void endedInstance_leavesNothingBehind()
    {
        const QString path = QCoreApplication::applicationFilePath() + QStringLiteral(".guard-ended");
        {
            SingleInstance first(path);
            QVERIFY(first.claim());
        }
        SingleInstance next(path);
        QVERIFY(next.claim());
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
