#include "shell/tinitform.h"

#include "shell/apptitle.h"
#include "shell/authorlinks.h"

#include <QDesktopServices>
#include <QUrl>

// Whether the desktop could open a link is not reported.
void TInitForm::N4Click()
{
    m_runner.run(false, [] {
        QDesktopServices::openUrl(
            QUrl(QStringLiteral("mailto:") + AuthorMailAddress() + QStringLiteral("?subject=") + AppTitle()));
    });
}

void TInitForm::N5Click()
{
    m_runner.run(false, [] { QDesktopServices::openUrl(QUrl(AuthorHomePage())); });
}
