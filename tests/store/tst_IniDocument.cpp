#include "store/IniDocument.h"

#include <QTest>
#include <algorithm>
#include <random>
#include <vector>

using lanvex::store::IniDocument;

namespace {

std::string bytes(const QByteArray& b)
{
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}
QByteArray qbytes(const std::string& s)
{
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

// "办公室" and "家里" in code page 936, as the Windows original stores them.
const QByteArray kOfficeGbk = "\xB0\xEC\xB9\xAB\xCA\xD2";
const QByteArray kHomeGbk = "\xBC\xD2\xC0\xEF";

} // namespace

class TestIniDocument : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsTheWayTheProfileFunctionsDo_data();
    void readsTheWayTheProfileFunctionsDo();
    void readInt_data();
    void readInt();
    void writesTouchOnlyWhatTheyChange_data();
    void writesTouchOnlyWhatTheyChange();
    void refusesTextThatWouldNotReadBack_data();
    void refusesTextThatWouldNotReadBack();
    void valuesReadBackExactlyAsWritten_data();
    void valuesReadBackExactlyAsWritten();
    void deleteRemovesOnlyTheFirstSectionOfThatName();
    void deleteThenWriteLeavesWhatSeparateWritesWould_data();
    void deleteThenWriteLeavesWhatSeparateWritesWould();
    void windowsFileReadsAndRewritesByteForByte();
    void everyPairOfCodePage936ReadsAndWritesBack();
    void parseThenSerializeKeepsEveryByte_data();
    void parseThenSerializeKeepsEveryByte();
    void longRunsOfEditsMatchASimpleModel();
};

