#include "model/clock.h"
#include "model/errors.h"
#include "outputs/monthreport.h"
#include "shell/trayhost.h"
#include "windows/monthdialog.h"
#include "windows/paper.h"
#include "windows/previewwindow.h"
#include "windows/reportholder.h"

// "На принтер": one month of the person's calendar as a printed page, after
// a preview. The tray menu stays closed until the preview is closed.
void TrayHost::printMonth(int tag)
{
    runner().run(true, [this, tag] {
        // Loaded before the month is asked: a missing module is told at once.
        Paper &paperCode = paper();
        if (!reportHolder || !previewWindow || !monthDialog)
            throw KelvoraError(QStringLiteral("The month report windows are not created."));
        // The dialog always opens on this month, whatever was chosen before.
        monthDialog->preset(Clock::today());
        if (monthDialog->ask() != DialogResult::Ok)
            return;
        const int month = monthDialog->chosenMonth();
        state().chosenYear = monthDialog->chosenYear();
        buildYearCalendar(tag);

        ReportEngine::Report &rep = reportHolder->report;
        // However the report ends, the next one starts from the fixed layout.
        MonthReport::DayCellsGuard dayCells(rep);
        MonthReport::LayOutMonth(rep, state().yearTable, month, state().chosenYear, state().personName,
                                 paperCode.markFaces());
        reportHolder->setPreviewWindow(previewWindow);
        rep.previewModal();
    });
}
