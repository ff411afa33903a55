#include "core/Colors.h"

#include <iterator>

// Fixed stand-ins for the system colours (the classic desktop scheme), so pages look and print
// the same on every station.
static const QRgb SystemColors[] = {
    0xC8C8C8, // 0 scroll bar
    0x3A6EA5, // 1 desktop
    0x0A246A, // 2 active caption
    0x808080, // 3 inactive caption
    0xF0F0F0, // 4 menu
    0xFFFFFF, // 5 window
    0x646464, // 6 window frame
    0x000000, // 7 menu text
    0x000000, // 8 window text
    0xFFFFFF, // 9 caption text
    0xB4B4B4, // 10 active border
    0xF4F7FC, // 11 inactive border
    0xABABAB, // 12 application workspace
    0x3399FF, // 13 highlight
    0xFFFFFF, // 14 highlight text
    0xF0F0F0, // 15 button face
    0xA0A0A0, // 16 button shadow
    0x6D6D6D, // 17 grey text
    0x000000, // 18 button text
    0x434E54, // 19 inactive caption text
    0xFFFFFF, // 20 button highlight
    0x696969, // 21 3D dark shadow
    0xE3E3E3, // 22 3D light
    0x000000, // 23 tooltip text
    0xFFFFE1, // 24 tooltip background
};

static qint64 as32(qint64 n) { return n & 0xFFFFFFFFLL; }

bool isSystemColor(qint64 n) { return (as32(n) & 0x80000000LL) != 0; }

QColor colorFromNumber(qint64 n)
{
    const qint64 v = as32(n);
    if (isSystemColor(v)) {
        const qint64 index = v & 0xFF;
        if (index < qint64(std::size(SystemColors)))
            return QColor::fromRgb(SystemColors[index]);
        return QColor(Qt::black);
    }
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

qint64 numberFromColor(const QColor &c)
{
    const QColor rgb = c.toRgb();
    return qint64(rgb.red()) + 256 * qint64(rgb.green()) + 65536 * qint64(rgb.blue());
}

qint64 QBColor(int index)
{
    static const qint64 palette[16] = {
        0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
        0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
    };
    if (index < 0 || index > 15)
        return 0;
    return palette[index];
}
