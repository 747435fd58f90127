#pragma once
// The tray shell's own state: one instance, owned by the tray host.
#include <QDate>

struct ShellState {
    // The menu enabled flag: cleared, the tray icon opens no menu.
    bool menuEnabled = true;
    // The edited person index: the person "Изменить..." or "Удалить" was chosen for.
    int editedPersonIndex = -1;
    // The person item count: how many person items stand at the top of the menu.
    int personItemCount = 0;
    // The remembered day: the day the menu was last built for.
    QDate rememberedDay;
};
