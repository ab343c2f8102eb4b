// The main window on the offscreen platform: start-up, layout, keys, tabs and image buttons.
#include "WindowTestSupport.h"
#include "editor/SiteEditor.h"
#include "gui/ImageButton.h"
#include "gui/MainWindow.h"
#include "gui/TabLabel.h"
#include "listview/SiteListView.h"
#include "net/sim/SimulatedService.h"
#include "store/SiteStore.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QMessageBox>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>
#include <algorithm>
#include <memory>

using namespace lanvex;
using gui::test::RecordingMessages;
using gui::test::TestFolder;

namespace {

// A service and printer source that write every call into one log, so the order of the load
// steps can be read back.
class LoggingService : public net::ServiceConnector
{
public:
    class Adapter : public net::ManagementObject
    {
    public:
        Adapter(std::int64_t index, std::string description, std::string ip)
            : m_index(index)
            , m_description(std::move(description))
            , m_ip(std::move(ip))
        { }
        net::Value Property(std::string_view name) const override
        {
            if (name == "Index")
                return m_index;
            if (name == "Description")
                return m_description;
            if (name == "DHCPEnabled" || name == "IPEnabled")
                return name == "IPEnabled";
            if (name == "IPAddress" || name == "IpAddress")
                return std::vector<std::string> { m_ip };
            return {};
        }
        std::uint32_t ExecMethod(std::string_view, const std::vector<net::Value>&) override { return 0; }

    private:
        std::int64_t m_index;
        std::string m_description;
        std::string m_ip;
    };

    class Printers : public printer::PrinterSource
    {
    public:
        explicit Printers(std::vector<std::string>& log)
            : m_log(log)
        { }
        std::string DefaultPrinterEntry() const override { return m_log.push_back("default printer"), "P2,x,y"; }
        std::vector<std::string> InstalledPrinters() const override
        {
            m_log.push_back("printers");
            if (failing)
                throw std::runtime_error("printer service down");
            return { "P1", "P2" };
        }
        bool failing = false;

    private:
        std::vector<std::string>& m_log;
    };

    std::unique_ptr<net::ManagementService> Connect(std::string_view) override
    {
        log.push_back("connect");
        struct Handle : net::ManagementService
        {
            LoggingService& owner;
            explicit Handle(LoggingService& o)
                : owner(o)
            { }
            std::vector<net::ObjectRef> ExecQuery(std::string_view, std::string_view, std::int32_t) override
            {
                owner.log.push_back("query");
                return owner.adapters;
            }
            net::ObjectRef Get(std::string_view, std::int32_t) override { return nullptr; }
        };
        return std::make_unique<Handle>(*this);
    }
    std::vector<std::string> log;
    std::vector<net::ObjectRef> adapters;
    Printers printers { log };
};

// Window, network and settings for one test.
struct Fixture
{
    explicit Fixture(int siteCount = 3)
    {
        std::vector<store::SiteProfile> sites;
        for (int i = 1; i <= siteCount; ++i)
            sites.push_back(gui::test::StaticSite("Site" + std::to_string(i), "10.0.0." + std::to_string(i)));
        folder.WriteSites(sites);
        const std::string network
            = folder.WriteNetwork(gui::test::Network({ gui::test::StaticAdapter("Wired", "192.168.9.10"),
                                                       gui::test::StaticAdapter("Wireless", "192.168.9.20") }));
        connector = std::make_unique<net::sim::SimulatedConnector>(network);
        printers = std::make_unique<net::sim::SimulatedPrinters>(network);
        window = std::make_unique<gui::MainWindow>(*connector, *printers, messages);
        if (!gui::test::WaitForService(*window))
            qFatal("the window's start-up query did not end");
    }
    template <typename T> T* find(const QString& name) const
    {
        T* child = window->findChild<T*>(name);
        if (child == nullptr)
            qFatal("no control %s", qPrintable(name));
        return child;
    }
    listview::SiteListView* list() const { return find<listview::SiteListView>("picList"); }
    editor::SiteEditor* editor() const { return find<editor::SiteEditor>("FrameSite"); }
    int applyCalls() const { return folder.ReadNetwork()["calls"].toArray().size(); }

