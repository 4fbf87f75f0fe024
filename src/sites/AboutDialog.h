#pragma once

#include <QList>
#include <QStringList>
#include <QTimer>
#include <QWidget>

class QFrame;
class QLabel;

namespace tavimo {

struct AppState;
class WindowRegistry;

// Names the program and its version, credits the people who made it and shows a slideshow
// of ten pictures with a caption under each, a new one every five seconds. It leaves the
// main window usable and refreshing.
class AboutDialog : public QWidget {
    Q_OBJECT

public:
    static constexpr int kSlides = 10;
    static constexpr int kSlideMs = 5000;
    // The pictures are centred on this line, in pixels from the top.
    static constexpr int kPictureCentreY = 170;

    explicit AboutDialog(AppState &state);
    ~AboutDialog() override;

    QList<QLabel *> Image1;   // the ten pictures; one is visible at a time
    QLabel *Label1 = nullptr; // caption of the picture on view
    QLabel *Label2 = nullptr; // thanks
    QLabel *Label3 = nullptr; // title and credits
    QFrame *Shape1 = nullptr;
    QTimer slideTimer;

    int slideIndex() const { return SlideIndex; }
    const QStringList &slideCaptions() const { return SlideCaptions; }

    // The ten captions in a language (0 English, 1 Spanish, 2 German, 3 French, 4 Dutch;
    // another index gives the English ones).
    static QStringList captionsFor(int languageIndex);
    // The resource path of slide i (0 to 9).
    static QString slidePath(int i);

    void slideTimer_Timer();

private:
    void showSlide(int index);

    int SlideIndex = 0;
    QStringList SlideCaptions;
};

// Opens the About box, or raises it when it is open.
AboutDialog *showAboutDialog(AppState &state, WindowRegistry &registry);

} // namespace tavimo
