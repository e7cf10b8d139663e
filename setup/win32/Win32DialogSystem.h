#pragma once
// The setup dialogs on Windows: modal dialog boxes from the driver module's templates.
#include "setup/DialogSystem.h"

DialogSystem& win32DialogSystem();
