#include "shell/authorlinks.h"
#include "shell/trayhost.h"
#include "windows/apptitle.h"

#include <QDesktopServices>
#include <QUrl>

// Whether the desktop could open a link is not reported.
void TrayHost::mailAuthor()
{
    m_runner.run(false, [] {
        QDesktopServices::openUrl(
            QUrl(QStringLiteral("mailto:") + AuthorMailAddress() + QStringLiteral("?subject=") + AppTitle()));
    });
}

void TrayHost::openHomePage()
{
    m_runner.run(false, [] { QDesktopServices::openUrl(QUrl(AuthorHomePage())); });
}
