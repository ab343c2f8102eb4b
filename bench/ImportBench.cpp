// Measures the peak memory of importing large files, for the shapes an import meets: real sites
// as JSON and as a settings file, the same sites again with --replace, a small import into a
// settings file near the size cap, and the most records of the least text. Each import runs in its
// own process; its peak resident memory above the process's start is compared with the largest
// file involved (the import file, or the settings file before or after). Then the export of the
// same large settings file to both forms, compared with the settings file. Fails when a ratio
// passes 3 for files of 8 MiB and more.
//
//   lanvex_bench_import [SITES]   (default 99990)

#include "ChildProcess.h"
#include "transfer/SiteTransfer.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

constexpr double kMostRatio = 3.0;
// Below this size a process's fixed costs (its libraries, the first blocks of every buffer) count
// for more than the file, and the ratio says little.
constexpr double kLeastMiB = 8.0;

std::string join(std::initializer_list<std::string_view> parts)
{
    std::string text;
    for (const std::string_view part : parts)
        text += part;
    return text;
}

// Writes `head`, then `count` pieces made by `piece(i)`, then `tail`.
bool writeFile(const std::string& path, const std::string& head, std::int64_t count,
               const std::function<std::string(std::int64_t)>& piece, const std::string& tail)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << head;
    std::string chunk;
    for (std::int64_t i = 0; i < count; ++i) {
        chunk += piece(i);
        if (chunk.size() >= 1 << 16) {
            out << chunk;
            chunk.clear();
        }
    }
    out << chunk << tail;
    return static_cast<bool>(out);
}

const std::string kOffice = "\xB0\xEC\xB9\xAB\xCA\xD2"; // 办公室 in code page 936

std::string host(std::int64_t i)
{
    return std::to_string(i % 250 + 1);
}

std::string jsonSite(std::int64_t i)
{
    return join({ i ? ",\n" : "\n", "{\"Name\":\"\xE5\x8A\x9E\xE5\x85\xAC\xE5\xAE\xA4", std::to_string(i),
                  "\",\"Description\":\"\",\"DHCPEnabled\":false,\"IP\":\"192.168.", host(i),
                  ".10\",\"SubNetMask\":\"255.255.255.0\",\"DefaultGateway\":\"192.168.", host(i),
                  ".1\",\"ChangeDNS\":true,\"DNS\":\"192.168.", host(i),
                  ".53\",\"AuxDNS\":\"8.8.8.8\",\"ChangeWINS\":false,\"WINS\":\"\",\"AuxWINS\":\"\","
                  "\"ChangePrinter\":true,\"PrinterName\":\"Office Laser ",
                  std::to_string(i), "\"}" });
}

// A record of a name alone: the least text a site can take in a file.
std::string nameRecord(std::int64_t i)
{
    return join({ i ? "," : "", "{\"Name\":\"N", std::to_string(i), "\"}" });
}

std::string iniSiteName(std::int64_t i)
{
    return join({ i ? "," : "", kOffice, std::to_string(i) });
}

// A site's section; `padding` adds a comment line of that many bytes, as a hand-kept file may hold.
std::string iniSite(std::int64_t i, std::size_t padding, std::int64_t shift)
{
    std::string comment;
    if (padding > 0)
        comment = join({ ";", std::string(padding, 'x'), "\r\n" });
    return join({ "[", kOffice, std::to_string(i), "]\r\n", comment, "DHCPEnabled=0\r\nIP=192.168.", host(i + shift),
                  ".10\r\nSubNetMask=255.255.255.0\r\nDefaultGateway=192.168.", host(i + shift),
                  ".1\r\nChangeDNS=1\r\nDNS=192.168.", host(i + shift),
                  ".53\r\nAuxDNS=8.8.8.8\r\nChangeWINS=0\r\nWINS=\r\nAuxWINS=\r\nChangePrinter=1\r\n"
                  "PrinterName=Office Laser ",
                  std::to_string(i), "\r\n" });
}

// `shift` moves every site's addresses, so that an import of the unshifted sites changes them.
bool writeSettings(const std::string& path, std::int64_t sites, std::size_t padding, std::int64_t shift = 0)
{
    std::string list = "[Common]\r\nSites=";
    for (std::int64_t i = 0; i < sites; ++i)
        list += iniSiteName(i);
    list += "\r\n";
    return writeFile(
        path, list, sites, [padding, shift](std::int64_t i) { return iniSite(i, padding, shift); }, "");
}

const std::string kFourSites = "[Common]\r\nSites=A,B,C,D\r\n[A]\r\nDHCPEnabled=1\r\n[B]\r\nIP=10.0.0.2\r\n"
                               "[C]\r\nIP=10.0.0.3\r\n[D]\r\nIP=10.0.0.4\r\n";

struct Measure
{
    std::int64_t peakKiB = 0;
    int exitCode = -1;
};

