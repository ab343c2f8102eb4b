// The tray icon over the simulated network: its menu, tooltip and applies on the offscreen
// platform, and, run again under Xvfb with a real tray host, the icon in that tray.
#include "AppTestSupport.h"
#include "app/MainWindow.h"
#include "app/SiteTray.h"
#include "editor/SiteEditor.h"
#include "listview/SiteListView.h"
#include "net/sim/SimulatedService.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <sstream>

using namespace lanvex;
using app::test::RecordingMessages;
using app::test::TestFolder;

namespace {

struct Notification
{
    QString title, text;
};

// A window over two adapters and three sites, with its tray.
struct TrayFixture
{
    TestFolder folder;
    std::string network;
    std::unique_ptr<net::sim::SimulatedConnector> connector;
    std::unique_ptr<net::sim::SimulatedPrinters> printers;
    RecordingMessages messages;
    std::unique_ptr<app::MainWindow> window;
    std::unique_ptr<app::SiteTray> tray;
    std::vector<Notification> notes;

    TrayFixture()
    {
        store::SiteProfile home;
        home.Name = "Home & Garden";
        home.DHCPEnabled = true;
        folder.WriteSites(
            { app::test::StaticSite("Office", "10.1.2.3"), home, app::test::StaticSite("Lab", "172.16.0.9") });
        QJsonObject dhcp = app::test::StaticAdapter("Wireless", "10.0.0.23");
        dhcp["DHCPEnabled"] = true;
        network = folder.WriteNetwork(
            app::test::Network({ app::test::StaticAdapter("Intel(R) Ethernet", "192.168.9.10"), dhcp }));
        connector = std::make_unique<net::sim::SimulatedConnector>(network);
        printers = std::make_unique<net::sim::SimulatedPrinters>(network);
        window = std::make_unique<app::MainWindow>(*connector, *printers, messages);
        tray = std::make_unique<app::SiteTray>(*window);
        tray->notify = [this](const QString& title, const QString& text) { notes.push_back({ title, text }); };
    }
    ~TrayFixture() { tray.reset(); }

    QStringList MenuTexts() const
    {
        tray->RebuildMenu();
        QStringList texts;
        for (const QAction* action : tray->Menu()->actions())
            texts << (action->isSeparator() ? QStringLiteral("--") : action->text());
        return texts;
    }
    QAction* MenuAction(int position) const { return tray->Menu()->actions().at(position); }
};

const QString kOfficeSummary
    = QStringLiteral("更新IP及子网掩码成功。\r\n更新网关成功。\r\n更新DNS成功。\r\n更新WINS服务器成功。");

} // namespace

class TestSiteTray : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void menuListsTheSitesThenOpenAndExit()
    {
        TrayFixture f;
        QCOMPARE(f.MenuTexts(), (QStringList { "Office", "Home && Garden", "Lab", "--", "打开主窗口", "退出" }));
        f.MenuAction(4)->trigger();
        QVERIFY(f.window->isVisible());
        QEventLoop loop;
        QTimer::singleShot(0, f.MenuAction(5), &QAction::trigger);
        QTimer::singleShot(5000, &loop, [&loop] { loop.exit(3); });
        QCOMPARE(loop.exec(), 0);
    }

    void choosingASiteAppliesItAndTellsTheSummary()
    {
        TrayFixture f;
        auto* list = f.window->findChild<listview::SiteListView*>("picList");
        const QString tip = f.tray->ToolTip();
        QVERIFY2(tip == QStringLiteral("Intel(R) Ethernet\n192.168.9.10"), qPrintable(tip));

        // With the window hidden the summary is a notification alone.
        f.MenuTexts();
        f.MenuAction(0)->trigger();
        const QJsonArray calls = f.folder.ReadNetwork()["calls"].toArray();
        QVERIFY(!calls.isEmpty());
        QCOMPARE(calls[0]["method"].toString(), QStringLiteral("EnableStatic"));
        QCOMPARE(calls[0]["Index"].toInt(), 1);
        QCOMPARE(f.notes.size(), std::size_t(1));
        QCOMPARE(f.notes[0].title, QStringLiteral("温馨提示"));
        QCOMPARE(f.notes[0].text, kOfficeSummary);
        QVERIFY(f.messages.shown.empty());
        QCOMPARE(list->SelIndex(), 0); // the list and the editor keep what they showed
        QCOMPARE(f.tray->ToolTip(), QStringLiteral("Intel(R) Ethernet\n10.1.2.3\n已应用：Office"));

        // With the window open the message box shows it too.
        f.window->show();
        f.MenuTexts();
        f.MenuAction(1)->trigger();
        QCOMPARE(f.notes.size(), std::size_t(2));
        QCOMPARE(f.messages.shown.size(), std::size_t(1));
        QCOMPARE(f.messages.shown[0].text, f.notes[1].text);
        QCOMPARE(f.tray->ToolTip(), QStringLiteral("Intel(R) Ethernet\nDHCP\n已应用：Home & Garden"));

        // An apply from the window itself is no tray notification; the tooltip follows it.
        list->setSelIndex(3);
        f.window->imgApply_Click();
        QCOMPARE(f.notes.size(), std::size_t(2));
        QVERIFY(f.tray->ToolTip().endsWith(QStringLiteral("已应用：Lab")));

        // Another adapter: its own description and nothing applied to it yet.
        f.window->findChild<QComboBox*>("cboNIC")->setCurrentIndex(1);
        QVERIFY(f.tray->Icon()->toolTip().startsWith(QStringLiteral("Wireless")));
        QVERIFY(!f.tray->ToolTip().contains(QStringLiteral("已应用")));
    }

    void startsInTheTrayWhereThereIsOne()
    {
        TrayFixture f;
        std::ostringstream err;
        f.tray->Start(true, err);
        if (!qEnvironmentVariableIsEmpty("LANVEX_EXPECT_TRAY"))
            QVERIFY(QSystemTrayIcon::isSystemTrayAvailable());
        if (!QSystemTrayIcon::isSystemTrayAvailable()) {
            QVERIFY(f.window->isVisible());
            QVERIFY(err.str().find("no system tray") != std::string::npos);
            return;
        }
        QVERIFY(err.str().empty());
        QVERIFY(!f.window->isVisible());
        QVERIFY(f.tray->Icon()->isVisible());
        // The tray host embeds the icon: it gets a place on the screen.
        QTRY_VERIFY_WITH_TIMEOUT(!f.tray->Icon()->geometry().isEmpty(), 10000);
        f.tray->OpenWindow();
        QVERIFY(f.window->isVisible());
        // Closing (or Esc) puts the window back in the tray; the program goes on.
        QVERIFY(!f.window->close());
        QVERIFY(!f.window->isVisible());
        QVERIFY(!QApplication::quitOnLastWindowClosed());
    }
};

QTEST_MAIN(TestSiteTray)
#include "tst_SiteTray.moc"
