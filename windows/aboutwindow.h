#pragma once
// "About...": icon, title, version and the author. A click
// anywhere in it closes it.
#include <QDialog>

class QFrame;
class QLabel;

class AboutWindow : public QDialog {
    Q_OBJECT
public:
    explicit AboutWindow(QWidget *parent = nullptr);

    QFrame *panel = nullptr;
    QLabel *icon = nullptr;
    QLabel *titleLabel = nullptr;  // the title
    QLabel *versionLabel = nullptr;
    QLabel *authorLabel = nullptr; // the line that names the author

    void clicked();

    // Closed by the window manager: answers like a click.
    void reject() override;

protected:
    // A click is the one way to close it: Esc does nothing.
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
};
