#include "shell/trayhost.h"
#include "windows/aboutwindow.h"

void TrayHost::showAbout()
{
    showWithItemGreyed(aboutItem, [this] { aboutWindow->ask(); });
}
