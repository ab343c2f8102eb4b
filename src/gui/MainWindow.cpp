#include "gui/MainWindow.h"

#include "LanvexResources.h"
#include "apply/AdapterChoice.h"
#include "apply/NetworkMatch.h"
#include "editor/SiteEditor.h"
#include "gui/Accessibility.h"
#include "gui/CloseGuard.h"
#include "gui/FocusKeeper.h"
#include "gui/ImageButton.h"
#include "gui/MessageSink.h"
#include "gui/ServiceWorker.h"
#include "gui/SiteCommands.h"
#include "gui/SiteListMenu.h"
#include "gui/StartAtLogin.h"
#include "gui/StatusLine.h"
#include "gui/TabLabel.h"
#include "gui/Twips.h"
#include "gui/WindowFont.h"
#include "gui/WindowKeys.h"
#include "i18n/Translate.h"
#include "listview/SiteListView.h"
#include "net/AdapterQuery.h"
#include "net/NetworkWatch.h"
#include "platform/FileWatcher.h"
#include "printer/PrinterSource.h"
#include "store/IniFile.h"
#include "store/IniModule.h"
#include "store/ManagedSitesFile.h"
#include "store/SiteStore.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QFont>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMetaObject>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <exception>
#include <optional>

namespace lanvex::gui {

using i18n::Translate;

namespace {

// How long a shown window's start-up work waits for the window's first painting at most.
constexpr int kFirstPaintWaitMs = 250;
// How long a notice stays on the status line.
constexpr int kNoticeMs = 10000;

QString Resource(const char* path)
{
    return QString::fromLatin1(path);
}

QString FromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QIcon ApplicationIcon()
{
    // The sizes a title bar, a task bar and the tray ask for; larger ones come from the installed
    // icon theme. Every size is drawn and handed to the window system at once.
    return RenderIcon(Resource(resources::kAppIcon), { 16, 24, 32, 48 });
}

// A label placed at an absolute position whose caption never moves its neighbours.
QLabel* MakeLabel(const QString& caption, QPoint topLeft, QWidget* parent, const QString& objectName)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(objectName);
    label->setAccessibleName(caption);
    label->adjustSize();
    label->move(topLeft);
    return label;
}

// Start-up goes on past a step that fails, so the window opens with whatever could be read.
template <typename Step> void ResumeNext(Step&& step) noexcept
{
    try {
        step();
    } catch (const std::exception&) { }
}

} // namespace

MainWindow::MainWindow(net::ServiceConnector& connector, const printer::PrinterSource& printers, MessageSink& messages,
                       QWidget* parent)
    : QWidget(parent)
    , m_connector(connector)
    , m_printers(printers)
    , m_messages(messages)
{
    lanvexInitResources();
    InstallAccessibility();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Lanvex "));
    setFont(WindowFont(kWindowPointSize));
    setFixedSize(Px(9585), Px(7515));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    m_worker = std::make_unique<ServiceWorker>();
    m_focusKeeper = std::make_unique<FocusKeeper>(*this);
    m_closeGuard = new CloseGuard(*this);
    CreateControls();
    // F4 and Esc belong to the window whichever control has the focus, so the key releases are
    // taken before any control sees them.
    qApp->installEventFilter(this);
    Form_Load();
}

MainWindow::~MainWindow()
{
    // A running job ends first (a service call is bounded); its results are dropped with the window.
    m_closing = true;
    m_worker.reset();
    qApp->removeEventFilter(this);
}

