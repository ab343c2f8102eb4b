// The apply command end to end over the simulated service: status line, summary, entry 0.
#include "WindowFixture.h"
#include "gui/MainWindow.h"
#include "gui/StatusLine.h"
#include "listview/SiteListView.h"
#include "net/sim/SimulatedService.h"

#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QMutex>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <memory>

using namespace lanvex;
using gui::test::TestFolder;

namespace {

// Passes everything to the simulated service and lets the test look before every method call,
// while the apply is still running (on the service thread).
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
            net::AddressAnswer ProbeAddress(std::int32_t adapter, std::string_view address,
                                            std::chrono::milliseconds timeout) override
            {
                return inner->ProbeAddress(adapter, address, timeout);
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

// Records each text the status strip painted. The service thread asks which text was painted last.
class PaintRecorder : public QObject
{
public:
    explicit PaintRecorder(gui::StatusLine* strip)
        : m_strip(strip)
    {
        strip->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            // A repaint of the same text (the window is live) is no new step.
            const QMutexLocker lock(&m_mutex);
            if (m_painted.isEmpty() || m_painted.back() != m_strip->Text())
                m_painted << m_strip->Text();
        }
        return false;
    }
    QStringList Painted() const
    {
        const QMutexLocker lock(&m_mutex);
        return m_painted;
    }
    QString LastPainted() const
    {
        const QMutexLocker lock(&m_mutex);
        return m_painted.isEmpty() ? QString() : m_painted.back();
    }

private:
    gui::StatusLine* m_strip;
    mutable QMutex m_mutex;
    QStringList m_painted;
};

// Counts the paint events a widget gets.
class PaintCounter : public QObject
{
public:
    PaintCounter(QWidget* widget, int& count)
        : m_count(count)
    {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++m_count;
        return false;
    }

private:
    int& m_count;
};

store::SiteProfile Office()
{
    store::SiteProfile site = gui::test::StaticSite("Office", "10.1.2.3");
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
    QJsonObject adapter = gui::test::StaticAdapter("Wireless", "172.16.0.9");
    adapter["DHCPEnabled"] = true;
    return adapter;
}

// The window shown over one adapter whose every query and call takes `delayMs`, with Office (entry
// 1, selected) and Home saved.
struct SlowWindow : gui::test::WindowFixture
{
    explicit SlowWindow(int delayMs)
        : WindowFixture({ Office(), Home() }, { gui::test::StaticAdapter("Wired", "192.168.9.10") })
    {
        QJsonObject slow = folder.ReadNetwork();
        slow["delayMs"] = delayMs;
        folder.WriteNetwork(slow);
        window.findChild<listview::SiteListView*>("picList")->setSelIndex(1);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qFatal("the window was not shown");
    }
};

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
        QJsonObject wired = gui::test::StaticAdapter("Wired", "192.168.9.10");
        wired["results"] = results;
        const std::string path = folder.WriteNetwork(gui::test::Network({ wired, DhcpAdapter() }));
        ObservedConnector connector(path, [] {});
        net::sim::SimulatedPrinters printers(path);
        gui::test::RecordingMessages messages;
        gui::MainWindow window(connector, printers, messages);
        QVERIFY(gui::test::WaitForService(window));
        window.findChild<QComboBox*>("cboNIC")->setCurrentIndex(adapterPosition);
        QVERIFY(gui::test::WaitForService(window));
        if (unavailable) {
            QJsonObject network = folder.ReadNetwork();
            network["unavailable"] = true;
            folder.WriteNetwork(network);
        }
        window.findChild<listview::SiteListView*>("picList")->setSelIndex(entry);

        window.imgApply_Click();
        QVERIFY(gui::test::WaitForService(window));
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
            = folder.WriteNetwork(gui::test::Network({ gui::test::StaticAdapter("Wired", "192.168.9.10") }));
        ObservedConnector connector(path, [] {});
        net::sim::SimulatedPrinters printers(path);
        gui::test::RecordingMessages messages;
        gui::MainWindow window(connector, printers, messages);
        QVERIFY(gui::test::WaitForService(window));
        QCOMPARE(window.Model().SiteProfiles[0].IP, std::string("192.168.9.10"));
        window.findChild<listview::SiteListView*>("picList")->setSelIndex(1);