void TestIniDocument::readsTheWayTheProfileFunctionsDo_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("expected"); // UTF-8; "<none>" when the fallback comes back

    const QByteArray none = "<none>";
    QTest::newRow("letter case ignored") << QByteArray("[CoMmOn]\r\nsItEs=a\r\n") << QByteArray("common")
                                         << QByteArray("SITES") << QByteArray("a");
    QTest::newRow("blanks around names and value")
        << QByteArray(" [ \tOffice  ]\r\n  IP \t=  10.0.0.1 \t\r\n") << QByteArray(" Office ") << QByteArray("\tIP")
        << QByteArray("10.0.0.1");
    QTest::newRow("double quotes stripped once")
        << QByteArray("[s]\nk=\"\"x\"\"\n") << QByteArray("s") << QByteArray("k") << QByteArray("\"x\"");
    QTest::newRow("single quotes stripped")
        << QByteArray("[s]\nk=  'x y'  \n") << QByteArray("s") << QByteArray("k") << QByteArray("x y");
    QTest::newRow("mismatched quotes kept")
        << QByteArray("[s]\nk=\"x'\n") << QByteArray("s") << QByteArray("k") << QByteArray("\"x'");
    QTest::newRow("lone quote kept") << QByteArray("[s]\nk=\"\n") << QByteArray("s") << QByteArray("k")
                                     << QByteArray("\"");
    QTest::newRow("empty value gives fallback")
        << QByteArray("[s]\nk=\n") << QByteArray("s") << QByteArray("k") << none;
    QTest::newRow("empty quotes give fallback")
        << QByteArray("[s]\nk=\"\"\n") << QByteArray("s") << QByteArray("k") << none;
    QTest::newRow("semicolon line is a comment")
        << QByteArray("[s]\n  ;k=1\n") << QByteArray("s") << QByteArray(";k") << none;
    QTest::newRow("hash is not a comment")
        << QByteArray("[s]\n#k=1\n") << QByteArray("s") << QByteArray("#k") << QByteArray("1");
    QTest::newRow("semicolon later belongs to the value")
        << QByteArray("[s]\nk=a ; b\n") << QByteArray("s") << QByteArray("k") << QByteArray("a ; b");
    QTest::newRow("first equals sign splits")
        << QByteArray("[s]\nk=a=b\n") << QByteArray("s") << QByteArray("k") << QByteArray("a=b");
    QTest::newRow("line without equals is no key")
        << QByteArray("[s]\nk\nk=2\n") << QByteArray("s") << QByteArray("k") << QByteArray("2");
    QTest::newRow("name runs to the last bracket")
        << QByteArray("[a]b]junk\nk=1\n") << QByteArray("a]b") << QByteArray("k") << QByteArray("1");
    QTest::newRow("bracket line without close opens nothing")
        << QByteArray("[s]\n[t\nk=1\n") << QByteArray("s") << QByteArray("k") << QByteArray("1");
    QTest::newRow("first duplicate section wins")
        << QByteArray("[s]\nk=1\n[S]\nk=2\nj=3\n") << QByteArray("s") << QByteArray("j") << none;
    QTest::newRow("first duplicate key wins")
        << QByteArray("[s]\nK=1\nk=2\n") << QByteArray("s") << QByteArray("k") << QByteArray("1");
    QTest::newRow("keys before any section are unreachable")
        << QByteArray("k=1\n[s]\n") << QByteArray("") << QByteArray("k") << none;
    QTest::newRow("bare CR ends a line") << QByteArray("[s]\rk=1\rj=2") << QByteArray("s") << QByteArray("j")
                                         << QByteArray("2");
    QTest::newRow("mixed line ends") << QByteArray("[s]\r\nk=1\nj=2\rm=3") << QByteArray("s") << QByteArray("m")
                                     << QByteArray("3");
    QTest::newRow("value stops at NUL") << QByteArray("[s]\nk=ab\0cd\n", 12) << QByteArray("s") << QByteArray("k")
                                        << QByteArray("ab");
    QTest::newRow("GBK section and value") << QByteArray("[" + kOfficeGbk + "]\r\nPrinterName=" + kHomeGbk + "\r\n")
                                           << QByteArray("办公室") << QByteArray("PrinterName") << QByteArray("家里");
    // 0x5D as a trail byte: with no real "]" the line opens no section.
    QTest::newRow("trail byte is not a closing bracket")
        << QByteArray("[s]\n[\x81\x5D\nk=1\n") << QByteArray("s") << QByteArray("k") << QByteArray("1");
    QTest::newRow("trail bytes inside a section name") << QByteArray("[\x81\x5D\x81\x5B\x81\x5C]\nk=1\n")
                                                       << QByteArray("乚乕乗") << QByteArray("k") << QByteArray("1");
    // 丄 is 81 41 and 乤 is 81 61: their trail bytes must not be folded like letters.
    QTest::newRow("trail letters are not case folded")
        << QByteArray("[\x81\x61]\nk=1\n") << QByteArray("丄") << QByteArray("k") << none;
    QTest::newRow("UTF-8 byte-order mark") << QByteArray("\xEF\xBB\xBF[办公室]\nk=家里\n") << QByteArray("办公室")
                                           << QByteArray("k") << QByteArray("家里");
    QTest::newRow("invalid GBK reads as replacement") << QByteArray("[s]\nk=a\xFF\x81\n") << QByteArray("s")
                                                      << QByteArray("k") << QByteArray("a\xEF\xBF\xBD\xEF\xBF\xBD");
    // Pairs outside the user-defined areas that glibc leaves unassigned: the private-use characters
    // Windows gives them (first and last of the table, and one of its longest run).
    QTest::newRow("unassigned pairs read as Windows reads them") << QByteArray("[s]\nk=a\xA2\xAB\xFE\x50\xFE\xA0"
                                                                               "b\n")
                                                                 << QByteArray("s") << QByteArray("k")
                                                                 << QByteArray("a\xEE\x9D\xA6\xEE\xA0\x95\xEE\xA1\xA4"
                                                                               "b");
    // Characters of the user-defined areas, as Windows maps them: the first and last of each area.
    QTest::newRow("user-defined characters")
        << QByteArray("[s]\nk=\xAA\xA1\xAF\xFE\xF8\xA1\xFE\xFE\xA1\x40\xA7\xA0\n") << QByteArray("s") << QByteArray("k")
        << QByteArray("\xEE\x80\x80\xEE\x88\xB3\xEE\x88\xB4\xEE\x93\x85"
                      "\xEE\x93\x86\xEE\x9D\xA5");
    QTest::newRow("200 bytes read as 143") << QByteArray("[s]\nIP=" + QByteArray(200, '7') + "\n") << QByteArray("s")
                                           << QByteArray("IP") << QByteArray(143, '7');
    QTest::newRow("cut never splits a GBK character")
        << QByteArray("[s]\nk=a" + QByteArray(kHomeGbk).repeated(36) + "\n") << QByteArray("s") << QByteArray("k")
        << QByteArray("a" + QByteArray("家里").repeated(35) + "家");
    QTest::newRow("cut in a UTF-8 file counts GBK widths")
        << QByteArray("\xEF\xBB\xBF[s]\nk=a" + QByteArray("家里").repeated(36) + "\n") << QByteArray("s")
        << QByteArray("k") << QByteArray("a" + QByteArray("家里").repeated(35) + "家");
    QTest::newRow("cut in a UTF-8 file counts bytes that are no character singly")
        << QByteArray("\xEF\xBB\xBF[s]\nk=" + QByteArray("\xF0\x8C\x8C\x8C").repeated(40) + "\n") << QByteArray("s")
        << QByteArray("k") << QByteArray("\xEF\xBF\xBD").repeated(143);
}

