// Times the start-up read of the settings file: one load and the site model built from it.
//
//   lanvex_bench_load [N ...]              time loads of generated files with N sites (default 10 1000 10000)
//   lanvex_bench_load --generate N FILE    only write a settings file with N sites to FILE

#include "store/IniFile.h"
#include "store/SiteStore.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace lanvex::store;

// A file as the Windows original writes it: CRLF, code page 936 site names, all twelve keys.
std::string settingsText(int sites)
{
    const std::string office = "\xB0\xEC\xB9\xAB\xCA\xD2"; // 办公室
    std::string names;
    std::string sections;
    for (int i = 0; i < sites; ++i) {
        const std::string name = office + std::to_string(i);
        names += (i ? "," : "") + name;
        const std::string host = std::to_string(i % 250 + 1);
        sections += "[" + name + "]\r\nDHCPEnabled=" + std::to_string(i % 2) + "\r\nIP=192.168." + host
            + ".10\r\nSubNetMask=255.255.255.0\r\nDefaultGateway=192.168." + host + ".1\r\nChangeDNS=1\r\nDNS=192.168."
            + host + ".53\r\nAuxDNS=8.8.8.8\r\nChangeWINS=0\r\nWINS=\r\n"
            + "AuxWINS=\r\nChangePrinter=1\r\nPrinterName=Office Laser " + std::to_string(i) + "\r\n";
    }
    return "[Common]\r\nSites=" + names + "\r\n" + sections;
}

bool writeSettings(const std::string& path, int sites)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << settingsText(sites);
    return static_cast<bool>(out);
}

double timeLoadMs(const std::string& path, int expectedSites)
{
    const auto start = std::chrono::steady_clock::now();
    const SiteListModel model = LoadSiteModel(IniFile(path).Load(), std::nullopt);
    const auto stop = std::chrono::steady_clock::now();
    if (model.SiteCount != expectedSites + 1 || model.SiteProfiles.back().PrinterName.empty()) {
        std::fprintf(stderr, "load of %s gave %d entries, expected %d\n", path.c_str(), model.SiteCount,
                     expectedSites + 1);
        std::exit(1);
    }
    return std::chrono::duration<double, std::milli>(stop - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--generate")
        return writeSettings(argv[3], std::atoi(argv[2])) ? 0 : 1;

    std::vector<int> counts;
    for (int i = 1; i < argc; ++i)
        counts.push_back(std::atoi(argv[i]));
    if (counts.empty())
        counts = { 10, 1000, 10000 };

    std::error_code ec;
    const auto folder = std::filesystem::temp_directory_path(ec) / ("lanvex-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder, ec);
    std::printf("%8s %12s %12s %14s\n", "sites", "file KiB", "load ms", "us per site");
    for (const int sites : counts) {
        const std::string path = (folder / ("lanvex-" + std::to_string(sites) + ".ini")).string();
        if (sites < 1 || !writeSettings(path, sites)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        // Best of several runs, so other work on the machine counts as little as possible.
        double best = timeLoadMs(path, sites);
        for (int run = 1; run < 7; ++run)
            best = std::min(best, timeLoadMs(path, sites));
        std::printf("%8d %12.0f %12.3f %14.3f\n", sites, std::filesystem::file_size(path, ec) / 1024.0, best,
                    best * 1000.0 / sites);
    }
    std::filesystem::remove_all(folder, ec);
    return 0;
}
