#pragma once
// Creates the program's windows once, hidden, after the host and in a fixed
// order; the host keeps them until the program ends.
class TrayHost;

void CreateWindows(TrayHost &host);
