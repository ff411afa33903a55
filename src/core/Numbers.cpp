#include "core/Numbers.h"

#include <cfloat>
#include <cmath>

float leadingNumber(const QString &text)
{
    int i = 0;
    const int n = int(text.size());
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    const int start = i;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        ++i;
    int digits = 0;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0f;
    if (digits <= 15) {
        // Exact in a double, so one division rounds as reading the text would.
        static constexpr double Tens[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        double whole = 0;
        int fraction = -1;
        for (int k = start; k < i; ++k) {
            const QChar ch = text[k];
            if (ch == QLatin1Char('.'))
                fraction = 0;
            else if (ch.isDigit()) {
                whole = whole * 10 + (ch.unicode() - '0');
                if (fraction >= 0)
                    ++fraction;
            }
        }
        const double v = fraction > 0 ? whole / Tens[fraction] : whole;
        return float(text[start] == QLatin1Char('-') ? -v : v);
    }
    bool ok = false;
    const double v = text.mid(start, i - start).toDouble(&ok);
    if (!ok || !std::isfinite(v) || std::fabs(v) > double(FLT_MAX))
        return 0.0f;
    return float(v);
}

// Digits without the point and the power of ten of the first digit, rounded to `precision`
// significant digits.
static void decimalDigits(float v, int precision, QString &digits, int &exponent)
{
    const QString e = QString::number(double(std::fabs(v)), 'e', precision - 1); // d.ddde+XX
    const int ePos = int(e.indexOf(QLatin1Char('e')));
    digits = e.left(ePos).remove(QLatin1Char('.'));
    exponent = e.mid(ePos + 1).toInt();
    while (digits.size() > 1 && digits.endsWith(QLatin1Char('0')))
        digits.chop(1);
}

QString numberText(float v)
{
    if (v == 0.0f)
        return QStringLiteral("0"); // also for -0
    if (!std::isfinite(v))
        return QString::number(double(v));
    // Whole, half and quarter hours, nearly every figure of a page: their shortest form is plain
    // (below ten thousand, within the seven digits kept).
    const float twice = v * 2.0f;
    if (std::fabs(v) < 1e6f && twice == std::trunc(twice))
        return v == std::trunc(v) ? QString::number(qint64(v)) : QString::number(double(v), 'f', 1);
    const float quarters = v * 4.0f;
    if (std::fabs(v) < 1e4f && quarters == std::trunc(quarters))
        return QString::number(double(v), 'f', 2);

    QString digits;
    int exponent = 0;
    int precision = 1;
    for (; precision <= 7; ++precision) {
        decimalDigits(v, precision, digits, exponent);
        const QString probe =
            QStringLiteral("%1e%2").arg(digits.left(1) + QLatin1Char('.') + digits.mid(1)).arg(exponent);
        if (probe.toFloat() == std::fabs(v))
            break;
    }
    if (precision > 7)
        decimalDigits(v, 7, digits, exponent);

    QString out = v < 0 ? QStringLiteral("-") : QString();
    const int len = int(digits.size());
    if (exponent >= 15 || exponent < -15) {
        out += digits.left(1);
        if (len > 1)
            out += QLatin1Char('.') + digits.mid(1);
        out += QStringLiteral("E%1%2")
                   .arg(exponent < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                   .arg(std::abs(exponent), 2, 10, QLatin1Char('0'));
    } else if (exponent >= len - 1) {
        out += digits + QString(exponent - len + 1, QLatin1Char('0'));
    } else if (exponent >= 0) {
        out += digits.left(exponent + 1) + QLatin1Char('.') + digits.mid(exponent + 1);
    } else {
        out += QStringLiteral("0.") + QString(-exponent - 1, QLatin1Char('0')) + digits;
    }
    return out;
}
