#include "cli/ConfirmCommand.h"

#include "i18n/Translate.h"
#include "platform/ConfirmChannel.h"

#include <chrono>
#include <ostream>

namespace lanvex::cli {

using i18n::Translate;

namespace {

constexpr const char* kKeptText = LANVEX_TR_NOOP("cli", "已确认，保留新设置。");

} // namespace

std::unique_ptr<ConfirmChannelQuestion> ConfirmChannelQuestion::Open(std::string& error)
{
    std::unique_ptr<platform::ConfirmWait> wait = platform::ConfirmWait::Open(error);
    if (!wait)
        return nullptr;
    return std::unique_ptr<ConfirmChannelQuestion>(new ConfirmChannelQuestion(std::move(wait)));
}

ConfirmChannelQuestion::ConfirmChannelQuestion(std::unique_ptr<platform::ConfirmWait> wait)
    : m_wait(std::move(wait))
{ }

ConfirmChannelQuestion::~ConfirmChannelQuestion() = default;

apply::KeepQuestion::Answer ConfirmChannelQuestion::Wait(std::uint32_t seconds, const std::function<bool()>& keep)
{
    if (!m_wait)
        return Answer::Interrupted;
    bool kept = false;
    const platform::ConfirmWait::Outcome outcome = m_wait->Wait(std::chrono::seconds(seconds), [&] {
        kept = keep();
        return kept;
    });
    switch (outcome) {
    case platform::ConfirmWait::Outcome::Confirmed:
        return kept ? Answer::Kept : Answer::TooLate;
    case platform::ConfirmWait::Outcome::TimedOut:
        return Answer::TimedOut;
    case platform::ConfirmWait::Outcome::Interrupted:
        break;
    }
    return Answer::Interrupted;
}

void ConfirmChannelQuestion::Close()
{
    // No confirmation is taken from here on: one that comes now finds no change waiting.
    m_wait.reset();
}

std::string KeptText()
{
    return Translate("cli", kKeptText);
}

int RunConfirmCommand(std::ostream& out, std::ostream& err)
{
    switch (platform::SendConfirm()) {
    case platform::ConfirmReply::Kept:
        out << KeptText() << '\n';
        return 0;
    case platform::ConfirmReply::NotKept:
        err << "lanvex: the change had come to its end; its previous settings are back\n";
        return 1;
    case platform::ConfirmReply::NonePending:
        break;
    }
    err << "lanvex: no change is waiting for a confirmation\n";
    return 1;
}

} // namespace lanvex::cli
