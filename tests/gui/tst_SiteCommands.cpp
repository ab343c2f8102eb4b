#include "editor/SiteEditor.h"
#include "gui/MessageSink.h"
#include "gui/SiteCommands.h"
#include "listview/SiteListView.h"
#include "store/IniFile.h"
#include "store/ManagedSitesFile.h"
#include "store/SiteStore.h"
#include "store/TextCodec.h"
#include "transfer/SiteTransfer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace lanvex;

namespace {

struct Box
{
    QString title;
    QString text;
};

class RecordingSink : public gui::MessageSink
{
public:
    void Information(QWidget*, const QString& title, const QString& text) override { boxes.push_back({ title, text }); }
    std::vector<Box> boxes;
};

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Code page 936 bytes of a UTF-8 text, as the file holds them.
std::string Gbk(const std::string& utf8)
{
    return store::EncodeFileText(utf8, false).value();
}

const std::string kBaseFile = "[Common]\r\n"
                              "Sites=Home,Office,Lab\r\n"
                              "[Home]\r\n"
                              "DHCPEnabled=1\r\n"
                              "[Office]\r\n"
                              "DHCPEnabled=0\r\n"
                              "IP=192.168.1.10\r\n"
                              "SubNetMask=255.255.255.0\r\n"
                              "DefaultGateway=192.168.1.1\r\n"
                              "ChangeDNS=1\r\n"
                              "DNS=192.168.1.53\r\n"
                              "AuxDNS=8.8.8.8\r\n"
                              "ChangeWINS=0\r\n"
                              "WINS=\r\n"
                              "AuxWINS=\r\n"
                              "ChangePrinter=1\r\n"
                              "PrinterName=Front Desk\r\n"
                              "[Lab]\r\n"
                              "DHCPEnabled=0\r\n"
                              "IP=10.0.0.2\r\n";

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    const auto at = text.find(from);
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

std::string FileWithSites(int count)
{
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) about a literal added to a
    // temporary string at -O2.
    std::string text = "[Common]\r\nSites=";
    for (int i = 1; i <= count; ++i)
        text.append(i > 1 ? ",S" : "S").append(std::to_string(i));
    return text.append("\r\n");
}

// The window's pieces the commands act on, put together as the main window does.
class Harness
{
public:
    explicit Harness(const std::string& settingsPath)
    {
        window.resize(600, 420);
        list = new listview::SiteListView(&window);
        list->move(8, 24);
        bar = new QScrollBar(Qt::Vertical, &window);
        bar->hide();
        list->setModel(&model);
        list->setScrollBar(bar);
        editor = new editor::SiteEditor(&window);
        editor->move(280, 8);
        editor->setPrinters({ "Office Laser", "Front Desk" });
        editor->setStoredSiteLookup([this]() -> const store::SiteProfile* {
            const int sel = list->SelIndex();
            return sel >= 0 && sel < model.SiteCount ? &model.SiteProfiles[sel] : nullptr;
        });
        context = std::make_unique<gui::SiteCommandContext>(
            gui::SiteCommandContext { model,
                                      *list,
                                      *editor,
                                      messages,
                                      &window,
                                      [this](int index) { SelectSite(index); },
                                      [this] { RefreshSiteList(); },
                                      settingsPath,
                                      0,
                                      {},
                                      {},
                                      {},
                                      {} });

        store::SiteProfile current;
        current.IP = "172.16.0.9";
        current.DHCPEnabled = true;
        model = store::LoadSiteModel(store::IniFile(settingsPath).Load(), current);
        list->setSelIndex(0);
        RefreshSiteList();
    }

    void SelectSite(int index)
    {
        if (model.SiteCount <= 0)
            return;
        list->DrawSiteList();
        editor->LoadProfile(model.SiteProfiles[index]);
    }

    void RefreshSiteList()
    {
        const store::ScrollRange range = store::ScrollRangeFor(model.SiteCount);
        if (!range.visible) {
            bar->hide();
            if (model.SiteCount > 0)
                SelectSite(0);
            return;
        }
        bar->setRange(range.minimum, range.maximum);
        bar->setSingleStep(range.singleStep);
        bar->setPageStep(range.pageStep);
        bar->show();
        bar->setValue(1);
    }

    void Select(int index)
    {
        list->setSelIndex(index);
        SelectSite(index);
    }

    void Run(int command) { gui::imgIP_Click(command, *context); }