void MainWindow::CreateControls()
{
    m_banner = new Picture(Resource(resources::kBanner), this);
    m_banner->setObjectName(QStringLiteral("banner"));
    m_banner->setAccessibleName(QStringLiteral("Lanvex"));
    m_banner->setGeometry(0, 0, 283, 68);

    picOption = new QWidget(this);
    picOption->setObjectName(QStringLiteral("picOption"));
    picOption->setGeometry(TwipRect(120, 1080, 8775, 6375));

    const QString tabCaptions[2] = { tr("IP设置"), tr("使用说明") };
    const QRect tabPlaces[2] = { TwipRect(120, 120, 1215, 315), TwipRect(1440, 120, 2055, 315) };
    for (int k = 0; k < 2; ++k) {
        lblTab[k] = new TabLabel(tabCaptions[k], picOption);
        lblTab[k]->setObjectName(QStringLiteral("lblTab%1").arg(k));
        lblTab[k]->setGeometry(tabPlaces[k]);
        connect(lblTab[k], &TabLabel::clicked, this, [this, k] { lblTab_Click(k); });

        picSetup[k] = new QWidget(picOption);
        picSetup[k]->setObjectName(QStringLiteral("picSetup%1").arg(k));
        picSetup[k]->setAccessibleName(tabCaptions[k]);
        picSetup[k]->setGeometry(TwipRect(120, 480, 8535, 5775));
    }

    picStatus = new StatusLine(this, picOption);
    picStatus->setObjectName(QStringLiteral("picStatus"));
    picStatus->setAccessibleName(tr("状态"));
    picStatus->setGeometry(TwipRect(4200, 0, 4455, 375));
    picStatus->hide();

    imgCmd[0] = new ImageButton(Resource(resources::kExitIcon), tr("退出"), QPoint(9000, 1560), this);
    imgCmd[0]->setObjectName(QStringLiteral("imgCmd0"));
    connect(imgCmd[0], &ImageButton::clicked, this, [this] { imgCmd_Click(0); });

    // Page 0: the site list, the adapter list, the editor and the apply button.
    QWidget* page = picSetup[0];
    MakeLabel(tr("IP设置列表："), TwipPoint(120, 120), page, QStringLiteral("lblSiteList"));

    picList = new listview::SiteListView(page);
    picList->setObjectName(QStringLiteral("picList"));
    picList->setAccessibleName(tr("IP设置列表"));
    picList->setGeometry(TwipRect(120, 360, 3255, 4095));

    VScroll = new QScrollBar(Qt::Vertical, page);
    VScroll->setObjectName(QStringLiteral("VScroll"));
    VScroll->setAccessibleName(tr("IP设置列表滚动条"));
    VScroll->setGeometry(picList->x() + picList->width(), picList->y(), VScroll->sizeHint().width(), picList->height());
    VScroll->hide();
    picList->setModel(&m_model);
    picList->setScrollBar(VScroll);
    picList->setSelIndex(0);
    connect(picList, &listview::SiteListView::siteSelected, this, &MainWindow::SiteChosen);
    picList->setMatchMark([this](int index) {
        const net::AdapterEntry* chosen = ChosenAdapter();
        return chosen != nullptr && index > 0 && index < static_cast<int>(m_model.SiteProfiles.size())
            && apply::SiteMatches(m_model.SiteProfiles[static_cast<std::size_t>(index)], chosen->Network);
    });
    auto* listMenu = new SiteListMenu(picList, m_messages, [this] { ReloadSites(); });
    listMenu->Menu()->addSeparator();
    QAction* applyPrinter = MakeApplyPrinterAction(listMenu->Menu());
    listMenu->Menu()->addAction(applyPrinter);
    QAction* autoSwitch = MakeAutoSwitchAction(listMenu->Menu());
    listMenu->Menu()->addAction(autoSwitch);
    connect(listMenu->Menu(), &QMenu::aboutToShow, applyPrinter, [this, applyPrinter, autoSwitch] {
        applyPrinter->setChecked(m_model.ApplyPrinter);
        applyPrinter->setEnabled(!m_applying);
        autoSwitch->setChecked(m_model.AutoSwitch);
    });
    QAction* confirmApply = MakeConfirmApplyAction(listMenu->Menu());
    listMenu->Menu()->addAction(confirmApply);
    connect(listMenu->Menu(), &QMenu::aboutToShow, confirmApply,
            [this, confirmApply] { confirmApply->setChecked(ConfirmApplyOn()); });
    listMenu->Menu()->addAction(MakeStartAtLoginAction(*this, m_messages, *listMenu->Menu()));
    listMenu->Menu()->addAction(MakeSiteLauncherAction(
        *this, m_messages,
        [this]() -> std::optional<QString> {
            const int selected = picList->SelIndex();
            if (selected <= 0 || selected >= m_model.SiteCount)
                return std::nullopt;
            return FromUtf8(m_model.SiteNames[static_cast<std::size_t>(selected)]);
        },
        *listMenu->Menu()));

    MakeLabel(tr("需要更改设置的网卡："), TwipPoint(120, 4770), page, QStringLiteral("lblNIC"));
    cboNIC = new QComboBox(page);
    cboNIC->setObjectName(QStringLiteral("cboNIC"));
    cboNIC->setAccessibleName(tr("需要更改设置的网卡："));
    cboNIC->setGeometry(Px(120), Px(5040), Px(2775), cboNIC->sizeHint().height());
    connect(cboNIC, &QComboBox::currentIndexChanged, this, [this] { cboNIC_Click(); });

    imgApply = new ImageButton(Resource(resources::kApplyIcon), tr("应用当前设置"), QPoint(3120, 4920), page);
    imgApply->setObjectName(QStringLiteral("imgApply"));
    connect(imgApply, &ImageButton::clicked, this, &MainWindow::imgApply_Click);

    FrameSite = new editor::SiteEditor(page);
    FrameSite->setObjectName(QStringLiteral("FrameSite"));
    FrameSite->setGeometry(TwipRect(3840, 120, 4455, 5415));
    FrameSite->setStoredSiteLookup([this]() -> const store::SiteProfile* {
        const int selected = picList->SelIndex();
        if (selected < 0 || selected >= m_model.SiteCount)
            return nullptr;
        return &m_model.SiteProfiles[static_cast<std::size_t>(selected)];
    });

    const QString ipTips[3] = { tr("新建IP设置"), tr("保存当前IP设置"), tr("删除当前IP设置") };
    const QString ipIcons[3]
        = { Resource(resources::kNewIcon), Resource(resources::kSaveIcon), Resource(resources::kDeleteIcon) };
    for (int i = 0; i < 3; ++i) {
        imgIP[i] = new ImageButton(ipIcons[i], ipTips[i], QPoint(3600, 240 + 840 * i), FrameSite);
        imgIP[i]->setObjectName(QStringLiteral("imgIP%1").arg(i));
        connect(imgIP[i], &ImageButton::clicked, this, [this, i] { imgIP_Click(i, *m_siteCommands); });
    }
    // In the free space under the editor's buttons.
    cmdAdvanced = new QPushButton(tr("高级..."), FrameSite);
    cmdAdvanced->setObjectName(QStringLiteral("cmdAdvanced"));
    cmdAdvanced->setGeometry(TwipRect(3300, 2700, 1110, 360));
    connect(cmdAdvanced, &QPushButton::clicked, this, [this] { EditAdvanced(*m_siteCommands); });
    AddSiteCommandKeys(*this, *picList, *imgIP[0], *imgIP[1], *imgIP[2]);
    // The exit button comes last in the Tab order, after the page's controls.
    setTabOrder(cmdAdvanced, imgCmd[0]);
    m_siteCommands.reset(new SiteCommandContext { m_model,
                                                  *picList,
                                                  *FrameSite,
                                                  m_messages,
                                                  this,
                                                  [this](int index) { SelectSite(index); },
                                                  [this] { RefreshSiteList(); },
                                                  {},
                                                  0,
                                                  {},
                                                  {},
                                                  [this]() -> std::optional<net::AdapterEntry> {
                                                      if (const net::AdapterEntry* chosen = ChosenAdapter())
                                                          return *chosen;
                                                      return std::nullopt;
                                                  },
                                                  [this] { return m_adapters; } });

    // Page 1: the help text.
    Frame1 = new QGroupBox(tr("使用说明"), picSetup[1]);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    editor::UseClassicFrame(Frame1);
    Frame1->setAccessibleName(tr("使用说明"));
    Frame1->setGeometry(TwipRect(480, 2880, 7575, 2655));
    const QString helpLines[4] = {
        tr("按<Esc>键退出系统。         按<F4>键应用当前设置。"),
        tr("所有配置均保存在配置文件中，程序启动时会自动读取。"),
        tr("IP设置即时生效，无需重新启动电脑。"),
        tr("鼠标移动到图标上，可以显示出该图标代表的意义，以及部分参数。"),
    };
    for (int i = 0; i < 4; ++i) {
        lblHelp[i] = new QLabel(helpLines[i], Frame1);
        lblHelp[i]->setObjectName(QStringLiteral("lblHelp%1").arg(i));
        lblHelp[i]->setAccessibleName(helpLines[i]);
        lblHelp[i]->setTextFormat(Qt::PlainText);
        lblHelp[i]->setGeometry(Px(360), Px(480 + 360 * i), Frame1->width() - Px(360) - Px(120), Px(255));
        QPalette look = lblHelp[i]->palette();
        look.setColor(QPalette::WindowText, look.color(QPalette::Active, QPalette::Highlight));
        lblHelp[i]->setPalette(look);
    }

    // The window opens on page 0.
    lblTab[0]->SetChosen(true);
    lblTab[1]->SetChosen(false);
    picSetup[0]->show();
    picSetup[1]->hide();
}

