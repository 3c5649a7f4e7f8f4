// Help buttons: opening the user guide at the topic of a context number.
#pragma once

#include <functional>

namespace gui {

// Opens <program folder>/help/guide.html#context-<contextNumber> with the desktop's browser, or
// calls the installed handler instead.
void ShowHelp(int contextNumber);

// Installs the handler ShowHelp calls instead of opening the guide (tests); an empty one removes
// it.
void SetHelpHandler(std::function<void(int contextNumber)> handler);

}  // namespace gui
