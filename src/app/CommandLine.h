// The command line of a second start: which switch it gives, the request
// that carries it to the running copy of the same folder in one message
// parameter, and the copy's answer, which becomes the start's exit code and
// what it tells the user.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace keyvane {

enum class Switch {
    None,             // no argument: a start as ever
    Show,             // /show
    Pause,            // /pause
    Resume,           // /resume
    Exit,             // /exit
    Run,              // /run N
    Help,             // /?, /h, /help: the switches, told by this start itself
    RunWithoutNumber, // /run with no number it can read: bad is that argument
    Unknown,          // anything else
};

struct CommandRequest {
    Switch what = Switch::None;
    int task = 0;       // /run: the task's number as the grid's "#" shows it
    std::u16string bad; // Unknown: the argument that is not understood
};

// args without the program's own name. A switch starts with "/", "-" or
// "--" and is read in any letter case; /run takes its number as the next
// argument or after ":" or "=". One switch per start: a second argument is
// unknown.
CommandRequest ParseCommandLine(std::span<const std::u16string> args);

// The exit codes of a start with a switch.
inline constexpr int kExitDone = 0;
inline constexpr int kExitNotRunning = 1;    // no copy runs from this folder
inline constexpr int kExitUnknownSwitch = 2; // also /run without a task number
// /run of no task or a disabled one; /exit that hung; a copy that runs as
// administrator, asked from a start that does not.
inline constexpr int kExitNotDone = 3;

// The exit code of a request this start answers itself (help, a switch
// it cannot read), -1 for one only the running copy can answer.
int LocalExitCode(const CommandRequest& request);

// The request as the message's parameter. 0 is Show: what a plain second
// start has always sent. Decoding a value no switch makes gives Unknown.
std::uint32_t EncodeCommand(const CommandRequest& request);
CommandRequest DecodeCommand(std::uint32_t value);

// Why a request was not done.
// AsAdministrator is the asking start's own finding, never a copy's answer.
enum class NotDoneReason : std::uint8_t {
    None,
    NoSuchTask,
    Disabled,
    NoAction,
    DidNotEnd,
    AsAdministrator,
};

// The copy's answer as the message's result, marked so that the 0 of a
// window that does not know the message is no answer.
std::intptr_t EncodeAnswer(int exitCode, NotDoneReason reason);
// False for a result that is no answer.
bool DecodeAnswer(std::intptr_t result, int& exitCode, NotDoneReason& reason);

// What the start tells the user of its exit code (empty: nothing).
std::u16string CommandOutcomeText(const CommandRequest& request, int exitCode,
                                  NotDoneReason reason);

} // namespace keyvane
