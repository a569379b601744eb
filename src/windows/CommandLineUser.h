// What a start with a switch tells the one who gave it: in the console it
// was typed in, or in the file or pipe a script sends its output (help) or
// errors (the rest) to; or, when neither is there, in a message box if the
// text must be seen.
#pragma once

#include <string>

namespace keyvane {

enum class TellAs {
    Outcome, // to the errors; with no console nor redirection, nothing, so
             // a script never hangs on a box
    Problem, // to the errors, else a warning box (a launcher's unknown switch)
    Help,    // to the output, else an information box
};

// Nothing for an empty text.
void TellCommandLineUser(const std::u16string& text, TellAs as);

} // namespace keyvane
