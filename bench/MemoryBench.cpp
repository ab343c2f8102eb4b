// Measures the memory and time of reading settings files of a given size, for files of several
// shapes: a large file of real sites and hand-made files that pack the most lines, keys or
// sections into every byte. Each read runs in its own process, whose peak resident memory is
// compared with the file's size.
//
//   lanvex_bench_memory [MiB]   (default 32; the program reads files up to 64 MiB)

#include "ChildProcess.h"
#include "store/IniFile.h"
#include "store/SiteStore.h"

#include <chrono>
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

using namespace lanvex::store;

// Writes lines made by `line(i)` until the file holds `bytes` bytes.
bool writeShape(const std::string& path, std::int64_t bytes, const std::string& head,
                const std::function<std::string(std::int64_t)>& line)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << head;
    std::int64_t written = static_cast<std::int64_t>(head.size());
    std::string chunk;
    for (std::int64_t i = 0; written < bytes; ++i) {
        chunk += line(i);
        if (chunk.size() >= 1 << 16 || written + static_cast<std::int64_t>(chunk.size()) >= bytes) {
            out << chunk;
            written += static_cast<std::int64_t>(chunk.size());
            chunk.clear();
        }
    }
    return static_cast<bool>(out);
}

// The parts one after the other (GCC 12 misreads chains of "+" on strings at -O3).
std::string join(std::initializer_list<std::string_view> parts)
{
    std::string text;
    for (const std::string_view part : parts)
        text += part;
    return text;
}

const std::string kOffice = "\xB0\xEC\xB9\xAB\xCA\xD2"; // 办公室 in code page 936

std::string site(std::int64_t i)
{
    const std::string host = std::to_string(i % 250 + 1);
    return join({ "[", kOffice, std::to_string(i), "]\r\nDHCPEnabled=0\r\nIP=192.168.", host,
                  ".10\r\nSubNetMask=255.255.255.0\r\nDefaultGateway=192.168.", host,
                  ".1\r\nChangeDNS=1\r\nDNS=192.168.", host,
                  ".53\r\nAuxDNS=8.8.8.8\r\nChangeWINS=0\r\nWINS=\r\nAuxWINS=\r\nChangePrinter=1\r\n"
                  "PrinterName=Office Laser\r\n" });
}

std::string sitesList(std::int64_t count)
{
    std::string text = "[Common]\r\nSites=";
    for (std::int64_t i = 0; i < count; ++i) {
        if (i > 0)
            text += ',';
        text += kOffice;
        text += std::to_string(i);
    }
    text += "\r\n";
    return text;
}

std::string oneNameList(std::int64_t count)
{
    std::string text = "[Common]\r\nSites=a";
    for (std::int64_t i = 1; i < count; ++i)
        text += ",a";
    text += "\r\n";
    return text;
}

struct Measure
{
    double ms = 0;
    std::int64_t peakKiB = 0;
    bool ok = false;
};

// Reads the file as the window's start-up does and changes one key as a save does, in a child
// process; reports the time of the read and the peak memory above the child's start.
Measure measure(const std::string& path)
{
    return lanvex::bench::InChild([&] {
        Measure m;
        const std::int64_t before = lanvex::bench::StatusKiB("VmRSS");
        const auto start = std::chrono::steady_clock::now();
        {
            const ReadResult read = IniFile(path).Read();
            const SiteListModel model = LoadSiteModel(read.document, std::nullopt);
            m.ok = read.ok && model.SiteCount >= 1;
        }
        m.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        m.ok = m.ok && IniFile(path).Update([](IniDocument& doc) { return doc.WriteString("Bench", "k", "v"); }).ok;
        m.peakKiB = lanvex::bench::StatusKiB("VmHWM") - before;
        return m;
    });
}

} // namespace

int main(int argc, char** argv)
{
    const std::int64_t mib = argc > 1 ? std::atoll(argv[1]) : 32;
    const std::int64_t bytes = mib << 20;
    std::error_code ec;
    const auto folder
        = std::filesystem::temp_directory_path(ec) / join({ "lanvex-memory-", std::to_string(::getpid()) });
    std::filesystem::create_directories(folder, ec);
    const std::int64_t siteCount = bytes / 260;

    struct Shape
    {
        const char* name;
        std::string head;
        std::function<std::string(std::int64_t)> line;
    };
    const std::vector<Shape> shapes = {
        { "sites", sitesList(std::min<std::int64_t>(siteCount, 100000)), site },
        { "blank lines", "", [](std::int64_t) { return std::string("\n"); } },
        { "short keys", "[s]\n",
          [](std::int64_t i) {
              return join({ "k", std::to_string(i % 100000), "=\n" });
          } },
        { "short sections", "",
          [](std::int64_t i) {
              return join({ "[", std::to_string(i), "]\n" });
          } },
        { "one long list", "[Common]\r\nSites=", [](std::int64_t i) { return i % 2 ? "," : "a"; } },
        // 100,000 entries of one name, whose one section is the rest of the file.
        { "one shared site", oneNameList(100000) + "[a]\n",
          [](std::int64_t i) {
              return join({ "k", std::to_string(i % 100000), "=\n" });
          } },
    };
    std::printf("%-16s %10s %12s %14s %10s\n", "file", "MiB", "read ms", "peak MiB", "x size");
    int failures = 0;
    for (const Shape& shape : shapes) {
        const std::string path = (folder / "lanvex.ini").string();
        if (!writeShape(path, bytes, shape.head, shape.line)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        const double size = static_cast<double>(std::filesystem::file_size(path, ec)) / (1 << 20);
        const Measure m = measure(path);
        if (!m.ok)
            ++failures;
        std::printf("%-16s %10.1f %12.1f %14.1f %10.2f%s\n", shape.name, size, m.ms, m.peakKiB / 1024.0,
                    m.peakKiB / 1024.0 / size, m.ok ? "" : "  (failed)");
        std::filesystem::remove(path, ec);
    }
    std::filesystem::remove_all(folder, ec);
    return failures == 0 ? 0 : 1;
}
