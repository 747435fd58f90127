#pragma once
// Tells the host how to make each of the program's windows; each is made
// once, hidden, and kept by the host until the program ends.
class TrayHost;

void CreateWindows(TrayHost &host);
