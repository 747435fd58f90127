#include "shell/tinitform.h"

void TInitForm::ParametresClick()
{
    m_runner.run(false, [] {
        // The window of this command lands separately.
    });
}
