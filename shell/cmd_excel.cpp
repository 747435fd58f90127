#include "shell/tinitform.h"

void TInitForm::ToExcelKelvora(int tag)
{
    m_runner.run(false, [tag] {
        Q_UNUSED(tag);
        // The window of this command lands separately.
    });
}
