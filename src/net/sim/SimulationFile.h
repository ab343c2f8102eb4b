#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace lanvex::net::sim {

// The simulated service's JSON file as bytes on disk: read whole, and changed under a lock with
// an atomic replacement, so a reader never sees half a file. One source per OS.
class SimulationFile
{
public:
    // What the file system says about the file, to tell whether it changed since it was read.
    struct Stamp
    {
        std::uint64_t device = 0;
        std::uint64_t file = 0;
        std::int64_t size = -1;
        std::int64_t modifiedNs = 0;
        std::int64_t changedNs = 0;
        bool operator==(const Stamp&) const = default;
    };

    // Given the file's text, the text to write back; nothing, to leave the file as it is.
    using Edit = std::function<std::optional<std::string>(const std::string& text)>;

    explicit SimulationFile(std::string path)
        : path_(std::move(path))
    { }

    // The whole file; nothing when it cannot be read. `stamp`, when given, receives the file as
    // it was read.
    std::optional<std::string> Read(Stamp* stamp = nullptr) const;

    // True when the file still has `stamp`, so a read now would give the text read then. Always
    // false where the system keeps no such stamp (Windows): there every read is a fresh one.
    bool Unchanged(const Stamp& stamp) const;

    // Reads the file as it stands, hands it to `edit` and replaces the file with the result.
    // Where the system can (Linux), an exclusive lock keeps other processes' updates out meanwhile.
    // False, with the file unchanged, when the file cannot be read, `edit` declines or the write fails.
    bool Update(const Edit& edit) const;

private:
    std::string path_;
};

} // namespace lanvex::net::sim
