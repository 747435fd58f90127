#pragma once
// What every dialog of the program shares: a fixed layout that opens centred
// on the desktop, its key rule, and the modal results its callers read.
#include <QDialog>

// The modal results: OK, save or yes; cancel, close or no.
enum class DialogResult { Ok = 1, Cancel = 2 };

class FixedDialog : public QDialog {
    Q_OBJECT
public:
    // Shows the dialog modally and returns its answer.
    DialogResult ask();
    // Ends the dialog with `result`.
    void answer(DialogResult result) { done(int(result)); }
    // Closing the window by other means (close box, window manager, a key
    // that closes) answers what the dialog says it does; "Отмена" unless told.
    void reject() override { answer(m_closedAnswer); }

protected:
    enum class Keys {
        // No default or cancel button: Enter and Esc do nothing; Space
        // presses the focused button.
        NoDefaultOrCancel,
        // Esc closes the dialog.
        EscapeCloses,
    };
    FixedDialog(QWidget *parent, Qt::WindowFlags flags, Keys keys = Keys::NoDefaultOrCancel,
                DialogResult closedAnswer = DialogResult::Cancel);

    // Runs at every opening, once the window is centred; not when the window
    // comes back from being minimised.
    virtual void opening() {}

    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    Keys m_keys;
    DialogResult m_closedAnswer;
};
