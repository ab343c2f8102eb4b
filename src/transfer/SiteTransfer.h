#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace lanvex::transfer {

// What an import or export did, for the console and the window alike.
struct TransferReport
{
    struct Skipped
    {
        std::string name;
        std::string reason; // why, in the user's words
    };
    bool failed = false; // the file could not be read or written: nothing changed
    std::string error; // why it failed, in the user's words
    std::size_t exported = 0;
    std::vector<std::string> added;
    std::vector<std::string> replaced;
    std::vector<Skipped> skipped;

    // 0 when everything went through, 1 when something was skipped or nothing could be done.
    int ExitCode() const { return failed || !skipped.empty() ? 1 : 0; }
};

// Writes every saved site of the settings file to `exportPath`: the --list JSON when the name ends
// in ".json", else a settings file the Windows program reads (code page 936, CRLF).
TransferReport ExportSites(const std::string& settingsPath, const std::string& exportPath);

// Adds the sites of `importPath` (either form) to the settings file in one atomic change. A name
// that is already saved is skipped, or overwritten when `replace` is set; a name the editor would
// refuse is skipped.
TransferReport ImportSites(const std::string& settingsPath, const std::string& importPath, bool replace);

// The report as the lines the user reads: each site added, replaced or skipped, then the totals.
// `maxSiteLines` bounds the per-site lines (a message box must fit the screen); 0 for no bound.
std::vector<std::string> ImportReportLines(const TransferReport& report, std::size_t maxSiteLines = 0);
std::string ExportReportText(const TransferReport& report, const std::string& exportPath);

} // namespace lanvex::transfer
