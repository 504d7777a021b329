#ifndef TEXTMETRICS_H
#define TEXTMETRICS_H

#include <QFontMetricsF>
#include <QString>

// Font measures behind the automatic item sizes: those of the active window's
// font, or of the application's font while no window is active, so that item
// sizes follow the screen the user works on.
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
