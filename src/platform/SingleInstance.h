#pragma once

#include <QObject>
#include <QString>
#include <memory>

namespace lanvex::platform {

// One window per user and settings file. The first window listens on a local socket named after
// both; a later start finds it there, asks it to come to the front and ends.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(const QString& settingsPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is now the one window for the settings file. False when another
    // window runs; it has then been asked to show itself.
    bool Claim();

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
    // The user the name belongs to: Windows' pipe names are shared by all the machine's sessions.
    static QString UserId();

    QString m_name;
    std::unique_ptr<Listener, ListenerDeleter> m_listener;
};

// The request a later start sends and the answer of the running window once it has acted on it.
inline constexpr char kShowRequest[] = "show\n";
inline constexpr char kShowAnswer[] = "ok\n";

// How the window treats its callers, on every system. A caller that has not sent its request by
// kCallerWaitMs is dropped, so silent ones cannot pile up; a request longer than kMaxRequest bytes
// is not ours; when taking callers fails, the window rests kAcceptPauseMs before it tries again.
inline constexpr int kCallerWaitMs = 2000;
inline constexpr int kMaxRequest = 64;
inline constexpr int kAcceptPauseMs = 200;

// What the bytes a caller has sent so far ask for: nothing yet (wait for more), the window to
// come to the front, or nothing the window answers (`ended`: the caller has stopped sending).
enum class CallerRequest
{
    Incomplete,
    Show,
    Refused
};
CallerRequest ReadCallerRequest(const QByteArray& received, bool ended);

} // namespace lanvex::platform
