#include "windows/aboutwindow.h"
#include "shell/trayhost.h"

void TrayHost::AboutClick()
{
    ShowWithItemGreyed(About, [this] { AboutBox->exec(); });
}
