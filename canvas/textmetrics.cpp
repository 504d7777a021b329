#include "textmetrics.h"

#include <QStringList>
#include <cmath>

#include "itemlook.h"

TextMetrics::TextMetrics()
    : metrics(ItemLook::itemFont())
    , cw(metrics.averageCharWidth())
    , lineH(metrics.height())
{
}

int TextMetrics::textWidth(const QString& text) const
{
    return int(std::floor(8 * cw + cw * text.length()));
}

int TextMetrics::widestLine(const QString& text) const
{
    int widest = 0;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString& line : lines)
        widest = qMax(widest, textWidth(line));
    return widest;
}

int TextMetrics::lineCount(const QString& text)
{
    return text.split(QLatin1Char('\n')).size();
}
