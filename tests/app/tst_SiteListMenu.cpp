// The site list's right-click menu: import and export from the window.
#include "AppTestSupport.h"
#include "app/MainWindow.h"
#include "app/SiteListMenu.h"
#include "listview/SiteListView.h"
#include "net/sim/SimulatedService.h"

#include <QApplication>
#include <QMenu>
#include <QScrollBar>

using namespace lanvex;

class TestSiteListMenu : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rightClickImportsAndExports()
    {
        app::test::TestFolder folder;
        std::vector<store::SiteProfile> sites;
        for (int i = 1; i <= 6; ++i)
            sites.push_back(app::test::StaticSite("Site " + std::to_string(i), "10.0.0." + std::to_string(i)));
        folder.WriteSites(sites);
        const std::string network
            = folder.WriteNetwork(app::test::Network({ app::test::StaticAdapter("Wired", "192.168.9.10") }));
        net::sim::SimulatedConnector connector(network);
        net::sim::SimulatedPrinters printers(network);
        app::test::RecordingMessages messages;
        app::MainWindow window(connector, printers, messages);
        window.show();
        auto* list = window.findChild<listview::SiteListView*>("picList");
        auto* menu = window.findChild<app::SiteListMenu*>("siteListMenu");
        QVERIFY(menu);

        // Through the window, as the platform delivers a right-click.
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseClick(window.windowHandle(), Qt::RightButton, {}, list->mapTo(&window, QPoint(40, 40)));
        QTRY_VERIFY(menu->Menu()->isVisible());
        QStringList texts;
        for (const QAction* action : menu->Menu()->actions())
            texts << action->text();
        QCOMPARE(texts, (QStringList { "导入...", "导出..." }));
        menu->Menu()->close();

        // An import that adds sites shows them in the list at once; the eighth entry brings the bar.
        const QString file = QString::fromStdString(store::IniFileName) + ".import.json";
        QFile json(file);
        QVERIFY(json.open(QIODevice::WriteOnly));
        json.write(R"([{"Name":"Cafe","IP":"192.168.5.5"},{"Name":"site 2"}])");
        json.close();
        menu->chooseFile = [&file](bool forSaving) { return forSaving ? QString() : file; };
        menu->Menu()->actions().at(0)->trigger();
        QCOMPARE(window.Model().SiteNames.back(), std::string("Cafe"));
        QCOMPARE(window.Model().SiteCount, 8);
        QVERIFY(window.findChild<QScrollBar*>("VScroll")->isVisible());
        QCOMPARE(messages.shown.size(), std::size_t(1));
        QCOMPARE(messages.shown[0].text,
                 QStringLiteral(
                     "已添加：Cafe\r\n已跳过：site 2（已有同名的办公位置）\r\n共添加 1 个，替换 0 个，跳过 1 个。"));

        // A cancelled dialog does nothing; a chosen file gets every site.
        menu->Menu()->actions().at(1)->trigger();
        QCOMPARE(messages.shown.size(), std::size_t(1));
        const QString exported = file + ".ini";
        menu->chooseFile = [&exported](bool forSaving) { return forSaving ? exported : QString(); };
        menu->Menu()->actions().at(1)->trigger();
        QCOMPARE(messages.shown.back().text, QStringLiteral("已导出 7 个办公位置到 %1。").arg(exported));
        QFile written(exported);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().startsWith("[Common]\r\nSites=Site 1,Site 2,"));
    }
};

QTEST_MAIN(TestSiteListMenu)
#include "tst_SiteListMenu.moc"