// Imports in a child process, as `lanvex --import` does, and reports its peak memory.
Measure measure(const std::string& settings, const std::string& import, bool replace)
{
    return lanvex::bench::InChild([&] {
        Measure m;
        const std::int64_t before = lanvex::bench::StatusKiB("VmRSS");
        {
            const lanvex::transfer::TransferReport report = lanvex::transfer::ImportSites(settings, import, replace);
            m.exitCode = report.failed ? 2 : report.ExitCode();
        }
        m.peakKiB = lanvex::bench::StatusKiB("VmHWM") - before;
        return m;
    });
}

// Exports in a child process, as `lanvex --export` does, and reports its peak memory.
Measure measureExport(const std::string& settings, const std::string& exported)
{
    return lanvex::bench::InChild([&] {
        Measure m;
        const std::int64_t before = lanvex::bench::StatusKiB("VmRSS");
        {
            const lanvex::transfer::TransferReport report = lanvex::transfer::ExportSites(settings, exported);
            m.exitCode = report.failed ? 2 : 0;
        }
        m.peakKiB = lanvex::bench::StatusKiB("VmHWM") - before;
        return m;
    });
}

double mib(const std::string& path)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    return ec ? 0.0 : static_cast<double>(size) / (1 << 20);
}

} // namespace

int main(int argc, char** argv)
{
    const std::int64_t sites = argc > 1 ? std::atoll(argv[1]) : 99990;
    std::error_code ec;
    const auto folder
        = std::filesystem::temp_directory_path(ec) / join({ "lanvex-import-", std::to_string(::getpid()) });
    std::filesystem::create_directories(folder, ec);
    const std::string settings = (folder / "lanvex.ini").string();
    const std::string json = (folder / "sites.json").string();
    const std::string ini = (folder / "sites.ini").string();
    const std::string small = (folder / "small.json").string();
    const std::string names = (folder / "names.json").string();
    const std::string fullSettings = (folder / "full.ini").string();
    const std::string nearCap = (folder / "near-cap.ini").string();
    const bool written = writeFile(json, "[", sites, jsonSite, "\n]\n") && writeSettings(fullSettings, sites, 0, 1)
        && writeSettings(ini, sites, 0) && writeSettings(nearCap, sites, 360)
        && writeFile(small, "[", 10, nameRecord, "]") && writeFile(names, "[", sites, nameRecord, "]");
    if (!written) {
        std::fprintf(stderr, "cannot write the files in %s\n", folder.string().c_str());
        return 1;
    }

    struct Case
    {
        const char* name;
        std::string start; // the settings file's content before, or a file to copy
        bool startIsFile;
        std::string import;
        bool replace;
        int exitCode;
    };
    const std::vector<Case> cases = {
        { "JSON sites", kFourSites, false, json, false, 0 },
        { "INI sites", kFourSites, false, ini, false, 0 },
        // Three keys of every site change; the others are written as they stand.
        { "JSON replacing", fullSettings, true, json, true, 0 },
        // Every site written again as it stands.
        { "JSON same again", ini, true, json, true, 0 },
        { "near the cap", nearCap, true, small, false, 0 },
        { "names alone", kFourSites, false, names, false, 0 },
    };
    std::printf("%-16s %10s %12s %12s %12s %8s\n", "import", "file MiB", "before MiB", "after MiB", "peak MiB",
                "x most");
    int failures = 0;
    for (const Case& c : cases) {
        if (c.startIsFile)
            std::filesystem::copy_file(c.start, settings, std::filesystem::copy_options::overwrite_existing, ec);
        else
            writeFile(settings, c.start, 0, nullptr, "");
        const double before = mib(settings);
        const Measure m = measure(settings, c.import, c.replace);
        const double after = mib(settings);
        const double most = std::max({ mib(c.import), before, after });
        const double ratio = m.peakKiB / 1024.0 / most;
        const bool ok = m.exitCode == c.exitCode && (most < kLeastMiB || ratio <= kMostRatio);
        failures += ok ? 0 : 1;
        std::printf("%-16s %10.1f %12.1f %12.1f %12.1f %8.2f%s\n", c.name, mib(c.import), before, after,
                    m.peakKiB / 1024.0, ratio, ok ? "" : "  (failed)");
    }

    std::printf("\n%-16s %10s %12s %12s %8s\n", "export", "file MiB", "export MiB", "peak MiB", "x file");
    for (const char* name : { "export.json", "export.ini" }) {
        const std::string exported = (folder / name).string();
        const Measure m = measureExport(ini, exported);
        const double ratio = m.peakKiB / 1024.0 / mib(ini);
        const bool ok = m.exitCode == 0 && (mib(ini) < kLeastMiB || ratio <= kMostRatio);
        failures += ok ? 0 : 1;
        std::printf("%-16s %10.1f %12.1f %12.1f %8.2f%s\n", name, mib(ini), mib(exported), m.peakKiB / 1024.0, ratio,
                    ok ? "" : "  (failed)");
    }
    std::filesystem::remove_all(folder, ec);
    return failures == 0 ? 0 : 1;
}
