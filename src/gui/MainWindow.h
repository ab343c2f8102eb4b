#pragma once

#include "apply/ApplyRun.h"
#include "net/AdapterQuery.h"
#include "store/SiteListModel.h"
#include "store/SiteProfile.h"

#include <QString>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QAction;
class QComboBox;
class QPushButton;
class QGroupBox;
class QLabel;
class QScrollBar;

namespace lanvex::net {
class NetworkWatch;
class ProxyStore;
class ServiceConnector;
} // namespace lanvex::net
namespace lanvex::printer {
class PrinterSource;
}
namespace lanvex::listview {
class SiteListView;
}
namespace lanvex::editor {
class SiteEditor;
}
namespace lanvex::platform {
class FileWatcher;
}

namespace lanvex::gui {

class BoxAnswer;
class CloseGuard;
class FocusKeeper;
class ImageButton;
class MessageSink;
class ServiceWorker;
class Picture;

class StatusLine;
class TabLabel;
struct SiteCommandContext;

// frmMain: the program's one window. It owns the site list model and the view state for its
// whole life; the list, the editor and the network procedures work on them through it.
// Constructing the window runs its load steps (Form_Load); every control carries its
// layout name as objectName.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    MainWindow(net::ServiceConnector& connector, const printer::PrinterSource& printers, MessageSink& messages,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    const store::SiteListModel& Model() const { return m_model; }
    // The user's proxy store for the sites that set a proxy; without one, the summary says that
    // none was found. Not owned.
    void SetProxyStore(net::ProxyStore* proxy) { m_proxy = proxy; }
    // A checkable menu action for [Common] ApplyPrinter, checked as the setting stands now;
    // toggling it writes the file, and a failed write leaves it as it was.
    QAction* MakeApplyPrinterAction(QObject* parent);
    // The same for [Common] AutoSwitch.
    QAction* MakeAutoSwitchAction(QObject* parent);
    // Turns [Common] AutoSwitch on or off; false, with the reason said, when the file could not
    // be written.
    bool SetAutoSwitch(bool on);
    MessageSink& Messages() const { return m_messages; }
    // The same for [Common] ConfirmApply: an apply waits to be kept, and is taken back otherwise.
    QAction* MakeConfirmApplyAction(QObject* parent);
    // Whether an apply waits to be kept: as the user chose, else in a remote session.
    bool ConfirmApplyOn() const;
    // How long an apply waits to be kept, in seconds.
    void SetConfirmSeconds(int seconds) { m_confirmSeconds = seconds; }
    // True until the start-up query has ended and while a query or an apply runs on the service
    // thread; the window shows its result when it ends.
    bool IsServiceBusy() const { return m_adaptersPending || m_pendingJobs > 0; }
    // From the click of apply to the summary.
    bool IsApplying() const { return m_applying; }
    // Whether ApplySite would start now: no apply runs and the adapters have been read.
    bool CanApply() const { return !m_applying && !m_adaptersPending; }

    // Loads entry `index` into the editor and redraws the list.
    void SelectSite(int index);
    // Fits the scroll bar to the number of entries; selects entry 0 when all fit.
    void RefreshSiteList();
    // Replaces the status line's text at once.
    void ShowStatus(const QString& text);
    // Shows the status line with `text` for a while, when no apply is using it.
    void ShowNotice(const QString& text);
    // Reads the saved sites again after an import changed the file; entry 0 keeps its settings.
    void ReloadSites();

    // The handlers, public so the keys and tests run them exactly as a click would.
    void imgApply_Click();
    void lblTab_Click(int index);
    void imgCmd_Click(int index);
    void cboNIC_Click();

    // Applies saved entry `index` as the apply button does, without choosing it in the list; the
    // summary's message box shows only while the window is open.
    void ApplySite(int index);
    // The same for a site that need not be in the list.
    void ApplySite(const store::SiteProfile& site);
    void ShowAdapterToolTip();
    int AdapterPosition() const;
    QString AdapterDescription() const;
    // Chooses the adapter at `position` in cboNIC, as the user would.
    void ChooseAdapter(int position);

