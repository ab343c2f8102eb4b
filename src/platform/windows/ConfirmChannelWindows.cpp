// The confirm channel over a named pipe. Its name holds the user's SID and the session, it is
// open to that user alone and to local callers only, and it has one instance: the waiting apply
// makes the first, so nobody can hold its name in its place unnoticed, and a second apply is
// refused. The confirming end checks that the pipe's server runs as the same user.
#include "platform/ConfirmChannel.h"
#include "store/windows/WindowsText.h"

#include <cstring>
#include <string>
#include <vector>
#include <windows.h>
// sddl.h needs the types of windows.h before it.
// clang-format off
#include <sddl.h>
// clang-format on

namespace lanvex::platform {

namespace {

constexpr DWORD kRequestWaitMs = 2000;
constexpr DWORD kBusyWaitMs = 2000;
// A closing console gives a handler a few seconds before the process ends: enough for a restore
// by the service, and more than a wait's cleanup.
constexpr DWORD kCloseGraceMs = 4500;

HANDLE g_endEvent = nullptr;

BOOL WINAPI onConsoleEnd(DWORD type)
{
    if (g_endEvent)
        SetEvent(g_endEvent);
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT)
        Sleep(kCloseGraceMs); // the process ends when this returns: the main thread restores meanwhile
    return TRUE;
}

class Handle
{
public:
    explicit Handle(HANDLE handle = nullptr)
        : m_handle(handle)
    { }
    ~Handle()
    {
        if (valid())
            CloseHandle(m_handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return m_handle; }
    void reset(HANDLE handle)
    {
        if (valid())
            CloseHandle(m_handle);
        m_handle = handle;
    }
    bool valid() const { return m_handle && m_handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_handle;
};

// The SID of the user a process token belongs to, as text; empty when it can't be read.
std::wstring TokenUserSid(HANDLE process)
{
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &rawToken))
        return {};
    const Handle token(rawToken);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size))
        return {};
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text))
        return {};
    std::wstring sid(text);
    LocalFree(text);
    return sid;
}

std::wstring PipeName(const std::wstring& sid)
{
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return L"\\\\.\\pipe\\lanvex-confirm-" + sid + L"-" + std::to_wstring(session);
}

bool ServerIsUser(HANDLE pipe, const std::wstring& sid)
{
    ULONG serverId = 0;
    if (!GetNamedPipeServerProcessId(pipe, &serverId))
        return false;
    const Handle server(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, serverId));
    return server.valid() && TokenUserSid(server.get()) == sid;
}

// The pipe's client end; a busy pipe (answering another caller) is waited for a moment.
HANDLE OpenPipe(const std::wstring& name)
{
    HANDLE pipe = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE && GetLastError() == ERROR_PIPE_BUSY && WaitNamedPipeW(name.c_str(), kBusyWaitMs))
        pipe = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    return pipe;
}

// Waits for an overlapped operation on `pipe`; cancels it when `timeoutMs` passes first.
bool Finish(HANDLE pipe, OVERLAPPED& operation, DWORD timeoutMs, DWORD& transferred)
{
    if (WaitForSingleObject(operation.hEvent, timeoutMs) != WAIT_OBJECT_0)
        CancelIo(pipe);
    return GetOverlappedResult(pipe, &operation, &transferred, TRUE) != FALSE;
}

} // namespace

struct ConfirmWait::Impl
{
    Handle pipe;
    Handle event { CreateEventW(nullptr, TRUE, FALSE, nullptr) };
    Handle endEvent { CreateEventW(nullptr, TRUE, FALSE, nullptr) };

    ~Impl()
    {
        SetConsoleCtrlHandler(onConsoleEnd, FALSE);
        g_endEvent = nullptr;
    }

    // Reads the caller's request and answers it; true when it was a confirmation.
    bool answer(const std::function<bool()>& keep)
    {
        char request[sizeof kConfirmRequest] = {};
        OVERLAPPED operation = {};
        operation.hEvent = event.get();
        ResetEvent(event.get());
        DWORD got = 0;
        if (!ReadFile(pipe.get(), request, sizeof request - 1, nullptr, &operation)
            && GetLastError() != ERROR_IO_PENDING)
            return false;
        if (!Finish(pipe.get(), operation, kRequestWaitMs, got) || std::string(request, got) != kConfirmRequest)
            return false;
        const char* reply = keep() ? kKeptAnswer : kNotKeptAnswer;
        operation = {};
        operation.hEvent = event.get();
        ResetEvent(event.get());
        DWORD sent = 0;
        if (WriteFile(pipe.get(), reply, static_cast<DWORD>(std::strlen(reply)), nullptr, &operation)
            || GetLastError() == ERROR_IO_PENDING)
            Finish(pipe.get(), operation, kRequestWaitMs, sent);
        FlushFileBuffers(pipe.get()); // until the caller has read the answer
        return true;
    }
};

