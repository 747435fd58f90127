#pragma once
// The month and year choice of the printed month page.
#include "windows/fixeddialog.h"

#include <QSpinBox>

class QComboBox;
class QDate;
class QFrame;
class QLabel;
class QPushButton;

// A spin edit that takes only digits and signs, reads a text that is not a
// whole number as its minimum and brings a value outside its range into it.
class YearSpinBox : public QSpinBox {
    Q_OBJECT
public:
    explicit YearSpinBox(QWidget *parent = nullptr);

    // The value the text in the field stands for now.
    int readValue() const { return valueFromText(cleanText()); }

protected:
    QValidator::State validate(QString &input, int &pos) const override;
    int valueFromText(const QString &text) const override;
    void fixup(QString &input) const override;
};

class MonthDialog : public FixedDialog {
    Q_OBJECT
public:
    // The layout's component names, the objectNames of the window and its controls.
    struct Names {
        static constexpr const char *window = "TForm5";
        static constexpr const char *panel = "Panel1";
        static constexpr const char *monthLabel = "Label1";
        static constexpr const char *monthBox = "ComboBox1";
        static constexpr const char *yearLabel = "Label2";
        static constexpr const char *yearEdit = "Year";
        static constexpr const char *buildButton = "Button1";
        static constexpr const char *cancelButton = "Button2";
    };

    explicit MonthDialog(QWidget *parent = nullptr);

    QFrame *panel = nullptr;
    QLabel *monthLabel = nullptr; // "Месяц"
    QComboBox *monthBox = nullptr;
    QLabel *yearLabel = nullptr; // "Год"
    YearSpinBox *yearEdit = nullptr;
    QPushButton *buildButton = nullptr;  // "Сформировать"
    QPushButton *cancelButton = nullptr; // "Отмена"

    // Sets the month list and the year to `date`'s month and year.
    void preset(const QDate &date);
    // The chosen month, 1..12.
    int chosenMonth() const;
    // The year as the spin edit reads its text now.
    int chosenYear() const;

    // "Сформировать": the typed year counts, the answer is Ok.
    void confirmChoice();
    void cancel();

protected:
    void opening() override;
};
