#include "app/CommandLine.h"

#include "base/AppInfo.h"
#include "base/Text.h"

#include <optional>
#include <string_view>

namespace keyvane {
namespace {

// The answer's mark in the result's high half.
constexpr std::uint32_t kAnswerMark = 0x4B560000;
// A task number fits the parameter's bits above the switch.
constexpr int kMaxTaskNumber = 0xFFFFFF;

std::u16string Lower(std::u16string_view text) {
    std::u16string lower(text);
    for (char16_t& c : lower)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return lower;
}

// The switch's name without its "/", "-" or "--"; nothing for a plain word.
std::optional<std::u16string> SwitchName(std::u16string_view arg) {
    if (arg.starts_with(u"--"))
        arg.remove_prefix(2);
    else if (arg.starts_with(u"/") || arg.starts_with(u"-"))
        arg.remove_prefix(1);
    else
        return std::nullopt;
    return Lower(arg);
}

std::optional<int> TaskNumber(std::u16string_view text) {
    if (text.empty() || text.size() > 8) return std::nullopt;
    int n = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return std::nullopt;
        n = n * 10 + (c - u'0');
    }
    if (n > kMaxTaskNumber) return std::nullopt;
    return n;
}

CommandRequest Unknown(std::u16string bad) {
    return {Switch::Unknown, 0, std::move(bad)};
}

std::u16string Number(int n) {
    return FromUtf8(std::to_string(n));
}

} // namespace

CommandRequest ParseCommandLine(std::span<const std::u16string> args) {
    if (args.empty()) return {};
    const std::u16string& first = args[0];
    const std::optional<std::u16string> name = SwitchName(first);
    if (!name) return Unknown(first);
    std::size_t used = 1;
    CommandRequest request;
    const auto split = name->find_first_of(u":=");
    const std::u16string word = name->substr(0, split);
    if (word == u"run") {
        std::u16string number;
        if (split != std::u16string::npos) {
            number = first.substr(first.size() - (name->size() - split - 1));
        } else if (args.size() > 1) {
            number = args[1];
            used = 2;
        }
        const std::optional<int> task = TaskNumber(number);
        if (!task) return {Switch::RunWithoutNumber, 0, number};
        request = {Switch::Run, *task, {}};
    } else if (split != std::u16string::npos) {
        return Unknown(first);
    } else if (word == u"?" || word == u"h" || word == u"help") {
        request.what = Switch::Help;
    } else if (word == u"show") {
        request.what = Switch::Show;
    } else if (word == u"pause") {
        request.what = Switch::Pause;
    } else if (word == u"resume") {
        request.what = Switch::Resume;
    } else if (word == u"exit") {
        request.what = Switch::Exit;
    } else {
        return Unknown(first);
    }
    if (args.size() > used) return Unknown(args[used]);
    return request;
}

int LocalExitCode(const CommandRequest& request) {
    switch (request.what) {
    case Switch::Help:
        return kExitDone;
    case Switch::RunWithoutNumber:
    case Switch::Unknown:
        return kExitUnknownSwitch;
    default:
        return -1;
    }
}

std::uint32_t EncodeCommand(const CommandRequest& request) {
    switch (request.what) {
    case Switch::Pause:
        return 1;
    case Switch::Resume:
        return 2;
    case Switch::Exit:
        return 3;
    case Switch::Run:
        return 4 | static_cast<std::uint32_t>(request.task) << 8;
    case Switch::None:
    case Switch::Show:
    case Switch::Help:
    case Switch::RunWithoutNumber:
    case Switch::Unknown:
        break;
    }
    return 0;
}

CommandRequest DecodeCommand(std::uint32_t value) {
    switch (value & 0xFF) {
    case 0:
        return value == 0 ? CommandRequest{Switch::Show, 0, {}} : Unknown({});
    case 1:
    case 2:
    case 3:
        if (value > 0xFF) return Unknown({});
        return {value == 1 ? Switch::Pause : value == 2 ? Switch::Resume : Switch::Exit, 0, {}};
    case 4:
        return {Switch::Run, static_cast<int>(value >> 8), {}};
    default:
        return Unknown({});
    }
}

std::intptr_t EncodeAnswer(int exitCode, NotDoneReason reason) {
    const std::uint32_t code = static_cast<std::uint32_t>(exitCode) & 0xFF;
    return static_cast<std::intptr_t>(kAnswerMark | code << 8 | static_cast<std::uint32_t>(reason));
}

bool DecodeAnswer(std::intptr_t result, int& exitCode, NotDoneReason& reason) {
    const auto value = static_cast<std::uint32_t>(result);
    if ((value & 0xFFFF0000) != kAnswerMark || static_cast<std::uintptr_t>(result) > 0xFFFFFFFF)
        return false;
    exitCode = static_cast<int>((value >> 8) & 0xFF);
    const std::uint32_t why = value & 0xFF;
    // AsAdministrator is no copy's answer.
    if (why > static_cast<std::uint32_t>(NotDoneReason::DidNotEnd)) return false;
    reason = static_cast<NotDoneReason>(why);
    return true;
}

std::u16string CommandOutcomeText(const CommandRequest& request, int exitCode,
                                  NotDoneReason reason) {
    const std::u16string usage(kCommandLineUsage);
    if (request.what == Switch::Help) return usage;
    if (request.what == Switch::RunWithoutNumber) {
        std::u16string text(kRunNeedsNumberText);
        if (!request.bad.empty()) text += std::u16string(kNotATaskNumberBefore) + request.bad;
        return text + u"\n\n" + usage;
    }
    if (exitCode == kExitUnknownSwitch)
        return std::u16string(kUnknownSwitchBefore) + request.bad + u"\n\n" + usage;
    if (exitCode == kExitNotRunning) return std::u16string(kNotRunningText);
    const std::u16string task = u"Task " + Number(request.task);
    switch (reason) {
    case NotDoneReason::NoSuchTask:
        return std::u16string(kNoSuchTaskText) + Number(request.task) + u".";
    case NotDoneReason::Disabled:
        return task + std::u16string(kTaskDisabledText);
    case NotDoneReason::NoAction:
        return task + std::u16string(kTaskWithoutActionText);
    case NotDoneReason::DidNotEnd:
        return std::u16string(kDidNotEndText);
    case NotDoneReason::AsAdministrator:
        return std::u16string(kRunsAsAdministratorText);
    case NotDoneReason::None:
        break;
    }
    return {};
}

} // namespace keyvane
