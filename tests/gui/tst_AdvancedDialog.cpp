// The advanced site editor: opened from the window for the site shown, its pages round-trip the
// optional keys through the settings file, a bad value keeps it open, and entry 0 only shows.
#include "WindowFixture.h"
#include "editor/SiteEditor.h"
#include "gui/AdvancedDialog.h"
#include "gui/MessageSink.h"
#include "listview/SiteListView.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>

using namespace lanvex;

namespace {

gui::AdvancedDialog* openDialog(gui::MainWindow& window, int index)
{
    window.findChild<listview::SiteListView*>("picList")->setSelIndex(index);
    window.SelectSite(index);
    auto* button = window.findChild<QPushButton*>("cmdAdvanced");
    if (!button)
        return nullptr;
    QTest::mouseClick(button, Qt::LeftButton);
    return window.findChild<gui::AdvancedDialog*>("AdvancedDialog");
}

void setCell(QTableWidget* table, int row, const QString& first, const QString& second)
{
    table->item(row, 0)->setText(first);
    table->item(row, 1)->setText(second);
}

} // namespace

class TestAdvancedDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTripThroughTheFile()
    {
        store::SiteProfile office = gui::test::StaticSite("Office", "10.1.0.5");
        office.Extras.MoreIP = "10.1.0.6/255.255.255.0";
        office.Extras.IPv6Mode = "static";
        office.Extras.IPv6Address = "2001:db8::5/64";
        const store::SiteProfile home = gui::test::StaticSite("Home", "192.168.7.5");
        gui::test::WindowFixture f({ office, home }, { gui::test::StaticAdapter("Wired", "192.168.9.10") });
        f.window.show();

        // The button sits in free space: over none of the editor's controls.
        auto* button = f.window.findChild<QPushButton*>("cmdAdvanced");
        QVERIFY(button);
        for (const QWidget* other : button->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            QVERIFY2(other == button || !other->isVisible() || !other->geometry().intersects(button->geometry()),
                     qPrintable(other->objectName()));

        gui::AdvancedDialog* dialog = openDialog(f.window, 1);
        QVERIFY(dialog);
        QTRY_VERIFY(dialog->isVisible());
        auto* addresses = dialog->findChild<QTableWidget*>("MoreIPTable");
        QCOMPARE(addresses->rowCount(), 1);
        QCOMPARE(addresses->item(0, 0)->text(), QStringLiteral("10.1.0.6"));
        QCOMPARE(dialog->findChild<QComboBox*>("cboIPv6Mode")->currentData().toString(), QStringLiteral("static"));

        // Edit every page; an unchanged main editor goes along with the save.
        QTest::mouseClick(dialog->findChild<QPushButton*>("MoreIPAdd"), Qt::LeftButton);
        setCell(addresses, 1, "10.2.0.7", "255.255.0.0");
        dialog->findChild<QLineEdit*>("txtGatewayMetric")->setText("5");
        QTest::mouseClick(dialog->findChild<QPushButton*>("MoreGatewaysAdd"), Qt::LeftButton);
        setCell(dialog->findChild<QTableWidget*>("MoreGatewaysTable"), 0, "10.1.0.254", "20");
        dialog->findChild<QLineEdit*>("txtDNSSuffix")->setText("corp.example.com");
        dialog->findChild<QLineEdit*>("txtIPv6AuxDNS")->setText("2001:db8::54");

        // A bad value is named and keeps the dialog, and the file, as they were.
        dialog->findChild<QLineEdit*>("txtIPv6Gateway")->setText("10.1.0.1");
        QTest::mouseClick(dialog->findChild<QPushButton*>("cmdSave"), Qt::LeftButton);
        QVERIFY(dialog->isVisible());
        QCOMPARE(f.messages.shown.back().text, QStringLiteral("IPv6网关不是有效的IPv6地址。"));
        QCOMPARE(dialog->findChild<QTabWidget*>("tabAdvanced")->currentWidget()->objectName(),
                 QStringLiteral("pageIPv6"));
        QCOMPARE(store::ReadSite(store::IniFile(store::IniFileName).Load(), "Office"), office);

        dialog->findChild<QLineEdit*>("txtIPv6Gateway")->setText("fe80::1");
        QTest::mouseClick(dialog->findChild<QPushButton*>("cmdSave"), Qt::LeftButton);
        QTRY_VERIFY(!f.window.findChild<gui::AdvancedDialog*>("AdvancedDialog"));

        store::SiteProfile saved = office;
        saved.Extras.MoreIP = "10.1.0.6/255.255.255.0,10.2.0.7/255.255.0.0";
        saved.Extras.GatewayMetric = "5";
        saved.Extras.MoreGateways = "10.1.0.254:20";
        saved.Extras.DNSSuffix = "corp.example.com";
        saved.Extras.IPv6Gateway = "fe80::1";
        saved.Extras.IPv6DNS = "2001:db8::54";
        const store::IniDocument file = store::IniFile(store::IniFileName).Load();
        QCOMPARE(store::ReadSite(file, "Office"), saved);
        QCOMPARE(store::ReadSite(file, "Home"), home); // the other site keeps none of them
        QCOMPARE(f.window.Model().SiteProfiles[1], saved);

        // The main editor's save keeps them; emptied in the dialog, they leave the file.
        QTest::mouseClick(f.window.findChild<QWidget*>("imgIP1"), Qt::LeftButton);
        QCOMPARE(store::ReadSite(store::IniFile(store::IniFileName).Load(), "Office"), saved);
        dialog = openDialog(f.window, 1);
        QVERIFY(dialog);
        QCOMPARE(dialog->findChild<QTableWidget*>("MoreIPTable")->rowCount(), 2);
        dialog->findChild<QTableWidget*>("MoreIPTable")->setRowCount(0);
        dialog->findChild<QComboBox*>("cboIPv6Mode")->setCurrentIndex(0);
        dialog->findChild<QTableWidget*>("IPv6AddressTable")->setRowCount(0);
        dialog->findChild<QLineEdit*>("txtIPv6Gateway")->clear();
        dialog->findChild<QLineEdit*>("txtIPv6DNS")->clear();
        dialog->Save();
        saved.Extras.MoreIP.clear();
        saved.Extras.IPv6Mode.clear();
        saved.Extras.IPv6Address.clear();
        saved.Extras.IPv6Gateway.clear();
        saved.Extras.IPv6DNS.clear();
        QCOMPARE(store::ReadSite(store::IniFile(store::IniFileName).Load(), "Office"), saved);
        QTRY_VERIFY(!f.window.findChild<gui::AdvancedDialog*>("AdvancedDialog"));
    }

    // The proxy page keeps only the keys its mode uses; the printer page and the list's menu turn
    // ApplyPrinter on and off in [Common], never in a site's section.
    void proxyAndPrinterPages()
    {
        store::SiteProfile office = gui::test::StaticSite("Office", "10.1.0.5");
        office.ChangePrinter = true;
        office.PrinterName = "Front Desk";
        gui::test::WindowFixture f({ office }, { gui::test::StaticAdapter("Wired", "192.168.9.10") });
        f.window.show();
        gui::AdvancedDialog* dialog = openDialog(f.window, 1);
        QVERIFY(dialog);
        auto* mode = dialog->findChild<QComboBox*>("cboProxyMode");
        auto* server = dialog->findChild<QLineEdit*>("txtProxyServer");
        mode->setCurrentIndex(mode->findData(QStringLiteral("manual")));
        server->setText("proxy corp:80");
        dialog->findChild<QLineEdit*>("txtProxyPAC")->setText("http://ignored.example/p.pac");
        QTest::mouseClick(dialog->findChild<QPushButton*>("cmdSave"), Qt::LeftButton);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->findChild<QTabWidget*>("tabAdvanced")->currentWidget()->objectName(),
                 QStringLiteral("pageProxy"));
        QCOMPARE(f.messages.shown.back().text, QStringLiteral("代理服务器应为“主机:端口”，端口为1到65535。"));
        server->setText("proxy.corp:8080");
        dialog->findChild<QLineEdit*>("txtProxyBypass")->setText("localhost,*.corp");
        dialog->findChild<QCheckBox*>("chkApplyPrinter")->setChecked(true);
        QTest::mouseClick(dialog->findChild<QPushButton*>("cmdSave"), Qt::LeftButton);
        QTRY_VERIFY(!f.window.findChild<gui::AdvancedDialog*>("AdvancedDialog"));

        const store::IniDocument file = store::IniFile(store::IniFileName).Load();
        const store::SiteExtras saved = store::ReadSite(file, "Office").Extras;
        QCOMPARE(saved.ProxyMode, std::string("manual"));
        QCOMPARE(saved.ProxyServer, std::string("proxy.corp:8080"));
        QCOMPARE(saved.ProxyBypass, std::string("localhost,*.corp"));
        QCOMPARE(saved.ProxyPAC, std::string()); // not the manual mode's
        QCOMPARE(file.Value("Common", "ApplyPrinter"), std::optional<std::string>("1"));
        QVERIFY(f.window.Model().ApplyPrinter);

        // Off from the list's menu: the key leaves the file.
        auto* menu = f.window.findChild<QMenu*>("mnuSiteList");
        QVERIFY(menu);
        auto* toggle = menu->findChild<QAction*>("mnuApplyPrinter");
        QVERIFY(toggle);
        Q_EMIT menu->aboutToShow();
        QVERIFY(toggle->isChecked());
        toggle->trigger();
        QCOMPARE(store::IniFile(store::IniFileName).Load().Value("Common", "ApplyPrinter"), std::nullopt);
        QVERIFY(!f.window.Model().ApplyPrinter);
    }

    // The network around the site: a bad name keeps the dialog on its page; the address check is on
    // unless turned off, and only "0" is written for it.
    void surroundingsPage()
    {
        const store::SiteProfile office = gui::test::StaticSite("Office", "10.1.0.5");
        gui::test::WindowFixture f({ office }, { gui::test::StaticAdapter("Wired", "192.168.9.10") });
        f.window.show();
        gui::AdvancedDialog* dialog = openDialog(f.window, 1);
        QVERIFY(dialog);
        auto* check = dialog->findChild<QCheckBox*>("chkCheckAddress");
        QVERIFY(check->isChecked());
        check->setChecked(false);
        dialog->findChild<QLineEdit*>("txtWiFi")->setText("Office-5G");
        dialog->findChild<QLineEdit*>("txtDisconnectOnApply")->setText("Home VPN");
        dialog->findChild<QLineEdit*>("txtConnectOnApply")->setText("Corp VPN, wg-lab");
        dialog->findChild<QComboBox*>("cboFirewallZone")->setCurrentText("work");
        dialog->findChild<QLineEdit*>("txtHostname")->setText("desk_17");
        QTest::mouseClick(dialog->findChild<QPushButton*>("cmdSave"), Qt::LeftButton);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->findChild<QTabWidget*>("tabAdvanced")->currentWidget()->objectName(),
                 QStringLiteral("pageSurroundings"));
        QVERIFY(f.messages.shown.back().text.startsWith(QStringLiteral("计算机名应为")));
        dialog->findChild<QLineEdit*>("txtHostname")->setText("desk-17");
        QTest::mouseClick(dialog->findChild<QPushButton*>("cmdSave"), Qt::LeftButton);
        QTRY_VERIFY(!f.window.findChild<gui::AdvancedDialog*>("AdvancedDialog"));

        store::SiteProfile saved = office;
        saved.Extras.CheckAddress = "0";
        saved.Extras.WiFi = "Office-5G";
        saved.Extras.DisconnectOnApply = "Home VPN";
        saved.Extras.ConnectOnApply = "Corp VPN, wg-lab";
        saved.Extras.FirewallZone = "work";
        saved.Extras.Hostname = "desk-17";
        QCOMPARE(store::ReadSite(store::IniFile(store::IniFileName).Load(), "Office"), saved);

        dialog = openDialog(f.window, 1);
        QVERIFY(dialog);
        QVERIFY(!dialog->findChild<QCheckBox*>("chkCheckAddress")->isChecked());
        dialog->findChild<QCheckBox*>("chkCheckAddress")->setChecked(true);
        dialog->Save();
        QTRY_VERIFY(!f.window.findChild<gui::AdvancedDialog*>("AdvancedDialog"));
        QVERIFY(!store::IniFile(store::IniFileName).Load().Value("Office", "CheckAddress"));
    }

    // 添加 opens the new row's first cell, Enter ends a cell's edit and nothing more, a bad value
    // names its row and column and chooses that cell, and Esc drops edits only when the user agrees.
    void editsLikeADesktopDialog()
    {
        const store::SiteProfile office = gui::test::StaticSite("Office", "10.1.0.5");
        gui::test::WindowFixture f({ office }, { gui::test::StaticAdapter("Wired", "192.168.9.10") });
        f.window.show();
        gui::AdvancedDialog* dialog = openDialog(f.window, 1);
        QVERIFY(dialog);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        auto* gateways = dialog->findChild<QTableWidget*>("MoreGatewaysTable");
        const auto typeIntoNewRow = [&](const QString& gateway) {
            QTest::mouseClick(dialog->findChild<QPushButton*>("MoreGatewaysAdd"), Qt::LeftButton);
            QWidget* editor = QApplication::focusWidget();
            QVERIFY(qobject_cast<QLineEdit*>(editor) && gateways->isAncestorOf(editor));
            QCOMPARE(gateways->currentColumn(), 0);
            QCOMPARE(gateways->currentRow(), gateways->rowCount() - 1);
            QTest::keyClicks(editor, gateway);
            QTest::keyClick(editor, Qt::Key_Return);
            QTRY_COMPARE(gateways->item(gateways->currentRow(), 0)->text(), gateway);
            QVERIFY(dialog->isVisible());
        };
        typeIntoNewRow("10.1.0.254");
        typeIntoNewRow("10.1.0.253");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); // on the table, not editing
        QVERIFY(dialog->isVisible());
        QVERIFY(f.messages.shown.empty());
        setCell(gateways, 0, "10.1.0.254", "10");
        setCell(gateways, 1, "10.1.0.253", "x");

        QTest::mouseClick(dialog->findChild<QPushButton*>("cmdSave"), Qt::LeftButton);
        QVERIFY(dialog->isVisible());
        QVERIFY2(f.messages.shown.back().text.startsWith(QStringLiteral("第 2 行的跃点数有误。\n更多网关有误")),
                 qPrintable(f.messages.shown.back().text));
        QCOMPARE(gateways->currentRow(), 1);
        QCOMPARE(gateways->currentColumn(), 1);

        // Esc: the edits are not dropped without a word; no keeps the dialog, yes drops them.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QCOMPARE(f.messages.shown.back().text, QStringLiteral("高级设置已更改，是否放弃所做的更改？"));
        QVERIFY(dialog->isVisible());
        f.messages.answer = true;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!f.window.findChild<gui::AdvancedDialog*>("AdvancedDialog"));
        QCOMPARE(store::ReadSite(store::IniFile(store::IniFileName).Load(), "Office"), office);

        // Without edits Esc closes at once.
        const std::size_t asked = f.messages.shown.size();
        dialog = openDialog(f.window, 1);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QTest::keyClick(dialog, Qt::Key_Escape);
        QTRY_VERIFY(!f.window.findChild<gui::AdvancedDialog*>("AdvancedDialog"));
        QCOMPARE(f.messages.shown.size(), asked);
    }

    // A message box breaks no line of its own: Chinese may wrap between any two characters, also
    // inside a word.
    void messageLinesStayWhole()
    {
        gui::test::WindowFixture f({ gui::test::StaticSite("Office", "10.1.0.5") },
                                   { gui::test::StaticAdapter("Wired", "192.168.9.10") });
        f.window.show();
        gui::QtMessageSink sink;
        int lines = 0;
        QTimer::singleShot(0, &f.window, [&lines] {
            QWidget* box = QApplication::activeModalWidget();
            if (box == nullptr)
                return;
            const auto* label = box->findChild<QLabel*>("qt_msgbox_label");
            lines = label->height() / label->fontMetrics().lineSpacing();
            box->close();
        });
        sink.Information(&f.window, QStringLiteral("温馨提示"),
                         QStringLiteral("第 2 行的IP地址有误。\n更多IP地址有误：每项应为“IP地址/子网掩码”，"
                                        "各项以逗号分隔，且不能重复。"));
        QCOMPARE(lines, 2);
    }

    // Entry 0 shows the adapter's addresses beyond the first, and saves nothing.
    void currentSettingsOnlyShow()
    {
        QJsonObject adapter = gui::test::StaticAdapter("Wired", "192.168.9.10");
        adapter["IPAddress"] = QJsonArray { "192.168.9.10", "192.168.9.11" };
        adapter["IPSubnet"] = QJsonArray { "255.255.255.0", "255.255.255.0" };
        gui::test::WindowFixture f({ gui::test::StaticSite("Office", "10.1.0.5") }, { adapter });
        f.window.show();
        gui::AdvancedDialog* dialog = openDialog(f.window, 0);
        QVERIFY(dialog);
        auto* addresses = dialog->findChild<QTableWidget*>("MoreIPTable");
        QCOMPARE(addresses->rowCount(), 1);
        QCOMPARE(addresses->item(0, 1)->text(), QStringLiteral("255.255.255.0"));
        QVERIFY(!dialog->findChild<QPushButton*>("cmdSave")->isEnabled());
        QCOMPARE(f.window.findChild<editor::SiteEditor*>("FrameSite")->txtIP->text(), QStringLiteral("192.168.9.10"));
        dialog->reject();
    }
};

QTEST_MAIN(TestAdvancedDialog)
#include "tst_AdvancedDialog.moc"