    TestFolder folder;
    RecordingMessages messages;
    std::unique_ptr<net::ServiceConnector> connector;
    std::unique_ptr<printer::PrinterSource> printers;
    std::unique_ptr<gui::MainWindow> window;
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startUp()
    {
        Fixture f;
        QCOMPARE(f.window->windowTitle(),
                 QStringLiteral("Lanvex  V%1.%2.%3")
                     .arg(LANVEX_VERSION_MAJOR)
                     .arg(LANVEX_VERSION_MINOR)
                     .arg(LANVEX_VERSION_REVISION));
        QCOMPARE(f.window->size(), QSize(639, 501));
        QCOMPARE(f.window->minimumSize(), f.window->maximumSize());
        const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
        QVERIFY((f.window->geometry().center() - screenCentre).manhattanLength() <= 2);
        // The icon is drawn once the window has been painted.
        f.window->show();
        QTRY_VERIFY(!f.window->windowIcon().isNull());

        auto* nic = f.find<QComboBox>("cboNIC");
        QCOMPARE(nic->count(), 2);
        QCOMPARE(nic->currentIndex(), 0);
        QCOMPARE(nic->toolTip(), QStringLiteral("Wired"));
        QCOMPARE(f.window->Model().SiteProfiles[0].IP, std::string("192.168.9.10"));
        // Entry 0 follows the chosen adapter, in the editor too while it is selected.
        nic->setCurrentIndex(1);
        QCOMPARE(nic->toolTip(), QStringLiteral("Wireless"));
        QVERIFY(gui::test::WaitForService(*f.window));
        QCOMPARE(f.window->Model().SiteProfiles[0].IP, std::string("192.168.9.20"));
        QCOMPARE(f.window->Model().SiteProfiles[0].Name, std::string("本机当前设置"));
        QCOMPARE(f.editor()->txtIP->text(), QStringLiteral("192.168.9.20"));
        nic->setCurrentIndex(0);

        auto* printerList = f.editor()->cboPrinter;
        QCOMPARE(printerList->count(), 3);
        QCOMPARE(printerList->itemText(0), QString());
        QCOMPARE(printerList->itemText(2), QStringLiteral("Front Desk"));
        // Three sites fit: entry 0 is selected and shown in the editor.
        QCOMPARE(f.window->Model().SiteCount, 4);
        QCOMPARE(f.list()->SelIndex(), 0);
        QCOMPARE(f.editor()->txtName->text(), QStringLiteral("本机当前设置"));
        QVERIFY(!f.find<QWidget>("picStatus")->isVisibleTo(f.window.get()));
    }

    void loadOrder_data()
    {
        QTest::addColumn<int>("adapterCount");
        QTest::addColumn<bool>("printersFail");
        QTest::addColumn<QStringList>("expectedLog");
        // The printers are read by the window itself; every adapter, entry 0 among them, by one query
        // on the service thread.
        const QStringList full { "printers", "connect", "query", "default printer" };
        QTest::newRow("two adapters") << 2 << false << full;
        // A failing step of the start-up is passed over; the sites still load.
        QTest::newRow("printer list fails") << 2 << true << full;
        QTest::newRow("no adapter") << 0 << false << QStringList { "printers", "connect", "query" };
    }
    void loadOrder()
    {
        QFETCH(int, adapterCount);
        QFETCH(bool, printersFail);
        QFETCH(QStringList, expectedLog);
        TestFolder folder;
        folder.WriteSites({ gui::test::StaticSite("A", "10.0.0.1") });
        LoggingService service;
        for (int i = 1; i <= adapterCount; ++i)
            service.adapters.push_back(
                std::make_shared<LoggingService::Adapter>(i, "NIC" + std::to_string(i), "10.9.9." + std::to_string(i)));
        service.printers.failing = printersFail;
        RecordingMessages messages;
        gui::MainWindow window(service, service.printers, messages);
        QVERIFY(gui::test::WaitForService(window));
        QStringList log;
        for (const std::string& entry : service.log)
            log << QString::fromStdString(entry);
        QCOMPARE(log, expectedLog);
        // The printer list opens with its empty line, whatever the printer source did.
        const QComboBox* printerList = window.findChild<editor::SiteEditor*>("FrameSite")->cboPrinter;
        QCOMPARE(printerList->count(), printersFail ? 1 : 3);
        QCOMPARE(printerList->itemText(0), QString());

        const store::SiteListModel& model = window.Model();
        QCOMPARE(model.SiteCount, 2);
        QCOMPARE(model.SiteNames[0], std::string("本机当前设置"));
        QCOMPARE(model.SiteNames[1], std::string("A"));
        if (adapterCount > 0) {
            // Entry 0 comes from the adapter whose Index is the first position plus one.
            QCOMPARE(model.SiteProfiles[0].IP, std::string("10.9.9.1"));
            QCOMPARE(model.SiteProfiles[0].Name, std::string("本机当前设置"));
            QCOMPARE(model.CurSiteIndex, 0);
        } else {
            QCOMPARE(window.findChild<QComboBox*>("cboNIC")->currentIndex(), -1);
            QCOMPARE(model.SiteProfiles[0].Name, std::string());
            QCOMPARE(model.CurSiteIndex, -1);
        }
    }

