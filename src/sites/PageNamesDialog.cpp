#include "sites/PageNamesDialog.h"

#include "core/app/AppState.h"
#include "core/app/MainWindowAccess.h"
#include "core/base/Prompts.h"
#include "core/files/SettingsStore.h"
#include "core/files/StoreSettings.h"
#include "core/text/ProgramTexts.h"
#include "sites/DialogLook.h"
#include "sites/Logging.h"
#include "ui/FramePlacement.h"
#include "ui/OpenOnce.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tavimo {

namespace {

// Rows of label and text box, in pixels.
constexpr int kFirstRowTop = 30;
constexpr int kRowStep = 25;
constexpr int kLabelLeft = 10;
constexpr int kLabelWidth = 70;
constexpr int kBoxWidth = 150;
constexpr int kRowHeight = 25;
constexpr int kClientWidth = kLabelLeft + kLabelWidth + kBoxWidth + 15;

} // namespace

PageNamesDialog::PageNamesDialog(AppState &state) : state_(state) {
    setObjectName(QStringLiteral("PageNamesDialog"));
    setWindowTitle(QStringLiteral("Tavimo"));
    guard_.emplace(state_.mainWindow);
    if (state_.mainWindow)
        keepAboveMain(*this, state_.mainWindow->window());
    MainWindowAccess *main = state_.mainWindow;
    const int languageIndex = state_.config.LanguageIndex;

    Label2 = new QLabel(programText(ProgramText::PageNamesHeading, languageIndex), this);
    Label2->setGeometry(5, 4, kClientWidth - 10, 22);
    Label2->setAlignment(Qt::AlignCenter);
    for (int i = 0; i < kPages; ++i) {
        const int top = kFirstRowTop + i * kRowStep;
        auto *label = new QLabel(state_.texts.LngPage + QString::number(i + 1) + u':', this);
        label->setGeometry(kLabelLeft, top, kLabelWidth, kRowHeight);
        auto *box = new QLineEdit(main ? main->pageCaption(i + 1) : QString(), this);
        box->setGeometry(kLabelLeft + kLabelWidth, top - 2, kBoxWidth, kRowHeight);
        Label1.append(label);
        Text1.append(box);
    }
    const int buttonTop = kFirstRowTop + kPages * kRowStep + 8;
    cmdClose = new QPushButton(programText(ProgramText::CloseButton, languageIndex), this);
    cmdClose->setGeometry(kClientWidth - 100, buttonTop, 85, 28);
    paintDialogButton(cmdClose);
    connect(cmdClose, &QPushButton::clicked, this, &PageNamesDialog::cmdClose_Click);
    resize(kClientWidth, buttonTop + 38);
    placeBesideMain(*this, main, 0, false);
}

PageNamesDialog::~PageNamesDialog() = default;

void PageNamesDialog::cmdClose_Click() {
    QStringList names;
    for (const QLineEdit *box : std::as_const(Text1))
        names.append(box->text());
    if (MainWindowAccess *main = state_.mainWindow) {
        for (int i = 0; i < kPages; ++i)
            main->setPageCaption(i + 1, names[i]);
        main->repaintPageItem();
    }
    // Kept at once, so that the names survive whatever happens before the next save.
    if (state_.settings) {
        writePageNames(*state_.settings, names);
        QString error;
        if (!state_.settings->sync(&error)) {
            qCWarning(lcSites) << "page names not stored:" << error;
            if (state_.prompts)
                state_.prompts->message(error, QStringLiteral("Tavimo"),
                                        Prompts::Icon::Exclamation);
        }
    }
    emit state_.events.pageNamesChanged();
    close();
}

PageNamesDialog *showPageNamesDialog(AppState &state, WindowRegistry &registry) {
    return openOnce<PageNamesDialog>(registry, QStringLiteral("PageNamesDialog"),
                                     [&] { return new PageNamesDialog(state); });
}

} // namespace tavimo
