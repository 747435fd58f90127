#include "windows/aboutwindow.h"

#include "report/fonts.h"
#include "resources/pictures.h"
#include "windows/fixedlayout.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>

namespace {
QFont windowFont() { return PixelFont(QStringLiteral("Tahoma"), 11); }

// A lowered outer bevel around a raised inner one.
class BevelPanel : public QFrame {
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QRect outer = rect();
        qDrawShadeRect(&painter, outer, palette(), true, 1);
        qDrawShadeRect(&painter, outer.adjusted(1, 1, -1, -1), palette(), false, 1);
    }
};

QLabel *textLabel(const char *name, const QString &text, const QRect &geometry, QWidget *parent)
{
    auto *label = Named(new QLabel(text, parent), name);
    label->setGeometry(geometry);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    return label;
}
}

AboutWindow::AboutWindow(QWidget *parent)
    // Closed by the window manager: answers like a click. Esc does nothing.
    : FixedDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint,
                  Keys::NoDefaultOrCancel, DialogResult::Ok)
{
    setObjectName(QLatin1String(Names::window));
    setWindowTitle(QStringLiteral("About..."));
    // The tray menu stays usable while the window is shown.
    BlockNoOtherWindow(this);
    setFixedSize(273, 73);
    const QFont regular = windowFont();
    setFont(regular);

    panel = Named(new BevelPanel(this), Names::panel);
    panel->setGeometry(0, 0, 273, 73);
    panel->setAutoFillBackground(true);
    panel->setBackgroundRole(QPalette::Window);

    icon = Named(new QLabel(panel), Names::icon);
    icon->setGeometry(8, 8, 41, 41);
    icon->setPixmap(Pictures::programIconPixmap(32));
    icon->setScaledContents(true);

    QFont bold = regular;
    bold.setBold(true);

    titleLabel = textLabel(Names::titleLabel, QStringLiteral("Лунофар"), QRect(48, 8, 150, 13), panel);
    titleLabel->setFont(bold);
    QPalette maroon = titleLabel->palette();
    maroon.setColor(QPalette::WindowText, QColor(0x80, 0x00, 0x00));
    titleLabel->setPalette(maroon);

    versionLabel = textLabel(Names::versionLabel, QStringLiteral("Версия 2.07 (Build 0008)"), QRect(48, 24, 153, 13), panel);

    authorLabel = textLabel(Names::authorLabel, QStringLiteral("Автор: Тимофей Ласточкин"), QRect(8, 48, 257, 13), panel);
    authorLabel->setFont(bold);
    authorLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette navy = authorLabel->palette();
    navy.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0x80));
    authorLabel->setPalette(navy);

    for (QWidget *w : {static_cast<QWidget *>(panel), static_cast<QWidget *>(icon),
                       static_cast<QWidget *>(titleLabel), static_cast<QWidget *>(versionLabel),
                       static_cast<QWidget *>(authorLabel)})
        w->installEventFilter(this);
}

void AboutWindow::clicked() { answer(DialogResult::Ok); }

bool AboutWindow::eventFilter(QObject *watched, QEvent *event)
{
    // A click is a left press and release over the same control.
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        auto *widget = qobject_cast<QWidget *>(watched);
        if (mouse->button() == Qt::LeftButton && widget && widget->rect().contains(mouse->position().toPoint())) {
            clicked();
            return true;
        }
    }
    return FixedDialog::eventFilter(watched, event);
}
