#include "model/clock.h"
#include "shell/trayhost.h"
#include "windows/calendarwindow.h"

// "На экран": the person's current year in the calendar window. The tray menu
// stays closed while the window is open.
void TrayHost::showCalendar(int tag)
{
    m_runner.run(true, [this, tag] {
        m_state.chosenYear = Clock::today().year();
        buildYearCalendar(tag);
        // fillFromModel fills the window from the build above.
        calendarWindow->ask();
    });
}
