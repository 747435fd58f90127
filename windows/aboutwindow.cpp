#include "windows/aboutwindow.h"
#include "windows/fixedlayout.h"
#include "report/fonts.h"

#include "resources/pictures.h"

#include <QFrame>
#include <QLabel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>

namespace {
QFont FormFont() { return PixelFont(QStringLiteral("Tahoma"), 11); }

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

QLabel *TextLabel(const char *name, const QString &text, const QRect &geometry, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    return label;
}
}

AboutWindow::AboutWindow(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About..."));
    // The tray menu stays usable while the window is shown.
    BlockNoOtherWindow(this);
    setFixedSize(273, 73);
    const QFont formFont = FormFont();
    setFont(formFont);

    Panel1 = new BevelPanel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, 273, 73);
    Panel1->setAutoFillBackground(true);
    Panel1->setBackgroundRole(QPalette::Window);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(8, 8, 41, 41);
    ProgramIcon->setPixmap(Pictures::programIconPixmap(32));
    ProgramIcon->setScaledContents(true);

    QFont bold = formFont;
    bold.setBold(true);

    Label1 = TextLabel("Label1", QStringLiteral("Лунофар"), QRect(48, 8, 150, 13), Panel1);
    Label1->setFont(bold);
    QPalette maroon = Label1->palette();
    maroon.setColor(QPalette::WindowText, QColor(0x80, 0x00, 0x00));
    Label1->setPalette(maroon);

    Version = TextLabel("Version", QStringLiteral("Версия 2.07 (Build 0008)"), QRect(48, 24, 153, 13), Panel1);

    Comments = TextLabel("Comments", QStringLiteral("Автор: Тимофей Ласточкин"), QRect(8, 48, 257, 13),
                         Panel1);
    Comments->setFont(bold);
    Comments->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette navy = Comments->palette();
    navy.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0x80));
    Comments->setPalette(navy);

    for (QWidget *w : {static_cast<QWidget *>(Panel1), static_cast<QWidget *>(ProgramIcon),
                       static_cast<QWidget *>(Label1), static_cast<QWidget *>(Version),
                       static_cast<QWidget *>(Comments)})
        w->installEventFilter(this);
}

void AboutWindow::Panel1Click() { done(1); }

void AboutWindow::reject() { done(1); }

void AboutWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool AboutWindow::eventFilter(QObject *watched, QEvent *event)
{
    // A click is a left press and release over the same control.
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        auto *widget = qobject_cast<QWidget *>(watched);
        if (mouse->button() == Qt::LeftButton && widget && widget->rect().contains(mouse->position().toPoint())) {
            Panel1Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void AboutWindow::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        CentreOnDesktop(this);
    }
    QDialog::showEvent(event);
}
