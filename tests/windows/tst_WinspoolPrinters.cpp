#include "printer/WinspoolPrinterSource.h"

#include <doctest/doctest.h>
#include <set>
#include <windows.h>
#include <winspool.h>

#undef GetDefaultPrinter // winspool's, not the program's
#undef SetDefaultPrinter

using lanvex::printer::WinspoolPrinterSource;

TEST_SUITE("printers")
{
    TEST_CASE("a default printer must be installed; an installed one becomes the default")
    {
        WinspoolPrinterSource source;
        const std::string before = lanvex::printer::GetDefaultPrinter(source);
        CHECK(source.SetDefaultPrinter("没有这台打印机") == lanvex::printer::DefaultPrinterChange::NotInstalled);
        CHECK(lanvex::printer::GetDefaultPrinter(source) == before);
        // Wine lists the printers of the host's CUPS, when it has any.
        const std::vector<std::string> installed = source.InstalledPrinters();
        if (installed.empty())
            return;
        CHECK(source.SetDefaultPrinter(installed.back()) == lanvex::printer::DefaultPrinterChange::Done);
        CHECK(lanvex::printer::GetDefaultPrinter(source) == installed.back());
        if (!before.empty())
            source.SetDefaultPrinter(before);
    }

    TEST_CASE("the default printer comes from the profile entry, Chinese names included")
    {
        wchar_t saved[1024] = {};
        GetProfileStringW(L"windows", L"Device", L"", saved, 1024);
        REQUIRE(WriteProfileStringW(L"windows", L"Device", L"财务部激光打印机,winspool,Ne01:"));
        const WinspoolPrinterSource source;
        CHECK(source.DefaultPrinterEntry() == "财务部激光打印机,winspool,Ne01:");
        CHECK(lanvex::printer::GetDefaultPrinter(source) == "财务部激光打印机");
        WriteProfileStringW(L"windows", L"Device", saved[0] ? saved : nullptr);
    }

    TEST_CASE("the installed printers are the names winspool lists")
    {
        DWORD needed = 0, count = 0;
        EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 1, nullptr, 0, &needed, &count);
        std::vector<BYTE> buffer(needed);
        std::set<std::wstring> expected;
        if (needed > 0
            && EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 1, buffer.data(), needed, &needed,
                             &count)) {
            const auto* printers = reinterpret_cast<const PRINTER_INFO_1W*>(buffer.data());
            for (DWORD i = 0; i < count; ++i)
                expected.insert(printers[i].pName);
        }
        const std::vector<std::string> names = WinspoolPrinterSource().InstalledPrinters();
        CHECK(names.size() == expected.size());
        for (const std::string& name : names) {
            const int length = MultiByteToWideChar(CP_UTF8, 0, name.c_str(), -1, nullptr, 0);
            std::wstring wide(static_cast<std::size_t>(length), L'\0');
            MultiByteToWideChar(CP_UTF8, 0, name.c_str(), -1, wide.data(), length);
            wide.pop_back();
            CHECK(expected.count(wide) == 1);
        }
    }
}