void MainWindow::Form_Load()
{
    setWindowTitle(windowTitle()
                   + QStringLiteral(" V%1.%2.%3")
                         .arg(LANVEX_VERSION_MAJOR)
                         .arg(LANVEX_VERSION_MINOR)
                         .arg(LANVEX_VERSION_REVISION));
    m_model.CurSiteIndex = -1;
    picList->setHoverIndex(-1);

    ResumeNext([this] { LoadSites(); });
    RefreshSiteList();
    // The printers, the adapters and entry 0 come from the service thread, which may be slow: the
    // window opens without waiting and shows them when they arrive.
    cboNIC->setEnabled(false);
    QMetaObject::invokeMethod(this, &MainWindow::FinishStartUpWhenPainted, Qt::QueuedConnection);
}

void MainWindow::LoadSites()
{
    // The settings file is parsed once for the whole load. One that is there but cannot be read
    // is named with its cause, rather than looking like a file without sites.
    const store::ReadResult read = store::IniFile(store::IniFileName).Read();
    m_siteCommands->settingsStamp = read.stamp;
    if (!read.ok)
        m_messages.Information(this, tr("温馨提示"), SettingsReadFailure(store::IniFileName, read));
    LoadManagedSites();
    const store::IniDocument& settings = read.document;
    const std::int32_t curSiteIndex = m_model.CurSiteIndex;
    m_model = store::LoadSiteModel(settings, m_currentSettings, m_managed);
    NameEntryZero();
    if (!m_currentSettings)
        m_model.CurSiteIndex = curSiteIndex;
    RefreshSiteList();
}

