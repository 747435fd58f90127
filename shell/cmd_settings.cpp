#include "shell/trayhost.h"
#include "windows/settingsdialog.h"

void TrayHost::ParametresClick()
{
    ShowWithItemGreyed(N6, [this] { Form6->exec(); });
}
