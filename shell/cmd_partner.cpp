#include "shell/trayhost.h"

#include "model/errors.h"
#include "windows/comparisonwindow.h"

// "Био-партнёр": the compatibility window for this person. The tray menu
// stays usable while it is open.
void TrayHost::compareWithPartner(int tag)
{
    m_runner.run(false, [this, tag] {
        // Chosen again from the menu while it is open: bring it forward and
        // leave its subject alone, so its results keep meaning what they did.
        if (comparisonWindow && comparisonWindow->isVisible()) {
            comparisonWindow->raise();
            comparisonWindow->activateWindow();
            return;
        }
        if (tag < 0 || tag >= m_state.people.count())
            throw KelvoraError(QStringLiteral("List index out of bounds (%1)").arg(tag));
        const Person &person = m_state.people.at(tag);
        m_state.subjectDay = person.day;
        m_state.subjectMonth = person.month;
        m_state.subjectYear = person.year;
        if (comparisonWindow)
            comparisonWindow->exec();
    });
}
