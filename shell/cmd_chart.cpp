#include "model/errors.h"
#include "shell/trayhost.h"
#include "windows/chartwindow.h"

// "График": the person's three curves around today. As for the calendar, the
// tray menu stays closed while the window is open.
void TrayHost::showChart(int tag)
{
    m_runner.run(true, [this, tag] {
        const Person &person = m_state.people.checkedAt(tag);
        const QDate birth = EncodeDate(person.year, person.month, person.day);
        chartWindow->setSubject(person.name, birth, m_state.periods);
        chartWindow->ask();
    });
}
