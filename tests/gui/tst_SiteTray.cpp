// The tray icon over the simulated network: its menu, tooltip and applies on the offscreen
// platform, and, run again under Xvfb with a real tray host, the icon in that tray.
#include "WindowFixture.h"
#include "gui/SiteTray.h"
#include "listview/SiteListView.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

using namespace lanvex;

namespace {

// A window over two adapters and three sites, with its tray; notifications are kept.
struct TrayFixture : gui::test::WindowFixture
{
    gui::SiteTray tray { window };
    QStringList notes;

    TrayFixture()
        : WindowFixture({ gui::test::StaticSite("Office", "10.1.2.3"), Dhcp("Home & Garden"),
                          gui::test::StaticSite("Lab", "172.16.0.9") },
                        { gui::test::StaticAdapter("Intel(R) Ethernet", "192.168.9.10"),
                          gui::test::StaticAdapter("Wireless", "10.0.0.23") })
    {
        tray.notify = [this](const QString& title, const QString& text) { notes << title + ": " + text; };
    }
    static store::SiteProfile Dhcp(const std::string& name)
    {
        store::SiteProfile site;
        site.Name = name;
        site.DHCPEnabled = true;
        return site;
    }
    // Opens the menu as the tray host would and chooses entry `position`.
    QStringList ChooseFromMenu(int position)
    {
        tray.RebuildMenu();
        QStringList texts;
        for (const QAction* action : tray.Menu()->actions())
            texts << (action->isSeparator() ? QStringLiteral("--") : action->text());
        if (position >= 0)
            tray.Menu()->actions().at(position)->trigger();
        return texts;
    }
};

} // namespace

class TestSiteTray : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void menuAppliesASiteAndTellsTheSummary()
    {
        TrayFixture f;
        auto* list = f.window.findChild<listview::SiteListView*>("picList");
        QCOMPARE(f.tray.ToolTip(), QStringLiteral("Intel(R) Ethernet\n192.168.9.10"));

        // With the window hidden the summary is a notification alone; the list keeps its choice.
        QCOMPARE(f.ChooseFromMenu(0),
                 (QStringList { "Office", "Home && Garden", "Lab", "--", "应用办公位置时设置默认打印机",
                                "识别到网络时自动切换办公位置", "登录时启动", "打开主窗口", "退出" }));
        QVERIFY(gui::test::WaitForService(f.window));
        const QJsonArray calls = f.folder.ReadNetwork()["calls"].toArray();
        QVERIFY(!calls.isEmpty());
        QCOMPARE(calls[0]["method"].toString(), QStringLiteral("ProbeAddress"));
        QCOMPARE(calls[1]["method"].toString(), QStringLiteral("EnableStatic"));
        QCOMPARE(calls[1]["Index"].toInt(), 1);
        QCOMPARE(f.notes,
                 QStringList {
                     "温馨提示: 更新IP及子网掩码成功。\r\n更新网关成功。\r\n更新DNS成功。\r\n更新WINS服务器成功。" });
        QVERIFY(f.messages.shown.empty());
        QCOMPARE(list->SelIndex(), 0);
        QCOMPARE(f.tray.ToolTip(), QStringLiteral("Intel(R) Ethernet\n10.1.2.3\n已应用：Office"));

        // "打开主窗口"; with the window open the message box shows the summary too.
        f.ChooseFromMenu(7);
        QVERIFY(f.window.isVisible());
        f.ChooseFromMenu(1);
        QVERIFY(gui::test::WaitForService(f.window));
        QCOMPARE(f.notes.size(), 2);
        QCOMPARE(f.messages.shown.size(), std::size_t(1));
        QVERIFY(f.notes[1].endsWith(f.messages.shown[0].text));
        QCOMPARE(f.tray.ToolTip(), QStringLiteral("Intel(R) Ethernet\nDHCP\n已应用：Home &amp; Garden"));

        // An apply from the window itself is no notification; the tooltip follows it all the same.
        list->setSelIndex(3);
        f.window.imgApply_Click();
        QVERIFY(gui::test::WaitForService(f.window));
        QCOMPARE(f.notes.size(), 2);
        QVERIFY(f.tray.ToolTip().endsWith(QStringLiteral("已应用：Lab")));
        // Another adapter: its own name, its address once read, and nothing applied to it yet.
        f.window.findChild<QComboBox*>("cboNIC")->setCurrentIndex(1);
        QCOMPARE(f.tray.Icon()->toolTip(), QStringLiteral("Wireless"));
        QVERIFY(gui::test::WaitForService(f.window));
        QCOMPARE(f.tray.Icon()->toolTip(), QStringLiteral("Wireless\n10.0.0.23"));

        // "退出" ends the program's event loop.
        QEventLoop loop;
        QTimer::singleShot(0, &loop, [&f] { f.ChooseFromMenu(8); });
        QTimer::singleShot(5000, &loop, [&loop] { loop.exit(3); });
        QCOMPARE(loop.exec(), 0);
    }

    void startsInTheTrayWhereThereIsOne()
    {
        TrayFixture f;
        const bool inTray = f.tray.Start(true);
        if (!qEnvironmentVariableIsEmpty("LANVEX_EXPECT_TRAY"))
            QVERIFY(QSystemTrayIcon::isSystemTrayAvailable());
        QCOMPARE(inTray, QSystemTrayIcon::isSystemTrayAvailable());
        if (!inTray) {
            QVERIFY(f.window.isVisible());
            return;
        }
        QVERIFY(!f.window.isVisible());
        // The tray host embeds the icon: it gets a place on the screen.
        QTRY_VERIFY_WITH_TIMEOUT(!f.tray.Icon()->geometry().isEmpty(), 10000);
        f.tray.OpenWindow();
        QVERIFY(f.window.isVisible());
        // Closing (or Esc) puts the window back in the tray; the program goes on.
        QVERIFY(!f.window.close());
        QVERIFY(!f.window.isVisible());
        QVERIFY(!QApplication::quitOnLastWindowClosed());
    }

    // The tray's exit during an apply ends the program after the summary.
    void exitWaitsForTheSummary()
    {
        TrayFixture f;
        QJsonObject network = f.folder.ReadNetwork();
        network["delayMs"] = 300;
        f.folder.WriteNetwork(network);
        f.window.show();
        QVERIFY(gui::test::WaitForService(f.window));
        f.ChooseFromMenu(0); // applies Office
        QVERIFY(f.window.IsServiceBusy());
        // The application's own loop, which an earlier test's end of the program does not stop.
        QTimer::singleShot(0, &f.window, [&f] { f.ChooseFromMenu(f.tray.Menu()->actions().size() - 1); });
        QTimer::singleShot(10000, &f.window, [] { QCoreApplication::exit(99); });
        QCOMPARE(QApplication::exec(), 0);
        QCOMPARE(f.messages.shown.size(), std::size_t(1)); // the summary, before the end
    }
};

QTEST_MAIN(TestSiteTray)
#include "tst_SiteTray.moc"
