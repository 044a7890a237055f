// Our splitting of a command line for a process start (SplitCommandLine, util/runcommand.h)
// against CommandLineToArgvW.
#include "oracle/oracle.h"
#include "util/runcommand.h"

#include <QTest>

using namespace kovalt;
using oracle::Mark;

namespace {
struct Case {
    const char* name;
    QString line;
    Mark mark = Mark::None;
    QStringList expected = {}; // marked rows: our answer
    const char* reason = "";
};

const char* const kLeadingBlanks = "we pass over blanks before the program name, so a line of the module list "
                                   "with an indented command still starts its program; CommandLineToArgvW makes "
                                   "them an empty program name";
const char* const kNothing = "a line without a program starts nothing; CommandLineToArgvW gives the calling "
                             "program's own path for an empty line and an empty name for a blank one";
const char* const kDoubledQuote = "after \"\" inside quotes we stay inside them, as the C runtime documents its "
                                  "argument parsing (tst_runcommand: doubled quote keeps the quoting); "
                                  "CommandLineToArgvW ends the quoted part there";

const QList<Case>& Cases() {
    static const QList<Case> cases = {
        {"program and plain arguments", "prog a b"},
        {"tabs and runs of blanks separate", "prog\ta  \t b"},
        {"blanks at the end", "prog a  \t"},
        {"blanks before the program", "  prog a", Mark::Deliberate, {"prog", "a"}, kLeadingBlanks},
        {"empty line", "", Mark::Deliberate, {}, kNothing},
        {"blank line", " \t ", Mark::Deliberate, {}, kNothing},
        {"quoted program with blanks", "\"C:\\Program Files\\k\\modul.exe\" /x"},
        {"program quote is not escaped by a backslash", "\"C:\\k\\\" a"},
        {"quoted program ends at its quote", "\"a b\"c d"},
        {"unclosed quote of the program", "\"C:\\k\\modul.exe a"},
        {"unquoted program keeps backslashes and quotes", "C:\\k\\a\"b c"},
        {"quoted argument with blanks", "p \"a b\" c"},
        {"quotes in the middle join", "p a\"b c\"d"},
        {"text right after a closing quote joins", "p \"a b\"c"},
        {"empty quoted argument", "p \"\" x"},
        {"empty quoted argument at the end", "p \"\""},
        {"tab after a quoted argument", "p\t\"x\"\ty"},
        {"2n backslashes and a quote: n backslashes, quote toggles", "p a\\\\\\\\\"b c\""},
        {"2n+1 backslashes and a quote: n backslashes and a quote", "p a\\\\\\\"b c"},
        {"one backslash and a quote", "p \\\"x\\\""},
        {"backslashes not before a quote are literal", "p a\\\\b\\ c\\"},
        {"backslash before the closing quote escapes it", "setup.exe /DIR=\"C:\\k\\\""},
        {"doubled backslash before the closing quote", "setup.exe /DIR=\"C:\\k\\\\\" x"},
        {"backslashes at the end of the line", "p a\\\\"},
        {"escaped quote inside quotes", "p \"a\\\"b\""},
        {"doubled quote inside quotes is a quote", "p \"a\"\"b\""},
        {"three quotes around a word", "p \"\"\"a\"\"\""},
        {"four quotes", "p \"\"\"\""},
        {"doubled quote outside quotes is nothing", "p a\"\"b"},
        {"doubled quote inside quotes, then a blank",
         "p \"a\"\"b c\"",
         Mark::Deliberate,
         {"p", "a\"b c"},
         kDoubledQuote},
        {"unclosed quote runs to the end", "p \"a b"},
        {"Czech letters", "p žluťoučký \"kůň úpěl\""},
    };
    return cases;
}
} // namespace

class TestOracleCmdline : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void splitCommandLine_data();
    void splitCommandLine();

private:
    QList<QStringList> m_answers;
};

void TestOracleCmdline::initTestCase() {
    QStringList requests;
    for (const Case& c : Cases())
        requests << oracle::Hex(c.line);
    QString error;
    m_answers = oracle::Ask("KOVALT_PROBE_CMDLINE", requests, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

void TestOracleCmdline::splitCommandLine_data() {
    QTest::addColumn<int>("index");
    for (int i = 0; i < Cases().size(); ++i)
        QTest::newRow(Cases()[i].name) << i;
}

void TestOracleCmdline::splitCommandLine() {
    QFETCH(int, index);
    const Case& c = Cases()[index];
    const QStringList& answer = m_answers[index];
    QVERIFY2(answer.size() >= 2 && answer[0] == QStringLiteral("A"), qPrintable(answer.join(u' ')));
    QCOMPARE(answer[1].toInt(), int(answer.size() - 2));
    QStringList windows;
    for (qsizetype i = 2; i < answer.size(); ++i) {
        const auto arg = oracle::TextFromHex(answer[i]);
        QVERIFY2(arg, qPrintable(answer[i]));
        windows << *arg;
    }
    const QString problem = oracle::Judge(SplitCommandLine(c.line), windows, c.mark, c.expected, c.reason);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

QTEST_GUILESS_MAIN(TestOracleCmdline)
#include "tst_oracle_cmdline.moc"
