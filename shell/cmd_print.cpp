#include "shell/trayhost.h"

#include "model/clock.h"
#include "model/errors.h"
#include "outputs/monthreport.h"
#include "windows/reportholder.h"
#include "windows/previewwindow.h"
#include "windows/monthdialog.h"
#include "resources/pictures.h"

// "На принтер": one month of the person's calendar as a printed page, after
// a preview. The tray menu stays closed until the preview is closed.
void TrayHost::PrintKelvora(int tag)
{
    runner().run(true, [this, tag] {
        if (!Form3 || !Form4 || !Form5)
            throw KelvoraError(QStringLiteral("The month report windows are not created."));
        // The dialog always opens on this month, whatever was chosen before.
        Form5->Preset(Clock::today());
        if (Form5->exec() != 1)
            return;
        const int month = Form5->ChosenMonth();
        state().chosenYear = Form5->ChosenYear();
        CreateKelvora(tag);

        MonthReport::MarkPictures marks;
        for (int i = 0; i < int(marks.size()); ++i)
            marks[i] = {QSize(16, 16), [i](QPainter &painter, const QRectF &target) {
                             Pictures::drawEmotion(i, painter, target);
                         }};

        ReportEngine::Report &rep = Form3->Rep;
        // However the report ends, the next one starts from the fixed layout.
        MonthReport::DayCellsGuard dayCells(rep);
        MonthReport::LayOutMonth(rep, state().yearTable, month, state().chosenYear, state().personName, marks);
        Form3->SetPreviewWindow(Form4);
        rep.previewModal();
    });
}
