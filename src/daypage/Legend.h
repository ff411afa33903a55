#pragma once
#include <QPixmap>
#include <QStringList>
#include <QVector>

// The colour legend: eight samples, each followed by its caption, in one row.
namespace Legend {
constexpr int Count = 8;

// The captions a window starts with.
QStringList defaultCaptions();
// The captions from Lblcolors ("%"-joined, items from 0): a text with fewer than eight items
// leaves the remaining captions as they were.
QStringList captions(const QStringList &current, const QString &lblColors);

// Left edges in twips of each sample and caption, from the captions' widths in twips: sample 0
// at 60 and caption 0 at 360; each next sample 165 past the end of the caption before it, its
// caption 320 past the sample. Given a width (twips, 0: none), an entry that would end past it
// starts the next line at 60, so a narrow window shows every caption whole.
struct Place {
    int swatch = 0;
    int caption = 0;
    int line = 0;
};
QVector<Place> layout(const QVector<int> &captionWidths, int width = 0);

// The 16 by 16 sample of entry i: the i-th colour a booking can be painted with.
QPixmap swatch(int index);
} // namespace Legend
