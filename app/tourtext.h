#ifndef TOURTEXT_H
#define TOURTEXT_H

#include <QTextBrowser>
#include <QUrl>

// The green message area of the tour box with its "Quit Tour?" and "Next"
// links.
class TourText : public QTextBrowser
{
    Q_OBJECT

public:
    explicit TourText(QWidget* parent = nullptr);

    void appendMessage(const QString& title, const QString& text);
    int getDocumentHeight() const;

signals:
    void nextLinkClicked();
    void quitLinkClicked();

public slots:
    void footerLinkClicked(const QUrl& link);
};

#endif // TOURTEXT_H
