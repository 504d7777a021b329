#ifndef ITEMVALUES_H
#define ITEMVALUES_H

#include <QString>
#include <QStringList>
#include <QStringView>

#include "parsedcolour.h"

// The values of a project file's fields as the reader takes them. The
// conversions never fail: what does not parse becomes 0 or an invalid colour.
class ItemValues
{
public:
    static int toInt(QStringView text);
    // A coordinate within the reader's limit; what is not finite is 0.
    static double toReal(QStringView text);
    static int toSize(QStringView text);
    // A coordinate as an int within the limit, also from a real such as
    // "12.5" or "1e+06".
    static int toCoordinate(QStringView text);
    static ParsedColour toColour(QStringView text);
    // The names of a state's transitions, as many as it says it has.
    static QStringList transitionNames(const QString& text, int keep);
};

#endif // ITEMVALUES_H
