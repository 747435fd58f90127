#pragma once
// The desktop's spreadsheet program: whether one is registered for .xlsx
// files, and opening a workbook with it. Tests put their own in its place.
#include <QString>

class SpreadsheetApp {
public:
    virtual ~SpreadsheetApp() = default;
    // An application is registered for .xlsx workbooks.
    virtual bool isRegistered() = 0;
    // Hands the workbook to that application; false when it could not be started.
    virtual bool open(const QString &path) = 0;
};

// Asks the desktop (on Linux its MIME database through xdg-mime) and opens
// through QDesktopServices.
class DesktopSpreadsheetApp : public SpreadsheetApp {
public:
    bool isRegistered() override;
    bool open(const QString &path) override;
};

namespace SpreadsheetApps {
inline const QString XlsxMimeType = QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");
// The application the export uses: the desktop's unless a test set another.
SpreadsheetApp &current();
// Tests: use `app` until called again with nullptr. Not owned.
void setForTests(SpreadsheetApp *app);
}
