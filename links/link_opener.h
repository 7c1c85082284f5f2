#pragma once
// Opening a web page in the user's default browser on behalf of a window: the address goes to the
// shell with the verb "open". The program does not talk to the network and does not learn whether
// the page opened: the shell's answer is not examined, and a launch that fails is silent.

#include <string>

namespace amorix {

class Form;

void OpenLink(Form& window, std::string address);

}  // namespace amorix
