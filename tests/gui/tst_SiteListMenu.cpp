// The site list's right-click menu: import and export from the window.
#include "WindowFixture.h"
#include "gui/SiteListMenu.h"
#include "listview/SiteListView.h"

#include <QMenu>
#include <QScrollBar>

using namespace lanvex;

class TestSiteListMenu : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rightClickImportsAndExports()
    {
        std::vector<store::SiteProfile> sites;
        for (int i = 1; i <= 6; ++i)
            sites.push_back(gui::test::StaticSite("Site " + std::to_string(i), "10.0.0." + std::to_string(i)));
        gui::test::WindowFixture f(sites, { gui::test::StaticAdapter("Wired", "192.168.9.10") });
        f.window.show();
        auto* menu = f.window.findChild<gui::SiteListMenu*>("siteListMenu");
        QVERIFY(menu);

        // Through the window, as the platform delivers a right-click.
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QWidget* list = f.window.findChild<listview::SiteListView*>("picList");
        QTest::mouseClick(f.window.windowHandle(), Qt::RightButton, {}, list->mapTo(&f.window, QPoint(40, 40)));
        QTRY_VERIFY(menu->Menu()->isVisible());
        QCOMPARE(menu->Menu()->actions().at(0)->text(), QStringLiteral("导入..."));
        QCOMPARE(menu->Menu()->actions().at(1)->text(), QStringLiteral("导出..."));
        menu->Menu()->close();

        // An import shows its sites in the list at once; the eighth entry brings the scroll bar.
        const QString file = QString::fromStdString(store::IniFileName) + ".json";
        QFile json(file);
        QVERIFY(json.open(QIODevice::WriteOnly));
        json.write(R"([{"Name":"Cafe","IP":"192.168.5.5"},{"Name":"site 2"}])");
        json.close();
        QString chosen = file;
        menu->chooseFile = [&chosen](bool) { return chosen; };
        // The file is read off the window's thread; the report follows.
        menu->Menu()->actions().at(0)->trigger();
        QTRY_COMPARE(f.messages.shown.size(), std::size_t(1));
        QCOMPARE(f.window.Model().SiteNames.back(), std::string("Cafe"));
        QVERIFY(f.window.findChild<QScrollBar*>("VScroll")->isVisible());
        QCOMPARE(f.messages.shown.back().text,
                 QStringLiteral(
                     "已添加：Cafe\r\n已跳过：site 2（已有同名的办公位置）\r\n共添加 1 个，替换 0 个，跳过 1 个。"));

        chosen = file + ".ini";
        menu->Menu()->actions().at(1)->trigger();
        QTRY_COMPARE(f.messages.shown.size(), std::size_t(2));
        QCOMPARE(f.messages.shown.back().text, QStringLiteral("已导出 7 个办公位置到 %1。").arg(chosen));
        // A cancelled dialog does nothing.
        chosen.clear();
        menu->Menu()->actions().at(1)->trigger();
        QCOMPARE(f.messages.shown.size(), std::size_t(2));
    }
};

QTEST_MAIN(TestSiteListMenu)
#include "tst_SiteListMenu.moc"
