#include "windows/aboutwindow.h"
#include "shell/trayhost.h"

void TrayHost::showAbout()
{
    showWithItemGreyed(aboutItem, [this] { aboutWindow->ask(); });
}
