#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

// The channel over which `lanvex --confirm` reaches an apply that waits to be kept. It belongs to
// one user: only that user's processes can open it or reach it, and only one apply of theirs waits
// at a time. A socket in the user's own runtime folder on Linux, a named pipe open to the user
// alone, in their session, on Windows.
namespace lanvex::platform {

class ConfirmWait
{
public:
    enum class Outcome
    {
        Confirmed, // `lanvex --confirm` came; the keep step ran and its answer went back
        TimedOut,
        Interrupted, // Ctrl+C, the terminal went away, or the program was asked to end
    };

    // Opens the user's channel. Nothing, and `error` says why, when another apply of the user waits
    // already or the channel can't be made.
    static std::unique_ptr<ConfirmWait> Open(std::string& error);
    ~ConfirmWait();
    ConfirmWait(const ConfirmWait&) = delete;
    ConfirmWait& operator=(const ConfirmWait&) = delete;

    // Waits up to `timeout`. When a confirmation comes, `keep` runs and says whether the change
    // stays; the confirming process is told so.
    Outcome Wait(std::chrono::milliseconds timeout, const std::function<bool()>& keep);

    struct Impl;

private:
    explicit ConfirmWait(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

enum class ConfirmReply
{
    Kept, // a waiting apply took the confirmation and its change stays
    NonePending, // no apply of this user waits
    NotKept, // the apply came to its end first: its change was taken back
};

// What `lanvex --confirm` does: reaches the user's waiting apply.
ConfirmReply SendConfirm();

// The messages the two ends exchange.
inline constexpr char kConfirmRequest[] = "confirm\n";
inline constexpr char kKeptAnswer[] = "kept\n";
inline constexpr char kNotKeptAnswer[] = "late\n";

} // namespace lanvex::platform