    // Every adapter with its network, as last read (at start-up, after each apply, each choice of
    // adapter and each change of the network); empty before the first read or when the service
    // failed.
    const std::vector<net::AdapterEntry>& Adapters() const { return m_adapters; }
    // The chosen adapter as last read; null when there is none.
    const net::AdapterEntry* ChosenAdapter() const;
    // The position in cboNIC of the adapter a site is bound to (its Adapter key); -1 when the site
    // is not bound or its adapter is absent.
    int BoundAdapterPosition(const store::SiteProfile& site) const;
    // Watches the network once the start-up query has ended: each change reads the adapters again
    // (adaptersRead()). Owned from here on.
    void WatchNetwork(std::unique_ptr<net::NetworkWatch> watch);
    // Reads every adapter again off the window's thread; once at a time, and not during an apply,
    // whose own read follows it.
    void RereadAdapters();

    // What can wait until the window is on the screen (the printer list, the start-up query, the
    // settings file's watch, the window's icon): done after its first painting, at the first turn
    // of the event loop when the window is hidden, or at once when called. Ends with
    // startUpFinished(), once.
    void FinishStartUp();

Q_SIGNALS:
    // An apply ended: the adapter's position, the site, its result code and the summary shown.
    void siteApplied(int adapterPosition, const QString& siteName, int result, const QString& summary);
    // Another adapter was chosen in cboNIC (also the first one, once the adapters are read).
    void adapterChosen();
    // Entry 0 was read again from the chosen adapter.
    void currentSettingsRead();
    // The window's start-up work is done; see FinishStartUp().
    void startUpFinished();
    // An apply that was not kept was taken back on the adapter at `adapterPosition`; the read of
    // the adapters that shows it follows.
    void settingsRestored(int adapterPosition);
    // Adapters() was read again. After an apply it follows siteApplied().
    void adaptersRead();
    // The list was drawn from the saved sites again (after a load, a new, save or delete, a reload,
    // and also when only the selection moved).
    void sitesChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void CreateControls();
    void Form_Load();
    void LoadSites();
    void LoadManagedSites();
    void NameEntryZero();
    void WatchSettingsFile();
    void SettingsFileChanged();
    void Form_KeyUp(int key);

    // The service work, run off the window's thread; each hands its result back to the window.
    void PostServiceJob(std::function<void()> job);
    void FinishServiceJob();
    void FinishStartUpWhenPainted();
    void QueryAdaptersAtStartUp();
    void ShowAdapters(std::vector<net::AdapterEntry> adapters);
    // Keeps what a read of the adapters gave, marks the list's sites of the chosen adapter's
    // network, starts an apply asked for before the adapters were known and tells adaptersRead().
    void StoreAdapters(std::vector<net::AdapterEntry> adapters);
    // Loads entry `index` and, for a site bound to an adapter that is present, chooses that adapter.
    void SiteChosen(int index);
    void StartNetworkWatch();
    void ReadCurrentSettings();
    void ShowCurrentSettings(const store::SiteProfile& current);
    // The live settings of the adapter at `position` in a read of every adapter; empty when there is none.
    static store::SiteProfile SettingsAt(const std::vector<net::AdapterEntry>& adapters, int position);
    // The apply of `site`, run on the service thread and shown as it goes (MainWindowApply.cpp).
    void StartApply(const store::SiteProfile& site, bool summaryInBox);
    // An apply asked for while the start-up read runs waits for it, with the status line saying so.
    void WaitForAdaptersToApply(const store::SiteProfile& site, bool summaryInBox);
    void StartWaitingApply();
    class ApplyFeedback;
    friend class ApplyFeedback;
    // What an apply was started with and what its steps did.
    struct AppliedSite
    {
        apply::ApplyOutcome outcome;
        QString summary;
        store::SiteProfile site;
        int adapterPosition;
        bool summaryInBox;
    };
    // The apply's steps have ended; `next` says what follows: the end, the countdown box or the restore.
    void FinishApply(const AppliedSite& applied, std::optional<std::vector<net::AdapterEntry>> adapters,
                     apply::ApplyListener::Next next, const std::shared_ptr<BoxAnswer>& answer);
    // The site's adapter is not there: nothing was applied.
    void RefuseApply(const AppliedSite& applied);
    void AskToKeep(const QString& summary, const std::shared_ptr<BoxAnswer>& answer);
    // The end of an apply that waited to be kept or was taken back.
    void EndConfirmableApply(const AppliedSite& applied, const apply::ApplyRunResult& result);
    // Shows a status text of the running apply and waits until it is on the screen.
    void ShowStatusFromService(const std::string& text);
    // Holds off input that would start another apply or change the site or the adapter.
    void HoldInput(bool held);