        window.imgApply_Click();
        QVERIFY(gui::test::WaitForService(window));
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
            = folder.WriteNetwork(gui::test::Network({ gui::test::StaticAdapter("Wired", "192.168.9.10") }));
        bool called = false;
        ObservedConnector connector(path, [&called] { called = true; });
        net::sim::SimulatedPrinters printers(path);
        gui::test::RecordingMessages messages;
        gui::MainWindow window(connector, printers, messages);
        window.show();
        QVERIFY(gui::test::WaitForService(window));
        window.findChild<listview::SiteListView*>("picList")->setSelIndex(selection);
        QTest::keyClick(&window, Qt::Key_F4);
        window.imgApply_Click();
        QVERIFY(!window.IsServiceBusy());
        QVERIFY(!called);
        QVERIFY(messages.shown.empty());
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QCOMPARE(folder.ReadNetwork()["calls"].toArray().size(), 0);
    }

    // Each status text is on the screen before the next service call, in the order of the steps,
    // and the hourglass stays up until the summary.
    void statusLineReachesTheScreenDuringTheApply()
    {
        TestFolder folder;
        folder.WriteSites({ Office() });
        const std::string path
            = folder.WriteNetwork(gui::test::Network({ gui::test::StaticAdapter("Wired", "192.168.9.10") }));
        std::unique_ptr<PaintRecorder> recorder;
        QStringList onScreenAtCall;
        ObservedConnector connector(path, [&] { onScreenAtCall << recorder->LastPainted(); });
        net::sim::SimulatedPrinters printers(path);
        gui::test::RecordingMessages messages;
        gui::MainWindow window(connector, printers, messages);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(gui::test::WaitForService(window));
        recorder = std::make_unique<PaintRecorder>(window.findChild<gui::StatusLine*>("picStatus"));
        window.findChild<listview::SiteListView*>("picList")->setSelIndex(1);

        window.imgApply_Click();
        QVERIFY(QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
        QVERIFY(gui::test::WaitForService(window));
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QCOMPARE(onScreenAtCall,
                 (QStringList { "正在设置IP地址及子网掩码，请稍候...", "正在设置IP网关，请稍候...",
                                "正在设置DNS，请稍候...", "正在设置WINS服务器，请稍候..." }));
        const QStringList expected { "正在应用当前设置，请稍候...",
                                     "正在检查IP地址是否已被占用，请稍候...",
                                     "正在准备设置静态IP，请稍候...",
                                     "正在设置IP地址及子网掩码，请稍候...",
                                     "设置IP地址及子网掩码成功!",
                                     "正在设置IP网关，请稍候...",
                                     "正在设置DNS，请稍候...",
                                     "正在设置WINS服务器，请稍候...",
                                     "应用设置完毕。" };
        QCOMPARE(recorder->Painted(), expected);
        QCOMPARE(messages.shown.size(), std::size_t(1));
    }

    // Over a slow service the window opens before the adapters are read; F4 then waits for them,
    // saying so, and applies once they are known. The window paints and moves during the apply,
    // and holds off a second apply and any change of site or adapter until the summary.
    void windowStaysLiveOverASlowService()
    {
        TestFolder folder;
        folder.WriteSites({ Office(), Home() });
        QJsonObject network = gui::test::Network(
            { gui::test::StaticAdapter("Wired", "192.168.9.10"), gui::test::StaticAdapter("Other", "192.168.9.20") });
        network["delayMs"] = 300; // each query and method call
        const std::string path = folder.WriteNetwork(network);
        net::sim::SimulatedConnector connector(path);
        net::sim::SimulatedPrinters printers(path);
        gui::test::RecordingMessages messages;
        gui::MainWindow window(connector, printers, messages);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* list = window.findChild<listview::SiteListView*>("picList");
        auto* nic = window.findChild<QComboBox*>("cboNIC");
        list->setSelIndex(1);
        QVERIFY(window.IsServiceBusy()); // still reading the adapters
        QTest::keyClick(&window, Qt::Key_F4);
        auto* status = window.findChild<gui::StatusLine*>("picStatus");
        QVERIFY(status->isVisible());
        QCOMPARE(status->Text(), u"正在读取网卡信息，读取完毕后将应用“Office”，请稍候..."_qs);
        QVERIFY(gui::test::WaitForService(window));
        QCOMPARE(nic->count(), 2);
        QCOMPARE(messages.shown.size(), std::size_t(1)); // the summary
        QCOMPARE(folder.ReadNetwork()["calls"].toArray().size(), 5); // the address check and the four changes
        QCOMPARE(folder.ReadNetwork()["calls"][0]["Index"].toInt(), 1);

        int paints = 0;
        PaintCounter counter(&window, paints);
        window.imgApply_Click();
        const QPoint start = window.pos();
        window.move(start + QPoint(40, 30));
        window.update();
        QTRY_VERIFY(paints > 0);
        QVERIFY(window.IsServiceBusy());
        QCOMPARE(window.pos(), start + QPoint(40, 30));
        QVERIFY(!list->isEnabled() && !nic->isEnabled());
        QVERIFY(!window.findChild<QWidget*>("imgApply")->isEnabled());
        window.imgApply_Click();
        QTest::keyClick(&window, Qt::Key_F4);
        QVERIFY(gui::test::WaitForService(window));

        QCOMPARE(messages.shown.size(), std::size_t(2));
        QCOMPARE(folder.ReadNetwork()["calls"].toArray().size(), 10); // one more apply, five calls
        QVERIFY(list->isEnabled() && nic->isEnabled());
    }

    // The focus is where it was before the apply once the summary has been shown, so the arrow
    // keys go on moving through the list; a place the user chose during the apply is kept.
    // A site's program runs on the service thread: while it runs the window paints, moves and shows
    // that it runs; its summary line comes with the apply's.
    void programRunsWhileTheWindowStaysLive()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty())
            QSKIP("the program the site runs here is python3, which this system lacks");
        store::SiteProfile office = Office();
        office.Extras.RunOnApply = "python3 -c \"import time; time.sleep(2)\"";
        gui::test::WindowFixture fixture({ office }, { gui::test::StaticAdapter("Wired", "192.168.9.10") });
        QJsonObject slow = fixture.folder.ReadNetwork();
        slow["delayMs"] = 100;
        fixture.folder.WriteNetwork(slow);
        gui::MainWindow& window = fixture.window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* status = window.findChild<gui::StatusLine*>("picStatus");
        window.findChild<listview::SiteListView*>("picList")->setSelIndex(1);

        window.imgApply_Click();
        QTRY_COMPARE_WITH_TIMEOUT(status->Text(), QStringLiteral("正在运行程序，请稍候..."), 10000);
        int paints = 0;
        PaintCounter counter(&window, paints);
        const QPoint start = window.pos();
        window.move(start + QPoint(30, 20));
        window.update();
        QTRY_VERIFY_WITH_TIMEOUT(paints > 0, 1000);
        QCOMPARE(window.pos(), start + QPoint(30, 20));
        QVERIFY(window.IsServiceBusy());
        QVERIFY(gui::test::WaitForService(window));
        QCOMPARE(fixture.messages.shown.size(), std::size_t(1));
        const QString summary = fixture.messages.shown.front().text;
        QVERIFY2(summary.endsWith(QStringLiteral("运行程序“python3”成功。")), qPrintable(summary));
    }

    void focusComesBackAfterTheApply_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("during"); // empty: the user leaves the focus alone
        QTest::addColumn<QString>("after");
        QTest::newRow("site list") << "picList" << QString() << "picList";
        QTest::newRow("adapter list") << "cboNIC" << QString() << "cboNIC";
        QTest::newRow("moved by the user") << "picList"
                                           << "txtGateway"
                                           << "txtGateway";
    }
    void focusComesBackAfterTheApply()
    {
        QFETCH(QString, before);
        QFETCH(QString, during);
        QFETCH(QString, after);
        SlowWindow f(100);
        QVERIFY(QTest::qWaitForWindowActive(&f.window));
        auto* list = f.window.findChild<listview::SiteListView*>("picList");
        f.window.SelectSite(1);
        f.window.findChild<QWidget*>(before)->setFocus();

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4);
        QVERIFY(f.window.IsServiceBusy());
        QVERIFY(!list->isEnabled());
        if (!during.isEmpty())
            f.window.findChild<QWidget*>(during)->setFocus();
        QVERIFY(gui::test::WaitForService(f.window));
        QCOMPARE(f.messages.shown.size(), std::size_t(1));
        QCOMPARE(QApplication::focusWidget()->objectName(), after);
        if (after == QLatin1String("picList")) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
            QCOMPARE(list->SelIndex(), 2);
        }
    }

    // A site bound to an adapter that is not present is refused, as --apply refuses it: nothing
    // changes on the chosen adapter, and the box names the missing one.
    void boundToAnAbsentAdapter()
    {
        store::SiteProfile lab = gui::test::StaticSite("Lab", "10.9.0.7");
        lab.Extras.Adapter = "00:11:22:33:44:99";
        gui::test::WindowFixture f({ lab }, { gui::test::StaticAdapter("Wired", "192.168.9.10") });
        f.window.findChild<listview::SiteListView*>("picList")->setSelIndex(1);
        f.window.imgApply_Click();
        QVERIFY(gui::test::WaitForService(f.window));
        QVERIFY(f.folder.ReadNetwork()["calls"].toArray().isEmpty());
        QCOMPARE(f.messages.shown.size(), std::size_t(1));
        QVERIFY2(f.messages.shown[0].text.contains(u"00:11:22:33:44:99"_qs), qPrintable(f.messages.shown[0].text));
        QVERIFY(!f.window.IsApplying());
    }

    // Esc and the close box during an apply close the window only after the summary.
    void closingWaitsForTheSummary_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Esc") << true;
        QTest::newRow("close box") << false;
    }
    void closingWaitsForTheSummary()
    {
        QFETCH(bool, escape);
        SlowWindow f(300);
        f.window.imgApply_Click();
        if (escape)
            QTest::keyClick(&f.window, Qt::Key_Escape);
        else
            QVERIFY(!f.window.close());
        QTest::qWait(100);
        QVERIFY(f.window.isVisible());
        QVERIFY(f.messages.shown.empty());
        QVERIFY(gui::test::WaitForService(f.window));
        QCOMPARE(f.messages.shown.size(), std::size_t(1));
        QVERIFY(!f.window.isVisible());
        QCOMPARE(f.folder.ReadNetwork()["calls"].toArray().size(), 5); // the whole apply ran
    }

    // The exit button during an apply ends the program after the summary.
    void exitWaitsForTheSummary()
    {
        SlowWindow f(300);
        auto* exitButton = f.window.findChild<QWidget*>("imgCmd0");
        f.window.imgApply_Click();
        // The application's own loop, which an earlier test's end of the program does not stop.
        QTimer::singleShot(0, exitButton, [exitButton] { QTest::mouseClick(exitButton, Qt::LeftButton); });
        QTimer::singleShot(10000, &f.window, [] { QCoreApplication::exit(99); });
        QCOMPARE(QApplication::exec(), 0);
        // The program was told to end after the summary, not at the click.
        QCOMPARE(f.messages.shown.size(), std::size_t(1));
        QVERIFY(!f.window.IsServiceBusy());
    }
};

QTEST_MAIN(TestApplyCommand)
#include "tst_ApplyCommand.moc"
