#include "daypage/Legend.h"

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
    const QColor grey(0xC0, 0xC0, 0xC0);
    const QColor red(0xFF, 0, 0);
    const QColor yellow(0xFF, 0xFF, 0);
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    const QRect box(0, 0, 15, 15);
    auto solid = [&](const QColor &c) { p.fillRect(box, c); };
    // A shape in the colour on a light grey ground.
    auto onGrey = [&](const QColor &c) {
        p.fillRect(box, grey);
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawEllipse(QRect(3, 3, 10, 10));
    };
    switch (index) {
    case 0: solid(QColor(0, 0xFF, 0xFF)); break;
    case 1: onGrey(red); break;
    case 2:
        solid(yellow);
        p.setPen(QPen(red, 2));
        p.drawLine(3, 3, 12, 12);
        p.drawLine(12, 3, 3, 12);
        break;
    case 3: solid(QColor(0, 0xFF, 0)); break;
    case 4: solid(yellow); break;
    case 5: solid(QColor(0xFF, 0, 0xFF)); break;
    case 6: onGrey(QColor(0, 0, 0xFF)); break;
    default: solid(Qt::white); break;
    }
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.setBrush(Qt::NoBrush);
    p.drawRect(box);
    return pm;
}
