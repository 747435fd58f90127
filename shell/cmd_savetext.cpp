#include "model/clock.h"
#include "outputs/textexport.h"
#include "shell/trayhost.h"
#include "store/filewrite.h"
#include "windows/dialogs.h"

// "В файл...": the person's current year as a fixed-width text file.
void TrayHost::saveTextFile(int tag)
{
    m_runner.run(true, [this, tag] {
        m_state.chosenYear = Clock::today().year();
        buildYearCalendar(tag);
        // Made before the dialog, so a name the file cannot hold is reported
        // before the user picks a file.
        const QByteArray bytes = TextExportBytes(m_state.yearTable, m_state.chosenYear, m_state.daysLivedLine);
        const QString path = Dialogs::GetSaveFileName(nullptr, QStringLiteral("Текстовый файл (*.txt)"),
                                                      m_state.personName + QStringLiteral(".txt"), QStringLiteral("txt"));
        if (path.isEmpty())
            return;
        // A failed write leaves an existing file as it was.
        WriteWholeFile(path, bytes);
    });
}
