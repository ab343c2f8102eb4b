#include "store/windows/WindowsFiles.h"

#include "store/windows/WindowsText.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cwchar>
#include <windows.h>
// After windows.h, which these need.
#include <aclapi.h>
#include <sddl.h>

namespace lanvex::store::windows {

namespace {

// How long a file held by another program (a virus scanner) is waited for.
constexpr int kRetries = 40;
constexpr DWORD kRetryPauseMs = 50;

class Handle
{
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE)
        : handle_(handle)
    { }
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    void reset(HANDLE handle = INVALID_HANDLE_VALUE)
    {
        if (valid())
            CloseHandle(handle_);
        handle_ = handle;
    }

private:
    HANDLE handle_;
};

int errnoFor(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
        return EACCES;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
        return EBUSY;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
        return EINVAL;
    default:
        return EIO;
    }
}

WriteResult failure(const std::string& what, const std::string& path, DWORD error)
{
    return { false, what + " " + path + ": " + ErrorText(error), errnoFor(error), {} };
}

// Errors another program's open handle causes; they pass when it closes the file.
bool isTransient(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED
        || error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

// Runs `attempt` (which returns a Windows error code, 0 for success) until it succeeds, fails for
// good, or the retries run out.
template <typename Attempt> DWORD retrying(Attempt attempt)
{
    DWORD error = 0;
    for (int i = 0; i < kRetries; ++i) {
        error = attempt();
        if (error == 0 || !isTransient(error))
            return error;
        Sleep(kRetryPauseMs);
    }
    return error;
}

std::wstring fullPath(const std::string& path)
{
    const std::wstring wide = Widen(path);
    const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (length == 0)
        return wide;
    std::wstring full(length, L'\0');
    const DWORD written = GetFullPathNameW(wide.c_str(), length, full.data(), nullptr);
    if (written == 0 || written >= length)
        return wide;
    full.resize(written);
    return full;
}

// A name for the temporary file beside the target that no other writer uses at the same time.
std::wstring temporaryFor(const std::wstring& target)
{
    static std::atomic<unsigned> counter { 0 };
    return target + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter) + L".tmp";
}

bool writeAll(HANDLE file, std::string_view bytes)
{
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

std::uint64_t fnv1a(std::wstring_view text)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const wchar_t c : text) {
        hash = (hash ^ static_cast<std::uint16_t>(c)) * 1099511628211ull;
    }
    return hash;
}

} // namespace

namespace {

// The administrators, the system and the installer service: the accounts an organisation's file
// may belong to and be changed by.
bool isAdministrativeSid(PSID sid)
{
    static constexpr const wchar_t* kTrusted[]
        = { L"S-1-5-32-544", L"S-1-5-18", L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464" };
    for (const wchar_t* text : kTrusted) {
        PSID trusted = nullptr;
        if (!ConvertStringSidToSidW(text, &trusted))
            continue;
        const bool same = EqualSid(sid, trusted) != FALSE;
        LocalFree(trusted);
        if (same)
            return true;
    }
    return false;
}

// Whether an entry that allows `mask` lets its holder change the file or its security.
bool allowsChange(ACCESS_MASK mask)
{
    constexpr ACCESS_MASK kChanging = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES
        | WRITE_DAC | WRITE_OWNER | DELETE | GENERIC_WRITE | GENERIC_ALL;
    return (mask & kChanging) != 0;
}

} // namespace

bool WritableOnlyByAdministrators(const std::string& path)
{
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    std::wstring wide = Widen(path);
    if (GetNamedSecurityInfoW(wide.data(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              &owner, nullptr, &dacl, nullptr, &descriptor)
        != ERROR_SUCCESS)
        return false;
    // No list at all lets everyone in.
    bool onlyAdministrators = owner != nullptr && dacl != nullptr && isAdministrativeSid(owner);
    for (DWORD i = 0; onlyAdministrators && i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        if (!GetAce(dacl, i, &entry))
            onlyAdministrators = false;
        else if (static_cast<ACE_HEADER*>(entry)->AceType == ACCESS_ALLOWED_ACE_TYPE) {
            const auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
            auto* sid = reinterpret_cast<PSID>(const_cast<DWORD*>(&allowed->SidStart));
            if (allowsChange(allowed->Mask) && !isAdministrativeSid(sid))
                onlyAdministrators = false;
        }
    }
    LocalFree(descriptor);
    return onlyAdministrators;
}

ReadStatus ReadWholeFile(const std::string& path, std::string& bytes, WriteResult& error, std::int64_t maxBytes)
{
    const auto limit = static_cast<std::uint64_t>(maxBytes);
    const std::wstring wide = Widen(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error = { false, "the settings file " + path + " is a folder", EISDIR, {} };
        return ReadStatus::Failed;
    }
    Handle file;
    const DWORD openError = retrying([&]() -> DWORD {
        HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return GetLastError();
        file.reset(handle);
        return 0;
    });
    if (openError == ERROR_FILE_NOT_FOUND || openError == ERROR_PATH_NOT_FOUND)
        return ReadStatus::Missing;
    if (openError != 0) {
        error = failure("cannot read", path, openError);
        return ReadStatus::Failed;
    }
    LARGE_INTEGER size {};
    if (!GetFileSizeEx(file.get(), &size)) {
        error = failure("cannot read", path, GetLastError());
        return ReadStatus::Failed;
    }
    if (static_cast<std::uint64_t>(size.QuadPart) > limit) {
        error = { false, "the settings file " + path + " is too large", EFBIG, {} };
        return ReadStatus::Failed;
    }
    bytes.clear();
    bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) {
            error = failure("cannot read", path, GetLastError());
            return ReadStatus::Failed;
        }
        if (read == 0)
            return ReadStatus::Ok;
        if (bytes.size() + read > limit) {
            error = { false, "the settings file " + path + " is too large", EFBIG, {} };
            return ReadStatus::Failed;
        }
        bytes.append(buffer, read);
    }
}

