// Sites that know their network, in the window over the simulated service: the bound adapter, the
// marks of the chosen adapter's network, the tray's check mark and tooltip, the network page of the
// advanced editor, and switching by itself as the simulation file's network changes.
#include "WindowFixture.h"
#include "gui/AdvancedDialog.h"
#include "gui/ApplyConfirmation.h"
#include "gui/AutoSwitch.h"
#include "gui/SiteTray.h"
#include "listview/SiteListView.h"
#include "platform/NetworkWatches.h"
#include "store/IniFile.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSaveFile>
#include <utility>

using namespace lanvex;

namespace {

// How long a read or an apply may take on a loaded machine (Wine under a parallel build takes
// seconds).
constexpr int kServiceWaitMs = 20000;

store::SiteProfile Matching(store::SiteProfile site, const std::string& gatewayMAC, const std::string& ssid,
                            bool autoApply = false)
{
    site.Extras.MatchGatewayMAC = gatewayMAC;
    site.Extras.MatchSSID = ssid;
    if (autoApply)
        site.Extras.AutoApply = "1";
    return site;
}

// A site whose apply lowers the protection: the adapter's zone trusts the network.
store::SiteProfile Lowering(store::SiteProfile site)
{
    site.Extras.FirewallZone = "home";
    return site;
}

QJsonObject AdapterOn(const QString& description, const QString& ip, const QString& mac, const QString& gatewayMAC)
{
    QJsonObject adapter = gui::test::StaticAdapter(description, ip);
    adapter["MACAddress"] = mac;
    adapter["GatewayMAC"] = gatewayMAC;
    return adapter;
}

// A window and its tray over two adapters; the network file is watched as the program watches it.
struct NetworkFixture : gui::test::WindowFixture
{
    gui::SiteTray tray { window };
    QStringList notes;
    int reads = 0;

    explicit NetworkFixture(const std::vector<store::SiteProfile>& sites)
        : WindowFixture(sites,
                        { AdapterOn("Wired", "192.168.9.10", "00:11:22:33:44:01", "00:00:5e:00:01:99"),
                          AdapterOn("Dock", "10.0.0.23", "00:11:22:33:44:02", "") })
    {
        tray.notify = [this](const QString& title, const QString& text) { notes << title + ": " + text; };
        new gui::AutoSwitcher(window, [this](int index) { tray.ApplySite(index); });
        QObject::connect(&window, &gui::MainWindow::adaptersRead, &window, [this] { ++reads; });
        window.WatchNetwork(platform::MakeNetworkWatch(network));
    }

    // The network as another program changes it: the whole file replaced at once.
    void ChangeAdapter(int index, const QJsonObject& changes)
    {
        QJsonObject file = folder.ReadNetwork();
        QJsonArray adapters = file["adapters"].toArray();
        QJsonObject adapter = adapters[index].toObject();
        for (auto change = changes.begin(); change != changes.end(); ++change)
            adapter[change.key()] = change.value();
        adapters[index] = adapter;
        file["adapters"] = adapters;
        QSaveFile out(QString::fromStdString(network));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(QJsonDocument(file).toJson());
        QVERIFY(out.commit());
    }

    // Waits until the window has read the adapters again after a change and what it started has ended.
    bool WaitForRead(int before)
    {
        return QTest::qWaitFor([&] { return reads > before; }, kServiceWaitMs) && gui::test::WaitForService(window)
            && QTest::qWaitFor([&] { return !window.IsApplying(); }, kServiceWaitMs);
    }

    // The addresses the adapters were given, in order.
    QStringList StaticCalls() const
    {
        QStringList given;
        for (const QJsonValue call : folder.ReadNetwork()["calls"].toArray())
            if (call["method"] == QStringLiteral("EnableStatic"))
                given << QStringLiteral("%1:%2").arg(call["Index"].toInt()).arg(call["args"][0][0].toString());
        return given;
    }
};

} // namespace

