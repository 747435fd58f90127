#include "shell/trayhost.h"

void TrayHost::exitProgram()
{
    m_runner.run(true, [this] {
        if (raiseOpenQuestion())
            return;
        if (confirm(QStringLiteral("Завершить работу программы?")) == DialogResult::Ok)
            endProgram();
    });
}
