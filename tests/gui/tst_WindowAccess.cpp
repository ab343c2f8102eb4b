// The window for everyone, on the offscreen platform: the editor's buttons from the keyboard, the
// accessible tree a screen reader reads, start at login and the site launchers.
#include "WindowFixture.h"
#include "editor/SiteEditor.h"
#include "gui/AdvancedDialog.h"
#include "gui/ImageButton.h"
#include "gui/SiteHotkeys.h"
#include "gui/StatusLine.h"
#include "listview/SiteListView.h"
#include "platform/GlobalHotkeys.h"
#include "store/IniFile.h"
#include "store/IniModule.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>

using namespace lanvex;

namespace {

store::SiteProfile WithHotkey(store::SiteProfile site, const std::string& hotkey)
{
    site.Extras.Hotkey = hotkey;
    return site;
}

struct Fixture : gui::test::WindowFixture
{
    explicit Fixture(const std::string& second = "Lab")
        : Fixture({ gui::test::StaticSite("Office", "10.1.2.3"), gui::test::StaticSite(second, "172.16.0.9") })
    { }
    explicit Fixture(const std::vector<store::SiteProfile>& sites)
        : WindowFixture(sites, { gui::test::StaticAdapter("Intel(R) Ethernet", "192.168.9.10") })
    {
        window.show();
        QApplication::setActiveWindow(&window);
        if (!QTest::qWaitForWindowActive(&window))
            qFatal("the window did not become active");
    }
    template <typename T> T* find(const char* name) { return window.findChild<T*>(QString::fromLatin1(name)); }
    gui::ImageButton* button(const char* name) { return find<gui::ImageButton>(name); }
    listview::SiteListView* list() { return find<listview::SiteListView>("picList"); }
    std::string sites() const { return store::ReadIniString("Common", "Sites", ""); }
    // The object names the focus passes through from the list, one Tab at a time, once around.
    QStringList tabOrder()
    {
        list()->setFocus();
        QStringList names;
        for (int i = 0; i < 40; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            const QString name = QApplication::focusWidget()->objectName();
            if (name == QLatin1String("picList"))
                break;
            names << name;
        }
        return names;
    }
    // The menu item of the list's context menu named `name`, after the menu has been opened.
    QAction* listMenuItem(const char* name)
    {
        QMenu* menu = list()->findChild<QMenu*>();
        if (!menu)
            return nullptr;
        Q_EMIT menu->aboutToShow();
        return menu->findChild<QAction*>(QString::fromLatin1(name));
    }
};

#ifndef _WIN32
// Runs a program with its arguments, returning its exit code and its output.
int Run(const QString& program, const QStringList& arguments, QString* output = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(30000))
        return -1;
    if (output)
        *output = QString::fromUtf8(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}
#endif

// The desktop's hotkeys as a test sees them: the keys last set, how often, and presses by hand.
class FakeHotkeys : public platform::GlobalHotkeys
{
public:
    void SetKeys(const std::vector<QKeySequence>& keys, const std::vector<QString>&) override
    {
        ++sets;
        held = keys;
        for (std::size_t i = 0; i < keys.size(); ++i)
            if (keys[i] == refuse)
                Q_EMIT refused(int(i), QStringLiteral("another program holds it"));
    }
    void Press(int index) { Q_EMIT activated(index); }
    std::vector<QKeySequence> held;
    QKeySequence refuse { QStringLiteral("Ctrl+Alt+2") };
    int sets = 0;
};

} // namespace

