#pragma once

#include "net/AdapterQuery.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace lanvex::gui {

class MainWindow;

// Switches to the site of the network an adapter is on, when the user has turned [Common]
// AutoSwitch on. Each time the window reads the adapters, an adapter whose network changed is
// looked at once:
// - exactly one saved site matches it and is not live on it: a site with AutoApply=1 is applied
//   as the tray applies one (the summary a notification, and a box while the window is open);
//   another is offered with a question, and only a yes applies it;
// - two or more match: the user is asked to choose one, and none is applied by itself.
// A network left runs the program for leaving of the site that was live on it, unless an apply
// follows, which runs it; a network no site matches runs [Common] RunOnUnknown.
// An apply on the adapter, by hand or by itself, holds the adapter's switching until its network
// changes again; so does a failed apply, which is not tried again before that, a question answered
// no, and settings put back because an apply was not kept.
// A question or choice whose network changes while it is open is withdrawn, and the adapter is
// looked at again on its new network: nothing is applied for a network that has gone.
class AutoSwitcher : public QObject
{
    Q_OBJECT
public:
    // `applySite(index)` applies saved entry `index` on the chosen adapter, as the tray's menu does.
    AutoSwitcher(MainWindow& window, std::function<void(int index)> applySite);

    // A network that differs from `known` in a way that makes it another network: another gateway,
    // Wi-Fi network or DNS domain, or another gateway MAC where both are known. A gateway MAC that
    // only becomes known (the neighbour entry appears a little after the link) is the same network.
    static bool IsOtherNetwork(const net::NetworkFingerprint& known, const net::NetworkFingerprint& now);

private:
    struct AdapterState
    {
        net::NetworkFingerprint network;
        net::NetworkFingerprint previous; // the network before the last change, when there was one
        bool known = false;
        bool settled = false; // looked at, applied or offered since the network last changed
        bool adoptNextRead = false; // an apply just ended: its read shows the network it made
    };

    // The question open, for the network it was asked on.
    struct Question
    {
        int position;
        net::NetworkFingerprint network;
        bool withdrawn = false;
    };

    void AdaptersRead();
    // Looks at each adapter once; true when a question was answered, after which they are looked
    // at again, as the adapters may have been read while it was open.
    bool LookAtAdapters();
    void SiteApplied(int adapterPosition);
    // Whether the adapter's network is new to the switcher; keeps it.
    bool NoteNetwork(AdapterState& state, const net::NetworkFingerprint& network);
    // True when it asked the user.
    bool SwitchFor(int position, const net::AdapterEntry& adapter);
    // Asks which site to apply; whether one was.
    bool Offer(int position, const std::vector<std::size_t>& matches);
    // Whether the network the open question was asked on is still the adapter's.
    bool QuestionStands() const;
    void Apply(int position, std::size_t entry);
    // The program of the live site whose network the adapter left, and, for a network no site
    // knows, [Common] RunOnUnknown; each on a thread of its own, its outcome on the status line.
    void RunNetworkPrograms(int position, const net::AdapterEntry& adapter, std::optional<std::size_t> live,
                            bool unknown);

    MainWindow& m_window;
    std::function<void(int)> m_applySite;
    std::vector<AdapterState> m_states; // by adapter position
    std::optional<Question> m_asking; // reads meanwhile only check that its network stays
};

} // namespace lanvex::gui
