#include "shell/tform2.h"
#include "shell/tinitform.h"

void TInitForm::newClick()
{
    runner().run(true, [this] {
        Form2->PrepareAdd();
        if (Form2->exec() == 1)
            RefreshItems();
    });
}

void TInitForm::EditItem(int tag)
{
    runner().run(true, [this, tag] {
        m_state.editedPersonIndex = tag;
        Form2->PrepareEdit();
        if (Form2->exec() == 1)
            RefreshItems();
    });
}
