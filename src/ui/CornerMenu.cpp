#include "ui/CornerMenu.h"

#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStyleOptionMenuItem>

namespace tavimo {

CornerMenuButton::CornerMenuButton(QMenu *menu, QWidget *parent) : QToolButton(parent) {
    setMenu(menu);
    setPopupMode(QToolButton::InstantPopup);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

bool CornerMenuButton::setCaption(const QString &caption) {
    if (caption == text())
        return false;
    const QSize before = sizeHint();
    setText(caption);
    // A menu bar places its corner widgets only when its own layout changes;
    // handing the button over again makes it take the new width.
    auto *bar = qobject_cast<QMenuBar *>(parentWidget());
    if (bar && sizeHint() != before) {
        for (const Qt::Corner corner : {Qt::TopRightCorner, Qt::TopLeftCorner}) {
            if (bar->cornerWidget(corner) == this)
                bar->setCornerWidget(this, corner);
        }
    }
    return true;
}

void CornerMenuButton::initItemOption(QStyleOptionMenuItem *option) const {
    option->initFrom(this);
    option->menuRect = rect();
    option->menuItemType = QStyleOptionMenuItem::Normal;
    option->checkType = QStyleOptionMenuItem::NotCheckable;
    option->text = text();
    option->state &= ~QStyle::State_MouseOver;
    // Looks like a bar item: highlighted under the mouse, pressed while open.
    if (isDown() || underMouse())
        option->state |= QStyle::State_Selected;
    if (isDown())
        option->state |= QStyle::State_Sunken;
}

QSize CornerMenuButton::sizeHint() const {
    QStyleOptionMenuItem option;
    initItemOption(&option);
    const QSize textSize = fontMetrics().size(Qt::TextShowMnemonic, text());
    return style()->sizeFromContents(QStyle::CT_MenuBarItem, &option, textSize, this);
}

void CornerMenuButton::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    QStyleOptionMenuItem option;
    initItemOption(&option);
    style()->drawControl(QStyle::CE_MenuBarItem, &option, &painter, this);
}

CornerMenuButton *installCornerMenu(QMenuBar *bar, QMenu *menu, const QString &caption) {
    auto *button = new CornerMenuButton(menu, bar);
    button->setCaption(caption);
    bar->setCornerWidget(button, Qt::TopRightCorner);
    return button;
}

} // namespace tavimo
