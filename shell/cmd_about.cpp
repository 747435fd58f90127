#include "shell/tinitform.h"

void TInitForm::AboutClick()
{
    m_runner.run(false, [] {
        // The window of this command lands separately.
    });
}
