#pragma once

#include "core/app/DialogGuard.h"

#include <QList>
#include <QWidget>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tavimo {

struct AppState;
class WindowRegistry;

// Renames the ten SSTV pages. Close writes every name to the page menu and the settings
// store at once and shows the page on view under its new name; the window's close box
// changes nothing.
class PageNamesDialog : public QWidget {
    Q_OBJECT

public:
    static constexpr int kPages = 10;

    explicit PageNamesDialog(AppState &state);
    ~PageNamesDialog() override;

    QLabel *Label2 = nullptr;
    QList<QLabel *> Label1;   // "Page 1:" to "Page 10:"
    QList<QLineEdit *> Text1; // the names of pages 1 to 10
    QPushButton *cmdClose = nullptr;

    void cmdClose_Click();

private:
    AppState &state_;
    std::optional<DialogGuard> guard_;
};

// Opens the page names dialog, or raises it when it is open.
PageNamesDialog *showPageNamesDialog(AppState &state, WindowRegistry &registry);

} // namespace tavimo