class TestWindowAccess : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The image buttons take the focus by Tab, show it, and act on Space and Enter; Ctrl+N, Ctrl+S
    // and Delete in the list do what the buttons do, and Delete in a text field deletes text only.
    void keyboardRunsTheEditorButtons()
    {
        Fixture f;
        const QStringList order = f.tabOrder();
        for (const char* name : { "imgApply", "imgIP0", "imgIP1", "imgIP2", "cmdAdvanced", "imgCmd0" })
            QVERIFY2(order.contains(QLatin1String(name)), qPrintable(order.join(QLatin1Char(' '))));
        QCOMPARE(order.indexOf(QStringLiteral("imgIP1")), order.indexOf(QStringLiteral("imgIP0")) + 1);
        QCOMPARE(order.last(), QStringLiteral("imgCmd0"));

        // Only the focus frame tells a focused button from its usual look.
        gui::ImageButton* newButton = f.button("imgIP0");
        const QImage usual = newButton->grab().toImage();
        newButton->setFocus(Qt::TabFocusReason);
        QVERIFY(newButton->hasFocus());
        QVERIFY(newButton->grab().toImage() != usual);
        // A click leaves the focus where it was.
        f.list()->setFocus();
        QTest::mouseClick(f.button("imgIP1"), Qt::LeftButton);
        QVERIFY(f.list()->hasFocus());
        QVERIFY(newButton->grab().toImage() == usual);
        f.messages.shown.clear();

        newButton->setFocus(Qt::TabFocusReason);
        QTest::keyPress(newButton, Qt::Key_Space);
        QCOMPARE(newButton->pos(), newButton->PressedPosition());
        QCOMPARE(f.window.Model().SiteCount, 3); // not before the key is let go
        QTest::keyRelease(newButton, Qt::Key_Space);
        QCOMPARE(newButton->pos(), newButton->RestPosition());
        QCOMPARE(f.sites(), std::string("Office,Lab,新位置1"));
        newButton->setFocus(Qt::TabFocusReason);
        QTest::keyClick(newButton, Qt::Key_Return);
        QCOMPARE(f.sites(), std::string("Office,Lab,新位置1,新位置2"));

        // Ctrl+N from a text field. Ctrl+S says what the save button says for the same editor (a new
        // site has no address yet), and saves what it saves.
        QLineEdit* name = f.find<editor::SiteEditor>("FrameSite")->txtName;
        name->setFocus();
        QTest::keyClick(name, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(f.sites(), std::string("Office,Lab,新位置1,新位置2,新位置3"));
        QTest::keyClick(name, Qt::Key_S, Qt::ControlModifier);
        const QString refusal = f.messages.shown.back().text;
        QTest::mouseClick(f.button("imgIP1"), Qt::LeftButton);
        QCOMPARE(f.messages.shown.back().text, refusal);
        QTest::mouseClick(f.list(), Qt::LeftButton, {}, f.list()->RowRect(1).center());
        name->setText(QStringLiteral("Garage"));
        name->setFocus();
        QTest::keyClick(name, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(f.messages.shown.back().text, QStringLiteral("保存成功!"));
        QCOMPARE(f.sites(), std::string("Garage,Lab,新位置1,新位置2,新位置3"));

        // Delete in the name field edits the name; in the list it deletes the chosen site.
        name->setFocus();
        name->setCursorPosition(0);
        QTest::keyClick(name, Qt::Key_Delete);
        QCOMPARE(name->text(), QStringLiteral("arage"));
        QCOMPARE(f.window.Model().SiteCount, 6);
        f.list()->setFocus();
        QTest::keyClick(f.list(), Qt::Key_Delete);
        QCOMPARE(f.sites(), std::string("Lab,新位置1,新位置2,新位置3"));

        // Held off during an apply as the buttons are: nothing happens.
        f.button("imgIP0")->setEnabled(false);
        QTest::keyClick(name, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(f.window.Model().SiteCount, 5);
    }

    // A screen reader finds the list's entries with their names and states, the image buttons as
    // buttons it can press, and hears the status line change.
    void accessibleTree()
    {
        Fixture f;
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(f.list());
        QVERIFY(list);
        QCOMPARE(list->role(), QAccessible::List);
        const store::SiteListModel& model = f.window.Model();
        QCOMPARE(list->childCount(), 3);
        for (int i = 0; i < 3; ++i) {
            QAccessibleInterface* item = list->child(i);
            QVERIFY(item && item->isValid());
            QCOMPARE(item->role(), QAccessible::ListItem);
            QCOMPARE(item->text(QAccessible::Name), QString::fromStdString(model.SiteNames[std::size_t(i)]));
            QCOMPARE(item->parent(), list);
            QCOMPARE(list->indexOfChild(item), i);
            QCOMPARE(list->child(i), item); // one interface per entry
        }
        // Entry 0 is this machine's settings, live; choosing Lab moves the selection there.
        QVERIFY(list->child(0)->state().checked);
        QVERIFY(!list->child(2)->state().checked);
        QTest::mouseClick(f.list(), Qt::LeftButton, {}, f.list()->RowRect(2).center());
        QCOMPARE(f.list()->SelIndex(), 2);
        QVERIFY(list->child(2)->state().selected);
        QVERIFY(!list->child(0)->state().selected);
        QVERIFY(list->child(2)->rect().contains(f.list()->mapToGlobal(f.list()->RowRect(2).center())));

        QAccessibleInterface* newButton = QAccessible::queryAccessibleInterface(f.button("imgIP0"));
        QCOMPARE(newButton->role(), QAccessible::Button);
        QCOMPARE(newButton->text(QAccessible::Name), QStringLiteral("新建IP设置"));
        QVERIFY(newButton->state().focusable);
        QVERIFY(newButton->actionInterface());
        QCOMPARE(newButton->actionInterface()->actionNames(),
                 QStringList { QAccessibleActionInterface::pressAction() });
        newButton->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(f.sites(), std::string("Office,Lab,新位置1"));
        QCOMPARE(list->childCount(), 4);
        QCOMPARE(QAccessible::queryAccessibleInterface(f.button("imgCmd0"))->text(QAccessible::Name),
                 QStringLiteral("退出"));
        // The banner is a picture, not a button.
        QVERIFY(QAccessible::queryAccessibleInterface(f.find<QWidget>("banner"))->role() != QAccessible::Button);

        auto* status = f.find<gui::StatusLine>("picStatus");
        QAccessibleInterface* statusBar = QAccessible::queryAccessibleInterface(status);
        QCOMPARE(statusBar->role(), QAccessible::StatusBar);
        // What it is named follows the text it shows. (Whether the change is sent to a listening
        // screen reader cannot be seen here: the offscreen platform has no accessibility bridge.)
        f.window.ShowStatus(QStringLiteral("正在更新IP地址"));
        QCOMPARE(statusBar->text(QAccessible::Name), QStringLiteral("正在更新IP地址"));
    }

#ifndef _WIN32 // the desktop entries; the Run value and the shell links: tests/windows
    // 登录时启动 in the list's menu writes and removes the autostart entry; turning switching by
    // itself on offers it once.
    void startAtLoginAndItsOffer()
    {
        Fixture f;
        const QString entry
            = QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).filePath("autostart/org.lanvex.lanvex.desktop");
        QVERIFY(!QFile::exists(entry));
        QAction* item = f.listMenuItem("mnuStartAtLogin");
        QVERIFY(item && item->isCheckable() && !item->isChecked());
        item->trigger();
        QVERIFY(QFile::exists(entry));
        QFile file(entry);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY2(text.contains(QStringLiteral("\nExec=\"%1\" --tray\n").arg(QCoreApplication::applicationFilePath())),
                 qPrintable(text));
        if (!QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate")).isEmpty()) {
            QString problems;
            QCOMPARE(Run(QStringLiteral("desktop-file-validate"), { entry }, &problems), 0);
            QVERIFY2(problems.isEmpty(), qPrintable(problems));
        }
        item = f.listMenuItem("mnuStartAtLogin");
        QVERIFY(item->isChecked());
        item->trigger();
        QVERIFY(!QFile::exists(entry));

        // Off: turning switching by itself on offers start at login; yes turns it on. Once only.
        f.messages.answer = true;
        f.messages.shown.clear();
        QVERIFY(f.window.SetAutoSwitch(true));
        QCOMPARE(f.messages.shown.size(), std::size_t(1));
        QVERIFY(f.messages.shown[0].text.contains(QStringLiteral("登录时启动")));
        QVERIFY(QFile::exists(entry));
        QVERIFY(QFile::remove(entry));
        QVERIFY(f.window.SetAutoSwitch(false));
        QVERIFY(f.window.SetAutoSwitch(true));
        QCOMPARE(f.messages.shown.size(), std::size_t(1));
        QVERIFY(!QFile::exists(entry));
    }

    // 创建桌面快捷方式 writes a launcher for the chosen site into the desktop folder xdg-user-dir
    // names, which runs lanvex --switch with the name as one argument, whatever it holds.
    void siteLauncherOnTheDesktop()
    {
        Fixture f("Lab \"B\" 5% $HOME");
        const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
        const QString desktop = QDir(config).filePath(QStringLiteral("Bureau à moi"));
        QVERIFY(QDir().mkpath(desktop));
        QFile dirs(QDir(config).filePath(QStringLiteral("user-dirs.dirs")));
        QVERIFY(dirs.open(QIODevice::WriteOnly));
        dirs.write(QStringLiteral("XDG_DESKTOP_DIR=\"%1\"\n").arg(desktop).toUtf8());
        dirs.close();

        QVERIFY(!f.listMenuItem("mnuSiteLauncher")->isEnabled()); // entry 0 is chosen
        QTest::mouseClick(f.list(), Qt::LeftButton, {}, f.list()->RowRect(2).center());
        QAction* item = f.listMenuItem("mnuSiteLauncher");
        QVERIFY(item->isEnabled());
        f.messages.shown.clear();
        item->trigger();
        const QString launcher = QDir(desktop).filePath(QStringLiteral("lanvex-Lab \"B\" 5% $HOME.desktop"));
        QVERIFY2(QFile::exists(launcher), qPrintable(f.messages.shown.back().text));
        QVERIFY(f.messages.shown.back().text.contains(launcher));
        QFile file(launcher);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.permissions() & QFile::ExeOwner);
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY2(text.contains(QStringLiteral("\nName=Lab \"B\" 5% $HOME\n")), qPrintable(text));
        // Quoted as one argument: \" and \$ escaped within the quotes, % doubled, and each
        // backslash doubled again by the string escapes.
        QVERIFY2(text.contains(QStringLiteral("\nExec=\"%1\" --switch \"Lab \\\\\"B\\\\\" 5%% \\\\$HOME\"\n")
                                   .arg(QCoreApplication::applicationFilePath())),
                 qPrintable(text));
        if (!QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate")).isEmpty()) {
            QString problems;
            QCOMPARE(Run(QStringLiteral("desktop-file-validate"), { launcher }, &problems), 0);
            QVERIFY2(problems.isEmpty(), qPrintable(problems));
        }
    }
#endif

    // The sites' hotkeys are opened only once a site has one; a press switches to its site; a key
    // that cannot be had, or that another site has first, is said once and the others work.
    void hotkeysSwitchAndAreSaidOnce()
    {
        Fixture f({ WithHotkey(gui::test::StaticSite("Office", "10.1.2.3"), "Ctrl+Alt+1"),
                    WithHotkey(gui::test::StaticSite("Lab", "172.16.0.9"), "Ctrl+Alt+2"),
                    WithHotkey(gui::test::StaticSite("Garage", "10.9.9.9"), "ctrl+alt+1"),
                    WithHotkey(gui::test::StaticSite("Attic", "10.9.9.8"), "Q") });
        QStringList switched;
        QStringList said;
        FakeHotkeys* fake = nullptr;
        gui::SiteHotkeys hotkeys(f.window, [&](const QString& site) { switched << site; });
        hotkeys.report = [&](const QString& status, const std::string&) { said << status; };
        hotkeys.openHotkeys = [&] {
            auto made = std::make_unique<FakeHotkeys>();
            fake = made.get();
            return made;
        };
        hotkeys.Update();
        QVERIFY(fake);
        // Attic's key has no modifier: no hotkey. Garage's is Office's.
        QCOMPARE(fake->held.size(), std::size_t(3));
        QCOMPARE(fake->held[0], QKeySequence(QStringLiteral("Ctrl+Alt+1")));
        QVERIFY(fake->held[2].isEmpty());
        QCOMPARE(said,
                 (QStringList { "快捷键 Ctrl+Alt+2 无法使用（办公位置“Lab”），其余快捷键照常可用。",
                                "快捷键 ctrl+alt+1 无法使用（办公位置“Garage”），其余快捷键照常可用。" }));
        fake->Press(0);
        QCOMPARE(switched, QStringList { "Office" });

        // Unchanged sites leave the keys alone; changed ones take them again, said no more.
        f.window.SelectSite(2);
        QCOMPARE(fake->sets, 1);
        f.list()->setSelIndex(1);
        f.window.SelectSite(1);
        f.find<gui::ImageButton>("imgIP2")->Press(); // Office goes
        QCOMPARE(fake->sets, 2);
        QCOMPARE(said.size(), 2);
        fake->Press(1); // Garage's key is its own now
        QCOMPARE(switched, (QStringList { "Office", "Garage" }));
    }

    // The advanced editor's page keeps a hotkey in Qt's spelling and refuses one without Ctrl,
    // Alt or Win.
    void hotkeyPage()
    {
        Fixture f;
        QTest::mouseClick(f.list(), Qt::LeftButton, {}, f.list()->RowRect(1).center());
        QTest::mouseClick(f.find<QPushButton>("cmdAdvanced"), Qt::LeftButton);
        auto* dialog = f.window.findChild<gui::AdvancedDialog*>("AdvancedDialog");
        QVERIFY(dialog);
        auto* field = dialog->findChild<QLineEdit*>("txtHotkey");
        QVERIFY(field);
        field->setText(QStringLiteral("shift+F5"));
        dialog->Save();
        QCOMPARE(dialog->findChild<QTabWidget*>("tabAdvanced")->currentWidget()->objectName(),
                 QStringLiteral("pageHotkey"));
        QVERIFY(f.messages.shown.back().text.contains(QStringLiteral("快捷键无效")));
        field->setText(QStringLiteral(" ctrl+meta+F5 "));
        dialog->Save();
        QTRY_VERIFY(!f.window.findChild<gui::AdvancedDialog*>("AdvancedDialog"));
        QCOMPARE(store::ReadIniString("Office", "Hotkey", ""), std::string("Meta+Ctrl+F5"));
    }
};

QTEST_MAIN(TestWindowAccess)
#include "tst_WindowAccess.moc"
