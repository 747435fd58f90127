#include "windows/fixedlayout.h"

#include <QDialog>
#include <QGuiApplication>
#include <QLocale>
#include <QPushButton>
#include <QScreen>

QPushButton *FixedButton(const char *name, const QString &text, const QRect &geometry, QWidget *parent)
{
    auto *button = Named(new QPushButton(text, parent), name);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

void CentreOnDesktop(QWidget *window)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
}

void BlockNoOtherWindow(QDialog *dialog)
{
    // Window-modal without a parent window: modal to nothing but itself.
    dialog->setWindowModality(Qt::WindowModal);
}

QString PickerDateFormat(const QLocale &locale)
{
    QString format = locale.dateFormat(QLocale::ShortFormat);
    // Two year digits cannot hold the years 1 to 9999.
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}
