// x11_clipboard.h - a clipboard text that outlives the program.
//
// On X11 the clipboard is not a store: the owning client answers every paste
// itself, so a text set by a process vanishes when it exits. The game hands
// its text to a small helper process (glasswake-clipboard, beside the
// executable) that owns the CLIPBOARD selection and serves pastes until
// another program takes the clipboard over.
#pragma once

#include <string>

namespace x11clipboard {

// Serves text as the CLIPBOARD owner until the selection is lost or the X
// server goes away. Calls ready(true) once it owns the selection, ready(false)
// if it could not. Returns the process exit status for the helper.
int serve(const std::string& text, void (*ready)(bool owned));

// Starts the helper with text; true once the helper owns the clipboard.
bool handOver(const std::string& helperPath, const std::string& text);

}  // namespace x11clipboard
