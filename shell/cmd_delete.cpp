#include "shell/trayhost.h"
#include "store/settingsfile.h"

void TrayHost::deletePerson(int tag)
{
    m_runner.run(false, [this, tag] {
        if (raiseOpenQuestion())
            return;
        m_shell.editedPersonIndex = tag;
        if (tag < 0 || tag >= m_state.people.count())
            return;
        const Person person = m_state.people.at(tag);
        if (confirm(person.name + QStringLiteral(" нас покидает?")) != DialogResult::Ok)
            return;
        // The menu may have been rebuilt from a changed file while the
        // question was open: never delete someone else in that case.
        const int index = tag;
        if (index >= m_state.people.count() || !(m_state.people.at(index) == person))
            return;
        const PersonList before = m_state.people;
        m_state.people.remove(index);
        try {
            SaveSettingsFile(m_state.settingsPath, m_state.people, m_state.periods);
        } catch (...) {
            // The file still holds the person, and so do the list and the menu
            // again. No new read here: a file that cannot be written may not
            // read either, and one failure is one box.
            m_state.people = before;
            throw;
        }
        rebuildMenu();
    });
}