// The organisation's file is read once, and a file that can't be read is said once; the user's
// own sites work as ever.
void MainWindow::LoadManagedSites()
{
    if (m_managed)
        return;
    m_managed = store::ReadManagedSites();
    if (!m_managed->problem.empty())
        m_messages.Information(this, tr("温馨提示"),
                               tr("单位下发的办公位置未能读取，列表中只有您自己的办公位置。\n%1")
                                   .arg(QString::fromStdString(m_managed->problem)));
}

// Entry 0 is named in the window's language; the name is never stored.
void MainWindow::NameEntryZero()
{
    if (m_model.SiteNames.empty())
        return;
    m_model.SiteNames[0] = Translate("store", store::kCurrentSettingsName);
    if (m_model.CurSiteIndex == 0)
        m_model.SiteProfiles[0].Name = m_model.SiteNames[0];
}

void MainWindow::ReloadSites()
{
    // Unsaved typing in the editor stays; the list and the other sites follow the file.
    if (FrameSite->HasUnsavedChanges()) {
        gui::ReloadSites(*m_siteCommands);
        return;
    }
    std::optional<store::SiteProfile> current;
    if (m_model.CurSiteIndex == 0 && !m_model.SiteProfiles.empty())
        current = m_model.SiteProfiles[0];
    const std::int32_t curSiteIndex = m_model.CurSiteIndex;
    m_model = store::LoadSiteModel(store::IniFile(store::IniFileName).Load(), current, m_managed);
    NameEntryZero();
    m_model.CurSiteIndex = curSiteIndex;
    picList->setSelIndex(0);
    RefreshSiteList();
    SelectSite(0);
}

QAction* MainWindow::MakeApplyPrinterAction(QObject* parent)
{
    auto* action = new QAction(tr("应用办公位置时设置默认打印机"), parent);
    action->setObjectName(QStringLiteral("mnuApplyPrinter"));
    action->setCheckable(true);
    action->setChecked(m_model.ApplyPrinter);
    connect(action, &QAction::triggered, this, [this, action](bool on) {
        if (!SetApplyPrinter(*m_siteCommands, on))
            action->setChecked(!on);
    });
    return action;
}

QAction* MainWindow::MakeAutoSwitchAction(QObject* parent)
{
    auto* action = new QAction(tr("识别到网络时自动切换办公位置"), parent);
    action->setObjectName(QStringLiteral("mnuAutoSwitch"));
    action->setCheckable(true);
    action->setChecked(m_model.AutoSwitch);
    connect(action, &QAction::triggered, this, [this, action](bool on) {
        if (!SetAutoSwitch(on))
            action->setChecked(!on);
    });
    return action;
}

