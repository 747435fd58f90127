#pragma once
// The confirmation dialog: one line of text the caller sets, "Да" answers
// Ok, "Нет" and closing by other means answer Cancel. No default or cancel key.
#include "windows/fixeddialog.h"

class QLabel;
class QPushButton;

class ConfirmDialog : public FixedDialog {
    Q_OBJECT
public:
    // The layout's component names, the objectNames of the window and its controls.
    struct Names {
        static constexpr const char *window = "TForm8";
        static constexpr const char *questionLabel = "Label1";
        static constexpr const char *yesButton = "Button1";
        static constexpr const char *noButton = "Button2";
    };

    explicit ConfirmDialog(QWidget *parent = nullptr);

    QLabel *questionLabel = nullptr;
    QPushButton *yesButton = nullptr; // "Да"
    QPushButton *noButton = nullptr;  // "Нет"

    // The question, shown as it is written (names as typed, markup and all).
    void setQuestion(const QString &question);

protected:
    void opening() override;
};
