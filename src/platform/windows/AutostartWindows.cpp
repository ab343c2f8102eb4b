// The login entry as the Run value "Lanvex" of the user's registry, which Windows starts at each
// logon; the site launchers as shell links on the user's desktop.
#include "platform/Autostart.h"
#include "store/windows/WindowsText.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <string>
#include <windows.h>

namespace lanvex::platform {

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"Lanvex";

// One argument as CommandLineToArgvW reads it back: quoted, a quote escaped, and the backslashes
// before a quote (or the closing one) doubled.
std::wstring QuotedArgument(const std::wstring& argument)
{
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

// The user's Run key, opened for `access`; null when it cannot be.
HKEY OpenRunKey(REGSAM access, LSTATUS& status)
{
    HKEY key = nullptr;
    status = RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, access, nullptr, &key, nullptr);
    return status == ERROR_SUCCESS ? key : nullptr;
}

// A file name from a site's name: none of the characters Windows refuses in one.
std::wstring FileNamePart(const std::wstring& name)
{
    std::wstring part;
    for (const wchar_t c : name)
        part += (c < 0x20 || std::wstring(L"\\/:*?\"<>|").find(c) != std::wstring::npos) ? L'_' : c;
    return part;
}

// COM for this thread, for as long as a shell link is made.
class ComApartment
{
public:
    ComApartment()
        : m_result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))
    { }
    ~ComApartment()
    {
        if (SUCCEEDED(m_result))
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT m_result;
};

template <typename T> struct Released
{
    T* object = nullptr;
    ~Released()
    {
        if (object)
            object->Release();
    }
};

std::wstring DesktopFolder()
{
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Desktop, KF_FLAG_DEFAULT, nullptr, &path)))
        folder = path;
    CoTaskMemFree(path);
    return folder;
}

bool Failed(HRESULT result, const char* what, std::string& error)
{
    if (SUCCEEDED(result))
        return false;
    error = std::string(what) + ": " + store::windows::ErrorText(static_cast<unsigned long>(result));
    return true;
}

} // namespace

bool Autostart::IsOn()
{
    LSTATUS status = ERROR_SUCCESS;
    const HKEY key = OpenRunKey(KEY_QUERY_VALUE, status);
    if (!key)
        return false;
    status = RegQueryValueExW(key, kRunValue, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool Autostart::Set(bool on, const std::string& program, std::string& error)
{
    LSTATUS status = ERROR_SUCCESS;
    const HKEY key = OpenRunKey(KEY_SET_VALUE, status);
    if (key) {
        if (on) {
            const std::wstring command = QuotedArgument(store::windows::Widen(program)) + L" --tray";
            status = RegSetValueExW(key, kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                                    static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
        } else {
            status = RegDeleteValueW(key, kRunValue);
            if (status == ERROR_FILE_NOT_FOUND)
                status = ERROR_SUCCESS;
        }
        RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS)
        error = Location() + ": " + store::windows::ErrorText(static_cast<unsigned long>(status));
    return status == ERROR_SUCCESS;
}

std::string Autostart::Location()
{
    return "HKEY_CURRENT_USER\\" + store::windows::Narrow(kRunKey) + "\\" + store::windows::Narrow(kRunValue);
}

std::string WriteSiteLauncher(const std::string& siteName, const std::string& program, std::string& error)
{
    const ComApartment apartment;
    const std::wstring folder = DesktopFolder();
    if (folder.empty()) {
        error = "the desktop folder is unknown";
        return {};
    }
    const std::wstring name = store::windows::Widen(siteName);
    const std::wstring path = folder + L"\\" + FileNamePart(name) + L" - Lanvex.lnk";
    const std::wstring programPath = store::windows::Widen(program);
    Released<IShellLinkW> link;
    Released<IPersistFile> file;
    if (Failed(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link.object)),
               "IShellLink", error)
        || Failed(link.object->SetPath(programPath.c_str()), "IShellLink::SetPath", error)
        || Failed(link.object->SetArguments((L"--switch " + QuotedArgument(name)).c_str()), "IShellLink::SetArguments",
                  error)
        || Failed(link.object->SetIconLocation(programPath.c_str(), 0), "IShellLink::SetIconLocation", error)
        || Failed(link.object->SetDescription((L"Lanvex: " + name).c_str()), "IShellLink::SetDescription", error)
        || Failed(link.object->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.object)), "IPersistFile",
                  error)
        || Failed(file.object->Save(path.c_str(), TRUE), "IPersistFile::Save", error))
        return {};
    return store::windows::Narrow(path);
}

} // namespace lanvex::platform
