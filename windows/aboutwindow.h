#pragma once
// "About...": icon, title, version and the author. A click
// anywhere in it closes it.
#include "windows/fixeddialog.h"

class QFrame;
class QLabel;

class AboutWindow : public FixedDialog {
    Q_OBJECT
public:
    // The layout's component names, the objectNames of the window and its controls.
    struct Names {
        static constexpr const char *window = "TAboutBox";
        static constexpr const char *panel = "Panel1";
        static constexpr const char *icon = "ProgramIcon";
        static constexpr const char *titleLabel = "Label1";
        static constexpr const char *versionLabel = "Version";
        static constexpr const char *authorLabel = "Comments";
    };

    explicit AboutWindow(QWidget *parent = nullptr);

    QFrame *panel = nullptr;
    QLabel *icon = nullptr;         // the program's icon
    QLabel *titleLabel = nullptr;   // "Лунофар"
    QLabel *versionLabel = nullptr; // "Версия ..."
    QLabel *authorLabel = nullptr;  // the line that names the author

    // A click anywhere in it closes it, answering Ok.
    void clicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
