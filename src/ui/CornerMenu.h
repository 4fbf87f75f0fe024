#pragma once

// A menu at the right end of a menu bar: a button that looks like a menu-bar
// item, shows a caption (the main window's UTC clock and "Setup") and opens
// its menu when pressed. It stays at the right edge whatever the caption and
// the other items do, so nothing has to re-justify it after a change.
//
//     clock = installCornerMenu(menuBar(), mnuSetup, clockText);
//     connect(mnuSetup, &QMenu::aboutToShow, this, &MainWindow::mnuSetup_Click);
//     ...
//     clock->setCaption(clockText);   // from the clock timer; cheap when unchanged

#include <QToolButton>

class QMenu;
class QMenuBar;
class QStyleOptionMenuItem;

namespace tavimo {

class CornerMenuButton : public QToolButton {
    Q_OBJECT

public:
    explicit CornerMenuButton(QMenu *menu, QWidget *parent = nullptr);

    // Shows `caption`; false (and nothing redrawn) when it is shown already.
    // The bar makes room for a longer caption at once.
    bool setCaption(const QString &caption);
    QString caption() const { return text(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void initItemOption(QStyleOptionMenuItem *option) const;
};

// Makes a CornerMenuButton for `menu` the top-right corner widget of `bar`
// and returns it (the bar owns it).
CornerMenuButton *installCornerMenu(QMenuBar *bar, QMenu *menu, const QString &caption);

} // namespace tavimo
