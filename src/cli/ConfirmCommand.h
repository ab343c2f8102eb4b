#pragma once

#include "apply/ApplyRun.h"

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>

namespace lanvex::platform {
class ConfirmWait;
}

namespace lanvex::cli {

// What --apply --revert-after waits for: `lanvex --confirm` of the same user, over the confirm
// channel, opened before anything changes.
class ConfirmChannelQuestion : public apply::KeepQuestion
{
public:
    // Nothing, and `error` says why, when the channel can't be opened.
    static std::unique_ptr<ConfirmChannelQuestion> Open(std::string& error);
    ~ConfirmChannelQuestion() override;

    Answer Wait(std::uint32_t seconds, const std::function<bool()>& keep) override;
    void Close() override;

private:
    explicit ConfirmChannelQuestion(std::unique_ptr<platform::ConfirmWait> wait);
    std::unique_ptr<platform::ConfirmWait> m_wait;
};

// The line that says a change is kept, translated.
std::string KeptText();

// --confirm: keeps the change a --revert-after of this user waits for. Exit code 0 when one was
// kept, 1 (stderr says why) when none waited or it had ended.
int RunConfirmCommand(std::ostream& out, std::ostream& err);

} // namespace lanvex::cli