bool MainWindow::SetAutoSwitch(bool on)
{
    if (!gui::SetAutoSwitch(*m_siteCommands, on))
        return false;
    // Turned on, it looks at the networks as they are now.
    if (on)
        RereadAdapters();
    if (on)
        OfferStartAtLogin(*m_siteCommands);
    return true;
}

void MainWindow::PostServiceJob(std::function<void()> job)
{
    ++m_pendingJobs;
    m_worker->Post(std::move(job));
}

void MainWindow::FinishServiceJob()
{
    --m_pendingJobs;
}

void MainWindow::QueryAdaptersAtStartUp()
{
    PostServiceJob([this] {
        // The printers first, as a print server that does not answer must not hold up the
        // window either; entry 0, read last, names the default one.
        std::vector<std::string> printerNames;
        ResumeNext([&] { printerNames = m_printers.InstalledPrinters(); });
        std::vector<net::AdapterEntry> adapters;
        ResumeNext([&] { adapters = net::QueryAdapters(m_connector, m_printers); });
        QMetaObject::invokeMethod(
            this,
            [this, printerNames, adapters = std::move(adapters)]() mutable {
                FinishServiceJob();
                // The empty first line stays even when the printers cannot be listed.
                FrameSite->setPrinters(printerNames);
                ShowAdapters(std::move(adapters));
            },
            Qt::QueuedConnection);
    });
}

void MainWindow::ShowAdapters(std::vector<net::AdapterEntry> adapters)
{
    {
        // Filled and set on the first adapter without raising the click handler: entry 0 for it
        // has just been read.
        const QSignalBlocker quiet(cboNIC);
        for (const net::AdapterEntry& adapter : adapters)
            cboNIC->addItem(FromUtf8(adapter.Description));
        cboNIC->setCurrentIndex(cboNIC->count() > 0 ? 0 : -1);
    }
    ShowAdapterToolTip();
    cboNIC->setEnabled(true);
    m_adaptersPending = false;
    // Entry 0 comes from the first adapter, the one the list starts on.
    if (!adapters.empty())
        ShowCurrentSettings(adapters.front().Info);
    StoreAdapters(std::move(adapters));
    Q_EMIT adapterChosen();
    StartNetworkWatch();
}

store::SiteProfile MainWindow::SettingsAt(const std::vector<net::AdapterEntry>& adapters, int position)
{
    if (position < 0 || static_cast<std::size_t>(position) >= adapters.size())
        return {};
    return adapters[static_cast<std::size_t>(position)].Info;
}

void MainWindow::StoreAdapters(std::vector<net::AdapterEntry> adapters)
{
    m_adapters = std::move(adapters);
    // The marks follow the chosen adapter's network.
    if (m_model.SiteCount > 0)
        picList->DrawSiteList();
    // Before switching by itself hears of the adapters: the user asked first.
    StartWaitingApply();
    Q_EMIT adaptersRead();
}

const net::AdapterEntry* MainWindow::ChosenAdapter() const
{
    const int position = AdapterPosition();
    if (position < 0 || static_cast<std::size_t>(position) >= m_adapters.size())
        return nullptr;
    return &m_adapters[static_cast<std::size_t>(position)];
}

int MainWindow::BoundAdapterPosition(const store::SiteProfile& site) const
{
    if (site.Extras.Adapter.empty())
        return -1;
    const auto found = apply::FindAdapter(site.Extras.Adapter, m_adapters);
    return found && static_cast<int>(*found) < cboNIC->count() ? static_cast<int>(*found) : -1;
}

void MainWindow::ChooseAdapter(int position)
{
    if (position >= 0 && position < cboNIC->count() && position != cboNIC->currentIndex())
        cboNIC->setCurrentIndex(position); // runs cboNIC_Click
}

void MainWindow::SiteChosen(int index)
{
    SelectSite(index);
    if (index > 0 && index < m_model.SiteCount && !m_applying)
        ChooseAdapter(BoundAdapterPosition(m_model.SiteProfiles[static_cast<std::size_t>(index)]));
}

void MainWindow::WatchNetwork(std::unique_ptr<net::NetworkWatch> watch)
{
    m_networkWatch = std::move(watch);
    if (!m_adaptersPending)
        StartNetworkWatch();
}

