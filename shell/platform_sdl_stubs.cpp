#include "shell/platform.h"
namespace platform {
SettingsDialogResult runSettingsDialog(const SettingsDialogModel& model) { return {}; }
bool setClipboardText(const std::string&) { return false; }
}