void TestIniDocument::readsTheWayTheProfileFunctionsDo()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, expected);
    const IniDocument doc = IniDocument::Parse(bytes(file));
    QCOMPARE(qbytes(doc.ReadString(bytes(section), bytes(key), "<none>")), expected);
}

void TestIniDocument::readInt_data()
{
    QTest::addColumn<QByteArray>("value"); // "<missing>" for no key at all
    QTest::addColumn<int>("fallback");
    QTest::addColumn<int>("expected");

    QTest::newRow("one") << QByteArray("1") << 0 << 1;
    QTest::newRow("two") << QByteArray("2") << 0 << 2;
    QTest::newRow("minus one") << QByteArray("-1") << 0 << -1;
    QTest::newRow("plus sign") << QByteArray("+7") << 0 << 7;
    QTest::newRow("leading blanks and trailing text") << QByteArray("  42abc") << 0 << 42;
    QTest::newRow("quoted") << QByteArray("\"5\"") << 0 << 5;
    QTest::newRow("no digits") << QByteArray("yes") << 9 << 0;
    QTest::newRow("sign only") << QByteArray("-") << 9 << 0;
    QTest::newRow("empty gives fallback") << QByteArray("") << 9 << 9;
    QTest::newRow("missing gives fallback") << QByteArray("<missing>") << -3 << -3;
    QTest::newRow("16-bit top") << QByteArray("32767") << 0 << 32767;
    QTest::newRow("clamped high") << QByteArray("32768") << 0 << 32767;
    QTest::newRow("clamped low") << QByteArray("-40000") << 0 << -32768;
    QTest::newRow("huge stays positive") << QByteArray("99999999999999999999999") << 0 << 32767;
    QTest::newRow("fallback clamped") << QByteArray("<missing>") << 100000 << 32767;
}

void TestIniDocument::readInt()
{
    QFETCH(QByteArray, value);
    QFETCH(int, fallback);
    QFETCH(int, expected);
    const QByteArray file = value == "<missing>" ? QByteArray("[s]\n") : "[s]\nk=" + value + "\n";
    QCOMPARE(int(IniDocument::Parse(bytes(file)).ReadInt("s", "k", fallback)), expected);
}

