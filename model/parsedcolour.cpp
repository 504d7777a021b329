#include "parsedcolour.h"

#include <algorithm>
#include <cstring>

namespace {

struct NamedColour
{
    const char* name;
    quint32 argb;
};

// The SVG colour keywords and "transparent", sorted by name.
const NamedColour namedColours[] = {
    {"aliceblue", 0xfff0f8ffu},
    {"antiquewhite", 0xfffaebd7u},
    {"aqua", 0xff00ffffu},
    {"aquamarine", 0xff7fffd4u},
    {"azure", 0xfff0ffffu},
    {"beige", 0xfff5f5dcu},
    {"bisque", 0xffffe4c4u},
    {"black", 0xff000000u},
    {"blanchedalmond", 0xffffebcdu},
    {"blue", 0xff0000ffu},
    {"blueviolet", 0xff8a2be2u},
    {"brown", 0xffa52a2au},
    {"burlywood", 0xffdeb887u},
    {"cadetblue", 0xff5f9ea0u},
    {"chartreuse", 0xff7fff00u},
    {"chocolate", 0xffd2691eu},
    {"coral", 0xffff7f50u},
    {"cornflowerblue", 0xff6495edu},
    {"cornsilk", 0xfffff8dcu},
    {"crimson", 0xffdc143cu},
    {"cyan", 0xff00ffffu},
    {"darkblue", 0xff00008bu},
    {"darkcyan", 0xff008b8bu},
    {"darkgoldenrod", 0xffb8860bu},
    {"darkgray", 0xffa9a9a9u},
    {"darkgreen", 0xff006400u},
    {"darkgrey", 0xffa9a9a9u},
    {"darkkhaki", 0xffbdb76bu},
    {"darkmagenta", 0xff8b008bu},
    {"darkolivegreen", 0xff556b2fu},
    {"darkorange", 0xffff8c00u},
    {"darkorchid", 0xff9932ccu},
    {"darkred", 0xff8b0000u},
    {"darksalmon", 0xffe9967au},
    {"darkseagreen", 0xff8fbc8fu},
    {"darkslateblue", 0xff483d8bu},
    {"darkslategray", 0xff2f4f4fu},
    {"darkslategrey", 0xff2f4f4fu},
    {"darkturquoise", 0xff00ced1u},
    {"darkviolet", 0xff9400d3u},
    {"deeppink", 0xffff1493u},
    {"deepskyblue", 0xff00bfffu},
    {"dimgray", 0xff696969u},
    {"dimgrey", 0xff696969u},
    {"dodgerblue", 0xff1e90ffu},
    {"firebrick", 0xffb22222u},
    {"floralwhite", 0xfffffaf0u},
    {"forestgreen", 0xff228b22u},
    {"fuchsia", 0xffff00ffu},
    {"gainsboro", 0xffdcdcdcu},
    {"ghostwhite", 0xfff8f8ffu},
    {"gold", 0xffffd700u},
    {"goldenrod", 0xffdaa520u},
    {"gray", 0xff808080u},
    {"green", 0xff008000u},
    {"greenyellow", 0xffadff2fu},
    {"grey", 0xff808080u},
    {"honeydew", 0xfff0fff0u},
    {"hotpink", 0xffff69b4u},
    {"indianred", 0xffcd5c5cu},
    {"indigo", 0xff4b0082u},
    {"ivory", 0xfffffff0u},
    {"khaki", 0xfff0e68cu},
    {"lavender", 0xffe6e6fau},
    {"lavenderblush", 0xfffff0f5u},
    {"lawngreen", 0xff7cfc00u},
    {"lemonchiffon", 0xfffffacdu},
    {"lightblue", 0xffadd8e6u},
    {"lightcoral", 0xfff08080u},
    {"lightcyan", 0xffe0ffffu},
    {"lightgoldenrodyellow", 0xfffafad2u},
    {"lightgray", 0xffd3d3d3u},
    {"lightgreen", 0xff90ee90u},
    {"lightgrey", 0xffd3d3d3u},
    {"lightpink", 0xffffb6c1u},
    {"lightsalmon", 0xffffa07au},
    {"lightseagreen", 0xff20b2aau},
    {"lightskyblue", 0xff87cefau},
    {"lightslategray", 0xff778899u},
    {"lightslategrey", 0xff778899u},
    {"lightsteelblue", 0xffb0c4deu},
    {"lightyellow", 0xffffffe0u},
    {"lime", 0xff00ff00u},
    {"limegreen", 0xff32cd32u},
    {"linen", 0xfffaf0e6u},
    {"magenta", 0xffff00ffu},
    {"maroon", 0xff800000u},
    {"mediumaquamarine", 0xff66cdaau},
    {"mediumblue", 0xff0000cdu},
    {"mediumorchid", 0xffba55d3u},
    {"mediumpurple", 0xff9370dbu},
    {"mediumseagreen", 0xff3cb371u},
    {"mediumslateblue", 0xff7b68eeu},
    {"mediumspringgreen", 0xff00fa9au},
    {"mediumturquoise", 0xff48d1ccu},
    {"mediumvioletred", 0xffc71585u},
    {"midnightblue", 0xff191970u},
    {"mintcream", 0xfff5fffau},
    {"mistyrose", 0xffffe4e1u},
    {"moccasin", 0xffffe4b5u},
    {"navajowhite", 0xffffdeadu},
    {"navy", 0xff000080u},
    {"oldlace", 0xfffdf5e6u},
    {"olive", 0xff808000u},
    {"olivedrab", 0xff6b8e23u},
    {"orange", 0xffffa500u},
    {"orangered", 0xffff4500u},
    {"orchid", 0xffda70d6u},
    {"palegoldenrod", 0xffeee8aau},
    {"palegreen", 0xff98fb98u},
    {"paleturquoise", 0xffafeeeeu},
    {"palevioletred", 0xffdb7093u},
    {"papayawhip", 0xffffefd5u},
    {"peachpuff", 0xffffdab9u},
    {"peru", 0xffcd853fu},
    {"pink", 0xffffc0cbu},
    {"plum", 0xffdda0ddu},
    {"powderblue", 0xffb0e0e6u},
    {"purple", 0xff800080u},
    {"red", 0xffff0000u},
    {"rosybrown", 0xffbc8f8fu},
    {"royalblue", 0xff4169e1u},
    {"saddlebrown", 0xff8b4513u},
    {"salmon", 0xfffa8072u},
    {"sandybrown", 0xfff4a460u},
    {"seagreen", 0xff2e8b57u},
    {"seashell", 0xfffff5eeu},
    {"sienna", 0xffa0522du},
    {"silver", 0xffc0c0c0u},
    {"skyblue", 0xff87ceebu},
    {"slateblue", 0xff6a5acdu},
    {"slategray", 0xff708090u},
    {"slategrey", 0xff708090u},
    {"snow", 0xfffffafau},
    {"springgreen", 0xff00ff7fu},
    {"steelblue", 0xff4682b4u},
    {"tan", 0xffd2b48cu},
    {"teal", 0xff008080u},
    {"thistle", 0xffd8bfd8u},
    {"tomato", 0xffff6347u},
    {"transparent", 0x00000000u},
    {"turquoise", 0xff40e0d0u},
    {"violet", 0xffee82eeu},
    {"wheat", 0xfff5deb3u},
    {"white", 0xffffffffu},
    {"whitesmoke", 0xfff5f5f5u},
    {"yellow", 0xffffff00u},
    {"yellowgreen", 0xff9acd32u},
};

int hexDigit(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// The value of count hex digits at from, or -1.
int hexValue(QStringView digits, int from, int count)
{
    int value = 0;
    for (int i = from; i < from + count; ++i) {
        const int digit = hexDigit(digits.at(i));
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

// A part of twelve or sixteen bits down to eight, to the nearest value.
int eightBits(int value, int largest)
{
    return int((2 * qint64(value) * 255 + largest) / (2 * qint64(largest)));
}

// "#rgb", "#rrggbb", "#aarrggbb", and the finer "#rrrgggbbb" and
// "#rrrrggggbbbb", scaled down to eight bits a part.
bool fromHex(QStringView digits, quint32* argb)
{
    int a = 255;
    int r = -1;
    int g = -1;
    int b = -1;
    switch (digits.size()) {
    case 3:
        r = hexValue(digits, 0, 1) * 0x11;
        g = hexValue(digits, 1, 1) * 0x11;
        b = hexValue(digits, 2, 1) * 0x11;
        break;
    case 6:
        r = hexValue(digits, 0, 2);
        g = hexValue(digits, 2, 2);
        b = hexValue(digits, 4, 2);
        break;
    case 8:
        a = hexValue(digits, 0, 2);
        r = hexValue(digits, 2, 2);
        g = hexValue(digits, 4, 2);
        b = hexValue(digits, 6, 2);
        break;
    case 9:
    case 12: {
        const int part = int(digits.size()) / 3;
        int parts[3];
        for (int i = 0; i < 3; ++i) {
            const int value = hexValue(digits, i * part, part);
            if (value < 0)
                return false;
            parts[i] = eightBits(value, part == 3 ? 0xfff : 0xffff);
        }
        r = parts[0];
        g = parts[1];
        b = parts[2];
        break;
    }
    default:
        return false;
    }
    if (a < 0 || r < 0 || g < 0 || b < 0)
        return false;
    *argb = (quint32(a) << 24) | (quint32(r) << 16) | (quint32(g) << 8) | quint32(b);
    return true;
}

// A keyword, in any case, with spaces and tabs anywhere.
bool fromName(QStringView text, quint32* argb)
{
    char key[64];
    int length = 0;
    for (QChar c : text) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t'))
            continue;
        if (c.unicode() > 0x7f || length == int(sizeof(key)) - 1)
            return false;
        key[length++] = char(c.toLower().unicode());
    }
    key[length] = '\0';
    const auto* end = std::end(namedColours);
    const auto byName = [](const NamedColour& entry, const char* name) { return std::strcmp(entry.name, name) < 0; };
    const auto* found = std::lower_bound(std::begin(namedColours), end, key, byName);
    if (found == end || std::strcmp(found->name, key) != 0)
        return false;
    *argb = found->argb;
    return true;
}

} // namespace

ParsedColour ParsedColour::fromText(QStringView text)
{
    ParsedColour colour;
    quint32 argb = 0;
    if (text.startsWith(QLatin1Char('#')) ? fromHex(text.mid(1), &argb) : fromName(text, &argb)) {
        colour.valid = true;
        colour.argb = argb;
    }
    return colour;
}