    net::ServiceConnector& m_connector;
    const printer::PrinterSource& m_printers;
    net::ProxyStore* m_proxy = nullptr;
    MessageSink& m_messages;

    store::SiteListModel m_model;
    // The organisation's sites, read once at start-up.
    std::shared_ptr<const store::ManagedSites> m_managed;
    // What the new, save and delete buttons work on; it also keeps the new-site counter.
    std::unique_ptr<SiteCommandContext> m_siteCommands;
    // Another copy of the program, or an import, may change the settings file while it runs.
    platform::FileWatcher* m_settingsWatcher = nullptr;
    // F4 or Esc while the window holds it down: a release acts only after a press the window saw,
    // so the release of an Esc that closed a message box does not close the window as well.
    int m_keyDown = 0;
    int m_confirmSeconds = 30;

    // Entry 0 as last read from the chosen adapter; nothing before the first read.
    std::optional<store::SiteProfile> m_currentSettings;
    std::vector<net::AdapterEntry> m_adapters;
    std::unique_ptr<net::NetworkWatch> m_networkWatch;
    bool m_rereadPending = false;
    bool m_networkWatchStarted = false;
    int m_pendingJobs = 0;
    bool m_applying = false;
    bool m_adaptersPending = true; // the start-up query has not yet filled the adapter list
    // The apply asked for during the start-up query (the last one asked): the site and whether its
    // summary goes in a box.
    std::optional<std::pair<store::SiteProfile, bool>> m_waitingApply;
    bool m_startUpFinished = false;
    int m_entryRequest = 0; // only the latest read of entry 0 is shown
    int m_editorEntry = -1; // the entry SelectSite last loaded into the editor; -1 when blank
    std::atomic<bool> m_closing { false };
    std::unique_ptr<ServiceWorker> m_worker;
    // While input is held the focus waits to go back, and closing waits for the summary.
    std::unique_ptr<FocusKeeper> m_focusKeeper;
    CloseGuard* m_closeGuard = nullptr;

    Picture* m_banner = nullptr;
    QWidget* picOption = nullptr;
    TabLabel* lblTab[2] = { nullptr, nullptr };
    QWidget* picSetup[2] = { nullptr, nullptr };
    StatusLine* picStatus = nullptr;
    ImageButton* imgCmd[1] = { nullptr };
    ImageButton* imgApply = nullptr;
    ImageButton* imgIP[3] = { nullptr, nullptr, nullptr };
    QPushButton* cmdAdvanced = nullptr; // opens the advanced editor for the entry shown
    listview::SiteListView* picList = nullptr;
    QScrollBar* VScroll = nullptr;
    QComboBox* cboNIC = nullptr;
    editor::SiteEditor* FrameSite = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* lblHelp[4] = { nullptr, nullptr, nullptr, nullptr };
};

// The window's name in the layout.
using frmMain = MainWindow;

} // namespace lanvex::gui