void TestIniDocument::writesTouchOnlyWhatTheyChange_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("new file") << QByteArray() << QByteArray("Common") << QByteArray("Sites") << QByteArray("a,b")
                              << QByteArray("[Common]\r\nSites=a,b\r\n");
    QTest::newRow("replace in place keeps spelling")
        << QByteArray("; note\r\n[S]\r\n  Ip = 1 \r\nx=2\r\n") << QByteArray("s") << QByteArray("IP") << QByteArray("3")
        << QByteArray("; note\r\n[S]\r\nIp=3\r\nx=2\r\n");
    QTest::newRow("new key after the last key line")
        << QByteArray("[a]\r\nk=1\r\n\r\n; c\r\n[b]\r\nk=2\r\n") << QByteArray("a") << QByteArray("j")
        << QByteArray("5") << QByteArray("[a]\r\nk=1\r\nj=5\r\n\r\n; c\r\n[b]\r\nk=2\r\n");
    QTest::newRow("new key in a section without keys")
        << QByteArray("[a]\r\n\r\n[b]\r\n") << QByteArray("a") << QByteArray("j") << QByteArray("5")
        << QByteArray("[a]\r\nj=5\r\n\r\n[b]\r\n");
    QTest::newRow("new section at the end") << QByteArray("[a]\r\nk=1\r\n") << QByteArray("b") << QByteArray("k")
                                            << QByteArray("2") << QByteArray("[a]\r\nk=1\r\n[b]\r\nk=2\r\n");
    QTest::newRow("no final newline") << QByteArray("[a]\r\nk=1") << QByteArray("a") << QByteArray("j")
                                      << QByteArray("2") << QByteArray("[a]\r\nk=1\r\nj=2\r\n");
    QTest::newRow("LF file gets LF lines") << QByteArray("[a]\nk=1\n") << QByteArray("b") << QByteArray("k")
                                           << QByteArray("2") << QByteArray("[a]\nk=1\n[b]\nk=2\n");
    QTest::newRow("write goes to the first of duplicate sections")
        << QByteArray("[a]\r\nk=1\r\n[A]\r\nj=2\r\n") << QByteArray("A") << QByteArray("j") << QByteArray("5")
        << QByteArray("[a]\r\nk=1\r\nj=5\r\n[A]\r\nj=2\r\n");
    QTest::newRow("new key takes the line end of the line above")
        << QByteArray("[a]\rk=1\n\n[b]\r") << QByteArray("a") << QByteArray("j") << QByteArray("5")
        << QByteArray("[a]\rk=1\nj=5\n\n[b]\r");
    QTest::newRow("untouched invalid bytes stay")
        << QByteArray("[a]\r\nbad=\xFF\x80\x81\r\nk=1\r\n") << QByteArray("a") << QByteArray("k") << QByteArray("2")
        << QByteArray("[a]\r\nbad=\xFF\x80\x81\r\nk=2\r\n");
    QTest::newRow("GBK section found through trail bytes")
        << QByteArray("[\x81\x5D]\r\nk=1\r\n") << QByteArray("乚") << QByteArray("k") << QByteArray("2")
        << QByteArray("[\x81\x5D]\r\nk=2\r\n");
    QTest::newRow("value stored in GBK") << QByteArray("[s]\r\n") << QByteArray("办公室") << QByteArray("k")
                                         << QByteArray("家里")
                                         << QByteArray("[s]\r\n[" + kOfficeGbk + "]\r\nk=" + kHomeGbk + "\r\n");
    QTest::newRow("user-defined characters stored in their own bytes")
        << QByteArray("[s]\r\n") << QByteArray("s") << QByteArray("k")
        << QByteArray("\xEE\x80\x80\xEE\x93\x86\xEE\x9D\xA5\xEE\xA1\xA4")
        << QByteArray("[s]\r\nk=\xAA\xA1\xA1\x40\xA7\xA0\xFE\xA0\r\n");
    QTest::newRow("UTF-8 file stays UTF-8") << QByteArray("\xEF\xBB\xBF[s]\n") << QByteArray("s") << QByteArray("k")
                                            << QByteArray("家") << QByteArray("\xEF\xBB\xBF[s]\nk=家\n");
    QTest::newRow("section name is trimmed")
        << QByteArray() << QByteArray(" B ") << QByteArray(" k ") << QByteArray("v") << QByteArray("[B]\r\nk=v\r\n");
    QTest::newRow("surrounding blanks are quoted") << QByteArray() << QByteArray("s") << QByteArray("k")
                                                   << QByteArray(" v ") << QByteArray("[s]\r\nk=\" v \"\r\n");
    QTest::newRow("minus sign and digits")
        << QByteArray() << QByteArray("s") << QByteArray("k") << QByteArray("-12") << QByteArray("[s]\r\nk=-12\r\n");
}

