#include "model/clock.h"
#include "model/errors.h"
#include "outputs/monthreport.h"
#include "resources/markfaces.h"
#include "shell/trayhost.h"
#include "windows/monthdialog.h"
#include "windows/previewwindow.h"
#include "windows/reportholder.h"

// "На принтер": one month of the person's calendar as a printed page, after
// a preview. The tray menu stays closed until the preview is closed.
void TrayHost::printMonth(int tag)
{
    runner().run(true, [this, tag] {
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
                                 MonthReport::MarkFaces());
        reportHolder->setPreviewWindow(previewWindow);
        rep.previewModal();
    });
}
