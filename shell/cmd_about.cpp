#include "about/taboutbox.h"
#include "shell/tinitform.h"

#include <QAction>
#include <QMenu>
#include <QScopeGuard>

void TInitForm::AboutClick()
{
    // The menu stays usable while the window is open; only its own item is greyed.
    QAction *item = PopupMenu1 ? PopupMenu1->findChild<QAction *>(QStringLiteral("About")) : nullptr;
    runner().run(false, [this, item] {
        if (item)
            item->setEnabled(false);
        const auto enableAgain = qScopeGuard([item] {
            if (item)
                item->setEnabled(true);
        });
        AboutBox->exec();
    });
}
