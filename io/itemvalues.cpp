#include "itemvalues.h"

#include <cmath>

#include "projectfilereader.h"

namespace {

// Plain decimal integers, the writer's usual numbers, without Qt's locale
// aware conversion; false for anything else (a sign other than one minus,
// blanks, more than nine digits, "-0") so that Qt converts it as before.
bool plainInteger(QStringView text, int* value)
{
    const int size = text.size();
    const bool negative = size > 0 && text.at(0) == QLatin1Char('-');
    const int first = negative ? 1 : 0;
    if (size == first || size - first > 9)
        return false;
    int number = 0;
    for (int i = first; i < size; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return false;
        number = number * 10 + int(c - u'0');
    }
    if (negative && number == 0)
        return false;
    *value = negative ? -number : number;
    return true;
}

} // namespace

int ItemValues::toInt(QStringView text)
{
    int plain = 0;
    if (plainInteger(text, &plain))
        return plain;
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : 0;
}

double ItemValues::toReal(QStringView text)
{
    int plain = 0;
    if (plainInteger(text, &plain))
        return qBound(-ProjectFileReader::coordinateLimit, double(plain), ProjectFileReader::coordinateLimit);
    bool ok = false;
    const double value = text.toDouble(&ok);
    // "inf" and "nan" parse, but no scene can hold such a position; a huge
    // one would overflow the int conversions of the items.
    if (!ok || !std::isfinite(value))
        return 0.0;
    return qBound(-ProjectFileReader::coordinateLimit, value, ProjectFileReader::coordinateLimit);
}

int ItemValues::toSize(QStringView text)
{
    const int limit = int(ProjectFileReader::coordinateLimit);
    return qBound(-limit, toInt(text), limit);
}

// A coordinate as an int within the limit, also from a real such as
// "12.5" or "1e+06".
int ItemValues::toCoordinate(QStringView text)
{
    return int(toReal(text));
}

ParsedColour ItemValues::toColour(QStringView text)
{
    return ParsedColour::fromText(text);
}

// The names of a state's transitions, as many as it says it has.
QStringList ItemValues::transitionNames(const QString& text, int keep)
{
    QStringList names;
    if (text.isEmpty())
        return names;
    int from = 0;
    while (names.size() < keep) {
        const int comma = text.indexOf(QLatin1Char(','), from);
        if (comma < 0) {
            names.append(text.mid(from));
            break;
        }
        names.append(text.mid(from, comma - from));
        from = comma + 1;
    }
    return names;
}
