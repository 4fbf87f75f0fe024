#pragma once

#include <QLabel>

class QAction;

namespace tavimo {

struct AppState;

// One short line over the thumbnail grid while both site lists are empty (as
// on a first start, whose lists are empty by design): no sites are listed
// yet, and the Setup menu's item that adds one, named as the menus name it.
// It follows the lists, the language and the grid's size by itself.
class EmptyListsNote : public QLabel {
    Q_OBJECT

public:
    EmptyListsNote(QWidget &grid, AppState &state, const QAction &addItem);

    // Shows or hides the line as the lists stand now, in the language of now.
    void refresh();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();

    QWidget &grid_;
    AppState &state_;
    const QAction &addItem_;
};

} // namespace tavimo
