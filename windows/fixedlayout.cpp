#include "windows/fixedlayout.h"

#include <QDialog>
#include <QGuiApplication>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace {
// Gives the window its own size limits back once its first frame has been
// handed over.
class SizeRelease : public QObject {
public:
    explicit SizeRelease(QWidget *window)
        : QObject(window), m_window(window), m_minimum(window->minimumSize()), m_maximum(window->maximumSize())
    {
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            // Queued: the window paints and hands over its first frame while
            // the expose event is handled.
            QTimer::singleShot(0, this, [this] {
                m_window->setMinimumSize(m_minimum);
                m_window->setMaximumSize(m_maximum);
                deleteLater();
            });
        }
        return false;
    }

private:
    QWidget *m_window;
    QSize m_minimum;
    QSize m_maximum;
};
}

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

void HoldSizeUntilDrawn(QWidget *window)
{
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))
        || window->minimumSize() == window->maximumSize())
        return;
    auto *release = new SizeRelease(window);
    window->setFixedSize(window->size());
    window->winId();
    window->windowHandle()->installEventFilter(release);
}

void ShowFloating(QWidget *window)
{
    if (!window->isVisible())
        HoldSizeUntilDrawn(window);
    window->show();
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
