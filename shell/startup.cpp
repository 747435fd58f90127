#include "shell/startup.h"

#include "shell/trayhost.h"
#include "windows/aboutwindow.h"
#include "windows/calendarwindow.h"
#include "windows/chartwindow.h"
#include "windows/comparisonwindow.h"
#include "windows/confirmdialog.h"
#include "windows/monthdialog.h"
#include "windows/paper.h"
#include "windows/personeditor.h"
#include "windows/previewwindow.h"
#include "windows/reportholder.h"
#include "windows/settingsdialog.h"

// In the described order (calendar, editor, about, month report holder,
// preview and month choice, settings, confirmation, comparison), each window
// is made once, hidden, when a command first needs it, and handed to the host
// with adopt().
void CreateWindows(TrayHost &host)
{
    TrayHost *h = &host;
    host.calendarWindow.setFactory([h] { return h->adopt(new CalendarWindow(h->state())); });
    host.personEditor.setFactory([h] { return h->adopt(new PersonEditor(h->state())); });
    host.aboutWindow.setFactory([h] { return h->adopt(new AboutWindow); });
    // The month report's holder and preview come from the paper code.
    host.reportHolder.setFactory([h] { return h->adopt(h->paper().newReportHolder()); });
    host.previewWindow.setFactory([h] { return h->adopt(h->paper().newPreviewWindow()); });
    host.monthDialog.setFactory([h] { return h->adopt(new MonthDialog); });
    host.settingsDialog.setFactory([h] { return h->adopt(new SettingsDialog(h->state())); });
    host.confirmDialog.setFactory([h] { return h->adopt(new ConfirmDialog); });
    host.comparisonWindow.setFactory([h] { return h->adopt(new ComparisonWindow(h->state())); });
    host.chartWindow.setFactory([h] { return h->adopt(new ChartWindow); });
}
