#include "printer/WinspoolPrinterSource.h"

#include <algorithm>
#include <windows.h>
#include <winspool.h>

#undef SetDefaultPrinter // winspool's, not the source's

namespace lanvex::printer {

namespace {

std::string utf8(const wchar_t* wide)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1)
        return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), length, nullptr, nullptr);
    text.resize(static_cast<std::size_t>(length - 1));
    return text;
}

std::wstring wide(const std::string& utf8)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), length);
    return text;
}

} // namespace

DefaultPrinterChange WinspoolPrinterSource::SetDefaultPrinter(const std::string& name) const
{
    const std::vector<std::string> installed = InstalledPrinters();
    if (name.empty() || std::find(installed.begin(), installed.end(), name) == installed.end())
        return DefaultPrinterChange::NotInstalled;
    return SetDefaultPrinterW(wide(name).c_str()) ? DefaultPrinterChange::Done : DefaultPrinterChange::Failed;
}

std::string WinspoolPrinterSource::DefaultPrinterEntry() const
{
    wchar_t entry[1024] = {};
    GetProfileStringW(L"windows", L"Device", L"", entry, 1024);
    return utf8(entry);
}

std::vector<std::string> WinspoolPrinterSource::InstalledPrinters() const
{
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0, count = 0;
    std::vector<BYTE> buffer;
    // The list can grow between the size query and the read.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (EnumPrintersW(flags, nullptr, 4, buffer.data(), static_cast<DWORD>(buffer.size()), &needed, &count))
            break;
        count = 0;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return {};
        buffer.resize(needed);
    }
    std::vector<std::string> names;
    names.reserve(count);
    const auto* printers = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        if (printers[i].pPrinterName)
            names.push_back(utf8(printers[i].pPrinterName));
    }
    return names;
}

} // namespace lanvex::printer
