#include "shell/trayhost.h"
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
        m_state.setSubject(m_state.people.checkedAt(tag));
        if (comparisonWindow)
            comparisonWindow->ask();
    });
}
