// Our cut of file times to the DOS date-and-time format (ToDosResolution, util/datetime.h) against
// FileTimeToDosDateTime. Both sides take the time as the local time it is; the test runs with
// TZ=UTC, so no daylight-saving gap can shift a row.
#include "oracle/oracle.h"
#include "util/datetime.h"

#include <QTest>

using namespace kovalt;
using oracle::Mark;

namespace {
struct Case {
    const char* name;
    QDate date;
    QTime time;
    int extraTicks = 0; // 100 ns steps beyond the milliseconds, for Windows only
    Mark mark = Mark::None;
    QDateTime expected = {}; // marked rows: our answer
    const char* reason = "";
};

const char* const kYearWraps = "Windows documents that the conversion fails after 31 December 2107; Wine keeps "
                               "only the low seven bits of the years since 1980 and gives a date in the past";

const QList<Case>& Cases() {
    static const QList<Case> cases = {
        {"even second stays", QDate(2024, 5, 6), QTime(7, 8, 8)},
        {"odd second is cut to the even one below", QDate(2000, 1, 1), QTime(12, 0, 1, 700)},
        {"fraction of an even second is dropped", QDate(2024, 5, 6), QTime(7, 8, 8, 500)},
        {"999 ms of an odd second", QDate(2024, 5, 6), QTime(7, 8, 9, 999)},
        {"last tick of an odd second", QDate(2000, 1, 1), QTime(12, 0, 1, 999), 9999},
        {"last tick of a year stays in it", QDate(2023, 12, 31), QTime(23, 59, 59, 999), 9999},
        {"leap day", QDate(2024, 2, 29), QTime(12, 34, 57)},
        {"first moment of 1980", QDate(1980, 1, 1), QTime(0, 0)},
        {"first odd second of 1980", QDate(1980, 1, 1), QTime(0, 0, 1)},
        {"beyond 32-bit seconds since 1970", QDate(2106, 2, 7), QTime(6, 28, 17)},
        {"last moment of 2107", QDate(2107, 12, 31), QTime(23, 59, 59, 999), 9999},
        {"last moment of 1979 fails", QDate(1979, 12, 31), QTime(23, 59, 59, 999), 9999},
        {"1970 fails", QDate(1970, 1, 1), QTime(0, 0)},
        {"first moment of 2108 fails", QDate(2108, 1, 1), QTime(0, 0), 0, Mark::Wine, QDateTime(), kYearWraps},
        {"year 2200 fails", QDate(2200, 6, 1), QTime(12, 0), 0, Mark::Wine, QDateTime(), kYearWraps},
    };
    return cases;
}

// What FileTimeToDosDateTime's words mean, as a local time; no time when it failed.
QDateTime FromDos(bool converted, int date, int time) {
    if (!converted) return {};
    const QDate d(1980 + (date >> 9), (date >> 5) & 0xF, date & 0x1F);
    const QTime t(time >> 11, (time >> 5) & 0x3F, (time & 0x1F) * 2);
    return QDateTime(d, t, Qt::LocalTime);
}
} // namespace

class TestOracleDosTime : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void toDosResolution_data();
    void toDosResolution();

private:
    QList<QStringList> m_answers;
};

void TestOracleDosTime::initTestCase() {
    QCOMPARE(qgetenv("TZ"), QByteArray("UTC"));
    QStringList requests;
    for (const Case& c : Cases()) {
        requests << QStringList{QString::number(c.date.year()),   QString::number(c.date.month()),
                                QString::number(c.date.day()),    QString::number(c.time.hour()),
                                QString::number(c.time.minute()), QString::number(c.time.second()),
                                QString::number(c.time.msec()),   QString::number(c.extraTicks)}
                        .join(u'\t');
    }
    QString error;
    m_answers = oracle::Ask("KOVALT_PROBE_DOSTIME", requests, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

void TestOracleDosTime::toDosResolution_data() {
    QTest::addColumn<int>("index");
    for (int i = 0; i < Cases().size(); ++i)
        QTest::newRow(Cases()[i].name) << i;
}

void TestOracleDosTime::toDosResolution() {
    QFETCH(int, index);
    const Case& c = Cases()[index];
    const QStringList& answer = m_answers[index];
    QVERIFY2(answer.size() == 5 && answer[0] == QStringLiteral("T"), qPrintable(answer.join(u' ')));
    const bool converted = answer[1] == QStringLiteral("1");
    // A failure names the bad parameter.
    if (!converted) QCOMPARE(answer[2], QStringLiteral("87"));
    const QDateTime windows = FromDos(converted, answer[3].toInt(), answer[4].toInt());
    const QDateTime ours = ToDosResolution(QDateTime(c.date, c.time, Qt::LocalTime));
    const QString problem = oracle::Judge(ours, windows, c.mark, c.expected, c.reason);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

QTEST_GUILESS_MAIN(TestOracleDosTime)
#include "tst_oracle_dostime.moc"
