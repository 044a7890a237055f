#include "util/error.h"
#include "util/textfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kovalt;

Q_DECLARE_METATYPE(kovalt::TextEncoding)

class TestTextFile : public QObject {
    Q_OBJECT
private slots:
    void decode_data();
    void decode();
    void encode_data();
    void encode();
    void writeThenRead_keepsLinesAndEncoding_data();
    void writeThenRead_keepsLinesAndEncoding();
    void readTextFile_missingFileThrowsNamingIt();
    void readTextFileOrEmpty_missingFileGivesNoLines();
};

void TestTextFile::decode_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("ANSI Czech letters are Windows-1250")
        << QByteArray("\x9Elu\x9Dou\xE8k\xFD k\xF9\xF2\r\n\x8A\xC8") << TextEncoding::Ansi
        << QStringList{QStringLiteral("žluťoučký kůň"), QStringLiteral("ŠČ")};
    QTest::newRow("UTF-8 without mark is ANSI")
        << QByteArray("\xC4\x8D") << TextEncoding::Ansi << QStringList{QStringLiteral("ÄŤ")};
    QTest::newRow("UTF-8 mark") << QByteArray("\xEF\xBB\xBF\xC5\xBE\r\nb") << TextEncoding::Utf8
                                << QStringList{QStringLiteral("ž"), QStringLiteral("b")};
    QTest::newRow("UTF-16 LE mark") << QByteArray("\xFF\xFE\x7E\x01\r\0\n\0b\0", 10) << TextEncoding::Utf16LE
                                    << QStringList{QStringLiteral("ž"), QStringLiteral("b")};
    QTest::newRow("UTF-16 BE mark") << QByteArray("\xFE\xFF\x01\x7E\0\r\0\n\0b", 10) << TextEncoding::Utf16BE
                                    << QStringList{QStringLiteral("ž"), QStringLiteral("b")};
    QTest::newRow("CR LF, LF and lone CR all end lines")
        << QByteArray("a\r\nb\nc\rd") << TextEncoding::Ansi << QStringList{"a", "b", "c", "d"};
    QTest::newRow("final line break adds no empty line")
        << QByteArray("a\r\nb\r\n") << TextEncoding::Ansi << QStringList{"a", "b"};
    QTest::newRow("empty line before the final break stays")
        << QByteArray("a\r\n\r\n") << TextEncoding::Ansi << QStringList{"a", ""};
    QTest::newRow("CR then CR LF is two breaks")
        << QByteArray("a\r\r\nb") << TextEncoding::Ansi << QStringList{"a", "", "b"};
    QTest::newRow("LF then CR is two breaks")
        << QByteArray("a\n\rb") << TextEncoding::Ansi << QStringList{"a", "", "b"};
    QTest::newRow("empty file") << QByteArray() << TextEncoding::Ansi << QStringList{};
    QTest::newRow("only a mark") << QByteArray("\xEF\xBB\xBF") << TextEncoding::Utf8 << QStringList{};
    QTest::newRow("UTF-8 mark twice keeps the second in the first line")
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF" "a") << TextEncoding::Utf8 << QStringList{QStringLiteral("\uFEFFa")};
    QTest::newRow("UTF-8 sequence cut at the end is a replacement character")
        << QByteArray("\xEF\xBB\xBF" "a\xC5") << TextEncoding::Utf8 << QStringList{QStringLiteral("a\uFFFD")};
    QTest::newRow("lone break is one empty line") << QByteArray("\n") << TextEncoding::Ansi << QStringList{""};
}

void TestTextFile::decode() {
    QFETCH(QByteArray, bytes);
    QFETCH(TextEncoding, encoding);
    QFETCH(QStringList, lines);
    const TextFile file = DecodeText(bytes);
    QCOMPARE(file.lines, lines);
    QCOMPARE(file.encoding, encoding);
}

void TestTextFile::encode_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<QByteArray>("bytes");
    const QStringList czech{QStringLiteral("žluť"), QString()};
    QTest::newRow("ANSI, CR LF after every line") << czech << TextEncoding::Ansi << QByteArray("\x9Elu\x9D\r\n\r\n");
    QTest::newRow("ANSI, a letter it lacks becomes ?")
        << QStringList{QStringLiteral("ø€")} << TextEncoding::Ansi << QByteArray("?\x80\r\n");
    QTest::newRow("UTF-8 with its mark") << czech << TextEncoding::Utf8
                                         << QByteArray("\xEF\xBB\xBF\xC5\xBElu\xC5\xA5\r\n\r\n");
    QTest::newRow("UTF-16 LE with its mark")
        << QStringList{QStringLiteral("ž")} << TextEncoding::Utf16LE << QByteArray("\xFF\xFE\x7E\x01\r\0\n\0", 8);
    QTest::newRow("UTF-16 BE with its mark")
        << QStringList{QStringLiteral("ž")} << TextEncoding::Utf16BE << QByteArray("\xFE\xFF\x01\x7E\0\r\0\n", 8);
    QTest::newRow("no lines, ANSI") << QStringList{} << TextEncoding::Ansi << QByteArray();
    QTest::newRow("one empty line") << QStringList{QString()} << TextEncoding::Ansi << QByteArray("\r\n");
}

void TestTextFile::encode() {
    QFETCH(QStringList, lines);
    QFETCH(TextEncoding, encoding);
    QFETCH(QByteArray, bytes);
    QCOMPARE(EncodeText(lines, encoding), bytes);
}

void TestTextFile::writeThenRead_keepsLinesAndEncoding_data() {
    QTest::addColumn<QByteArray>("original");
    QTest::addColumn<QByteArray>("rewritten");
    QTest::newRow("ANSI with LF gets CR LF")
        << QByteArray("[LogON]\n;\xC8\x61st\n") << QByteArray("[LogON]\r\n;\xC8\x61st\r\n");
    QTest::newRow("UTF-8 with lone CR gets CR LF")
        << QByteArray("\xEF\xBB\xBF\xC4\x8C\rx") << QByteArray("\xEF\xBB\xBF\xC4\x8C\r\nx\r\n");
    QTest::newRow("UTF-16 BE with LF gets CR LF")
        << QByteArray("\xFE\xFF\0a\0\n\0b", 8) << QByteArray("\xFE\xFF\0a\0\r\0\n\0b\0\r\0\n", 14);
    QTest::newRow("UTF-8 with a doubled mark keeps both")
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF;x") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF;x\r\n");
}

void TestTextFile::writeThenRead_keepsLinesAndEncoding() {
    QFETCH(QByteArray, original);
    QFETCH(QByteArray, rewritten);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("a.ini"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(original);
    }
    const TextFile read = ReadTextFile(path);
    WriteTextFile(path, read.lines, read.encoding);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), rewritten);
    QCOMPARE(ReadTextFile(path).lines, read.lines);
}

void TestTextFile::readTextFile_missingFileThrowsNamingIt() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing.ini"));
    try {
        ReadTextFile(path);
        QFAIL("no error for a missing file");
    } catch (const Error& e) {
        QVERIFY2(e.message().contains(QStringLiteral("missing.ini")), qPrintable(e.message()));
    }
}

void TestTextFile::readTextFileOrEmpty_missingFileGivesNoLines() {
    QTemporaryDir dir;
    const TextFile file = ReadTextFileOrEmpty(dir.filePath(QStringLiteral("missing.ini")));
    QVERIFY(file.lines.isEmpty());
    QCOMPARE(file.encoding, TextEncoding::Ansi);
}

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