void MainWindow::StartNetworkWatch()
{
    if (m_networkWatch && !m_networkWatchStarted) {
        m_networkWatchStarted = true;
        m_networkWatch->Start([this] { RereadAdapters(); });
    }
}

void MainWindow::RereadAdapters()
{
    if (m_rereadPending || m_applying || m_adaptersPending)
        return;
    m_rereadPending = true;
    PostServiceJob([this] {
        std::vector<net::AdapterEntry> adapters;
        ResumeNext([&] { adapters = net::QueryAdapters(m_connector, m_printers); });
        QMetaObject::invokeMethod(
            this,
            [this, adapters = std::move(adapters)]() mutable {
                FinishServiceJob();
                m_rereadPending = false;
                // An apply that began meanwhile reads the adapters again when it ends.
                if (m_applying)
                    return;
                const store::SiteProfile current = SettingsAt(adapters, AdapterPosition());
                StoreAdapters(std::move(adapters));
                // Entry 0 follows the network, but never over what the user is typing into it.
                const bool typing = m_editorEntry == 0 && FrameSite->HasUnsavedChanges();
                if (m_currentSettings && current != *m_currentSettings && !typing)
                    ShowCurrentSettings(current);
            },
            Qt::QueuedConnection);
    });
}

void MainWindow::ReadCurrentSettings()
{
    const int position = AdapterPosition();
    if (position < 0)
        return;
    const int request = ++m_entryRequest;
    PostServiceJob([this, position, request] {
        std::vector<net::AdapterEntry> adapters;
        ResumeNext([&] { adapters = net::QueryAdapters(m_connector, m_printers); });
        QMetaObject::invokeMethod(
            this,
            [this, position, request, adapters = std::move(adapters)]() mutable {
                FinishServiceJob();
                // A read overtaken by another choice of adapter is stale.
                if (request != m_entryRequest || position != AdapterPosition())
                    return;
                ShowCurrentSettings(SettingsAt(adapters, position));
                StoreAdapters(std::move(adapters));
            },
            Qt::QueuedConnection);
    });
}

void MainWindow::ShowCurrentSettings(const store::SiteProfile& current)
{
    m_currentSettings = current;
    if (m_model.SiteProfiles.empty() || m_model.SiteNames.empty())
        return;
    m_model.SiteProfiles[0] = current;
    m_model.SiteProfiles[0].Name = m_model.SiteNames[0];
    m_model.CurSiteIndex = 0;
    // The editor shows the new settings when it shows entry 0.
    if (m_editorEntry == 0 && picList->SelIndex() == 0)
        SelectSite(0);
    else
        picList->DrawSiteList();
    Q_EMIT currentSettingsRead();
}

void MainWindow::WatchSettingsFile()
{
    m_settingsWatcher = new platform::FileWatcher(QString::fromStdString(store::IniFileName), this);
    connect(m_settingsWatcher, &platform::FileWatcher::changed, this, &MainWindow::SettingsFileChanged);
    // A change made since the sites were loaded, before the watch began.
    SettingsFileChanged();
}

void MainWindow::SettingsFileChanged()
{
    // Not under an open message box: the command that showed it still works on the list.
    if (QApplication::activeModalWidget() != nullptr || QApplication::activePopupWidget() != nullptr) {
        m_settingsWatcher->RetryLater();
        return;
    }
    if (SettingsChanged(*m_siteCommands))
        gui::ReloadSites(*m_siteCommands);
}

void MainWindow::RefreshSiteList()
{
    Q_EMIT sitesChanged();
    if (!isMinimized())
        VScroll->setGeometry(picList->x() + picList->width(), picList->y(), VScroll->width(), picList->height());
    const store::ScrollRange range = store::ScrollRangeFor(m_model.SiteCount);
    if (!range.visible) {
        VScroll->hide();
        if (m_model.SiteCount > 0)
            SelectSite(0);
        return;
    }
    VScroll->setMinimum(range.minimum);
    VScroll->setMaximum(range.maximum);
    VScroll->setSingleStep(range.singleStep);
    VScroll->setPageStep(range.pageStep);
    VScroll->show();
    VScroll->setValue(1);
}

void MainWindow::SelectSite(int index)
{
    if (m_model.SiteCount <= 0)
        return;
    picList->DrawSiteList();
    Q_EMIT sitesChanged();
    if (index < 0 || index >= m_model.SiteCount)
        return;
    m_editorEntry = index;
    FrameSite->LoadProfile(m_model.SiteProfiles[static_cast<std::size_t>(index)]);
}