    void scrollBarAtStartUp_data()
    {
        QTest::addColumn<int>("sites");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("pageStep");
        QTest::newRow("6 sites: 7 entries fit") << 6 << false << 0 << 0;
        QTest::newRow("7 sites: 8 entries") << 7 << true << 2 << 2;
        QTest::newRow("20 sites") << 20 << true << 15 << 7;
    }
    void scrollBarAtStartUp()
    {
        QFETCH(int, sites);
        QFETCH(bool, visible);
        Fixture f(sites);
        auto* bar = f.find<QScrollBar>("VScroll");
        auto* list = f.list();
        QCOMPARE(bar->isVisibleTo(f.window.get()), visible);
        QCOMPARE(bar->geometry().topLeft(), QPoint(list->geometry().right() + 1, list->y()));
        QCOMPARE(bar->height(), list->height());
        if (!visible) {
            QCOMPARE(f.editor()->txtName->text(), QStringLiteral("本机当前设置"));
            return;
        }
        QFETCH(int, maximum);
        QFETCH(int, pageStep);
        QCOMPARE(bar->minimum(), 1);
        QCOMPARE(bar->maximum(), maximum);
        QCOMPARE(bar->pageStep(), pageStep);
        QCOMPARE(bar->value(), 1);
        QCOMPARE(list->TopIndex(), 0);
        // A list that needs scrolling selects nothing at start-up, so the editor stays empty.
        QCOMPARE(f.editor()->txtName->text(), QString());
    }

