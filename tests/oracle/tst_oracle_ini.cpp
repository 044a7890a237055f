// Our key lookups (util/ini.h) against GetPrivateProfileStringW and GetPrivateProfileIntW, run on
// the very same files. The string buffer is 2048 characters, as the settings reader the bar's
// lookups follow hands to Windows: at most 2047 characters come back.
#include "oracle/oracle.h"
#include "util/ini.h"

#include <QTest>

using namespace kovalt;
using oracle::Mark;

namespace {
constexpr int kBufferSize = 2048;
const QString kDefault = QStringLiteral("DEF");

// A UTF-16 LE file with its byte-order mark and CR LF line ends: Windows reads it in every locale.
QByteArray Unicode(const QStringList& lines) {
    QByteArray out("\xFF\xFE");
    for (const QString& line : lines) {
        for (const QChar c : line + QStringLiteral("\r\n")) {
            out.append(char(c.unicode() & 0xFF));
            out.append(char(c.unicode() >> 8));
        }
    }
    return out;
}

struct StringCase {
    const char* name;
    QByteArray file;
    QString section;
    QString key;
    Mark mark = Mark::None;
    QString expected = {}; // marked rows: our answer
    const char* reason = "";
    bool missing = false;
};

const char* const kCommentKey = "a commented line is no key to us at all (ini.h); Windows keeps \";k\" as a key name "
                                "that only a lookup of that very name finds, and the bar asks for no such key";
const char* const kQuotedCut = "we take the quotes off before the cut (tst_ini: quotes removed before the cut); Wine "
                               "cuts first and then drops the last kept character for the closing quote, which was "
                               "never copied; Windows documents neither";

const char* const kAsciiFold = "Windows documents its profile lookups as not case-sensitive, for every letter; "
                               "Wine's profile code folds only A to Z";
const char* const kBareLine = "a line without = is no key to us (tst_ini), just as Windows lists no key for it "
                              "among a section's keys; Wine stops at it and gives the default";

const QList<StringCase>& StringCases() {
    static const QList<StringCase> cases = [] {
        const QString x3000(3000, u'x');
        const QString y2047(2047, u'y');
        QList<StringCase> c;
        // Names
        c.append({"section and key in other case", Unicode({"[LogON]", "IP=1.2.3.4"}), "logon", "ip"});
        c.append({"accented names in their own case", Unicode({"[Jiné]", "Účet=Účetnictví"}), "Jiné", "Účet"});
        c.append({"accented section name in other case", Unicode({"[Jiné]", "k=1"}), "JINÉ", "k", Mark::Wine, "1",
                  kAsciiFold});
        c.append(
            {"accented key name in other case", Unicode({"[S]", "Účet=1"}), "S", "úČET", Mark::Wine, "1", kAsciiFold});
        c.append({"blanks around the key name", Unicode({"[S]", "  k \t=1"}), "S", "k"});
        c.append({"blanks inside the name of the key", Unicode({"[S]", "my key=1"}), "S", "my key"});
        c.append({"blanks around the looked-up names", Unicode({"[S]", "k=1"}), " S\t", " k "});
        c.append({"blanks inside the brackets", Unicode({"[ S ]", "k=1"}), "S", "k"});
        c.append({"blank after the section line", Unicode({"[LogON] ", "IP=1"}), "LogOn", "IP"});
        c.append({"indented section line", Unicode({"  [S]", "k=1"}), "S", "k"});
        c.append({"text after the closing bracket", Unicode({"[S] ; note", "k=1"}), "S", "k"});
        c.append({"line without a closing bracket is no section", Unicode({"[A]", "[S", "k=1"}), "A", "k"});
        c.append({"key with brackets in its name", Unicode({"[S]", "NormPos(1920x1080)=1,2,3,4"}), "S",
                  "normpos(1920X1080)"});
        // Values
        c.append({"blanks around the value", Unicode({"[S]", "k=  v w \t"}), "S", "k"});
        c.append({"tab inside the value", Unicode({"[S]", "k=a\tb"}), "S", "k"});
        c.append({"value runs from the first =", Unicode({"[S]", "k = = 1"}), "S", "k"});
        c.append({"semicolon inside the value stays", Unicode({"[S]", "k=1 ; note"}), "S", "k"});
        c.append({"empty value is empty, not the default", Unicode({"[S]", "k="}), "S", "k"});
        c.append({"blank value is empty", Unicode({"[S]", "k=   "}), "S", "k"});
        // Quotes
        c.append({"double quotes removed, inner blanks kept", Unicode({"[S]", "k=\"  x \""}), "S", "k"});
        c.append({"single quotes removed", Unicode({"[S]", "k='x'"}), "S", "k"});
        c.append({"quotes inside blanks removed", Unicode({"[S]", "k=  \"x\"  "}), "S", "k"});
        c.append({"only one pair of quotes removed", Unicode({"[S]", "k=\"\"x\"\""}), "S", "k"});
        c.append({"mismatched quotes stay", Unicode({"[S]", "k='x\""}), "S", "k"});
        c.append({"a lone quote stays", Unicode({"[S]", "k=\""}), "S", "k"});
        c.append({"quotes not around the whole value stay", Unicode({"[S]", "k=a\"b\""}), "S", "k"});
        c.append({"empty quoted value is empty", Unicode({"[S]", "k=''"}), "S", "k"});
        // Comments
        c.append({"commented line never matches", Unicode({"[S]", ";k=1", "k=2"}), "S", "k"});
        c.append({"only commented lines give the default", Unicode({"[S]", ";k=1", "  ;k=1"}), "S", "k"});
        c.append({"commented line looked up with its semicolon", Unicode({"[S]", ";k=1"}), "S", ";k", Mark::Deliberate,
                  kDefault, kCommentKey});
        // Duplicates and section ends
        c.append({"first of duplicate keys", Unicode({"[S]", "k=1", "K=2"}), "S", "k"});
        c.append({"first of duplicate sections", Unicode({"[S]", "k=1", "[T]", "[s]", "k=2"}), "S", "k"});
        c.append(
            {"key only in the second of duplicate sections", Unicode({"[S]", "a=1", "[T]", "[S]", "k=2"}), "S", "k"});
        c.append({"section ends at the next section line", Unicode({"[S]", "x=1", "[T]", "k=2"}), "S", "k"});
        c.append({"key of another section", Unicode({"[A]", "k=1", "[S]", "x=2"}), "S", "k"});
        c.append({"key before any section", Unicode({"k=1", "[S]"}), "S", "k"});
        c.append({"line without = alone is no key", Unicode({"[S]", "k"}), "S", "k"});
        c.append({"line without = before the key", Unicode({"[S]", "k", "k=2"}), "S", "k", Mark::Deliberate, "2",
                  kBareLine});
        c.append({"absent key gives the default", Unicode({"[S]", "other=1"}), "S", "k"});
        c.append({"missing section", Unicode({"[A]", "k=1"}), "S", "k"});
        // Long values
        c.append({"value of 3000 characters is cut to 2047", Unicode({"[S]", "k=" + x3000}), "S", "k"});
        c.append({"value of 2047 characters", Unicode({"[S]", "k=" + x3000.left(2047)}), "S", "k"});
        c.append({"value of 2048 characters", Unicode({"[S]", "k=" + x3000.left(2048)}), "S", "k"});
        c.append({"quoted value of 2045 characters", Unicode({"[S]", "k=\"" + y2047.left(2045) + "\""}), "S", "k"});
        c.append({"quoted value of 2047 characters", Unicode({"[S]", "k=\"" + y2047 + "\""}), "S", "k",
                  Mark::Deliberate, y2047, kQuotedCut});
        // Files and line ends
        c.append({"missing file gives the default", {}, "S", "k", Mark::None, {}, "", true});
        c.append({"empty file", QByteArray(""), "S", "k"});
        c.append({"ANSI file with CR LF", QByteArray("[S]\r\nk=1\r\nj=2\r\n"), "S", "j"});
        c.append({"ANSI file with CR only", QByteArray("[S]\rk=1\rj=2\r"), "S", "j"});
        c.append({"ANSI file with LF only", QByteArray("[S]\nk=1\nj=2\n"), "S", "j"});
        c.append({"ANSI file with mixed line ends", QByteArray("[A]\rx=1\r\n[S]\nk=1\rj=2"), "S", "j"});
        c.append({"ANSI file without a final line end", QByteArray("[S]\r\nk=last"), "S", "k"});
        return c;
    }();
    return cases;
}

struct IntCase {
    const char* name;
    QString value; // the text after "SQLport="; null: only a commented line
    Mark mark = Mark::None;
    int expected = 0; // marked rows: our answer
    const char* reason = "";
};

constexpr int kIntDefault = 3306;
const char* const kWholeText = "we convert the whole value (ini.h): a text that is not wholly a number gives the "
                               "default; GetPrivateProfileInt takes what its leading characters make, 0 for none";
const char* const kWrap = "beyond 32 bits we give the default; GetPrivateProfileInt wraps around";
const char* const kCapitalX = "we read 0X as hexadecimal as well as 0x; GetPrivateProfileInt only the small x";

const QList<IntCase>& IntCases() {
    static const QList<IntCase> cases = {
        {"decimal", "3307"},
        {"leading zeros are decimal", "010"},
        {"negative", "-12"},
        {"minus one", "-1"},
        {"plus sign", "+5"},
        {"smallest integer", "-2147483648"},
        {"largest integer", "2147483647"},
        {"hexadecimal", "0x0CEB"},
        {"hexadecimal filling 32 bits", "0xFFFFFFFF"},
        {"blanks around are trimmed", "  7 "},
        {"quoted number", "\"42\""},
        {"empty value gives the default", ""},
        {"absent key gives the default", QString()},
        {"hexadecimal with capital X", "0X1f", Mark::Deliberate, 31, kCapitalX},
        {"digits then letters", "12ab", Mark::Deliberate, kIntDefault, kWholeText},
        {"letters", "abc", Mark::Deliberate, kIntDefault, kWholeText},
        {"blank inside", "1 2", Mark::Deliberate, kIntDefault, kWholeText},
        {"a sign alone", "-", Mark::Deliberate, kIntDefault, kWholeText},
        {"0x alone", "0x", Mark::Deliberate, kIntDefault, kWholeText},
        {"hexadecimal with a bad digit", "0x1G", Mark::Deliberate, kIntDefault, kWholeText},
        {"dollar sign before hexadecimal digits", "$1F", Mark::Deliberate, kIntDefault, kWholeText},
        {"one beyond the largest integer", "2147483648", Mark::Deliberate, kIntDefault, kWrap},
        {"2 to the 32 plus one", "4294967297", Mark::Deliberate, kIntDefault, kWrap},
        {"hexadecimal beyond 32 bits", "0x100000000", Mark::Deliberate, kIntDefault, kWrap},
    };
    return cases;
}

QByteArray IntFile(const IntCase& c) {
    return Unicode(c.value.isNull() ? QStringList{"[LogON]", ";SQLport=1"}
                                    : QStringList{"[LogON]", "SQLport=" + c.value});
}

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}
} // namespace

