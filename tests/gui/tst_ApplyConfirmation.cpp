// An apply in the window that waits to be kept, over the simulated service: the option, the
// countdown box, and the restore when the countdown runs out.
#include "WindowFixture.h"
#include "gui/ApplyConfirmation.h"
#include "gui/MainWindow.h"
#include "gui/StatusLine.h"
#include "listview/SiteListView.h"

#include <QAction>
#include <QFile>
#include <QJsonArray>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace lanvex;

namespace {

store::SiteProfile Office()
{
    store::SiteProfile site = gui::test::StaticSite("Office", "10.1.2.3");
    site.ChangeDNS = true;
    site.DNS = "10.1.2.53";
    return site;
}

// How long an apply or a restore may take on a loaded machine (Wine under a parallel build takes
// several seconds), well past the one-second countdown.
constexpr int kServiceWaitMs = 20000;

// The calls in the simulated file, as "method first-argument".
QStringList Calls(const QJsonObject& network)
{
    QStringList calls;
    for (const QJsonValue& call : network["calls"].toArray()) {
        const QJsonValue first = call["args"].toArray().first();
        calls << call["method"].toString() + u' ' + (first.isArray() ? first.toArray().first() : first).toString();
    }
    return calls;
}

// The window over one static adapter (192.168.9.10), Office saved, its apply to be confirmed.
struct ConfirmingWindow : gui::test::WindowFixture
{
    ConfirmingWindow()
        : WindowFixture({ Office() }, { gui::test::StaticAdapter("Wired", "192.168.9.10") })
    {
        auto* option = window.findChild<QAction*>("mnuConfirmApply");
        if (!option)
            qFatal("no menu action for the option");
        if (option->isChecked())
            option->trigger(); // off first where the session turned it on
        option->trigger(); // on, as the user chose
        window.SetConfirmSeconds(1);
        window.findChild<listview::SiteListView*>("picList")->setSelIndex(1);
    }

    gui::ApplyConfirmation* Box() const { return window.findChild<gui::ApplyConfirmation*>("ApplyConfirmation"); }
};

} // namespace

class TestApplyConfirmation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The countdown runs out: the previous settings come back, and the window says so.
    void countdownRestores()
    {
        ConfirmingWindow f;
        QFile settings(QString::fromStdString(store::IniFileName));
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QVERIFY(settings.readAll().contains("ConfirmApply=1"));

        f.window.imgApply_Click();
        QTRY_VERIFY_WITH_TIMEOUT(f.Box() != nullptr, kServiceWaitMs);
        QCOMPARE(f.Box()->findChild<QLabel*>("lblCountdown")->text(),
                 u"如果在1秒内没有选择保留，将恢复之前的设置。"_qs);
        QVERIFY(f.messages.shown.empty()); // the summary is in the box
        QTRY_VERIFY_WITH_TIMEOUT(f.Box() == nullptr, kServiceWaitMs);
        QVERIFY(gui::test::WaitForService(f.window));

        QCOMPARE(Calls(f.folder.ReadNetwork()).size(), 7); // the address check, the apply's three, the restore's three
        QCOMPARE(f.messages.shown.size(), std::size_t(1));
        QVERIFY2(
            f.messages.shown[0].text.startsWith(u"1秒内没有选择保留。\r\n已恢复网卡之前的设置：IP地址 192.168.9.10"_qs),
            qPrintable(f.messages.shown[0].text));
        QCOMPARE(f.window.findChild<gui::StatusLine*>("picStatus")->Text(), u"已恢复之前的设置。"_qs);
        QTRY_COMPARE_WITH_TIMEOUT(f.window.Model().SiteProfiles[0].IP, std::string("192.168.9.10"), kServiceWaitMs);
    }

    // Keeping: no call after the apply's, and the next apply is free to start.
    void keepLeavesTheChange()
    {
        ConfirmingWindow f;
        f.window.SetConfirmSeconds(60);
        f.window.imgApply_Click();
        QTRY_VERIFY_WITH_TIMEOUT(f.Box() != nullptr, kServiceWaitMs);
        QTest::mouseClick(f.Box()->findChild<QPushButton*>("cmdKeep"), Qt::LeftButton);
        QVERIFY(gui::test::WaitForService(f.window));
        QCOMPARE(Calls(f.folder.ReadNetwork()).size(), 4);
        QCOMPARE(f.window.findChild<gui::StatusLine*>("picStatus")->Text(), u"已保留新设置。"_qs);
        QVERIFY(f.messages.shown.empty());
        f.window.imgApply_Click(); // not held off: a second apply runs and waits again
        QTRY_VERIFY_WITH_TIMEOUT(f.Box() != nullptr, kServiceWaitMs);
        QTest::mouseClick(f.Box()->findChild<QPushButton*>("cmdRestore"), Qt::LeftButton);
        QVERIFY(gui::test::WaitForService(f.window));
        QTRY_COMPARE_WITH_TIMEOUT(Calls(f.folder.ReadNetwork()).size(), 11, kServiceWaitMs);
    }

    // Without the user's choice, the option follows the session.
    void onByDefaultInARemoteSession()
    {
        if (QSysInfo::kernelType() != u"linux"_qs)
            QSKIP("on Windows a Remote Desktop session decides");
        gui::test::WindowFixture f({ Office() }, { gui::test::StaticAdapter("Wired", "192.168.9.10") });
        qunsetenv("SSH_CONNECTION");
        QVERIFY(!f.window.ConfirmApplyOn());
        qputenv("SSH_CONNECTION", "192.0.2.7 50022 192.0.2.1 22");
        QVERIFY(f.window.ConfirmApplyOn());
        qunsetenv("SSH_CONNECTION");
    }
};

QTEST_MAIN(TestApplyConfirmation)
#include "tst_ApplyConfirmation.moc"
