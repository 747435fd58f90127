#include "windows/personeditor.h"
#include "shell/trayhost.h"

void TrayHost::newClick()
{
    runner().run(true, [this] {
        Form2->PrepareAdd();
        if (Form2->exec() == 1)
            RefreshItems();
    });
}

void TrayHost::EditItem(int tag)
{
    runner().run(true, [this, tag] {
        m_state.editedPersonIndex = tag;
        Form2->PrepareEdit();
        if (Form2->exec() == 1)
            RefreshItems();
    });
}