    QWidget window;
    store::SiteListModel model;
    listview::SiteListView* list = nullptr;
    QScrollBar* bar = nullptr;
    editor::SiteEditor* editor = nullptr;
    RecordingSink messages;
    std::unique_ptr<gui::SiteCommandContext> context;
};

// Runs a block with the rights of an ordinary user, so that a folder without write permission
// refuses writes also when the tests run as root.
class Unprivileged
{
public:
    Unprivileged()
    {
        if (::geteuid() == 0)
            switched_ = ::seteuid(65534) == 0;
    }
    ~Unprivileged()
    {
        if (switched_ && ::seteuid(0) != 0)
            std::abort();
    }

private:
    bool switched_ = false;
};

} // namespace

class TestSiteCommands : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::string path;

    std::unique_ptr<Harness> Open(const std::string& bytes)
    {
        WriteBytes(path, bytes);
        auto h = std::make_unique<Harness>(path);
        h->window.show();
        h->window.activateWindow();
        if (!QTest::qWaitForWindowActive(&h->window))
            qWarning("the harness window did not become active");
        return h;
    }

private Q_SLOTS:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        path = dir->filePath(QStringLiteral("lanvex.ini")).toStdString();
    }

    void cleanup() { dir.reset(); }

    // The list and all twelve keys land in the section of the trimmed name.
    void save_data()
    {
        QTest::addColumn<int>("sel");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("dhcp");
        QTest::addColumn<QString>("gateway");
        QTest::addColumn<QByteArray>("expected");

        const std::string office = "[Office]\r\n";
        QTest::newRow("in place") << 2 << "Office" << false << "192.168.1.254"
                                  << QByteArray::fromStdString(Replace(kBaseFile, "DefaultGateway=192.168.1.1",
                                                                       "DefaultGateway=192.168.1.254"));
        QTest::newRow("own name in other case")
            << 2 << "OFFICE" << false << "192.168.1.1"
            << QByteArray::fromStdString(Replace(kBaseFile, "Sites=Home,Office,Lab", "Sites=Home,OFFICE,Lab"));
        QTest::newRow("renamed and trimmed")
            << 2 << "  HQ  " << false << "192.168.1.1"
            << QByteArray::fromStdString(Replace(kBaseFile, "Sites=Home,Office,Lab", "Sites=Home,HQ,Lab")
                                         + "[HQ]\r\nDHCPEnabled=0\r\nIP=192.168.1.10\r\nSubNetMask=255.255.255.0\r\n"
                                           "DefaultGateway=192.168.1.1\r\nChangeDNS=1\r\nDNS=192.168.1.53\r\n"
                                           "AuxDNS=8.8.8.8\r\nChangeWINS=0\r\nWINS=\r\nAuxWINS=\r\n"
                                           "ChangePrinter=1\r\nPrinterName=Front Desk\r\n");
        // DHCP: nothing is checked, the boxes as choosing DHCP left them, texts as they stand.
        QTest::newRow("dhcp unchecked texts")
            << 1 << "Home" << true << "not an address"
            << QByteArray::fromStdString(
                   Replace(kBaseFile, "DHCPEnabled=1\r\n",
                           "DHCPEnabled=1\r\nIP=\r\nSubNetMask=\r\nDefaultGateway=not an address\r\n"
                           "ChangeDNS=0\r\nDNS=\r\nAuxDNS=\r\nChangeWINS=0\r\nWINS=\r\nAuxWINS=\r\n"
                           "ChangePrinter=0\r\nPrinterName=\r\n"));
    }

    void save()
    {
        QFETCH(int, sel);
        QFETCH(QString, name);
        QFETCH(bool, dhcp);
        QFETCH(QString, gateway);
        QFETCH(QByteArray, expected);

        auto h = Open(kBaseFile);
        h->Select(sel);
        h->editor->txtName->setText(name);
        h->editor->optIPType[dhcp ? 1 : 0]->setChecked(true);
        h->editor->txtGateway->setText(gateway);
        h->Run(1);

        QCOMPARE(QByteArray::fromStdString(ReadBytes(path)), expected);
        QCOMPARE(h->messages.boxes.size(), std::size_t(1));
        QCOMPARE(h->messages.boxes[0].title, QStringLiteral("系统提示"));
        QCOMPARE(h->messages.boxes[0].text, QStringLiteral("保存成功!"));
        const std::string trimmed = name.trimmed().toStdString();
        QCOMPARE(h->model.SiteNames[sel], trimmed);
        QCOMPARE(h->model.SiteProfiles[sel].Name, trimmed);
        QCOMPARE(h->model.SiteProfiles[sel].DefaultGateway, gateway.toStdString());
        QCOMPARE(h->model.SiteProfiles[sel].DHCPEnabled, dhcp);
        // The editor shows the saved record again.
        QCOMPARE(h->editor->txtName->text(), QString::fromStdString(trimmed));
        QCOMPARE(h->editor->title(), QStringLiteral("当前办公位置：") + QString::fromStdString(trimmed));
        QCOMPARE(h->list->SelIndex(), sel);
        // What the file holds reads back as what the model holds.
        const store::SiteListModel reread = store::LoadSiteModel(store::IniFile(path).Load(), std::nullopt);
        QCOMPARE(reread.SiteNames, h->model.SiteNames);
        QCOMPARE(reread.SiteProfiles[sel], h->model.SiteProfiles[sel]);
    }

    // Refused or ignored saves change nothing: not the file, not the model.
    void saveRefused_data()
    {
        QTest::addColumn<int>("sel");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message"); // empty: nothing shown
        QTest::addColumn<QString>("focus");

        QTest::newRow("entry 0") << 0 << "txtName"
                                 << "X" << QString() << QString();
        QTest::newRow("past the end") << 4 << "txtName"
                                      << "X" << QString() << QString();
        QTest::newRow("bad gateway") << 2 << "txtGateway"
                                     << "1.1.1" << QStringLiteral("IP默认网关的格式不正确!") << "txtGateway";
        QTest::newRow("clash ignoring case") << 2 << "txtName"
                                             << " home " << QStringLiteral("已有同名的办公位置!") << "txtName";
    }

    void saveRefused()
    {
        QFETCH(int, sel);
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(QString, focus);

        auto h = Open(kBaseFile);
        if (sel >= 0 && sel < h->model.SiteCount)
            h->Select(sel);
        else
            h->list->setSelIndex(sel);
        const store::SiteListModel before = h->model;
        auto* edit = h->editor->findChild<QLineEdit*>(field);
        QVERIFY(edit);
        edit->setText(text);
        h->editor->cboPrinter->setFocus();
        h->Run(1);

        QCOMPARE(ReadBytes(path), kBaseFile);
        QCOMPARE(h->model.SiteNames, before.SiteNames);
        QVERIFY(h->model.SiteProfiles == before.SiteProfiles);
        if (message.isEmpty()) {
            QVERIFY(h->messages.boxes.empty());
            QCOMPARE(edit->text(), text); // the editor is not reloaded either
            return;
        }
        QCOMPARE(h->messages.boxes.size(), std::size_t(1));
        QCOMPARE(h->messages.boxes[0].title, QStringLiteral("温馨提示"));
        QCOMPARE(h->messages.boxes[0].text, message);
        QTRY_COMPARE(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(), focus);
        QCOMPARE(edit->text(), text);
    }

    void newSiteNamesAndFile_data()
    {
        QTest::addColumn<QString>("sites");
        QTest::addColumn<QStringList>("newNames");
        QTest::newRow("three sites") << "Home,Office,Lab"
                                     << QStringList { QStringLiteral("新位置1"), QStringLiteral("新位置2") };
        QTest::newRow("saved names skipped") << QStringLiteral("新位置1,X,新位置3")
                                             << QStringList { QStringLiteral("新位置2"), QStringLiteral("新位置4") };
    }

    void newSiteNamesAndFile()
    {
        QFETCH(QString, sites);
        QFETCH(QStringList, newNames);
        auto h = Open(Gbk("[Common]\r\nSites=" + sites.toStdString() + "\r\n[Home]\r\nDHCPEnabled=1\r\n"));
        h->Select(1);
        h->editor->optIPType[1]->setChecked(true); // the new site must come up static anyway
        std::string list = sites.toStdString();
        for (const QString& name : newNames) {
            const int countBefore = h->model.SiteCount;
            h->Run(0);
            list += "," + name.toStdString();
            QCOMPARE(h->model.SiteCount, countBefore + 1);
            QCOMPARE(h->model.SiteNames.back(), name.toStdString());
            QCOMPARE(h->list->SelIndex(), countBefore);
            // Only the list is written; the site gets its section at its first save.
            QCOMPARE(ReadBytes(path), Gbk("[Common]\r\nSites=" + list + "\r\n[Home]\r\nDHCPEnabled=1\r\n"));
            QCOMPARE(h->editor->txtName->text(), name);
            QVERIFY(h->editor->optIPType[0]->isChecked());
            QCOMPARE(h->editor->chkDNS->checkState(), Qt::Checked);
            QCOMPARE(h->editor->chkWINS->checkState(), Qt::Checked);
            QCOMPARE(h->editor->chkPrinter->checkState(), Qt::Checked);
            QCOMPARE(h->editor->cboPrinter->currentIndex(), 0);
            QVERIFY(h->editor->txtIP->text().isEmpty());
        }
        QVERIFY(h->bar->isHidden());
        QVERIFY(h->messages.boxes.empty());
    }

    // New appends at the end and scrolls it into the last row; delete of the last entry shrinks.
    void scrollBar_data()
    {
        QTest::addColumn<int>("sites");
        QTest::addColumn<int>("command");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("topIndex");
        QTest::addColumn<int>("selIndex");

        QTest::newRow("new: 6 -> 7 entries") << 5 << 0 << false << 0 << 0 << 0 << 6;
        QTest::newRow("new: 7 -> 8 entries") << 6 << 0 << true << 2 << 2 << 1 << 7;
        QTest::newRow("new: 8 -> 9 entries") << 7 << 0 << true << 3 << 3 << 2 << 8;
        QTest::newRow("new: 20 -> 21 entries") << 19 << 0 << true << 15 << 15 << 14 << 20;
        QTest::newRow("delete: 7 -> 6 entries") << 6 << 2 << false << 0 << 0 << 0 << 5;
        QTest::newRow("delete: 8 -> 7 entries") << 7 << 2 << false << 0 << 0 << 0 << 6;
        QTest::newRow("delete: 20 -> 19 entries") << 19 << 2 << true << 13 << 13 << 12 << 18;
    }

    void scrollBar()
    {
        QFETCH(int, sites);
        QFETCH(int, command);
        QFETCH(bool, visible);
        QFETCH(int, maximum);
        QFETCH(int, value);
        QFETCH(int, topIndex);
        QFETCH(int, selIndex);

        auto h = Open(FileWithSites(sites));
        if (command == 2) {
            // The last entry selected, scrolled into view as the keys would leave it.
            if (!h->bar->isHidden())
                h->bar->setValue(h->bar->maximum());
            h->Select(sites);
        }
        h->Run(command);
        QCOMPARE(!h->bar->isHidden(), visible);
        if (visible) {
            QCOMPARE(h->bar->maximum(), maximum);
            QCOMPARE(h->bar->value(), value);
            QCOMPARE(h->list->TopIndex(), topIndex);
        }
        QCOMPARE(h->list->SelIndex(), selIndex);
        QCOMPARE(h->editor->txtName->text(), QString::fromStdString(h->model.SiteNames[selIndex]));
        QVERIFY(h->messages.boxes.empty());
    }

    void deleteSite()
    {
        auto h = Open(kBaseFile);
        h->Select(2);
        h->Run(2);
        // The section goes, the list follows, every other byte stays.
        const std::string officeSection
            = kBaseFile.substr(kBaseFile.find("[Office]"), kBaseFile.find("[Lab]") - kBaseFile.find("[Office]"));
        QCOMPARE(ReadBytes(path),
                 Replace(Replace(kBaseFile, officeSection, ""), "Sites=Home,Office,Lab", "Sites=Home,Lab"));
        QCOMPARE(h->model.SiteCount, 3);
        QCOMPARE(h->model.SiteNames, (std::vector<std::string> { "本机当前设置", "Home", "Lab" }));
        QCOMPARE(h->model.SiteProfiles[2].IP, std::string("10.0.0.2"));
        QCOMPARE(h->list->SelIndex(), 1);
        QCOMPARE(h->editor->txtName->text(), QStringLiteral("Home"));
        QVERIFY(h->messages.boxes.empty());

        // Down to no sites: an empty list, and the current-settings entry in the editor.
        h->Run(2); // Home, the first site: the selection moves to entry 0
        QCOMPARE(h->list->SelIndex(), 0);
        h->Select(1);
        h->Run(2);
        QCOMPARE(ReadBytes(path), std::string("[Common]\r\nSites=\r\n"));
        QCOMPARE(h->list->SelIndex(), 0);
        QCOMPARE(h->editor->txtIP->text(), QStringLiteral("172.16.0.9"));
        h->Run(2); // entry 0 is never deleted
        QCOMPARE(h->model.SiteCount, 1);
        QCOMPARE(ReadBytes(path), std::string("[Common]\r\nSites=\r\n"));
    }

    // The organisation's sites follow the own ones and are never written: a save keeps the user's
    // own copy, which hides theirs; a delete is refused; a new site goes before them.
    void organisationsSites()
    {
        const QString managedPath = dir->filePath(QStringLiteral("managed.ini"));
        WriteBytes(managedPath.toStdString(),
                   "[Common]\r\nSites=HQ,Depot\r\n[HQ]\r\nDHCPEnabled=0\r\nIP=10.8.0.5\r\n"
                   "SubNetMask=255.255.0.0\r\nDefaultGateway=10.8.0.1\r\n[Depot]\r\nDHCPEnabled=1\r\n");
        const std::string managedBytes = ReadBytes(managedPath.toStdString());
        auto h = Open(kBaseFile);
        h->model = store::LoadSiteModel(store::IniFile(path).Load(), std::nullopt,
                                        store::ReadManagedSites(managedPath.toStdString()));
        QCOMPARE(h->model.SiteNames,
                 (std::vector<std::string> { "本机当前设置", "Home", "Office", "Lab", "HQ", "Depot" }));

        h->Select(5); // Depot
        h->Run(2);
        QCOMPARE(h->messages.boxes.size(), std::size_t(1));
        QVERIFY(h->messages.boxes[0].text.contains(QStringLiteral("不能删除")));
        QCOMPARE(ReadBytes(path), kBaseFile);

        h->Select(4); // HQ, with a gateway of the user's own
        h->editor->txtGateway->setText(QStringLiteral("10.8.0.254"));
        h->Run(1);
        QCOMPARE(h->messages.boxes.back().text, QStringLiteral("保存成功!"));
        const store::SiteListModel own = store::LoadSiteModel(store::IniFile(path).Load(), std::nullopt);
        QCOMPARE(own.SiteNames, (std::vector<std::string> { "本机当前设置", "Home", "Office", "Lab", "HQ" }));
        QCOMPARE(own.SiteProfiles[4].IP, std::string("10.8.0.5"));
        QCOMPARE(own.SiteProfiles[4].DefaultGateway, std::string("10.8.0.254"));
        // The own HQ now stands where the organisation's stood, and hides it.
        QCOMPARE(h->model.SiteNames,
                 (std::vector<std::string> { "本机当前设置", "Home", "Office", "Lab", "HQ", "Depot" }));
        QCOMPARE(h->model.ManagedCount, 1);
        QCOMPARE(h->list->SelIndex(), 4);
        QVERIFY(!store::IsManagedEntry(h->model, 4));

        h->Run(0);
        QCOMPARE(h->model.SiteNames[5], std::string("新位置1"));
        QCOMPARE(h->list->SelIndex(), 5);
        QCOMPARE(h->model.SiteNames.back(), std::string("Depot"));
        QCOMPARE(ReadBytes(managedPath.toStdString()), managedBytes);
    }

    // A write that fails is reported with the file's name, and nothing is shown as done.
    void writeFailure_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("new") << 0 << QStringLiteral("新建失败：无法写入配置文件 ");
        QTest::newRow("save") << 1 << QStringLiteral("保存失败：无法写入配置文件 ");
        QTest::newRow("delete") << 2 << QStringLiteral("删除失败：无法写入配置文件 ");
    }

    void writeFailure()
    {
        QFETCH(int, command);
        QFETCH(QString, prefix);

        // A folder nobody may write into, readable by all.
        QVERIFY(::chmod(dir->path().toLocal8Bit().constData(), 0755) == 0);
        auto h = Open(kBaseFile);
        h->Select(2);
        h->editor->txtGateway->setText(QStringLiteral("192.168.1.254"));
        const store::SiteListModel before = h->model;
        QVERIFY(::chmod(dir->path().toLocal8Bit().constData(), 0555) == 0);
        {
            Unprivileged user;
            h->Run(command);
        }
        QVERIFY(::chmod(dir->path().toLocal8Bit().constData(), 0755) == 0);

        QCOMPARE(ReadBytes(path), kBaseFile);
        QCOMPARE(h->model.SiteNames, before.SiteNames);
        QVERIFY(h->model.SiteProfiles == before.SiteProfiles);
        QCOMPARE(h->list->SelIndex(), 2);
        QCOMPARE(h->messages.boxes.size(), std::size_t(1));
        QCOMPARE(h->messages.boxes[0].title, QStringLiteral("温馨提示"));
        QVERIFY2(h->messages.boxes[0].text.startsWith(prefix + QString::fromStdString(path)),
                 qPrintable(h->messages.boxes[0].text));
        // The cause in the user's words, on a line of its own.
        QVERIFY2(h->messages.boxes[0].text.endsWith(QStringLiteral("\r\n没有写入权限，或者文件是只读的。")),
                 qPrintable(h->messages.boxes[0].text));
        // The editor keeps the unsaved change.
        QCOMPARE(h->editor->txtGateway->text(), QStringLiteral("192.168.1.254"));
    }

    // A settings path whose folder is a regular file; and a text the file's code page cannot hold.
    void writeFailureOtherCauses()
    {
        WriteBytes(dir->filePath(QStringLiteral("blocker")).toStdString(), "x");
        const std::string blocked = dir->filePath(QStringLiteral("blocker/lanvex.ini")).toStdString();
        Harness h(blocked);
        h.Run(0);
        QCOMPARE(h.model.SiteCount, 1);
        QCOMPARE(h.messages.boxes.size(), std::size_t(1));
        QVERIFY(h.messages.boxes[0].text.startsWith(QStringLiteral("新建失败：无法写入配置文件 ")
                                                    + QString::fromStdString(blocked)));
        QVERIFY(h.messages.boxes[0].text.endsWith(QStringLiteral("\r\n配置文件所在的文件夹不存在。")));

        auto g = Open(kBaseFile);
        g->Select(1);
        g->editor->optIPType[1]->setChecked(true);
        g->editor->txtIP->setText(QStringLiteral("地址😀"));
        g->Run(1);
        QCOMPARE(ReadBytes(path), kBaseFile);
        QCOMPARE(g->model.SiteProfiles[1].IP, std::string());
        QCOMPARE(g->messages.boxes.size(), std::size_t(1));
        QVERIFY(g->messages.boxes[0].text.startsWith(QStringLiteral("保存失败")));
        QVERIFY(g->messages.boxes[0].text.endsWith(QStringLiteral("\r\n内容中含有配置文件无法保存的字符。")));
    }

    // A name whose bytes the file's code page cannot decode finds its own settings, keeps its bytes
    // through every rewrite of the list, and blocks no other command.
    void undecodableNameKeepsItsBytes()
    {
        const std::string bad = "Lab\xFF";
        auto h = Open("[Common]\r\nSites=Home," + bad + ",Office\r\n[Home]\r\nDHCPEnabled=1\r\n[" + bad
                      + "]\r\nIP=10.0.0.7\r\nSubNetMask=255.0.0.0\r\nDefaultGateway=10.0.0.1\r\n");
        QCOMPARE(h->model.SiteNames[2], std::string("Lab\xEF\xBF\xBD"));
        QCOMPARE(h->model.SiteProfiles[2].IP, std::string("10.0.0.7"));

        h->Select(1);
        h->Run(1); // another site
        h->Run(0); // a new site
        h->Select(2);
        h->editor->txtIP->setText(QStringLiteral("10.0.0.8"));
        h->Run(1); // the site itself, name unchanged
        h->Select(3);
        h->Run(2); // Office
        QCOMPARE(h->messages.boxes.size(), std::size_t(2));
        for (const Box& box : h->messages.boxes)
            QCOMPARE(box.text, QStringLiteral("保存成功!"));

        const store::IniDocument doc = store::IniFile(path).Load();
        QCOMPARE(doc.ReadSection("Common").StoredValue("Sites").value_or(""), "Home," + bad + "," + Gbk("新位置1"));
        QCOMPARE(doc.ReadSection(store::IniDocument::FileBytes { bad }).ReadString("IP", ""), std::string("10.0.0.8"));
        QCOMPARE(h->model.SiteProfiles[2].IP, std::string("10.0.0.8"));
        QCOMPARE(h->model.SiteNames[3], std::string("新位置1"));

        // An import adds its site behind the name as it is stored.
        const std::string incoming = dir->filePath(QStringLiteral("incoming.ini")).toStdString();
        WriteBytes(incoming, "[Common]\r\nSites=Imported\r\n[Imported]\r\nDHCPEnabled=1\r\n");
        QCOMPARE(transfer::ImportSites(path, incoming, false).added, std::vector<std::string> { "Imported" });
        QCOMPARE(store::IniFile(path).Load().ReadSection("Common").StoredValue("Sites").value_or(""),
                 "Home," + bad + "," + Gbk("新位置1") + ",Imported");
    }
};

QTEST_MAIN(TestSiteCommands)
#include "tst_SiteCommands.moc"
