#include "shell/startup.h"

#include "windows/aboutwindow.h"
#include "windows/comparisonwindow.h"
#include "windows/reportholder.h"
#include "windows/previewwindow.h"
#include "windows/monthdialog.h"
#include "windows/personeditor.h"
#include "windows/confirmdialog.h"
#include "shell/trayhost.h"
#include "windows/settingsdialog.h"
#include "windows/calendarwindow.h"

// CalendarWindow, PersonEditor, AboutWindow, ReportHolder, PreviewWindow, MonthDialog, SettingsDialog, ConfirmDialog, ComparisonWindow:
// each is made once, hidden, when a command first needs it, and handed to
// the host with adopt().
void CreateWindows(TrayHost &host)
{
    TrayHost *h = &host;
    host.Form1.setFactory([h] { return h->adopt(new CalendarWindow(h->state())); });
    host.Form2.setFactory([h] { return h->adopt(new PersonEditor(h->state())); });
    host.AboutBox.setFactory([h] { return h->adopt(new AboutWindow); });
    host.Form3.setFactory([h] { return h->adopt(new ReportHolder); });
    host.Form4.setFactory([h] { return h->adopt(new PreviewWindow); });
    host.Form5.setFactory([h] { return h->adopt(new MonthDialog); });
    host.Form6.setFactory([h] { return h->adopt(new SettingsDialog(h->state())); });
    host.Form8.setFactory([h] { return h->adopt(new ConfirmDialog); });
    host.Form10.setFactory([h] { return h->adopt(new ComparisonWindow(h->state())); });
}