    void layout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parentName");
        QTest::addColumn<QRect>("twips");
        QTest::newRow("picOption") << "picOption"
                                   << "frmMain" << QRect(120, 1080, 8775, 6375);
        QTest::newRow("lblTab0") << "lblTab0"
                                 << "picOption" << QRect(120, 120, 1215, 315);
        QTest::newRow("lblTab1") << "lblTab1"
                                 << "picOption" << QRect(1440, 120, 2055, 315);
        QTest::newRow("picStatus") << "picStatus"
                                   << "picOption" << QRect(4200, 0, 4455, 375);
        QTest::newRow("picSetup0") << "picSetup0"
                                   << "picOption" << QRect(120, 480, 8535, 5775);
        QTest::newRow("picSetup1") << "picSetup1"
                                   << "picOption" << QRect(120, 480, 8535, 5775);
        QTest::newRow("imgCmd0") << "imgCmd0"
                                 << "frmMain" << QRect(9000, 1560, 480, 480);
        QTest::newRow("picList") << "picList"
                                 << "picSetup0" << QRect(120, 360, 3255, 4095);
        QTest::newRow("imgApply") << "imgApply"
                                  << "picSetup0" << QRect(3120, 4920, 480, 480);
        QTest::newRow("FrameSite") << "FrameSite"
                                   << "picSetup0" << QRect(3840, 120, 4455, 5415);
        QTest::newRow("imgIP2") << "imgIP2"
                                << "FrameSite" << QRect(3600, 1920, 480, 480);
        QTest::newRow("Frame1") << "Frame1"
                                << "picSetup1" << QRect(480, 2880, 7575, 2655);
        QTest::newRow("lblHelp3") << "lblHelp3"
                                  << "Frame1" << QRect(360, 1560, -1, 255);
        QTest::newRow("cboNIC") << "cboNIC"
                                << "picSetup0" << QRect(120, 5040, 2775, -1);
        QTest::newRow("NIC caption") << "lblNIC"
                                     << "picSetup0" << QRect(120, 4770, -1, -1);
        QTest::newRow("list caption") << "lblSiteList"
                                      << "picSetup0" << QRect(120, 120, -1, -1);
    }
    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QString, parentName);
        QFETCH(QRect, twips);
        Fixture f(0);
        f.window->show();
        const QWidget* control = f.find<QWidget>(name);
        QCOMPARE(control->parentWidget()->objectName(), parentName);
        auto px = [](int t) { return qRound(t / 15.0); };
        QCOMPARE(control->pos(), QPoint(px(twips.x()), px(twips.y())));
        if (twips.width() >= 0)
            QCOMPARE(control->width(), px(twips.width()));
        if (twips.height() >= 0)
            QCOMPARE(control->height(), px(twips.height()));
    }

    void everyControlHasAnAccessibleName()
    {
        Fixture f;
        f.window->show();
        int checked = 0;
        for (QWidget* widget : f.window->findChildren<QWidget*>()) {
            const bool control = qobject_cast<QLabel*>(widget) || qobject_cast<QLineEdit*>(widget)
                || qobject_cast<QComboBox*>(widget) || qobject_cast<QAbstractButton*>(widget)
                || qobject_cast<QScrollBar*>(widget) || qobject_cast<QGroupBox*>(widget)
                || qobject_cast<gui::Picture*>(widget) || qobject_cast<listview::SiteListView*>(widget);
            if (!control || qobject_cast<QComboBox*>(widget->parentWidget()))
                continue;
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
            QVERIFY(accessible != nullptr);
            QVERIFY2(
                !accessible->text(QAccessible::Name).isEmpty(),
                qPrintable(QStringLiteral("%1 (%2)").arg(widget->objectName(), widget->metaObject()->className())));
            ++checked;
        }
        QVERIFY(checked > 40);
    }

    void keysFromAnyControl_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("F4 in txtName") << "txtName" << Qt::KeyboardModifiers();
        QTest::newRow("Shift+F4 in txtIP") << "txtIP" << Qt::KeyboardModifiers(Qt::ShiftModifier);
        QTest::newRow("Ctrl+F4 in picList") << "picList" << Qt::KeyboardModifiers(Qt::ControlModifier);
        QTest::newRow("F4 in cboNIC") << "cboNIC" << Qt::KeyboardModifiers();
        QTest::newRow("F4 over the apply button") << "imgApply" << Qt::KeyboardModifiers();
    }
    void keysFromAnyControl()
    {
        QFETCH(QString, focus);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        Fixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        auto* target = f.find<QWidget>(focus);
        f.list()->setSelIndex(2);

        // Pressing alone does nothing; the release applies the selected site.
        QTest::keyPress(target, Qt::Key_F4, modifiers);
        QCOMPARE(f.messages.shown.size(), std::size_t(0));
        if (auto* combo = qobject_cast<QComboBox*>(target))
            QVERIFY(!combo->view()->isVisible());
        QTest::keyRelease(target, Qt::Key_F4, modifiers);
        QVERIFY(gui::test::WaitForService(*f.window));
        QCOMPARE(f.messages.shown.size(), std::size_t(1));
        QCOMPARE(f.messages.shown[0].title, QStringLiteral("温馨提示"));
        QVERIFY(f.applyCalls() > 0);

        QTest::keyClick(target, Qt::Key_Escape);
        QVERIFY(!f.window->isVisible());
        QCOMPARE(f.messages.shown.size(), std::size_t(1));
    }

    // The window acts on a release only after it saw the press. The Esc that closes a message box
    // is let go over the window and must not close the window, with its unsaved edits, as well.
    void keyReleaseAfterAnotherWindowsPress_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Esc") << int(Qt::Key_Escape);
        QTest::newRow("F4") << int(Qt::Key_F4);
    }
    void keyReleaseAfterAnotherWindowsPress()
    {
        QFETCH(int, key);
        Fixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        f.list()->setSelIndex(2);
        QDialog box(f.window.get());
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::keyPress(&box, Qt::Key(key));
        QCOMPARE(box.isVisible(), key != Qt::Key_Escape);
        QTest::keyRelease(f.editor()->txtName, Qt::Key(key));
        QVERIFY(f.window->isVisible());
        QCOMPARE(f.messages.shown.size(), std::size_t(0));
        QCOMPARE(f.applyCalls(), 0);

        // The window's own press and release still act.
        QTest::keyClick(f.editor()->txtName, Qt::Key(key));
        QVERIFY(gui::test::WaitForService(*f.window));
        QCOMPARE(f.window->isVisible(), key != Qt::Key_Escape);
        QCOMPARE(f.messages.shown.size(), std::size_t(key == Qt::Key_F4 ? 1 : 0));
    }

    void tabs()
    {
        Fixture f;
        f.window->show();
        f.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        auto* tab0 = f.find<gui::TabLabel>("lblTab0");
        auto* tab1 = f.find<gui::TabLabel>("lblTab1");
        auto* page0 = f.find<QWidget>("picSetup0");
        auto* page1 = f.find<QWidget>("picSetup1");
        const QColor highlight = f.window->palette().color(QPalette::Highlight);
        const QColor infoBackground = f.window->palette().color(QPalette::ToolTipBase);
        QVERIFY(page0->isVisible() && !page1->isVisible());
        QCOMPARE(tab0->palette().color(QPalette::Window), highlight);
        QCOMPARE(tab0->palette().color(QPalette::WindowText), infoBackground);
        QCOMPARE(tab1->palette().color(QPalette::Window), infoBackground);
        QCOMPARE(tab1->palette().color(QPalette::WindowText), highlight);
        QVERIFY(tab0->font().pointSize() == 12);

        QTest::mouseClick(tab1, Qt::LeftButton);
        QVERIFY(!page0->isVisible() && page1->isVisible());
        QCOMPARE(tab1->palette().color(QPalette::Window), highlight);
        QCOMPARE(tab0->palette().color(QPalette::Window), infoBackground);
        QCOMPARE(f.find<QLabel>("lblHelp0")->text(),
                 QStringLiteral("按<Esc>键退出系统。         按<F4>键应用当前设置。"));
        QCOMPARE(f.find<QLabel>("lblHelp0")->palette().color(QPalette::WindowText), highlight);

        // Back on page 0, the editor is blank while the list keeps its selection; clicking the
        // chosen tab again clears it again.
        f.list()->setSelIndex(2);
        f.window->SelectSite(2);
        for (int round = 0; round < 2; ++round) {
            f.editor()->txtName->setText(QStringLiteral("typed"));
            f.editor()->optIPType[1]->setChecked(true);
            QTest::mouseClick(tab0, Qt::LeftButton);
            QVERIFY(page0->isVisible() && !page1->isVisible());
            QCOMPARE(f.editor()->txtName->text(), QString());
            QVERIFY(f.editor()->optIPType[0]->isChecked());
            QCOMPARE(f.editor()->txtIP->text(), QString());
            QCOMPARE(f.editor()->chkDNS->checkState(), Qt::Unchecked);
            QCOMPARE(f.list()->SelIndex(), 2);
            QCOMPARE(f.editor()->title(), QStringLiteral("当前办公位置：Site2"));
            QCOMPARE(QApplication::focusWidget(), f.editor()->txtName);
        }
    }

    void imageButtonsPressAndRelease_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QPoint>("restTwips");
        QTest::newRow("new") << "imgIP0" << QPoint(3600, 240);
        QTest::newRow("save") << "imgIP1" << QPoint(3600, 1080);
        QTest::newRow("delete") << "imgIP2" << QPoint(3600, 1920);
        QTest::newRow("apply") << "imgApply" << QPoint(3120, 4920);
        QTest::newRow("exit") << "imgCmd0" << QPoint(9000, 1560);
    }
    void imageButtonsPressAndRelease()
    {
        QFETCH(QString, name);
        QFETCH(QPoint, restTwips);
        Fixture f;
        f.window->show();
        auto* button = f.find<gui::ImageButton>(name);
        const QPoint rest(qRound(restTwips.x() / 15.0), qRound(restTwips.y() / 15.0));
        const QPoint pressed(qRound((restTwips.x() + 50) / 15.0), qRound((restTwips.y() + 50) / 15.0));
        QCOMPARE(button->pos(), rest);
        QCOMPARE(button->size(), QSize(32, 32));
        QVERIFY(!button->toolTip().isEmpty());
        // Only the button's click rule is looked at here; its command stays out of it.
        QObject::disconnect(button, &gui::ImageButton::clicked, f.window.get(), nullptr);
        QSignalSpy clicks(button, &gui::ImageButton::clicked);
        for (const Qt::MouseButton mouse : { Qt::LeftButton, Qt::RightButton }) {
            QTest::mousePress(button, mouse, {}, QPoint(16, 16));
            QCOMPARE(button->pos(), pressed);
            QTest::mouseRelease(button, mouse, {}, QPoint(200, 200)); // let go elsewhere
            QCOMPARE(button->pos(), rest);
        }
        QTest::mousePress(button, Qt::RightButton, {}, QPoint(16, 16));
        QTest::mouseRelease(button, Qt::RightButton, {}, QPoint(16, 16));
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(button->pos(), rest);

        // A double click arrives as press, release, press, double click, release: one click.
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(16, 16));
        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(16, 16));
        QTest::mouseDClick(button, Qt::LeftButton, {}, QPoint(16, 16));
        QCOMPARE(button->pos(), pressed);
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(16, 16));
        QCOMPARE(button->pos(), rest);
        QCOMPARE(clicks.count(), 1);
        // The next single click counts again.
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(16, 16));
        QCOMPARE(clicks.count(), 2);
    }

    // The editor buttons reach the site commands with the window's own model and list.
    void editorButtonsRunTheSiteCommands()
    {
        Fixture f;
        f.window->show();
        QTest::mouseClick(f.find<gui::ImageButton>("imgIP0"), Qt::LeftButton);
        QCOMPARE(f.window->Model().SiteCount, 5);
        QCOMPARE(f.window->Model().SiteNames[4], std::string("新位置1"));
        QCOMPARE(f.list()->SelIndex(), 4);
        QCOMPARE(f.editor()->txtName->text(), QStringLiteral("新位置1"));
        QCOMPARE(store::ReadIniString("Common", "Sites", ""), std::string("Site1,Site2,Site3,新位置1"));

        QTest::mouseClick(f.find<gui::ImageButton>("imgIP2"), Qt::LeftButton);
        QCOMPARE(f.window->Model().SiteCount, 4);
        QCOMPARE(f.list()->SelIndex(), 3);
        QCOMPARE(store::ReadIniString("Common", "Sites", ""), std::string("Site1,Site2,Site3"));
    }

    // A settings file that is there but cannot be read is named with its cause at start-up,
    // rather than looking like a file without sites.
    void unreadableSettingsAreNamedAtStartUp()
    {
        TestFolder folder;
        QVERIFY(QDir().mkpath(QString::fromStdString(store::IniFileName)));
        LoggingService service;
        RecordingMessages messages;
        gui::MainWindow window(service, service.printers, messages);
        QCOMPARE(messages.shown.size(), std::size_t(1));
        QVERIFY(messages.shown[0].text.contains(QString::fromStdString(store::IniFileName)));
        QVERIFY(messages.shown[0].text.contains(QStringLiteral("文件夹")));
        QCOMPARE(window.Model().SiteCount, 1);
    }

    // A change made to the file while the window starts, before it watches the file, still shows.
    void changeWhileStartingShows()
    {
        TestFolder folder;
        folder.WriteSites({ gui::test::StaticSite("A", "10.0.0.1") });
        const std::string network
            = folder.WriteNetwork(gui::test::Network({ gui::test::StaticAdapter("NIC", "10.9.9.1") }));
        net::sim::SimulatedConnector connector(network);
        net::sim::SimulatedPrinters printers(network);
        RecordingMessages messages;
        gui::MainWindow window(connector, printers, messages);
        QCOMPARE(window.Model().SiteCount, 2);
        folder.WriteSites({ gui::test::StaticSite("A", "10.0.0.1"), gui::test::StaticSite("B", "10.0.0.2") });
        QVERIFY(gui::test::WaitForService(window));
        QTRY_COMPARE(window.Model().SiteCount, 3);
        QCOMPARE(window.Model().SiteNames[2], std::string("B"));
    }

    // Two windows on one file, each working from the list it read: neither undoes the other's
    // change, a save of a site deleted elsewhere changes nothing, and a window follows the file.
    void twoWindowsOnOneFileKeepEachOthersChanges()
    {
        Fixture a(4);
        RecordingMessages bMessages;
        gui::MainWindow b(*a.connector, *a.printers, bMessages);
        auto* bList = b.findChild<listview::SiteListView*>("picList");
        auto* bEditor = b.findChild<editor::SiteEditor*>("FrameSite");
        const auto select = [](gui::MainWindow& window, int index) {
            window.findChild<listview::SiteListView*>("picList")->setSelIndex(index);
            window.SelectSite(index);
        };
        const auto click = [](gui::MainWindow& window, const char* button) {
            QTest::mouseClick(window.findChild<gui::ImageButton*>(button), Qt::LeftButton);
        };
        const auto stored
            = [] { return store::LoadSiteModel(store::IniFile(store::IniFileName).Load(), std::nullopt); };

        // A renames site 1; B, still showing the old name, saves site 2.
        select(*a.window, 1);
        a.editor()->txtName->setText(QStringLiteral("总部办公室"));
        click(*a.window, "imgIP1");
        select(b, 2);
        bEditor->txtIP->setText(QStringLiteral("10.0.0.99"));
        click(b, "imgIP1");
        // A makes a new site; B, which has not seen it, deletes its site 3.
        click(*a.window, "imgIP0");
        select(b, 3);
        click(b, "imgIP2");
        store::SiteListModel file = stored();
        QCOMPARE(file.SiteNames,
                 (std::vector<std::string> { store::kCurrentSettingsName, "总部办公室", "Site2", "Site4", "新位置1" }));
        QCOMPARE(file.SiteProfiles[1].IP, std::string("10.0.0.1"));
        QCOMPARE(file.SiteProfiles[2].IP, std::string("10.0.0.99"));
        QCOMPARE(b.Model().SiteNames, file.SiteNames);

        // A still shows Site3, which B deleted: its save says so and writes nothing.
        QCOMPARE(a.window->Model().SiteNames[3], std::string("Site3"));
        const std::string before = store::IniFile(store::IniFileName).Load().ParsedBytes();
        select(*a.window, 3);
        a.editor()->txtIP->setText(QStringLiteral("10.0.0.33"));
        const std::size_t shown = a.messages.shown.size();
        click(*a.window, "imgIP1");
        QCOMPARE(a.messages.shown.size(), shown + 1);
        QVERIFY(a.messages.shown.back().text.contains(QStringLiteral("已被其他程序删除或改名")));
        QCOMPARE(store::IniFile(store::IniFileName).Load().ParsedBytes(), before);
        QCOMPARE(a.window->Model().SiteNames, file.SiteNames);

        // B has Site4 selected; A deletes the site above it. B's list follows the file and keeps
        // Site4 selected, now one row higher.
        select(b, 3);
        select(*a.window, 1);
        click(*a.window, "imgIP2");
        QTRY_COMPARE(b.Model().SiteCount, 4);
        QCOMPARE(b.Model().SiteNames[2], std::string("Site4"));
        QCOMPARE(bList->SelIndex(), 2);
        QCOMPARE(bEditor->title(), QStringLiteral("当前办公位置：Site4"));
    }

    // Typing not yet saved survives another program's change to the file: the list and the other
    // sites follow the file, the editor keeps the typing, the window says so once, and a save
    // writes what the editor shows; a site deleted elsewhere is saved again as a new one on request.
    void unsavedTypingSurvivesChangesOnDisk()
    {
        Fixture f(3);
        f.window->FinishStartUp(); // the settings file is watched
        std::vector<store::SiteProfile> sites;
        for (int i = 1; i <= 3; ++i)
            sites.push_back(f.window->Model().SiteProfiles[static_cast<std::size_t>(i)]);
        const auto select = [&f](int index) {
            f.list()->setSelIndex(index);
            f.window->SelectSite(index);
        };
        const auto told = [&f](const char* text) {
            return std::count_if(f.messages.shown.begin(), f.messages.shown.end(), [text](const auto& message) {
                return message.text.contains(QString::fromUtf8(text));
            });
        };
        const auto stored
            = [] { return store::LoadSiteModel(store::IniFile(store::IniFileName).Load(), std::nullopt); };

        select(2);
        f.editor()->txtIP->setText(QStringLiteral("10.20.0.98"));
        sites[1].AuxWINS = "10.0.0.250"; // the site in the editor
        sites[0].IP = "10.0.0.111"; // another site
        f.folder.WriteSites(sites);
        QTRY_COMPARE(f.window->Model().SiteProfiles[1].IP, std::string("10.0.0.111"));
        QCOMPARE(f.window->Model().SiteProfiles[2].AuxWINS, std::string("10.0.0.250"));
        QCOMPARE(f.editor()->txtIP->text(), QStringLiteral("10.20.0.98"));
        QCOMPARE(f.editor()->txtAuxWINS->text(), QString());
        QCOMPARE(f.list()->SelIndex(), 2);
        QCOMPARE(told("已被其他程序修改"), 1);
        sites[1].AuxWINS = "10.0.0.251";
        sites.push_back(gui::test::StaticSite("Site4", "10.0.0.4"));
        f.folder.WriteSites(sites);
        QTRY_COMPARE(f.window->Model().SiteCount, 5);
        QCOMPARE(told("已被其他程序修改"), 1); // once
        QTest::mouseClick(f.find<gui::ImageButton>("imgIP1"), Qt::LeftButton);
        QCOMPARE(stored().SiteProfiles[2].IP, std::string("10.20.0.98"));
        QCOMPARE(stored().SiteProfiles[2].AuxWINS, std::string());
        QCOMPARE(stored().SiteProfiles[1].IP, std::string("10.0.0.111"));

        // Site3 is deleted elsewhere while the editor holds changes to it.
        select(3);
        f.editor()->txtIP->setText(QStringLiteral("10.30.0.33"));
        f.folder.WriteSites({ sites[0], sites[1], sites[3] });
        QTRY_COMPARE(f.window->Model().SiteCount, 4);
        QCOMPARE(f.list()->SelIndex(), -1);
        QCOMPARE(f.editor()->txtIP->text(), QStringLiteral("10.30.0.33"));
        QCOMPARE(f.editor()->txtName->text(), QStringLiteral("Site3"));
        QCOMPARE(told("已被其他程序删除或改名"), 1);
        // No: nothing is written and the editor stays; yes: the site is back, with the typing.
        QTest::mouseClick(f.find<gui::ImageButton>("imgIP1"), Qt::LeftButton);
        QCOMPARE(told("另存为新的办公位置吗"), 1);
        QCOMPARE(stored().SiteCount, 4);
        QCOMPARE(f.editor()->txtIP->text(), QStringLiteral("10.30.0.33"));
        f.messages.answer = true;
        QTest::mouseClick(f.find<gui::ImageButton>("imgIP1"), Qt::LeftButton);
        QCOMPARE(told("另存为新的办公位置吗"), 2);
        const store::SiteListModel file = stored();
        QCOMPARE(file.SiteNames,
                 (std::vector<std::string> { store::kCurrentSettingsName, "Site1", "Site2", "Site4", "Site3" }));
        QCOMPARE(file.SiteProfiles[4].IP, std::string("10.30.0.33"));
        QCOMPARE(f.list()->SelIndex(), 4);
        QVERIFY(!f.editor()->HasUnsavedChanges());
        QCOMPARE(f.messages.shown.back().text, QStringLiteral("保存成功!"));
    }

    // The real message box: information icon, one button in the window's language, plain text.
    void messageBox()
    {
        QWidget parent;
        parent.show();
        QString seen;
        QTimer::singleShot(0, &parent, [&seen] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            const QList<QAbstractButton*> buttons = box->buttons();
            seen = QStringList { box->windowTitle(),           box->text(),
                                 QString::number(box->icon()), QString::number(buttons.size()),
                                 buttons.value(0)->text(),     QString::number(box->textFormat()) }
                       .join(QLatin1Char('|'));
            box->accept();
        });
        gui::QtMessageSink().Information(&parent, QStringLiteral("温馨提示"), QStringLiteral("无法写入 /tmp/<b>x</b>"));
        QCOMPARE(seen,
                 QStringList({ "温馨提示", "无法写入 /tmp/<b>x</b>", QString::number(QMessageBox::Information), "1",
                               "确定", QString::number(Qt::PlainText) })
                     .join(QLatin1Char('|')));
    }

    // The real question box: its two buttons in the window's language; the answer is the one clicked.
    void questionBox_data()
    {
        QTest::addColumn<QString>("click");
        QTest::addColumn<bool>("answer");
        QTest::newRow("yes") << "是" << true;
        QTest::newRow("no") << "否" << false;
    }
    void questionBox()
    {
        QFETCH(QString, click);
        QFETCH(bool, answer);
        QWidget parent;
        parent.show();
        QStringList captions;
        QTimer::singleShot(0, &parent, [&captions, click] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            QAbstractButton* chosen = nullptr;
            for (QAbstractButton* button : box->buttons()) {
                captions << button->text();
                if (button->text() == click)
                    chosen = button;
            }
            captions << QString::number(box->icon());
            if (chosen != nullptr)
                chosen->click();
        });
        QCOMPARE(gui::QtMessageSink().Question(&parent, QStringLiteral("温馨提示"),
                                               QStringLiteral("另存为新的办公位置吗？")),
                 answer);
        captions.sort();
        QCOMPARE(captions, (QStringList { QString::number(QMessageBox::Question), "否", "是" }));
    }

    void exitEndsTheProgramAtOnce()
    {
        Fixture f;
        f.window->show();
        auto* exitButton = f.find<gui::ImageButton>("imgCmd0");
        QEventLoop loop;
        QTimer::singleShot(0, exitButton, [exitButton] { QTest::mouseClick(exitButton, Qt::LeftButton); });
        QTimer::singleShot(5000, &loop, [&loop] { loop.exit(99); });
        QCOMPARE(loop.exec(), 0);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_MainWindow.moc"
