#include "model/clock.h"
#include "model/errors.h"
#include "outputs/spreadsheetapp.h"
#include "shell/trayhost.h"
#include "windows/dialogs.h"
#include "windows/paper.h"

// "MS Excel": this year's calendar as a new workbook, opened in the desktop's
// spreadsheet program. The tray menu stays usable meanwhile.
void TrayHost::exportWorkbook(int tag)
{
    m_runner.run(false, [this, tag] {
        m_state.chosenYear = Clock::today().year();
        buildYearCalendar(tag);
        SpreadsheetApp &app = SpreadsheetApps::current();
        if (!app.isRegistered()) {
            Dialogs::ShowMessage(QStringLiteral("Excel не установлен!"));
            return;
        }
        const QString path = paper().writeYearWorkbookToNewFile(m_state);
        // A failure the desktop tells only later is shown like any other.
        app.open(path, this, [this](const QString &failure) {
            m_runner.run(false, [&failure] { throw KelvoraError(failure); });
        });
    });
}
