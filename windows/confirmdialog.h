#pragma once
// The confirmation dialog: one line of text the caller sets, "Да" answers 1,
// "Нет" answers 2. No default or cancel key.
#include <QDialog>

class QLabel;
class QPushButton;

class ConfirmDialog : public QDialog {
    Q_OBJECT
public:
    // The layout's component names, the objectNames of the window and its controls.
    struct Names {
        static constexpr const char *window = "Form8";
        static constexpr const char *questionLabel = "Label1";
        static constexpr const char *yesButton = "Button1";
        static constexpr const char *noButton = "Button2";
    };

    explicit ConfirmDialog(QWidget *parent = nullptr);

    QLabel *questionLabel = nullptr;
    QPushButton *yesButton = nullptr; // "Да"
    QPushButton *noButton = nullptr; // "Нет"

    // Closing the window by other means answers "Нет".
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
};
