#ifndef TEXTMETRICS_H
#define TEXTMETRICS_H

#include <QFontMetricsF>
#include <QString>

// Font measures behind the automatic item sizes. Items are sized and painted
// with the application's font, never the active window's, so that the same
// text gives the same item whichever window has the focus.
class TextMetrics
{
public:
    TextMetrics();

    qreal charWidth() const { return cw; }
    qreal lineHeight() const { return lineH; }
    // Room for a line of text: eight characters of margin plus the text.
    int textWidth(const QString& text) const;
    // The widest of the lines of a text split at "\n" (an empty text is one line).
    int widestLine(const QString& text) const;
    static int lineCount(const QString& text);

private:
    QFontMetricsF metrics;
    qreal cw = 0;
    qreal lineH = 0;
};

#endif // TEXTMETRICS_H
