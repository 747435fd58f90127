#pragma once
// The desktop's spreadsheet program: whether one is registered for .xlsx
// files, and opening a workbook with it. Tests put their own in its place.
#include <QString>

#include <functional>

class QObject;

class SpreadsheetApp {
public:
    virtual ~SpreadsheetApp() = default;
    // An application is registered for .xlsx workbooks.
    virtual bool isRegistered() = 0;
    // Hands the workbook to that application. Throws KelvoraError when it
    // cannot be handed over. A failure that shows only a moment later (the
    // opener ends with an error) goes to `lateFailure`, from the event loop,
    // while `context` lives.
    virtual void open(const QString &path, QObject *context, std::function<void(const QString &)> lateFailure) = 0;
};

// Asks the desktop (on Linux its MIME database through xdg-mime, and the
// desktop entry it names) and opens through xdg-open or QDesktopServices.
class DesktopSpreadsheetApp : public SpreadsheetApp {
public:
    bool isRegistered() override;
    void open(const QString &path, QObject *context, std::function<void(const QString &)> lateFailure) override;
};

namespace SpreadsheetApps {
inline const QString XlsxMimeType = QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");
// The application the export uses: the desktop's unless a test set another.
SpreadsheetApp &current();
// Tests: use `app` until called again with nullptr. Not owned.
void setForTests(SpreadsheetApp *app);
}
