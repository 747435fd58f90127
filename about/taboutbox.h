#pragma once
// "About...": icon, title, version and a line about the program. A click
// anywhere in it closes it.
#include <QDialog>

class QFrame;
class QLabel;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);

    QFrame *Panel1 = nullptr;
    QLabel *ProgramIcon = nullptr;
    QLabel *Label1 = nullptr;  // the title
    QLabel *Version = nullptr;
    QLabel *Comments = nullptr; // the line about the author

    void Panel1Click();

    // Closing the window by other means answers like a click.
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
};
