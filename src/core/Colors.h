#pragma once
#include <QColor>
#include <QtGlobal>
#include <array>

// Colour numbers are 24-bit values with red in the low byte (&HBBGGRR). System colours are
// &H80000000 plus the system colour index; they may also arrive as the negative 32-bit value.
constexpr qint64 FreeSlotColor = 0xEEFFFF;
constexpr qint64 LunchColor = 0xC0C0C0;
constexpr qint64 SeparatorColor = 0xC0E0FF;
constexpr qint64 FixedCellColor = 0xE0E0E0;
constexpr qint64 GridLineColor = 0x800000;
constexpr qint64 SystemDesktopColor = 0x80000001;
constexpr qint64 BlockSelectColor = 0xC00000;
constexpr qint64 WhiteColor = 0xFFFFFF;
constexpr qint64 BlackColor = 0x000000;

bool isSystemColor(qint64 n);
QColor colorFromNumber(qint64 n);
qint64 numberFromColor(const QColor &c);

// The classic 16-colour palette, index 0 to 15, as a colour number.
qint64 QBColor(int index);

// The colours a booking can be painted with (the booking form's colour buttons, in toolbar
// order); the colour legend's samples show the same, entry for entry.
struct PaintColor {
    const char *caption;
    int color; // &HBBGGRR
};
constexpr std::array<PaintColor, 8> PaintColors{{
    {"Blue", 0xFFFFD0},
    {"Red", 0x8899FF},
    {"Orange", 0x80D0FF},
    {"Green", 0x80FF80},
    {"Yellow", 0x00FFFF},
    {"Pink", 0xFFB0FF},
    {"Dark Blue", 0xFFC0A0},
    {"White", 0xFFFFFF},
}};
