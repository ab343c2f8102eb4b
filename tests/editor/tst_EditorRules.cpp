#include "editor/EditorRules.h"

#include <QTest>

using namespace lanvex::editor;

class TestEditorRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void isValidIPText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("fifteen characters") << "255.255.255.255" << true;
        QTest::newRow("all zero") << "0.0.0.0" << true;
        QTest::newRow("leading zeros, 15 chars") << "010.001.000.255" << true;
        QTest::newRow("plain") << "192.168.1.10" << true;
        QTest::newRow("16 chars, parts fine") << "192.168.001.0010" << false;
        QTest::newRow("256") << "192.168.1.256" << false;
        QTest::newRow("999 in first part") << "999.1.1.1" << false;
        QTest::newRow("three parts") << "192.168.1" << false;
        QTest::newRow("trailing dot") << "192.168.1.1." << false;
        QTest::newRow("leading dot") << ".1.1.1" << false;
        QTest::newRow("five parts") << "1.2.3.4.5" << false;
        QTest::newRow("empty part") << "1..2.3" << false;
        QTest::newRow("letters") << "a.b.c.d" << false;
        QTest::newRow("digits then letter") << "1a.1.1.1" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("only dots") << "..." << false;
        QTest::newRow("plus sign") << "+1.1.1.1" << false;
        QTest::newRow("minus sign") << "-1.1.1.1" << false;
        QTest::newRow("leading blank") << " 1.1.1.1" << false;
        QTest::newRow("blank inside part") << "1. 1.1.1" << false;
        QTest::newRow("trailing blank") << "1.1.1.1 " << false;
        QTest::newRow("hex notation") << "0x1.1.1.1" << false;
        QTest::newRow("full-width digit") << QStringLiteral("１.1.1.1") << false;
        QTest::newRow("long zero run within 15") << "0000000.0.0.00" << true;
    }

    void isValidIPText()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(IsValidIPText(text.toStdString()), valid);
    }

    // The first failing field in the fixed order wins; the boxes decide which pairs are checked.
    void checkOrder_data()
    {
        QTest::addColumn<bool>("staticChosen");
        QTest::addColumn<int>("dnsBox");
        QTest::addColumn<int>("winsBox");
        QTest::addColumn<QStringList>("texts"); // IP, mask, gateway, DNS, aux DNS, WINS, aux WINS
        QTest::addColumn<int>("failedField"); // -1: passes
        QTest::addColumn<QString>("message");

        const QString ok = QStringLiteral("10.0.0.1");
        const QStringList allOk { ok, ok, ok, ok, ok, ok, ok };
        QTest::newRow("all good") << true << 0 << 0 << allOk << -1 << QString();
        QTest::newRow("dhcp checks nothing")
            << false << 0 << 0 << QStringList { "abc", "", "x", "", "", "", "" } << -1 << QString();
        QTest::newRow("ip and mask wrong: ip only")
            << true << 1 << 1 << QStringList { "bad", "bad", ok, ok, ok, ok, ok } << 0
            << QStringLiteral("IP地址的格式不正确!");
        QTest::newRow("mask") << true << 1 << 1 << QStringList { ok, "255.255.255", ok, ok, ok, ok, ok } << 1
                              << QStringLiteral("IP子网掩码的格式不正确!");
        QTest::newRow("gateway only") << true << 1 << 1 << QStringList { ok, ok, "1.1.1.300", "", "", "", "" } << 2
                                      << QStringLiteral("IP默认网关的格式不正确!");
        QTest::newRow("aux dns missing") << true << 0 << 1 << QStringList { ok, ok, ok, ok, "", "", "" } << 4
                                         << QStringLiteral("备用DNS的格式不正确!");
        QTest::newRow("dns before wins") << true << 0 << 0 << QStringList { ok, ok, ok, "", ok, "", "" } << 3
                                         << QStringLiteral("DNS的格式不正确!");
        QTest::newRow("ticked boxes skip pairs")
            << true << 1 << 1 << QStringList { ok, ok, ok, "junk", "junk", "junk", "junk" } << -1 << QString();
        QTest::newRow("greyed box skips too")
            << true << 2 << 2 << QStringList { ok, ok, ok, "junk", "junk", "junk", "junk" } << -1 << QString();
        QTest::newRow("wins primary") << true << 1 << 0 << QStringList { ok, ok, ok, "", "", "1.2.3", ok } << 5
                                      << QStringLiteral("主WINS服务器的格式不正确!");
        QTest::newRow("wins secondary") << true << 1 << 0 << QStringList { ok, ok, ok, "", "", ok, "1.2.3.4." } << 6
                                        << QStringLiteral("从WINS服务器的格式不正确!");
    }

    void checkOrder()
    {
        QFETCH(bool, staticChosen);
        QFETCH(int, dnsBox);
        QFETCH(int, winsBox);
        QFETCH(QStringList, texts);
        QFETCH(int, failedField);
        QFETCH(QString, message);

        AddressInputs in;
        in.staticChosen = staticChosen;
        in.dnsBox = dnsBox;
        in.winsBox = winsBox;
        in.IP = texts[0].toStdString();
        in.SubNetMask = texts[1].toStdString();
        in.Gateway = texts[2].toStdString();
        in.DNS = texts[3].toStdString();
        in.AuxDNS = texts[4].toStdString();
        in.WINS = texts[5].toStdString();
        in.AuxWINS = texts[6].toStdString();
        const auto failure = CheckSiteAddresses(in);
        if (failedField < 0) {
            QVERIFY(!failure.has_value());
            return;
        }
        QVERIFY(failure.has_value());
        QCOMPARE(static_cast<int>(failure->field), failedField);
        QCOMPARE(QString::fromUtf8(failure->message), message);
    }

    void siteNameProblem_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("selIndex");
        QTest::addColumn<QString>("problem"); // empty: accepted

        QTest::newRow("fresh name") << "Branch" << 1 << QString();
        QTest::newRow("own name, other case") << "home" << 1 << QString();
        QTest::newRow("own name unchanged") << "Home" << 1 << QString();
        QTest::newRow("chinese") << QStringLiteral("北京办公室") << 2 << QString();
        QTest::newRow("empty") << "" << 1 << QStringLiteral("名称不能为空!");
        QTest::newRow("comma") << "a,b" << 1 << QStringLiteral("名称不能包含逗号、方括号或等号!");
        QTest::newRow("open bracket") << "[x" << 1 << QStringLiteral("名称不能包含逗号、方括号或等号!");
        QTest::newRow("close bracket") << "x]" << 1 << QStringLiteral("名称不能包含逗号、方括号或等号!");
        QTest::newRow("equals") << "a=b" << 1 << QStringLiteral("名称不能包含逗号、方括号或等号!");
        QTest::newRow("clash ignoring case") << "OFFICE" << 1 << QStringLiteral("已有同名的办公位置!");
        QTest::newRow("clash with entry 0")
            << QStringLiteral("本机当前设置") << 1 << QStringLiteral("已有同名的办公位置!");
        QTest::newRow("not in code page 936")
            << QStringLiteral("Café 😀") << 1 << QStringLiteral("名称中含有无法保存的字符!");
        QTest::newRow("korean") << QStringLiteral("사무실") << 1 << QStringLiteral("名称中含有无法保存的字符!");
        QTest::newRow("tab") << "a\tb" << 1 << QStringLiteral("名称中含有无法保存的字符!");
        // The file trims blanks around section names and folds only ASCII letters.
        QTest::newRow("clash with a stored name's blanks") << "lab" << 1 << QStringLiteral("已有同名的办公位置!");
        QTest::newRow("full-width letters are another section") << QStringLiteral("ＯＦＦＩＣＥ") << 1 << QString();
        QTest::newRow("user-defined character") << QStringLiteral("办公\uE000") << 1 << QString();
    }

    void siteNameProblem()
    {
        QFETCH(QString, name);
        QFETCH(int, selIndex);
        QFETCH(QString, problem);
        const std::vector<std::string> names { "本机当前设置", "Home", "Office", " Lab\t" };
        const auto result = SiteNameProblem(name.toStdString(), names, selIndex);
        QCOMPARE(result ? QString::fromStdString(*result) : QString(), problem);
    }
};

QTEST_GUILESS_MAIN(TestEditorRules)
#include "tst_EditorRules.moc"
