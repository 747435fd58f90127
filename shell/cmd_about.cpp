#include "about/taboutbox.h"
#include "shell/tinitform.h"

void TInitForm::AboutClick()
{
    ShowWithItemGreyed(About, [this] { AboutBox->exec(); });
}
