#ifndef TOURBOX_H
#define TOURBOX_H

#include <QFlags>
#include <QString>
#include <QWidget>

class QHBoxLayout;
class TourText;
class TourTip;

// The messages of the tour, in the order the tour shows them.
enum TourMessage {
    TOUR_PROJECT_BROWSER = 0,
    TOUR_PROCESS_ITEM = 1,
    TOUR_LINK_ITEM = 2,
    TOUR_INITIAL_STATE_ITEM = 3,
    TOUR_STATE_ITEM = 4,
    TOUR_TRANSITION_ITEM = 5,
    TOUR_MEMORY_ITEM = 6,
    TOUR_TEXT_ITEM = 7
};

// The green speech bubble of the app tour: a pointer tip on the left and
// the message with its "Quit Tour?" and "Next" links on the right.
class TourBox : public QWidget
{
    Q_OBJECT

public:
    static constexpr int messageCount = 8;

    explicit TourBox(QWidget* parent);

    void initTourMessages();
    void appendMessage(QFlags<TourMessage> message);
    void updatePos(QPoint pos);
    // Moves the box back into its parent when it sticks out, so that its
    // links can always be reached.
    void keepInsideParent();

    QString getTitle(TourMessage message) const { return titles[message]; }
    QString getText(TourMessage message) const { return texts[message]; }
    TourText* textBrowser() const { return text; }
    TourTip* pointerTip() const { return tip; }

signals:
    void nextLinkClicked();
    void quitLinkClicked();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString texts[messageCount];
    QString titles[messageCount];
    QHBoxLayout* layout = nullptr;
    TourTip* tip = nullptr;
    TourText* text = nullptr;
};

#endif // TOURBOX_H