class TestSitesOnNetwork : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A bound site goes to its own adapter; the list marks the sites of the chosen adapter's network
    // and the tray names the one that is there and checks the one that is live.
    void boundAdapterMarksAndTray()
    {
        store::SiteProfile dock = gui::test::StaticSite("Dock", "10.0.0.50");
        dock.Extras.Adapter = "00-11-22-33-44-02";
        NetworkFixture f({ Matching(gui::test::StaticSite("Office", "192.168.9.10"), "00:00:5E:00:01:99", ""),
                           Matching(gui::test::StaticSite("Lab", "172.16.0.9"), "00:00:5e:00:01:98", ""), dock });
        auto* list = f.window.findChild<listview::SiteListView*>("picList");
        auto* nic = f.window.findChild<QComboBox*>("cboNIC");
        QVERIFY(list->IsMarkedEntry(1));
        QVERIFY(!list->IsMarkedEntry(2) && !list->IsMarkedEntry(3) && !list->IsMarkedEntry(0));
        QVERIFY(f.tray.ToolTip().endsWith(QStringLiteral("\n所在办公位置：Office")));
        f.tray.RebuildMenu();
        QVERIFY(f.tray.Menu()->actions().at(0)->isChecked()); // Office's address is the adapter's
        QVERIFY(!f.tray.Menu()->actions().at(1)->isChecked());

        Q_EMIT list->siteSelected(3);
        QCOMPARE(nic->currentIndex(), 1);
        QVERIFY(gui::test::WaitForService(f.window));
        // The Dock adapter's network is unknown: no site is marked for it.
        QVERIFY(!list->IsMarkedEntry(1));
        // From the tray, with the other adapter chosen, the bound site still goes to its own.
        nic->setCurrentIndex(0);
        QVERIFY(gui::test::WaitForService(f.window));
        f.tray.ApplySite(3);
        QVERIFY(gui::test::WaitForService(f.window));
        QCOMPARE(f.StaticCalls(), QStringList { "2:10.0.0.50" });
        QCOMPARE(nic->currentIndex(), 1);
    }

    // The network page takes the chosen adapter's binding and network, offers the adapters present,
    // and refuses a malformed MAC, for the adapter as for the gateway.
    void networkPage()
    {
        NetworkFixture f({ gui::test::StaticSite("Office", "10.1.2.3") });
        gui::ProgramSettings program;
        program.chosenAdapter = *f.window.ChosenAdapter();
        program.adapters = f.window.Adapters();
        gui::AdvancedDialog dialog(f.window.Model().SiteProfiles[1], true, f.messages, &f.window, program);
        dialog.findChild<QPushButton*>("cmdBindAdapter")->click();
        dialog.findChild<QPushButton*>("cmdUseNetwork")->click();
        dialog.findChild<QCheckBox*>("chkAutoApply")->setChecked(true);
        dialog.Save();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const store::SiteExtras& saved = dialog.Site().Extras;
        QCOMPARE(saved.Adapter, std::string("00:11:22:33:44:01"));
        QCOMPARE(saved.MatchGateway, std::string("192.168.9.1"));
        QCOMPARE(saved.MatchGatewayMAC, std::string("00:00:5e:00:01:99"));
        QCOMPARE(saved.AutoApply, std::string("1"));

        store::SiteProfile site = f.window.Model().SiteProfiles[1];
        site.Extras = saved;
        gui::AdvancedDialog again(site, true, f.messages, &f.window, program);
        auto* adapter = again.findChild<QComboBox*>("cboAdapter");
        QCOMPARE(adapter->currentText(), QStringLiteral("00:11:22:33:44:01"));
        QCOMPARE(adapter->count(), 2);
        QCOMPARE(adapter->itemText(1), QStringLiteral("Dock (00:11:22:33:44:02)"));
        again.findChild<QLineEdit*>("txtAdapter")->setText(QStringLiteral("00:11:22:33:44"));
        again.Save();
        QVERIFY(again.result() != int(QDialog::Accepted));
        QCOMPARE(f.messages.shown.back().text,
                 QStringLiteral("网卡应为网卡的MAC地址（如00:11:22:33:44:55）、接口名称或GUID。"));
        // Chosen from the list, an adapter is named as its binding is.
        adapter->setCurrentIndex(1);
        Q_EMIT adapter->activated(1);
        QCOMPARE(adapter->currentText(), QStringLiteral("00:11:22:33:44:02"));
        again.findChild<QLineEdit*>("txtMatchGatewayMAC")->setText(QStringLiteral("00:00:5e:00:01"));
        again.Save();
        QVERIFY(again.result() != int(QDialog::Accepted));
        QVERIFY(f.messages.shown.back().text.contains(QStringLiteral("MAC")));
        again.findChild<QLineEdit*>("txtMatchGatewayMAC")->clear();
        again.Save();
        QCOMPARE(again.result(), int(QDialog::Accepted));
        QCOMPARE(again.Site().Extras.Adapter, std::string("00:11:22:33:44:02"));
    }

    // As the network changes: a site set to apply by itself is applied once; an apply by hand holds
    // the switching until the network changes again; two matches and a site without AutoApply are
    // only offered.
    void switchesByItself()
    {
        NetworkFixture f({ Matching(gui::test::StaticSite("Office", "10.1.2.3"), "aa:bb:cc:00:00:01", "", true),
                           gui::test::StaticSite("Lab", "172.16.0.9"),
                           Matching(gui::test::StaticSite("Cafe A", "10.9.0.2"), "", "Cafe"),
                           Matching(gui::test::StaticSite("Cafe B", "10.9.0.3"), "", "Cafe"),
                           Matching(gui::test::StaticSite("Home", "10.8.0.2"), "", "HomeNet"),
                           Lowering(Matching(gui::test::StaticSite("Lounge", "10.7.0.2"), "", "Lounge", true)) });
        QVERIFY(f.StaticCalls().isEmpty());

        // Off, nothing happens on Office's network; the user applies Lab there by hand.
        int before = f.reads;
        f.ChangeAdapter(0, { { "GatewayMAC", "AA:BB:CC:00:00:01" } });
        QVERIFY(f.WaitForRead(before));
        f.window.ApplySite(2);
        QVERIFY(gui::test::WaitForService(f.window));
        // Turned on, it looks again, and leaves the user's choice alone on this network.
        before = f.reads;
        QVERIFY(f.window.SetAutoSwitch(true));
        QVERIFY(store::IniFile(store::IniFileName).Load().ReadString("Common", "AutoSwitch", "") == "1");
        // Start at login is offered along (and declined here).
        QVERIFY(!f.messages.shown.empty() && f.messages.shown.back().text.contains(QStringLiteral("登录时启动")));
        f.messages.shown.clear();
        QVERIFY(f.WaitForRead(before));
        QCOMPARE(f.StaticCalls(), QStringList { "1:172.16.0.9" });

        // Away and back: Office applies by itself, once, and the tray tells the result.
        before = f.reads;
        f.ChangeAdapter(0, { { "GatewayMAC", "00:00:5e:00:01:99" } });
        QVERIFY(f.WaitForRead(before));
        before = f.reads;
        f.ChangeAdapter(0, { { "GatewayMAC", "aa:bb:cc:00:00:01" } });
        QVERIFY(f.WaitForRead(before));
        QTRY_COMPARE_WITH_TIMEOUT(f.StaticCalls(), (QStringList { "1:172.16.0.9", "1:10.1.2.3" }), kServiceWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(f.notes.size(), 1, kServiceWaitMs);
        QVERIFY(f.notes[0].startsWith(QStringLiteral("温馨提示: ")));
        before = f.reads;
        f.ChangeAdapter(1, { { "Description", "Dock" } });
        QVERIFY(f.WaitForRead(before));
        QCOMPARE(f.StaticCalls().size(), 2);

        // Two sites for one Wi-Fi network: a choice, which the user cancels.
        before = f.reads;
        f.ChangeAdapter(0, { { "GatewayMAC", "" }, { "SSID", "Cafe" } });
        QVERIFY(f.WaitForRead(before));
        QTRY_VERIFY_WITH_TIMEOUT(!f.messages.shown.empty(), kServiceWaitMs);
        QCOMPARE(f.messages.shown.back().text.split(QLatin1Char('\n')).mid(1), (QStringList { "Cafe A", "Cafe B" }));
        // One site without AutoApply: a question, answered no.
        before = f.reads;
        f.ChangeAdapter(0, { { "SSID", "HomeNet" } });
        QVERIFY(f.WaitForRead(before));
        QTRY_COMPARE_WITH_TIMEOUT(f.messages.shown.back().text, QStringLiteral("检测到办公位置：Home，是否应用？"),
                                  kServiceWaitMs);
        QCOMPARE(f.StaticCalls().size(), 2);
        // A site that trusts its network, known by one key alone, is asked about despite AutoApply.
        before = f.reads;
        f.ChangeAdapter(0, { { "SSID", "Lounge" } });
        QVERIFY(f.WaitForRead(before));
        QTRY_COMPARE_WITH_TIMEOUT(f.messages.shown.back().text, QStringLiteral("检测到办公位置：Lounge，是否应用？"),
                                  kServiceWaitMs);
        QCOMPARE(f.StaticCalls().size(), 2);
    }

    // A question whose network goes while it is open is withdrawn: a yes given then applies nothing.
    // Where the new network has a site of its own, that site is asked about instead.
    void questionFollowsItsNetwork()
    {
        NetworkFixture f({ Matching(gui::test::StaticSite("Office", "10.1.2.3"), "aa:bb:cc:00:00:01", ""),
                           Matching(gui::test::StaticSite("Home", "10.8.0.2"), "", "HomeNet") });
        int before = f.reads;
        QVERIFY(f.window.SetAutoSwitch(true));
        f.messages.shown.clear(); // the offer to start at login
        QVERIFY(f.WaitForRead(before));
        f.messages.answer = true;
        // The user takes their time; meanwhile the network moves on, to the given one.
        QJsonObject nextNetwork;
        f.messages.whileAsking = [&] {
            if (nextNetwork.isEmpty())
                return;
            const int withdrawn = f.messages.withdrawals;
            f.ChangeAdapter(0, std::exchange(nextNetwork, {}));
            // Answered after 10 s at the latest, withdrawn or not.
            (void)QTest::qWaitFor([&] { return f.messages.withdrawals > withdrawn; }, 10000);
        };

        nextNetwork = { { "GatewayMAC", "00:00:5e:00:01:77" } }; // no site's
        before = f.reads;
        f.ChangeAdapter(0, { { "GatewayMAC", "aa:bb:cc:00:00:01" } });
        QVERIFY(f.WaitForRead(before));
        QCOMPARE(f.StaticCalls(), QStringList()); // the yes came too late
        QCOMPARE(f.messages.withdrawals, 1);
        QCOMPARE(f.messages.shown.size(), std::size_t(1));
        QCOMPARE(f.messages.shown[0].text, QStringLiteral("检测到办公位置：Office，是否应用？"));

        nextNetwork = { { "GatewayMAC", "" }, { "SSID", "HomeNet" } };
        before = f.reads;
        f.ChangeAdapter(0, { { "GatewayMAC", "aa:bb:cc:00:00:01" } });
        QVERIFY(f.WaitForRead(before));
        QTRY_COMPARE_WITH_TIMEOUT(f.StaticCalls(), QStringList { "1:10.8.0.2" }, kServiceWaitMs);
        QCOMPARE(f.messages.withdrawals, 2);
        QCOMPARE(f.messages.shown.size(), std::size_t(3));
        QCOMPARE(f.messages.shown[2].text, QStringLiteral("检测到办公位置：Home，是否应用？"));
    }

    // A site declined on a network stays declined there: an apply by hand taken back (立即恢复)
    // puts back the user's own settings, and the site is not offered again over the summary.
    void declinedStaysDeclinedAfterARestore()
    {
        NetworkFixture f({ Matching(gui::test::StaticSite("Office", "10.1.2.3"), "aa:bb:cc:00:00:01", ""),
                           gui::test::StaticSite("Lab", "172.16.0.9") });
        auto* confirm = f.window.findChild<QAction*>("mnuConfirmApply");
        QVERIFY(confirm);
        if (!confirm->isChecked())
            confirm->trigger();
        f.window.SetConfirmSeconds(60);
        int before = f.reads;
        QVERIFY(f.window.SetAutoSwitch(true));
        f.messages.shown.clear(); // the offer to start at login
        QVERIFY(f.WaitForRead(before));
        before = f.reads;
        f.ChangeAdapter(0, { { "GatewayMAC", "aa:bb:cc:00:00:01" } });
        QVERIFY(f.WaitForRead(before));
        QCOMPARE(f.messages.shown.size(), std::size_t(1)); // declined

        f.window.findChild<listview::SiteListView*>("picList")->setSelIndex(2);
        f.window.imgApply_Click();
        gui::ApplyConfirmation* box = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((box = f.window.findChild<gui::ApplyConfirmation*>()) != nullptr, kServiceWaitMs);
        // The user reads the restore's summary while the window sees the network come back.
        f.messages.whileReading = [&] {
            const int reads = f.reads;
            // Closed after 5 s at the latest, whatever was read.
            (void)QTest::qWaitFor([&] { return f.reads > reads + 1 && !f.window.IsServiceBusy(); }, 5000);
        };
        QTest::mouseClick(box->findChild<QPushButton*>("cmdRestore"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(f.messages.shown.size(), std::size_t(2), kServiceWaitMs);
        QVERIFY(gui::test::WaitForService(f.window));
        QVERIFY2(f.messages.shown[1].text.contains(QStringLiteral("192.168.9.10")),
                 qPrintable(f.messages.shown[1].text));
        before = f.reads;
        f.ChangeAdapter(1, { { "Description", "Dock" } }); // another read of the same networks
        QVERIFY(f.WaitForRead(before));
        QCOMPARE(f.messages.shown.size(), std::size_t(2));
        QCOMPARE(f.StaticCalls(), (QStringList { "1:172.16.0.9", "1:192.168.9.10" }));
    }
};

QTEST_MAIN(TestSitesOnNetwork)
#include "tst_SitesOnNetwork.moc"
