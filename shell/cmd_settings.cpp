#include "shell/trayhost.h"
#include "windows/settingsdialog.h"

void TrayHost::showSettings()
{
    showWithItemGreyed(settingsItem, [this] { settingsDialog->ask(); });
}
