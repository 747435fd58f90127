#pragma once
// The month and year choice of the printed month page.
#include <QDialog>
#include <QFont>
#include <QSpinBox>

class QComboBox;
class QDate;
class QFrame;
class QLabel;
class QPushButton;

// The font of the month report's windows.
QFont MonthReportFormFont();

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

class MonthDialog : public QDialog {
    Q_OBJECT
public:
    explicit MonthDialog(QWidget *parent = nullptr);

    QFrame *panel = nullptr;
    QLabel *monthLabel = nullptr;
    QComboBox *monthBox = nullptr;
    QLabel *yearLabel = nullptr;
    YearSpinBox *yearEdit = nullptr;
    QPushButton *buildButton = nullptr;
    QPushButton *cancelButton = nullptr;

    // Sets the month list and the year to `date`'s month and year.
    void preset(const QDate &date);
    // The chosen month, 1..12.
    int chosenMonth() const;
    // The year as the spin edit reads its text now.
    int chosenYear() const;

    void confirmChoice();
    void cancel();

    // A close by the window manager answers like "Отмена".
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
