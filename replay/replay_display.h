// replay_display.h - the display a replay records: the sizes the run used and
// the dialog's choice they were made from, to and from the header's fields.
#pragma once

#include "replay/replay_file.h"
#include "settings/display_settings.h"

ReplaySettings recordedDisplay(const DisplaySizes& sizes, const SettingsChoice& choice);
DisplaySizes sizesOfRecording(const ReplaySettings& settings);
SettingsChoice choiceOfRecording(const ReplaySettings& settings);
