#include "app/MainWindow.h"

#include "LanvexResources.h"
#include "app/ImageButton.h"
#include "app/MessageSink.h"
#include "app/SettingsWatcher.h"
#include "app/SiteCommands.h"
#include "app/SiteListMenu.h"
#include "app/StatusLine.h"
#include "app/TabLabel.h"
#include "app/Translate.h"
#include "app/Twips.h"
#include "editor/SiteEditor.h"
#include "listview/SiteListView.h"
#include "net/IPInfo.h"
#include "printer/PrinterSource.h"
#include "store/IniFile.h"
#include "store/IniModule.h"
#include "store/SiteStore.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QFont>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <exception>
#include <optional>

namespace lanvex::app {

namespace {

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
    QIcon icon;
    for (const int size : { 16, 24, 32, 48, 64, 128, 256 })
        icon.addPixmap(RenderPicture(Resource(resources::kAppIcon), QSize(size, size), 1.0));
    return icon;
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

// Keeps the hourglass up until the apply has finished, also when a step throws.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

MainWindow::MainWindow(net::ServiceConnector& connector, const printer::PrinterSource& printers, MessageSink& messages,
                       QWidget* parent)
    : QWidget(parent)
    , m_connector(connector)
    , m_printers(printers)
    , m_messages(messages)
{
    lanvexInitResources();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Lanvex "));
    setWindowIcon(ApplicationIcon());
    // The desktop's Chinese user-interface face, 宋体 9 pt; a CJK face stands in where it is not
    // installed, so Latin and Chinese characters come from one font and the captions fit.
    QFont face = font();
    face.setFamilies({ QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("Noto Sans CJK SC") });
    face.setPointSize(9);
    setFont(face);
    setFixedSize(Px(9585), Px(7515));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    CreateControls();
    // F4 and Esc belong to the window whichever control has the focus, so the key releases are
    // taken before any control sees them.
    qApp->installEventFilter(this);
    Form_Load();
    m_settingsWatcher = new SettingsWatcher(QString::fromStdString(store::IniFileName), this);
    connect(m_settingsWatcher, &SettingsWatcher::changed, this, &MainWindow::SettingsFileChanged);
}

MainWindow::~MainWindow()
{
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
    connect(picList, &listview::SiteListView::siteSelected, this, &MainWindow::SelectSite);
    new SiteListMenu(picList, m_messages, [this] { ReloadSites(); });

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
    m_siteCommands.reset(new SiteCommandContext { m_model,
                                                  *picList,
                                                  *FrameSite,
                                                  m_messages,
                                                  this,
                                                  [this](int index) { SelectSite(index); },
                                                  [this] { RefreshSiteList(); },
                                                  {},
                                                  0,
                                                  {} });

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

    // Fill the adapter list without raising its click handler, then choose the first adapter,
    // which does raise it.
    ResumeNext([this] {
        const QSignalBlocker quiet(cboNIC);
        for (const std::string& description : net::ListAdapters(m_connector))
            cboNIC->addItem(FromUtf8(description));
        cboNIC->setCurrentIndex(-1);
    });
    if (cboNIC->count() > 0)
        cboNIC->setCurrentIndex(0);

    // The empty first line stays even when the printers cannot be listed.
    std::vector<std::string> printerNames;
    ResumeNext([this, &printerNames] { printerNames = m_printers.InstalledPrinters(); });
    FrameSite->setPrinters(printerNames);

    ResumeNext([this] { LoadSites(); });
    RefreshSiteList();
}

void MainWindow::LoadSites()
{
    // The settings file is parsed once for the whole load. One that is there but cannot be read
    // is named with its cause, rather than looking like a file without sites.
    const store::ReadResult read = store::IniFile(store::IniFileName).Read();
    m_siteCommands->settingsStamp = read.stamp;
    if (!read.ok)
        m_messages.Information(this, tr("温馨提示"), SettingsReadFailure(store::IniFileName, read));
    const store::IniDocument& settings = read.document;
    std::optional<store::SiteProfile> current;
    const int position = AdapterPosition();
    if (position >= 0)
        current = net::GetAdapterInfo(m_connector, m_printers, position + 1);
    const std::int32_t curSiteIndex = m_model.CurSiteIndex;
    m_model = store::LoadSiteModel(settings, current);
    NameEntryZero();
    if (!current)
        m_model.CurSiteIndex = curSiteIndex;
    RefreshSiteList();
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
    std::optional<store::SiteProfile> current;
    if (m_model.CurSiteIndex == 0 && !m_model.SiteProfiles.empty())
        current = m_model.SiteProfiles[0];
    const std::int32_t curSiteIndex = m_model.CurSiteIndex;
    m_model = store::LoadSiteModel(store::IniFile(store::IniFileName).Load(), current);
    NameEntryZero();
    m_model.CurSiteIndex = curSiteIndex;
    picList->setSelIndex(0);
    RefreshSiteList();
    SelectSite(0);
}

void MainWindow::SettingsFileChanged()
{
    // Not under an open message box: the command that showed it still works on the list.
    if (QApplication::activeModalWidget() != nullptr || QApplication::activePopupWidget() != nullptr) {
        m_settingsWatcher->RetryLater();
        return;
    }
    if (SettingsChanged(*m_siteCommands))
        app::ReloadSites(*m_siteCommands);
}

void MainWindow::RefreshSiteList()
{
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
    if (index < 0 || index >= m_model.SiteCount)
        return;
    FrameSite->LoadProfile(m_model.SiteProfiles[static_cast<std::size_t>(index)]);
}

void MainWindow::ShowStatus(const QString& text)
{
    picStatus->ShowStatus(text);
}

void MainWindow::imgApply_Click()
{
    const int selected = picList->SelIndex();
    if (selected <= 0 || selected >= m_model.SiteCount)
        return;
    // A copy: the record must stay whole while the status line's painting runs in between.
    const store::SiteProfile site = m_model.SiteProfiles[static_cast<std::size_t>(selected)];
    const int adapterPosition = AdapterPosition();
    std::int32_t result = 0;
    {
        const WaitCursor hourglass;
        ShowStatus(tr("正在应用当前设置，请稍候..."));
        picStatus->show();
        picStatus->repaint();
        result = net::ApplyIPSettings(m_connector, adapterPosition + 1, site, [this](const std::string& text) {
            ShowStatus(FromUtf8(Translate("net", text.c_str())));
        });
        ShowStatus(tr("应用设置完毕。"));
        picStatus->hide();
    }
    const QString summary = FromUtf8(TranslateLines("net", net::ApplySummary(result, site)));
    const int position = AdapterPosition();
    if (position >= 0) {
        m_model.SiteProfiles[0] = net::GetAdapterInfo(m_connector, m_printers, position + 1);
        m_model.SiteProfiles[0].Name = m_model.SiteNames[0];
    }
    Q_EMIT siteApplied(adapterPosition, FromUtf8(site.Name), result, summary);
    if (m_summaryInBox)
        m_messages.Information(this, tr("温馨提示"), summary);
}

void MainWindow::ApplySite(int index)
{
    const int selected = picList->SelIndex();
    picList->setSelIndex(index);
    m_summaryInBox = isVisible();
    imgApply_Click();
    m_summaryInBox = true;
    picList->setSelIndex(selected);
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
    if (m_model.SiteCount > 0)
        picList->DrawSiteList();
    FrameSite->txtName->setFocus();
}

void MainWindow::imgCmd_Click(int index)
{
    if (index == 0)
        QCoreApplication::exit(0);
}

void MainWindow::cboNIC_Click()
{
    // A tool tip that looks like markup would be shown as rich text: an adapter's description is
    // shown as it is, also when it holds tags.
    const QString text = cboNIC->currentText();
    cboNIC->setToolTip(Qt::mightBeRichText(text)
                           ? QStringLiteral("<p style='white-space:pre'>%1</p>").arg(text.toHtmlEscaped())
                           : text);
    Q_EMIT adapterChosen();
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

} // namespace lanvex::app