class TestOracleIni : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void readString_data();
    void readString();
    void readInt_data();
    void readInt();

private:
    QString StringFile(int i) const {
        return m_dir.filePath(QStringLiteral("s%1.ini").arg(i, 3, 10, QLatin1Char('0')));
    }
    QString IntFilePath(int i) const {
        return m_dir.filePath(QStringLiteral("i%1.ini").arg(i, 3, 10, QLatin1Char('0')));
    }

    QTemporaryDir m_dir;
    QList<QStringList> m_stringAnswers;
    QList<QStringList> m_intAnswers;
};

void TestOracleIni::initTestCase() {
    QVERIFY(m_dir.isValid());
    QStringList requests;
    const auto& strings = StringCases();
    for (int i = 0; i < strings.size(); ++i) {
        const StringCase& c = strings[i];
        if (!c.missing) QVERIFY(WriteBytes(StringFile(i), c.file));
        requests << QStringList{"S",
                                oracle::Hex(oracle::WinePath(StringFile(i))),
                                oracle::Hex(c.section),
                                oracle::Hex(c.key),
                                oracle::Hex(kDefault),
                                QString::number(kBufferSize)}
                        .join(u'\t');
    }
    const auto& ints = IntCases();
    for (int i = 0; i < ints.size(); ++i) {
        QVERIFY(WriteBytes(IntFilePath(i), IntFile(ints[i])));
        requests << QStringList{"I", oracle::Hex(oracle::WinePath(IntFilePath(i))), oracle::Hex(u"LogON"),
                                oracle::Hex(u"SQLport"), QString::number(kIntDefault)}
                        .join(u'\t');
    }
    QString error;
    const QList<QStringList> answers = oracle::Ask("KOVALT_PROBE_PROFILE", requests, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    m_stringAnswers = answers.mid(0, strings.size());
    m_intAnswers = answers.mid(strings.size());
}

void TestOracleIni::readString_data() {
    QTest::addColumn<int>("index");
    for (int i = 0; i < StringCases().size(); ++i)
        QTest::newRow(StringCases()[i].name) << i;
}

void TestOracleIni::readString() {
    QFETCH(int, index);
    const StringCase& c = StringCases()[index];
    const QStringList& answer = m_stringAnswers[index];
    QCOMPARE(answer.size(), 3);
    QCOMPARE(answer[0], QStringLiteral("S"));
    const auto windows = oracle::TextFromHex(answer[2]);
    QVERIFY2(windows, qPrintable(answer.join(u' ')));
    // The count Windows returns is the length of what it copied.
    QCOMPARE(answer[1].toInt(), int(windows->size()));
    QVERIFY(windows->size() < kBufferSize);
    const QString ours = IniFileReadString(StringFile(index), c.section, c.key, kDefault);
    const QString problem = oracle::Judge(ours, *windows, c.mark, c.expected, c.reason);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void TestOracleIni::readInt_data() {
    QTest::addColumn<int>("index");
    for (int i = 0; i < IntCases().size(); ++i)
        QTest::newRow(IntCases()[i].name) << i;
}

void TestOracleIni::readInt() {
    QFETCH(int, index);
    const IntCase& c = IntCases()[index];
    const QStringList& answer = m_intAnswers[index];
    QCOMPARE(answer.size(), 2);
    QCOMPARE(answer[0], QStringLiteral("I"));
    bool ok = false;
    const int windows = answer[1].toInt(&ok);
    QVERIFY2(ok, qPrintable(answer.join(u' ')));
    const int ours =
        IniFileReadInt(IntFilePath(index), QStringLiteral("LogON"), QStringLiteral("SQLport"), kIntDefault);
    const QString problem = oracle::Judge(ours, windows, c.mark, c.expected, c.reason);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

QTEST_GUILESS_MAIN(TestOracleIni)
#include "tst_oracle_ini.moc"
