#ifndef HOMESCREEN_H
#define HOMESCREEN_H

#include <QGraphicsScene>
#include <QStringList>
#include <QVector>

enum enHomeScreenState {
    HOME_NORMAL
};

// The welcome scene shown while no project is open: no items, only a text
// drawn on the background, with the recent projects below it as entries a
// click opens.
class HomeScreen : public QGraphicsScene
{
    Q_OBJECT

public:
    static HomeScreen* getInstance();
    void setState(enHomeScreenState value);
    enHomeScreenState getState() const { return state; }
    QString getWelcomeText() const { return welcomeText; }

    // Newest first.
    void setRecentProjects(const QStringList& paths);
    QStringList recentProjects() const { return recent; }
    // Where entry index was painted last, in scene coordinates; empty when
    // it has not been painted.
    QRectF recentEntryRect(int index) const { return entryRects.value(index); }

signals:
    void recentProjectChosen(const QString& path);

protected:
    void drawBackground(QPainter* painter, const QRectF& rect) override;
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;

private:
    HomeScreen();

    QString welcomeText;
    enHomeScreenState state = HOME_NORMAL;
    QStringList recent;
    QVector<QRectF> entryRects;
};

#endif // HOMESCREEN_H