void TestIniDocument::writesTouchOnlyWhatTheyChange()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, after);
    IniDocument doc = IniDocument::Parse(bytes(before));
    QVERIFY(doc.WriteString(bytes(section), bytes(key), bytes(value)));
    QCOMPARE(qbytes(doc.Serialize()), after);
    QCOMPARE(qbytes(IniDocument::Parse(doc.Serialize()).ReadString(bytes(section), bytes(key), "")), value);
}

void TestIniDocument::refusesTextThatWouldNotReadBack_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");

    QTest::newRow("LF in value") << QByteArray("s") << QByteArray("k") << QByteArray("a\nb=c");
    QTest::newRow("CR in value") << QByteArray("s") << QByteArray("k") << QByteArray("a\r[x]");
    QTest::newRow("CR in section") << QByteArray("s\r") << QByteArray("k") << QByteArray("v");
    QTest::newRow("NUL in value") << QByteArray("s") << QByteArray("k") << QByteArray("a\0b", 3);
    QTest::newRow("equals in key") << QByteArray("s") << QByteArray("a=b") << QByteArray("v");
    QTest::newRow("key would be a comment") << QByteArray("s") << QByteArray(";k") << QByteArray("v");
    QTest::newRow("key would open a section") << QByteArray("s") << QByteArray("[k") << QByteArray("v");
    QTest::newRow("bracket in section") << QByteArray("a]b") << QByteArray("k") << QByteArray("v");
    QTest::newRow("empty key") << QByteArray("s") << QByteArray("  ") << QByteArray("v");
    QTest::newRow("empty section") << QByteArray("") << QByteArray("k") << QByteArray("v");
    QTest::newRow("emoji in value") << QByteArray("s") << QByteArray("k") << QByteArray("😀");
    QTest::newRow("private use past what code page 936 maps")
        << QByteArray("s") << QByteArray("k") << QByteArray("\xEE\xA1\xA5");
    QTest::newRow("Thai in section") << QByteArray("ก") << QByteArray("k") << QByteArray("v");
    QTest::newRow("invalid UTF-8") << QByteArray("s") << QByteArray("k") << QByteArray("\xC3");
}

void TestIniDocument::refusesTextThatWouldNotReadBack()
{
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    const std::string original = "[s]\r\nk=old\r\n";
    IniDocument doc = IniDocument::Parse(original);
    QVERIFY(!doc.WriteString(bytes(section), bytes(key), bytes(value)));
    QCOMPARE(doc.Serialize(), original);
}

void TestIniDocument::valuesReadBackExactlyAsWritten_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("leading blank") << QByteArray(" a");
    QTest::newRow("trailing tab") << QByteArray("a\t");
    QTest::newRow("only blanks") << QByteArray("   ");
    QTest::newRow("in double quotes") << QByteArray("\"q\"");
    QTest::newRow("in single quotes") << QByteArray("'q'");
    QTest::newRow("in doubled quotes") << QByteArray("\"\"q\"\"");
    QTest::newRow("quote inside") << QByteArray("a\"b");
    QTest::newRow("one quote") << QByteArray("'");
    QTest::newRow("two quotes") << QByteArray("\"\"");
    QTest::newRow("semicolon and equals") << QByteArray(";a=b");
    QTest::newRow("Chinese") << QByteArray(" 办公室 ");
}

