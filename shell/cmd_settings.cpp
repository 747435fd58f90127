#include "shell/tinitform.h"
#include "store/tform6.h"

#include <QAction>
#include <QMenu>
#include <QScopeGuard>

void TInitForm::ParametresClick()
{
    // The menu stays usable while the dialog is open; only its own item is greyed.
    QAction *item = PopupMenu1 ? PopupMenu1->findChild<QAction *>(QStringLiteral("N6")) : nullptr;
    runner().run(false, [this, item] {
        if (item)
            item->setEnabled(false);
        const auto enableAgain = qScopeGuard([item] {
            if (item)
                item->setEnabled(true);
        });
        Form6->exec();
    });
}
