#include "shell/tinitform.h"

void TInitForm::newClick()
{
    m_runner.run(true, [] {
        // The window of this command lands separately.
    });
}

void TInitForm::EditItem(int tag)
{
    m_runner.run(true, [tag] {
        Q_UNUSED(tag);
        // The window of this command lands separately.
    });
}
