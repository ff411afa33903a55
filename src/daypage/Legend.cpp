#include "daypage/Legend.h"

#include "core/Colors.h"
#include "core/ListText.h"

#include <QPainter>

QStringList Legend::defaultCaptions()
{
    return {QStringLiteral("Appointment Made"),
            QStringLiteral("Arrived"),
            QStringLiteral("In Shop"),
            QStringLiteral("Complete"),
            QStringLiteral("For Parts"),
            QStringLiteral("Customer Waiting..."),
            QStringLiteral("Follow up Call Made"),
            QStringLiteral("For Authorization")};
}

QStringList Legend::captions(const QStringList &current, const QString &lblColors)
{
    QStringList out = current;
    while (out.size() < Count)
        out.append(QString());
    const QStringList items = splitPlain(lblColors, QLatin1Char('%'));
    for (int i = 0; i < Count && i < items.size(); ++i)
        out[i] = items.at(i);
    return out.mid(0, Count);
}

QVector<Legend::Place> Legend::layout(const QVector<int> &captionWidths, int width)
{
    QVector<Place> out;
    out.reserve(captionWidths.size());
    for (int i = 0; i < captionWidths.size(); ++i) {
        Place p;
        if (i == 0) {
            p.swatch = 60;
            p.caption = 360;
        } else {
            p.line = out.last().line;
            p.swatch = out.last().caption + captionWidths.at(i - 1) + 165;
            if (width > 0 && p.swatch + 320 + captionWidths.at(i) > width) {
                p.swatch = 60;
                ++p.line;
            }
            p.caption = p.swatch + 320;
        }
        out.append(p);
    }
    return out;
}

QPixmap Legend::swatch(int index)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    const qint64 color = index >= 0 && index < int(PaintColors.size()) ? PaintColors[index].color : WhiteColor;
    p.fillRect(QRect(0, 0, 15, 15), colorFromNumber(color));
    // An outline, so the pale colours and white stand out from the window.
    p.setPen(QColor(0x60, 0x60, 0x60));
    p.drawRect(QRect(0, 0, 14, 14));
    return pm;
}
