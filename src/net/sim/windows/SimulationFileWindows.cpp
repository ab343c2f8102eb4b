#include "net/sim/SimulationFile.h"
#include "store/IniFile.h"
#include "store/windows/WindowsFiles.h"

namespace lanvex::net::sim {

// UTF-16 paths at the system, and replacement through ReplaceFileW (a rename cannot replace a file).

std::optional<std::string> SimulationFile::Read(Stamp*) const
{
    std::string text;
    store::WriteResult error;
    if (store::windows::ReadWholeFile(path_, text, error, store::IniFile::kMaxFileBytes)
        != store::windows::ReadStatus::Ok)
        return std::nullopt;
    return text;
}

// No change stamp, so every connection reads the file afresh.
bool SimulationFile::Unchanged(const Stamp&) const
{
    return false;
}

// No lock across processes: the file as it stands, changed and replaced whole.
bool SimulationFile::Update(const Edit& edit) const
{
    const std::optional<std::string> text = Read();
    const std::optional<std::string> changed = text ? edit(*text) : std::nullopt;
    return changed && store::windows::ReplaceFileContents(path_, *changed).ok;
}

} // namespace lanvex::net::sim
