#include "mainwindow/EmptyListsNote.h"

#include "core/app/AppState.h"
#include "core/text/ProgramTexts.h"
#include "ui/FixedColours.h"

#include <QAction>
#include <QEvent>

namespace tavimo {

namespace {

// A menu caption as it reads: "&&" is "&", a lone "&" marks a key.
QString shownCaption(QString caption) {
    caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    caption.remove(u'&');
    caption.replace(u'\x01', u'&');
    return caption.trimmed();
}

} // namespace

EmptyListsNote::EmptyListsNote(QWidget &grid, AppState &state, const QAction &addItem)
    : QLabel(&grid), grid_(grid), state_(state), addItem_(addItem) {
    setObjectName(QStringLiteral("EmptyListsNote"));
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(Qt::AlignCenter);
    setMargin(12);
    setAutoFillBackground(true);
    setFrameShape(QFrame::Box);
    QPalette look = palette();
    setFixedBackground(look, QPalette::Window, QColor(255, 255, 225));
    setPalette(look);
    QFont bigger = font();
    bigger.setPointSizeF(bigger.pointSizeF() * 1.25);
    setFont(bigger);
    hide();
    grid_.installEventFilter(this);
    connect(&state_.events, &AppEvents::sitesChanged, this, &EmptyListsNote::refresh);
    connect(&state_.events, &AppEvents::languageChanged, this, &EmptyListsNote::refresh);
}

void EmptyListsNote::refresh() {
    const bool empty = state_.SiteList.isEmpty() && state_.WxSiteList.isEmpty();
    if (!empty) {
        hide();
        return;
    }
    setText(programText(ProgramText::EmptyListsNote, state_.config.LanguageIndex)
                .arg(shownCaption(state_.texts.LngSetup), shownCaption(addItem_.text())));
    place();
    show();
    raise();
}

void EmptyListsNote::place() {
    // Across the middle of the grid, as wide as a sentence reads well.
    const int width = std::min(grid_.width() - 40, std::max(360, grid_.width() / 2));
    const int height = heightForWidth(std::max(1, width));
    setGeometry((grid_.width() - width) / 2, (grid_.height() - height) / 2, width, height);
}

bool EmptyListsNote::eventFilter(QObject *watched, QEvent *event) {
    if (watched == &grid_ && !isHidden()) {
        if (event->type() == QEvent::Resize)
            place();
        else if (event->type() == QEvent::ChildAdded)
            raise(); // cells made afresh stay under the line
    }
    return QLabel::eventFilter(watched, event);
}

} // namespace tavimo
