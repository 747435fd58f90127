#include "shell/trayhost.h"

void TrayHost::FileExitItem1Click()
{
    m_runner.run(true, [this] {
        if (RaiseOpenQuestion())
            return;
        if (Confirm(QStringLiteral("Завершить работу программы?")) == 1)
            EndProgram();
    });
}
