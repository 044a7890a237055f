// Our Windows-1250 codec (util/codepage.h) against MultiByteToWideChar and WideCharToMultiByte
// with code page 1250: every byte one by one and all at once, every character back, and characters
// the code page lacks.
#include "oracle/oracle.h"
#include "util/codepage.h"

#include <QTest>

using namespace kovalt;
using oracle::Mark;

namespace {
constexpr int kErrInvalidChars = 0x0008; // MB_ERR_INVALID_CHARS
constexpr int kNoBestFitChars = 0x0400;  // WC_NO_BEST_FIT_CHARS

const char* const kBestFit =
    "we write \"?\" for every character Windows-1250 lacks (codepage.h), as WC_NO_BEST_FIT_CHARS "
    "does; Windows' default conversion writes a look-alike where its best-fit table has one";

QByteArray AllBytes() {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    return all;
}

struct EncodeCase {
    QByteArray name;
    QString text;
    Mark bestFit = Mark::None; // the row's mark against the default conversion (flags 0)
    QByteArray ours = {};      // marked rows: our answer
};

const QList<EncodeCase>& EncodeCases() {
    static const QList<EncodeCase> cases = [] {
        QList<EncodeCase> c;
        // Each character our table gives a byte; a wrong entry shows in decode() too.
        for (int b = 0; b < 256; ++b)
            c.append({QByteArray("character of byte 0x") + QByteArray::number(b, 16).rightJustified(2, '0').toUpper(),
                      DecodeCp1250(QByteArray(1, char(b)))});
        c.append({"Czech sentence", QStringLiteral("Příliš žluťoučký kůň úpěl ďábelské ódy – „Ťuk“ €")});
        c.append({"a grave (best fit a)", QStringLiteral("\u00E0"), Mark::Deliberate, "?"});
        c.append({"A ring (best fit A)", QStringLiteral("\u00C5"), Mark::Deliberate, "?"});
        c.append({"n tilde (best fit n)", QStringLiteral("\u00F1"), Mark::Deliberate, "?"});
        c.append({"o stroke (best fit o)", QStringLiteral("\u00F8"), Mark::Deliberate, "?"});
        c.append({"ae (best fit a)", QStringLiteral("\u00E6"), Mark::Deliberate, "?"});
        c.append({"f hook (best fit f)", QStringLiteral("\u0192"), Mark::Deliberate, "?"});
        c.append({"one half (best fit 1)", QStringLiteral("\u00BD"), Mark::Deliberate, "?"});
        c.append({"right arrow (best fit 0x9B, a single angle quote)", QStringLiteral("\u2192"), Mark::Deliberate, "?"});
        c.append({"Cyrillic yo", QStringLiteral("\u0451")});
        c.append({"Chinese character", QStringLiteral("\u4E2D")});
        c.append({"replacement character", QStringLiteral("\uFFFD")});
        c.append({"text with a lacking character", QStringLiteral("Sm\u00F8rrebr\u00F8d a \u010Das"), Mark::Deliberate,
                  "Sm?rrebr?d a \xE8"
                  "as"});
        return c;
    }();
    return cases;
}

QStringList Fields(const QStringList& answer, const QString& kind, int count) {
    return answer.size() == count && answer[0] == kind ? answer : QStringList();
}
} // namespace

class TestOracleCp1250 : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void decode_data();
    void decode();
    void encode_data();
    void encode();

private:
    QList<QStringList> m_answers;
    // Where each group's answers start: decode (plain, strict) per byte, all bytes, then encode.
    qsizetype m_decodeAll = 0;
    qsizetype m_encode = 0;
};

void TestOracleCp1250::initTestCase() {
    QStringList requests;
    for (int b = 0; b < 256; ++b) {
        const QString byte = oracle::Hex(QByteArray(1, char(b)));
        requests << QStringLiteral("M\t0\t") + byte << QStringLiteral("M\t%1\t").arg(kErrInvalidChars) + byte;
    }
    m_decodeAll = requests.size();
    requests << QStringLiteral("M\t0\t") + oracle::Hex(AllBytes());
    m_encode = requests.size();
    for (const EncodeCase& c : EncodeCases()) {
        const QString text = oracle::Hex(c.text);
        requests << QStringLiteral("W\t%1\t").arg(kNoBestFitChars) + text << QStringLiteral("W\t0\t") + text;
    }
    QString error;
    m_answers = oracle::Ask("KOVALT_PROBE_CP1250", requests, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

void TestOracleCp1250::decode_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("plain");
    QTest::addColumn<int>("strict");
    for (int b = 0; b < 256; ++b)
        QTest::addRow("byte 0x%02X", b) << QByteArray(1, char(b)) << 2 * b << 2 * b + 1;
    // No state carries from byte to byte.
    QTest::newRow("all 256 bytes at once") << AllBytes() << int(m_decodeAll) << -1;
}

void TestOracleCp1250::decode() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, plain);
    QFETCH(int, strict);
    const QString ours = DecodeCp1250(bytes);
    for (const int at : {plain, strict}) {
        if (at < 0) continue;
        const QStringList answer = Fields(m_answers[at], QStringLiteral("M"), 4);
        QVERIFY2(!answer.isEmpty(), qPrintable(m_answers[at].join(u' ')));
        // Every byte converts, the five Windows-1250 leaves undefined too: even the strict
        // conversion maps them to the code points of the same number (0x81 to U+0081).
        QCOMPARE(answer[1].toInt(), int(bytes.size()));
        const auto windows = oracle::TextFromHex(answer[3]);
        QVERIFY(windows);
        const QString problem = oracle::Judge(ours, *windows, Mark::None, QString(), "");
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
}

void TestOracleCp1250::encode_data() {
    QTest::addColumn<int>("index");
    for (int i = 0; i < EncodeCases().size(); ++i)
        QTest::newRow(EncodeCases()[i].name.constData()) << i;
}

void TestOracleCp1250::encode() {
    QFETCH(int, index);
    const EncodeCase& c = EncodeCases()[index];
    const QByteArray ours = EncodeCp1250(c.text);
    // Without best fit: what the code page holds, "?" for the rest.
    const QStringList exact = Fields(m_answers[m_encode + 2 * index], QStringLiteral("W"), 5);
    QVERIFY2(!exact.isEmpty(), qPrintable(m_answers[m_encode + 2 * index].join(u' ')));
    const auto windowsExact = oracle::BytesFromHex(exact[4]);
    QVERIFY(windowsExact);
    QString problem = oracle::Judge(ours, *windowsExact, Mark::None, QByteArray(), "");
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    // The default conversion.
    const QStringList fitted = Fields(m_answers[m_encode + 2 * index + 1], QStringLiteral("W"), 5);
    QVERIFY2(!fitted.isEmpty(), qPrintable(m_answers[m_encode + 2 * index + 1].join(u' ')));
    const auto windowsFitted = oracle::BytesFromHex(fitted[4]);
    QVERIFY(windowsFitted);
    problem = oracle::Judge(ours, *windowsFitted, c.bestFit, c.ours, kBestFit);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

QTEST_GUILESS_MAIN(TestOracleCp1250)
#include "tst_oracle_cp1250.moc"
