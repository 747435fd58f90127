#include "shell/trayhost.h"
#include "windows/personeditor.h"

void TrayHost::addPerson()
{
    runner().run(true, [this] {
        personEditor->prepareAdd();
        if (personEditor->ask() == DialogResult::Ok)
            rebuildMenu();
    });
}

void TrayHost::editPerson(int tag)
{
    runner().run(true, [this, tag] {
        m_shell.editedPersonIndex = tag;
        personEditor->prepareEdit(tag);
        if (personEditor->ask() == DialogResult::Ok)
            rebuildMenu();
    });
}
