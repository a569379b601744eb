// What a start with a switch tells the one who gave it: in the console it
// was typed in, or in the file or pipe a script sends its errors to; or,
// when neither is there, in a message box if the text must be seen.
#pragma once

#include <string>

namespace keyvane {

// Nothing for an empty text. box: show a message box when there is no
// console nor redirected output (a launcher's unknown switch); otherwise
// such a start tells nothing, so a script never hangs on a box.
void TellCommandLineUser(const std::u16string& text, bool box);

} // namespace keyvane
