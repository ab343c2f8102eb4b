// The window over the real NetworkManager with two managed devices: entry 0 follows the adapter
// chosen in the adapter list.
#include "NmSandbox.h"
#include "SandboxSites.h"
#include "WindowTestSupport.h"
#include "apply/ApplyProcedure.h"
#include "apply/ApplyResult.h"
#include "gui/MainWindow.h"
#include "net/AdapterQuery.h"
#include "net/nm/NetworkManagerConnector.h"
#include "printer/PrinterSource.h"

#include <QComboBox>
#include <QScopeGuard>
#include <QtTest>

using namespace lanvex;
using namespace Qt::StringLiterals;

namespace {

using nm_test::NoPrinters;

} // namespace

class TestNetworkManagerWindow : public QObject
{
    Q_OBJECT

    NmSandbox m_sandbox;

    QString MacOf(const QString& device) const
    {
        const QString link = m_sandbox.ip({ u"-o"_s, u"link"_s, u"show"_s, device });
        return QRegularExpression(u"link/ether ([0-9a-f:]{17})"_s).match(link).captured(1).toUpper();
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (const QString reason = m_sandbox.unavailableReason(); !reason.isEmpty())
            QSKIP(qPrintable(reason));
    }

    void entryZeroFollowsTheAdapter()
    {
        // A second cable into the sandbox, the last device NetworkManager found.
        const QString second = m_sandbox.tag + u"b"_s;
        QCOMPARE(NmSandbox::run(u"ip"_s,
                                { u"link"_s, u"add"_s, second, u"netns"_s, m_sandbox.netns(), u"type"_s, u"veth"_s,
                                  u"peer"_s, u"name"_s, second + u"p"_s, u"netns"_s, m_sandbox.tag + u"-srv"_s }),
                 QString());
        const auto unplug = qScopeGuard([&] { m_sandbox.ip({ u"link"_s, u"del"_s, second }); });
        net::nm::NetworkManagerConnector connector;
        QTRY_COMPARE_WITH_TIMEOUT(net::ListAdapters(connector).size(), std::size_t(2), 15000);

        gui::test::TestFolder folder;
        folder.WriteSites({ gui::test::StaticSite("Office", "10.77.0.5") });
        NoPrinters printers;
        gui::test::RecordingMessages messages;
        gui::MainWindow window(connector, printers, messages);
        QVERIFY(gui::test::WaitForService(window));
        auto* nic = window.findChild<QComboBox*>(u"cboNIC"_s);
        QCOMPARE(nic->count(), 2);
        QCOMPARE(QString::fromStdString(window.Model().SiteProfiles[0].MACAddress), m_sandbox.macAddress());

        nic->setCurrentIndex(1);
        QVERIFY(gui::test::WaitForService(window));
        const store::SiteProfile& chosen = window.Model().SiteProfiles[0];
        QCOMPARE(QString::fromStdString(chosen.MACAddress), MacOf(second));
        QVERIFY(QString::fromStdString(chosen.Description).startsWith(second));
        QCOMPARE(chosen.Name, std::string("本机当前设置"));

        nic->setCurrentIndex(0);
        QVERIFY(gui::test::WaitForService(window));
        QCOMPARE(QString::fromStdString(window.Model().SiteProfiles[0].MACAddress), m_sandbox.macAddress());
        QVERIFY(messages.shown.empty());
    }
};

QTEST_MAIN(TestNetworkManagerWindow)
#include "tst_NetworkManagerWindow.moc"
