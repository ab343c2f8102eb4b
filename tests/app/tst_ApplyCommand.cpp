// The apply command end to end over the simulated service: status line, summary, entry 0.
#include "AppTestSupport.h"
#include "app/MainWindow.h"
#include "app/StatusLine.h"
#include "listview/SiteListView.h"
#include "net/sim/SimulatedService.h"

#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QScreen>
#include <memory>

using namespace lanvex;
using app::test::TestFolder;

namespace {

// Passes everything to the simulated service and lets the test look at the window before every
// method call, while the apply is still running.
class ObservedConnector : public net::ServiceConnector
{
public:
    ObservedConnector(std::string path, std::function<void()> beforeCall)
        : m_inner(std::move(path))
        , m_beforeCall(std::move(beforeCall))
    { }

    std::unique_ptr<net::ManagementService> Connect(std::string_view moniker) override
    {
        struct Object : net::ManagementObject
        {
            net::ObjectRef inner;
            ObservedConnector* owner;
            net::Value Property(std::string_view name) const override { return inner->Property(name); }
            std::uint32_t ExecMethod(std::string_view method, const std::vector<net::Value>& args) override
            {
                owner->m_beforeCall();
                return inner->ExecMethod(method, args);
            }
        };
        struct Service : net::ManagementService
        {
            std::unique_ptr<net::ManagementService> inner;
            ObservedConnector* owner;
            net::ObjectRef wrap(net::ObjectRef object)
            {
                if (!object)
                    return object;
                auto wrapped = std::make_shared<Object>();
                wrapped->inner = std::move(object);
                wrapped->owner = owner;
                return wrapped;
            }
            std::vector<net::ObjectRef> ExecQuery(std::string_view q, std::string_view l, std::int32_t f) override
            {
                std::vector<net::ObjectRef> objects = inner->ExecQuery(q, l, f);
                for (net::ObjectRef& object : objects)
                    object = wrap(object);
                return objects;
            }
            net::ObjectRef Get(std::string_view path, std::int32_t flags) override
            {
                return wrap(inner->Get(path, flags));
            }
        };
        auto service = std::make_unique<Service>();
        service->inner = m_inner.Connect(moniker);
        service->owner = this;
        return service;
    }

private:
    net::sim::SimulatedConnector m_inner;
    std::function<void()> m_beforeCall;
};

// Records every paint of the status strip with the text it showed.
class PaintRecorder : public QObject
{
public:
    explicit PaintRecorder(app::StatusLine* strip)
        : m_strip(strip)
    {
        strip->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !paused)
            painted << m_strip->Text();
        return false;
    }
    QStringList painted;
    bool paused = false; // while the test renders the strip itself

private:
    app::StatusLine* m_strip;
};

store::SiteProfile Office()
{
    store::SiteProfile site = app::test::StaticSite("Office", "10.1.2.3");
    site.ChangeDNS = true;
    site.DNS = "10.1.2.53";
    site.ChangeWINS = true;
    site.WINS = "10.1.2.5";
    return site;
}

store::SiteProfile Home()
{
    store::SiteProfile site;
    site.Name = "Home";
    site.DHCPEnabled = true;
    return site;
}

QJsonObject DhcpAdapter()
{
    QJsonObject adapter = app::test::StaticAdapter("Wireless", "172.16.0.9");
    adapter["DHCPEnabled"] = true;
    return adapter;
}

} // namespace

class TestApplyCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void summaries_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("adapterPosition");
        QTest::addColumn<QJsonObject>("results");
        QTest::addColumn<bool>("unavailable");
        QTest::addColumn<QString>("summary");
        const QJsonObject none;
        QTest::newRow("static site")
            << 1 << 0 << none << false
            << "更新IP及子网掩码成功。\r\n更新网关成功。\r\n更新DNS成功。\r\n更新WINS服务器成功。";
        QTest::newRow("gateway and WINS fail")
            << 1 << 0 << QJsonObject { { "SetGateways", 71 }, { "SetWINSServer", 1 } } << false
            << "更新IP及子网掩码成功。\r\n更新DNS成功。\r\n更新网关失败。\r\n更新WINS服务器失败。";
        QTest::newRow("DHCP site on a DHCP adapter") << 2 << 1 << none << false << "已经是DHCP工作方式。";
        QTest::newRow("service unreachable") << 1 << 0 << none << true << "无法连接系统的网络管理服务，设置未生效。";
    }
    void summaries()
    {
        QFETCH(int, entry);
        QFETCH(int, adapterPosition);
        QFETCH(QJsonObject, results);
        QFETCH(bool, unavailable);
        QFETCH(QString, summary);
        TestFolder folder;
        folder.WriteSites({ Office(), Home() });
        QJsonObject wired = app::test::StaticAdapter("Wired", "192.168.9.10");
        wired["results"] = results;
        const std::string path = folder.WriteNetwork(app::test::Network({ wired, DhcpAdapter() }));
        ObservedConnector connector(path, [] {});
        net::sim::SimulatedPrinters printers(path);
        app::test::RecordingMessages messages;
        app::MainWindow window(connector, printers, messages);
        window.findChild<QComboBox*>("cboNIC")->setCurrentIndex(adapterPosition);
        if (unavailable) {
            QJsonObject network = folder.ReadNetwork();
            network["unavailable"] = true;
            folder.WriteNetwork(network);
        }
        window.findChild<listview::SiteListView*>("picList")->setSelIndex(entry);

        window.imgApply_Click();
        QCOMPARE(messages.shown.size(), std::size_t(1));
        QCOMPARE(messages.shown[0].title, QStringLiteral("温馨提示"));
        QCOMPARE(messages.shown[0].text, summary);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QVERIFY(!window.findChild<QWidget*>("picStatus")->isVisibleTo(&window));
    }

    void entryZeroFollowsTheAdapter()
    {
        TestFolder folder;
        folder.WriteSites({ Office() });
        const std::string path
            = folder.WriteNetwork(app::test::Network({ app::test::StaticAdapter("Wired", "192.168.9.10") }));
        ObservedConnector connector(path, [] {});
        net::sim::SimulatedPrinters printers(path);
        app::test::RecordingMessages messages;
        app::MainWindow window(connector, printers, messages);
        QCOMPARE(window.Model().SiteProfiles[0].IP, std::string("192.168.9.10"));
        window.findChild<listview::SiteListView*>("picList")->setSelIndex(1);

        window.imgApply_Click();
        const store::SiteProfile& current = window.Model().SiteProfiles[0];
        QCOMPARE(current.Name, std::string("本机当前设置"));
        QCOMPARE(current.IP, std::string("10.1.2.3"));
        QCOMPARE(current.DefaultGateway, std::string("10.1.2.1"));
        QCOMPARE(current.DNS, std::string("10.1.2.53"));
        QCOMPARE(current.WINS, std::string("10.1.2.5"));
        QVERIFY(!current.ChangeDNS && !current.ChangeWINS && !current.ChangePrinter);
        // The applied site itself is left as stored.
        QCOMPARE(window.Model().SiteProfiles[1], Office());
    }

    void nothingHappensOutsideTheSites_data()
    {
        QTest::addColumn<int>("selection");
        QTest::newRow("current settings") << 0;
        QTest::newRow("none") << -1;
        QTest::newRow("past the end") << 2;
    }
    void nothingHappensOutsideTheSites()
    {
        QFETCH(int, selection);
        TestFolder folder;
        folder.WriteSites({ Office() });
        const std::string path
            = folder.WriteNetwork(app::test::Network({ app::test::StaticAdapter("Wired", "192.168.9.10") }));
        bool called = false;
        ObservedConnector connector(path, [&called] { called = true; });
        net::sim::SimulatedPrinters printers(path);
        app::test::RecordingMessages messages;
        app::MainWindow window(connector, printers, messages);
        window.show();
        window.findChild<listview::SiteListView*>("picList")->setSelIndex(selection);
        QTest::keyClick(&window, Qt::Key_F4);
        window.imgApply_Click();
        QVERIFY(!called);
        QVERIFY(messages.shown.empty());
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QCOMPARE(folder.ReadNetwork()["calls"].toArray().size(), 0);
    }

    // Each status text must be on the screen before the next service call, with no event loop
    // running in between, and the hourglass must be up the whole time.
    void statusLineReachesTheScreenDuringTheApply()
    {
        TestFolder folder;
        folder.WriteSites({ Office() });
        const std::string path
            = folder.WriteNetwork(app::test::Network({ app::test::StaticAdapter("Wired", "192.168.9.10") }));
        app::MainWindow* window = nullptr;
        std::unique_ptr<PaintRecorder> recorder;
        int observed = 0;
        ObservedConnector connector(path, [&] {
            auto* strip = window->findChild<app::StatusLine*>("picStatus");
            QVERIFY(strip->isVisible());
            QVERIFY(QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
            const QRect place(strip->mapTo(window, QPoint(0, 0)), strip->size());
            const QImage onScreen = window->screen()->grabWindow(window->winId()).toImage().copy(place);
            recorder->paused = true;
            const QImage expected = strip->grab().toImage();
            recorder->paused = false;
            QCOMPARE(onScreen.convertToFormat(QImage::Format_RGB32), expected.convertToFormat(QImage::Format_RGB32));
            ++observed;
        });
        net::sim::SimulatedPrinters printers(path);
        app::test::RecordingMessages messages;
        app::MainWindow mainWindow(connector, printers, messages);
        window = &mainWindow;
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
        recorder = std::make_unique<PaintRecorder>(mainWindow.findChild<app::StatusLine*>("picStatus"));
        mainWindow.findChild<listview::SiteListView*>("picList")->setSelIndex(1);

        mainWindow.imgApply_Click();
        QCOMPARE(observed, 4); // EnableStatic, SetGateways, SetDNSServerSearchOrder, SetWINSServer
        const QStringList expected { "正在应用当前设置，请稍候...",         "正在准备设置静态IP，请稍候...",
                                     "正在设置IP地址及子网掩码，请稍候...", "设置IP地址及子网掩码成功!",
                                     "正在设置IP网关，请稍候...",           "正在设置DNS，请稍候...",
                                     "正在设置WINS服务器，请稍候...",       "应用设置完毕。" };
        QCOMPARE(recorder->painted, expected);
    }
};

QTEST_MAIN(TestApplyCommand)
#include "tst_ApplyCommand.moc"