void TestIniDocument::valuesReadBackExactlyAsWritten()
{
    QFETCH(QByteArray, value);
    for (const std::string& start : { std::string(), std::string("[s]\r\nk=old\r\n") }) {
        IniDocument doc = IniDocument::Parse(start);
        QVERIFY(doc.WriteString("s", "k", bytes(value)));
        QCOMPARE(qbytes(IniDocument::Parse(doc.Serialize()).Value("s", "k").value_or("<missing>")), value);
    }
}

void TestIniDocument::deleteRemovesOnlyTheFirstSectionOfThatName()
{
    const std::string file = ";top\r\n[a]\r\nk=1\r\n; inside a\r\n[B]\r\nk=2\r\n[b]\r\nk=3\r\n[c]\r\nk=4";
    IniDocument doc = IniDocument::Parse(file);
    QVERIFY(doc.DeleteSection(" b"));
    QCOMPARE(doc.Serialize(), std::string(";top\r\n[a]\r\nk=1\r\n; inside a\r\n[b]\r\nk=3\r\n[c]\r\nk=4"));
    // The duplicate now answers for the name, and the index still finds the sections after it.
    QCOMPARE(doc.ReadString("B", "k", ""), std::string("3"));
    QCOMPARE(doc.ReadString("c", "k", ""), std::string("4"));
    QVERIFY(doc.DeleteSection("missing"));
    QVERIFY(doc.WriteString("c", "j", "5"));
    QCOMPARE(doc.Serialize(), std::string(";top\r\n[a]\r\nk=1\r\n; inside a\r\n[b]\r\nk=3\r\n[c]\r\nk=4\r\nj=5\r\n"));
}

// A delete of a site and the rewrite of the list are one change of the file; the bytes must be
// those that the two writes, each on the file the other left, would give.
void TestIniDocument::deleteThenWriteLeavesWhatSeparateWritesWould_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("deleted");
    QTest::addColumn<QByteArray>("after"); // then Common/Sites = 家里

    QTest::newRow("byte-order mark stays when the first section goes")
        << QByteArray("\xEF\xBB\xBF[办公室]\r\nIP=1\r\n[Common]\r\nSites=办公室,家里\r\n") << QByteArray("办公室")
        << QByteArray("\xEF\xBB\xBF[Common]\r\nSites=家里\r\n");
    QTest::newRow("byte-order mark stays when the only section goes")
        << QByteArray("\xEF\xBB\xBF[办公室]\nIP=1\n") << QByteArray("办公室")
        << QByteArray("\xEF\xBB\xBF[Common]\r\nSites=家里\r\n");
    QTest::newRow("mark before lines of no section")
        << QByteArray("\xEF\xBB\xBF;c\n[办公室]\nIP=1\n") << QByteArray("办公室")
        << QByteArray("\xEF\xBB\xBF;c\n[Common]\nSites=家里\n");
    QTest::newRow("added lines follow the line end of the new first line")
        << QByteArray("[a]\r\nk=1\r\n[b]\nk=2\n") << QByteArray("a")
        << QByteArray("[b]\nk=2\n[Common]\nSites=" + kHomeGbk + "\n");
    QTest::newRow("GBK file with a CR-only rest") << QByteArray("[a]\nk=1\n[b]\rk=2\r") << QByteArray("A")
                                                  << QByteArray("[b]\rk=2\r[Common]\rSites=" + kHomeGbk + "\r");
}

void TestIniDocument::deleteThenWriteLeavesWhatSeparateWritesWould()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, deleted);
    QFETCH(QByteArray, after);

    IniDocument together = IniDocument::Parse(bytes(before));
    QVERIFY(together.DeleteSection(bytes(deleted)));
    QVERIFY(together.WriteString("Common", "Sites", "家里"));

    IniDocument first = IniDocument::Parse(bytes(before));
    QVERIFY(first.DeleteSection(bytes(deleted)));
    IniDocument second = IniDocument::Parse(first.Serialize());
    QVERIFY(second.WriteString("Common", "Sites", "家里"));

    QCOMPARE(qbytes(together.Serialize()), after);
    QCOMPARE(qbytes(second.Serialize()), after);
    QCOMPARE(IniDocument::Parse(bytes(after)).Value("common", "sites").value_or(""), std::string("家里"));
}