void MainWindow::ShowStatus(const QString& text)
{
    picStatus->ShowStatus(text);
}

void MainWindow::ShowNotice(const QString& text)
{
    if (m_applying)
        return;
    picStatus->show();
    picStatus->ShowStatus(text);
    QTimer::singleShot(kNoticeMs, picStatus, [this] {
        if (!m_applying)
            picStatus->hide();
    });
}

void MainWindow::HoldInput(bool held)
{
    if (held)
        m_focusKeeper->Hold();
    picList->setEnabled(!held);
    VScroll->setEnabled(!held);
    cboNIC->setEnabled(!held);
    imgApply->setEnabled(!held);
    for (ImageButton* button : imgIP)
        button->setEnabled(!held);
    cmdAdvanced->setEnabled(!held);
    if (held)
        m_focusKeeper->Moved();
    else
        m_focusKeeper->Release();
}

QString MainWindow::AdapterDescription() const
{
    return cboNIC->currentText();
}

void MainWindow::lblTab_Click(int index)
{
    for (int k = 0; k < 2; ++k) {
        lblTab[k]->SetChosen(k == index);
        picSetup[k]->setVisible(k == index);
    }
    if (index != 0)
        return;
    FrameSite->ShowBlank();
    m_editorEntry = -1;
    if (m_model.SiteCount > 0)
        picList->DrawSiteList();
    FrameSite->txtName->setFocus();
}

void MainWindow::imgCmd_Click(int index)
{
    if (index == 0)
        m_closeGuard->Quit();
}

void MainWindow::cboNIC_Click()
{
    ShowAdapterToolTip();
    Q_EMIT adapterChosen();
    // Entry 0 is this machine's current settings: those of the adapter now chosen.
    ReadCurrentSettings();
}

void MainWindow::ShowAdapterToolTip()
{
    // A tool tip that looks like markup would be shown as rich text: an adapter's description is
    // shown as it is, also when it holds tags.
    const QString text = cboNIC->currentText();
    cboNIC->setToolTip(Qt::mightBeRichText(text)
                           ? QStringLiteral("<p style='white-space:pre'>%1</p>").arg(text.toHtmlEscaped())
                           : text);
}

int MainWindow::AdapterPosition() const
{
    return cboNIC->currentIndex();
}

void MainWindow::Form_KeyUp(int key)
{
    if (key == Qt::Key_F4)
        imgApply_Click();
    else if (key == Qt::Key_Escape)
        close();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return QWidget::eventFilter(watched, event);
    auto* target = qobject_cast<QWidget*>(watched);
    if (target == nullptr || (target != this && !isAncestorOf(target)))
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_F4 && key->key() != Qt::Key_Escape)
        return QWidget::eventFilter(watched, event);
    // The press is taken too, so no control acts on these keys itself (a combo box would open
    // its list on F4); the window acts once, when the key is let go.
    if (key->isAutoRepeat())
        return true;
    if (type == QEvent::KeyPress) {
        m_keyDown = key->key();
    } else if (m_keyDown == key->key()) {
        m_keyDown = 0;
        Form_KeyUp(key->key());
    }
    return true;
}

void MainWindow::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    // After this painting has reached the screen.
    if (!m_startUpFinished)
        QMetaObject::invokeMethod(this, &MainWindow::FinishStartUp, Qt::QueuedConnection);
}

void MainWindow::FinishStartUpWhenPainted()
{
    // A window on its way to the screen is painted first (paintEvent), unless the window system
    // never shows it, as with a window started minimized; a hidden window has nothing to wait for.
    if (isVisible() && !m_startUpFinished)
        QTimer::singleShot(kFirstPaintWaitMs, this, &MainWindow::FinishStartUp);
    else
        FinishStartUp();
}

void MainWindow::FinishStartUp()
{
    if (m_startUpFinished)
        return;
    m_startUpFinished = true;
    QueryAdaptersAtStartUp();
    WatchSettingsFile();
    setWindowIcon(ApplicationIcon());
    Q_EMIT startUpFinished();
}

void MainWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    // Each time the window becomes the active one, it repaints itself at once. A key held down
    // while another window took over ends there.
    m_keyDown = 0;
    if (isActiveWindow())
        repaint();
}

} // namespace lanvex::gui
