#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

namespace lanvex::platform {

// One window per user and settings file. The first window listens on a local socket named after
// both; a later start finds it there, asks it to come to the front (or to apply a site) and ends.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(const QString& settingsPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is now the one window for the settings file. False when another
    // window runs; it has then been asked to show itself.
    bool Claim();

    // What became of a site handed to the running copy.
    enum class HandOver
    {
        Done, // it has taken the site and applies it
        UnknownSite, // it has no site of that name
        NoneRunning // no copy answered
    };
    // Hands `siteName` to the copy that holds the settings file, for it to apply.
    HandOver AskRunningToSwitch(const QString& siteName);
    // The same; when no copy runs, starts `program` with `arguments` (the tray-only copy) and
    // hands the site to it once it listens.
    HandOver SwitchStartingCopy(const QString& siteName, const QString& program, const QStringList& arguments);
    // How this copy answers a later start's site: true when it has a site of that name and has
    // taken it to apply. Without a handler every site is unknown.
    void SetSwitchHandler(std::function<bool(const QString& siteName)> handler) { m_switch = std::move(handler); }

    // The socket's name: the user and the settings file's full path, hashed.
    static QString ServerName(const QString& settingsPath);

Q_SIGNALS:
    // A later start asked this window to come to the front.
    void activationRequested();

private:
    // The platform's local socket: a named pipe on Windows, a Unix socket in a private folder elsewhere.
    class Listener;
    struct ListenerDeleter
    {
        void operator()(Listener* listener) const;
    };

    bool listen();
    bool askRunningToShow();
    // Sends one request to the running copy and returns its answer; nothing when none answered.
    std::optional<QByteArray> askRunning(const QByteArray& request);
    // The answer to a caller's complete request, after acting on it; empty for one not ours.
    QByteArray answer(const QByteArray& received);
    // The user the name belongs to: Windows' pipe names are shared by all the machine's sessions.
    static QString UserId();

    QString m_name;
    std::function<bool(const QString&)> m_switch;
    std::unique_ptr<Listener, ListenerDeleter> m_listener;
};

// The requests a later start sends and the answers of the running window once it has acted on
// them: "show", or "switch " and a site's name in UTF-8; "ok", or "unknown" for a site it lacks.
inline constexpr char kShowRequest[] = "show\n";
inline constexpr char kSwitchRequest[] = "switch ";
inline constexpr char kShowAnswer[] = "ok\n";
inline constexpr char kUnknownAnswer[] = "unknown\n";

// How the window treats its callers, on every system. A caller that has not sent its request by
// kCallerWaitMs is dropped, so silent ones cannot pile up; a request longer than kMaxRequest bytes
// (room for any site name) is not ours; when taking callers fails, the window rests kAcceptPauseMs
// before it tries again.
inline constexpr int kCallerWaitMs = 2000;
inline constexpr int kMaxRequest = 4096;
inline constexpr int kAcceptPauseMs = 200;
// How long a start that handed a site over waits for the copy it started to listen.
inline constexpr int kStartedCopyWaitMs = 15000;

// What the bytes a caller has sent so far ask for: nothing yet (wait for more), the window to
// come to the front, a site to be applied (SwitchRequestName), or nothing the window answers
// (`ended`: the caller has stopped sending).
enum class CallerRequest
{
    Incomplete,
    Show,
    Switch,
    Refused
};
CallerRequest ReadCallerRequest(const QByteArray& received, bool ended);
// The site a complete switch request names.
QString SwitchRequestName(const QByteArray& received);

} // namespace lanvex::platform
