// On Windows SQLDriverConnect prompts with the setup dialogs; the registration happens when the
// driver module is loaded.
#include "setup/DialogPrompts.h"

namespace {

DialogPrompts prompts;
const bool registered = (setConnectionPrompts(&prompts), true);

}  // namespace
