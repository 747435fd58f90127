#pragma once
// The outputs of the tray menu made from the command line: no tray, no
// window, no display, no lock, and the settings file is only read. The bytes,
// cells, page and values are those of the menu commands.
#include "shell/commandline.h"

// Exit status when an output fails; the message, as the error box would show
// it, goes to standard error.
inline constexpr int OutputFailedStatus = 1;

// Makes the application object the output needs from argc and argv (none may
// exist yet), makes the output and returns the exit status.
int MakeOutput(const OutputRequest &request, int argc, char **argv);