ConfirmWait::ConfirmWait(std::unique_ptr<Impl> impl)
    : m_impl(std::move(impl))
{ }

ConfirmWait::~ConfirmWait() = default;

std::unique_ptr<ConfirmWait> ConfirmWait::Open(std::string& error)
{
    const std::wstring sid = TokenUserSid(GetCurrentProcess());
    if (sid.empty()) {
        error = "cannot read this user's identity: " + store::windows::ErrorText(GetLastError());
        return nullptr;
    }
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const std::wstring sddl = L"D:P(A;;GA;;;" + sid + L")";
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
        error = "cannot make the channel's access list: " + store::windows::ErrorText(GetLastError());
        return nullptr;
    }
    SECURITY_ATTRIBUTES attributes = { sizeof attributes, descriptor, FALSE };
    auto impl = std::make_unique<Impl>();
    impl->pipe.reset(CreateNamedPipeW(
        PipeName(sid).c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE | FILE_FLAG_OVERLAPPED,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 64, 64, 0, &attributes));
    const DWORD failure = GetLastError();
    LocalFree(descriptor);
    if (!impl->pipe.valid()) {
        error = failure == ERROR_ACCESS_DENIED || failure == ERROR_PIPE_BUSY
            ? std::string("another change is waiting for its confirmation already")
            : "cannot make the confirmation's pipe: " + store::windows::ErrorText(failure);
        return nullptr;
    }
    if (!impl->event.valid() || !impl->endEvent.valid()) {
        error = "cannot make an event: " + store::windows::ErrorText(GetLastError());
        return nullptr;
    }
    g_endEvent = impl->endEvent.get();
    SetConsoleCtrlHandler(onConsoleEnd, TRUE);
    return std::unique_ptr<ConfirmWait>(new ConfirmWait(std::move(impl)));
}

ConfirmWait::Outcome ConfirmWait::Wait(std::chrono::milliseconds timeout, const std::function<bool()>& keep)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return Outcome::TimedOut;
        OVERLAPPED operation = {};
        operation.hEvent = m_impl->event.get();
        ResetEvent(m_impl->event.get());
        bool connected = ConnectNamedPipe(m_impl->pipe.get(), &operation) != FALSE;
        const DWORD status = GetLastError();
        if (!connected && status == ERROR_PIPE_CONNECTED)
            connected = true;
        else if (!connected && status == ERROR_IO_PENDING) {
            const HANDLE events[2] = { m_impl->event.get(), m_impl->endEvent.get() };
            const DWORD woke = WaitForMultipleObjects(2, events, FALSE, static_cast<DWORD>(left));
            DWORD unused = 0;
            if (woke != WAIT_OBJECT_0)
                CancelIo(m_impl->pipe.get());
            connected = GetOverlappedResult(m_impl->pipe.get(), &operation, &unused, TRUE) != FALSE;
            if (woke == WAIT_OBJECT_0 + 1)
                return Outcome::Interrupted;
            if (woke != WAIT_OBJECT_0)
                return Outcome::TimedOut;
        } else if (!connected) {
            return Outcome::TimedOut; // the pipe broke: nothing can confirm any more
        }
        const bool confirmed = connected && m_impl->answer(keep);
        DisconnectNamedPipe(m_impl->pipe.get());
        if (confirmed)
            return Outcome::Confirmed;
    }
}

ConfirmReply SendConfirm()
{
    const std::wstring sid = TokenUserSid(GetCurrentProcess());
    if (sid.empty())
        return ConfirmReply::NonePending;
    const std::wstring name = PipeName(sid);
    Handle pipe(OpenPipe(name));
    if (!pipe.valid() || !ServerIsUser(pipe.get(), sid))
        return ConfirmReply::NonePending;
    DWORD done = 0;
    if (!WriteFile(pipe.get(), kConfirmRequest, sizeof kConfirmRequest - 1, &done, nullptr))
        return ConfirmReply::NotKept;
    char answer[16] = {};
    if (!ReadFile(pipe.get(), answer, sizeof answer - 1, &done, nullptr))
        return ConfirmReply::NotKept;
    return std::string(answer, done) == kKeptAnswer ? ConfirmReply::Kept : ConfirmReply::NotKept;
}

} // namespace lanvex::platform
