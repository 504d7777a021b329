#include "homescreen.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>

HomeScreen::HomeScreen()
{
    welcomeText = QStringLiteral("Welcome to Korvel") + "\n" + "______________________" + "\n\n"
        + "File > Open to open an existing Project" + "\n"
        + "File > New to create a new Korvel Project" + "\n"
        + "File > Open Examples to open template Projects" + "\n\n"
        + "Use Help menu to take a tour of Korvel";
}

HomeScreen* HomeScreen::getInstance()
{
    // Lives until the process ends; the view may still show it at exit.
    static HomeScreen* instance = new HomeScreen();
    return instance;
}

void HomeScreen::setState(enHomeScreenState value)
{
    state = value;
    update();
}

void HomeScreen::setRecentProjects(const QStringList& paths)
{
    recent = paths;
    entryRects.clear();
    update();
}

void HomeScreen::drawBackground(QPainter* painter, const QRectF& rect)
{
    const QFont font(QStringLiteral("Arial"), 12);
    painter->setPen(Qt::darkGray);
    painter->setFont(font);
    if (recent.isEmpty()) {
        entryRects.clear();
        painter->drawText(rect, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextDontClip, welcomeText);
        return;
    }

    // The welcome text, a heading and one line per project, centred as one block.
    const QFontMetricsF metrics(font);
    const QRectF welcome = metrics.boundingRect(QRectF(), Qt::AlignHCenter, welcomeText);
    const qreal line = metrics.height() * 1.6;
    const qreal height = welcome.height() + 2 * line + recent.size() * line;
    qreal y = rect.center().y() - height / 2;
    painter->drawText(QRectF(rect.left(), y, rect.width(), welcome.height()),
                      Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip, welcomeText);
    y += welcome.height() + line;

    QFont heading = font;
    heading.setBold(true);
    painter->setFont(heading);
    painter->drawText(QRectF(rect.left(), y, rect.width(), line), Qt::AlignCenter | Qt::TextDontClip,
                      tr("Recent Projects"));
    y += line;

    QFont link = font;
    link.setUnderline(true);
    painter->setFont(link);
    painter->setPen(QColor(0x1f, 0x5f, 0xaf));
    const QFontMetricsF linkMetrics(link);
    const qreal widest = qMax<qreal>(rect.width() - 40, 100);
    entryRects.resize(recent.size());
    for (int i = 0; i < recent.size(); ++i) {
        const QFileInfo file(recent.at(i));
        const QString text = linkMetrics.elidedText(
            tr("%1   (%2)").arg(file.fileName(), QDir::toNativeSeparators(file.absolutePath())), Qt::ElideMiddle,
            widest);
        const qreal width = linkMetrics.horizontalAdvance(text);
        const QRectF entry(rect.center().x() - width / 2, y, width, line);
        painter->drawText(entry, Qt::AlignCenter | Qt::TextDontClip, text);
        entryRects[i] = entry;
        y += line;
    }
}

void HomeScreen::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        for (int i = 0; i < entryRects.size() && i < recent.size(); ++i) {
            if (entryRects.at(i).contains(event->scenePos())) {
                event->accept();
                emit recentProjectChosen(recent.at(i));
                return;
            }
        }
    }
    QGraphicsScene::mousePressEvent(event);
}
