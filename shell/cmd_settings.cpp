#include "shell/tinitform.h"
#include "store/tform6.h"

void TInitForm::ParametresClick()
{
    ShowWithItemGreyed(N6, [this] { Form6->exec(); });
}