WriteResult CheckWritable(const std::string& path)
{
    const std::wstring wide = Widen(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return {}; // missing: the write creates it, and the folder decides
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return { false, "the settings file " + path + " is a folder", EISDIR, {} };
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return { false, "cannot write " + path + ": the file is read-only", EACCES, {} };
    // The file's own permission: replacing it through the folder would bypass it.
    HANDLE handle = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT)
            return failure("cannot write", path, error);
        return {}; // held by another program for now: the replacement waits for it
    }
    CloseHandle(handle);
    return {};
}

WriteResult ReplaceFileContents(const std::string& path, std::string_view bytes)
{
    const std::wstring target = fullPath(path);
    const std::wstring temporary = temporaryFor(target);
    Handle out(
        CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.valid())
        return failure("cannot write in the folder of", path, GetLastError());
    const auto abandon = [&](const std::string& what, DWORD error) {
        out.reset();
        DeleteFileW(temporary.c_str());
        return failure(what, path, error);
    };
    if (!writeAll(out.get(), bytes))
        return abandon("cannot write", GetLastError());
    if (!FlushFileBuffers(out.get()))
        return abandon("cannot flush", GetLastError());
    out.reset();

    const DWORD attributes = GetFileAttributesW(target.c_str());
    const DWORD error = retrying([&]() -> DWORD {
        if (GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES) {
            if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH))
                return 0;
        } else if (ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                                nullptr)) {
            return 0;
        }
        return GetLastError();
    });
    if (error != 0)
        return abandon("cannot replace", error);
    // ReplaceFileW keeps the attributes on Windows; Wine's does not, and a hidden file must stay so.
    if (attributes != INVALID_FILE_ATTRIBUTES && GetFileAttributesW(target.c_str()) != attributes)
        SetFileAttributesW(target.c_str(), attributes);
    return {};
}

PathLock::PathLock(const std::string& path, std::chrono::milliseconds timeout)
{
    // One name for every spelling of the path: full, and in one letter case, as Windows matches it.
    std::wstring key = fullPath(path);
    LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, key.data(), static_cast<int>(key.size()), key.data(),
                  static_cast<int>(key.size()), nullptr, nullptr, 0);
    wchar_t name[64];
    swprintf(name, 64, L"Local\\lanvex-settings-%016llx", static_cast<unsigned long long>(fnv1a(key)));
    mutex_ = CreateMutexW(nullptr, FALSE, name);
    if (!mutex_) {
        status_ = failure("cannot lock", path, GetLastError());
        return;
    }
    switch (WaitForSingleObject(mutex_, static_cast<DWORD>(timeout.count()))) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED: // a writer died holding it; its file was replaced whole or not at all
        owned_ = true;
        break;
    case WAIT_TIMEOUT:
        status_ = { false, "the settings file " + path + " stays locked by another copy of the program", EBUSY, {} };
        break;
    default:
        status_ = failure("cannot lock", path, GetLastError());
        break;
    }
}

PathLock::~PathLock()
{
    if (owned_)
        ReleaseMutex(mutex_);
    if (mutex_)
        CloseHandle(mutex_);
}

} // namespace lanvex::store::windows