// A settings file as the Windows original writes it: CRLF, code page 936, site names that use
// trail bytes a naive parser takes for brackets.
void TestIniDocument::windowsFileReadsAndRewritesByteForByte()
{
    const QByteArray file = "[Common]\r\nSites=" + kOfficeGbk + ",\x81\x5D\x81\x5C,Home\r\n" + "[" + kOfficeGbk
        + "]\r\nDHCPEnabled=0\r\nIP=192.168.1.10\r\nSubNetMask=255.255.255.0\r\n" + "ChangePrinter=1\r\nPrinterName="
        + kHomeGbk + "\r\n" + "[\x81\x5D\x81\x5C]\r\nDHCPEnabled=1\r\n" + "[Home]\r\nDHCPEnabled=0\r\n";
    IniDocument doc = IniDocument::Parse(bytes(file));
    QCOMPARE(doc.Value("common", "sites").value_or(""), std::string("办公室,乚乗,Home"));
    QCOMPARE(doc.ReadString("办公室", "printername", ""), std::string("家里"));
    QCOMPARE(int(doc.ReadInt("乚乗", "DHCPEnabled", 0)), 1);
    QCOMPARE(int(doc.ReadInt("home", "DHCPEnabled", 7)), 0);
    QCOMPARE(qbytes(doc.Serialize()), file);

    QVERIFY(doc.WriteString("乚乗", "IP", "10.1.1.1"));
    QVERIFY(doc.WriteString("办公室", "IP", "192.168.1.11"));
    QByteArray expected = file;
    expected.replace("IP=192.168.1.10", "IP=192.168.1.11");
    expected.replace("[\x81\x5D\x81\x5C]\r\nDHCPEnabled=1\r\n",
                     "[\x81\x5D\x81\x5C]\r\nDHCPEnabled=1\r\nIP=10.1.1.1\r\n");
    QCOMPARE(qbytes(doc.Serialize()), expected);
}

// Windows assigns a character to every lead and trail byte pair; so must the file's reader, and the
// character must be stored as the same two bytes again.
void TestIniDocument::everyPairOfCodePage936ReadsAndWritesBack()
{
    int pairs = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F)
                continue;
            const std::string pair { static_cast<char>(lead), static_cast<char>(trail) };
            const std::string text = IniDocument::Parse("[s]\r\nk=" + pair + "\r\n").ReadString("s", "k", "");
            IniDocument written = IniDocument::Parse("");
            const bool stored = written.WriteString("s", "k", text);
            if (text == "\xEF\xBF\xBD" || !stored || written.Serialize() != "[s]\r\nk=" + pair + "\r\n")
                QFAIL(qPrintable(QStringLiteral("pair %1 %2").arg(lead, 0, 16).arg(trail, 0, 16)));
            ++pairs;
        }
    }
    QCOMPARE(pairs, 126 * 190);
}

void TestIniDocument::parseThenSerializeKeepsEveryByte_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("garbage") << QByteArray("\x00\xFF[\x81]\r\r\n=\n[]]]\n\x81", 16);
    QTest::newRow("BOM only") << QByteArray("\xEF\xBB\xBF");
    QTest::newRow("blank lines and comments") << QByteArray("\r\n\r\n;x\n\t\n[a]\n\n");
}

void TestIniDocument::parseThenSerializeKeepsEveryByte()
{
    QFETCH(QByteArray, file);
    QCOMPARE(qbytes(IniDocument::Parse(bytes(file)).Serialize()), file);
}

// A file of sections and keys alone, as a list of sections each with its key lines: the rules the
// document follows for such files, written the plain way.
struct ModelFile
{
    struct Section
    {
        std::string name;
        std::vector<std::pair<std::string, std::string>> keys;
    };
    std::vector<Section> sections;

    static bool same(const std::string& a, const std::string& b)
    {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                          [](char x, char y) { return std::tolower(x) == std::tolower(y); });
    }
    Section* find(const std::string& name)
    {
        const auto it
            = std::find_if(sections.begin(), sections.end(), [&](const Section& s) { return same(s.name, name); });
        return it == sections.end() ? nullptr : &*it;
    }
    void write(const std::string& section, const std::string& key, const std::string& value)
    {
        Section* s = find(section);
        if (!s) {
            sections.push_back({ section, { { key, value } } });
            return;
        }
        for (auto& [k, v] : s->keys) {
            if (same(k, key)) {
                v = value;
                return;
            }
        }
        s->keys.emplace_back(key, value);
    }
    void deleteKey(const std::string& section, const std::string& key)
    {
        if (Section* s = find(section))
            s->keys.erase(
                std::remove_if(s->keys.begin(), s->keys.end(), [&](const auto& kv) { return same(kv.first, key); }),
                s->keys.end());
    }
    void deleteSection(const std::string& section)
    {
        if (Section* s = find(section))
            sections.erase(sections.begin() + (s - sections.data()));
    }
    std::string text() const
    {
        std::string t;
        for (const Section& s : sections) {
            t += "[" + s.name + "]\r\n";
            for (const auto& [k, v] : s.keys)
                t += k + "=" + v + "\r\n";
        }
        return t;
    }
};

// Thousands of edits of every kind, on sections read from the file and sections added, leave the
// bytes the plain rules give, and every way of taking the bytes out agrees.
void TestIniDocument::longRunsOfEditsMatchASimpleModel()
{
    std::mt19937 random(24);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const auto spelled = [&](std::string name) {
        for (char& c : name)
            if (pick(3) == 0)
                c = static_cast<char>(std::toupper(c));
        return name;
    };
    ModelFile model;
    for (int i = 0; i < 200; ++i)
        for (int k = 0; k < 5; ++k)
            model.write("site" + std::to_string(i), "key" + std::to_string(k), std::to_string(i * k));
    IniDocument doc = IniDocument::Parse(model.text());
    QVERIFY(doc.Unchanged());
    for (int step = 0; step < 30000; ++step) {
        const std::string section = spelled("site" + std::to_string(pick(step < 20000 ? 3000 : 400)));
        const std::string key = spelled("key" + std::to_string(pick(14)));
        const int what = pick(100);
        if (what < 85) {
            const std::string value = std::to_string(pick(4));
            model.write(section, key, value);
            QVERIFY(doc.WriteString(section, key, value));
        } else if (what < 97) {
            model.deleteKey(section, key);
            QVERIFY(doc.DeleteKey(section, key));
        } else {
            model.deleteSection(section);
            QVERIFY(doc.DeleteSection(section));
        }
        if (step % 5000 == 4999)
            QCOMPARE(qbytes(doc.Serialize()), qbytes(model.text()));
    }
    const std::string text = doc.Serialize();
    QCOMPARE(qbytes(text), qbytes(model.text()));
    QCOMPARE(doc.SerializedSize(), text.size());
    std::string pieces;
    QVERIFY(doc.WriteTo([&](std::string_view piece) {
        pieces += piece;
        return true;
    }));
    QCOMPARE(qbytes(pieces), qbytes(text));
    QVERIFY(!doc.Unchanged());

    // Read again: every key is found under any spelling, and writing what is there changes nothing.
    IniDocument again = IniDocument::Parse(text);
    for (const ModelFile::Section& s : model.sections) {
        for (const auto& [k, v] : s.keys) {
            QCOMPARE(again.ReadString(spelled(s.name), spelled(k), "-"), v);
            QVERIFY(again.WriteString(spelled(s.name), k, v));
        }
    }
    QVERIFY(again.Unchanged());
}

QTEST_APPLESS_MAIN(TestIniDocument)
#include "tst_IniDocument.moc"
