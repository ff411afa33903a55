#include "print/PrintSettings.h"

#include "core/ListText.h"
#include "store/AppError.h"
#include "store/SettingsStore.h"

#include <cmath>

namespace {
AppError unknownField() { return AppError(ErrNo::ItemNotFound, QStringLiteral("Item not found in this collection.")); }

SettingsStore::Widths widthsOf(const char *field)
{
    if (qstrcmp(field, "PWidth") == 0)
        return SettingsStore::Widths::DayView;
    if (qstrcmp(field, "DWidth") == 0)
        return SettingsStore::Widths::RecordsView;
    if (qstrcmp(field, "cwidth") == 0)
        return SettingsStore::Widths::DayPage;
    throw unknownField();
}

SettingsStore::Preview previewOf(const char *modeField, const char *fillField)
{
    if (qstrcmp(modeField, "Printmode") == 0 && qstrcmp(fillField, "FillPage") == 0)
        return SettingsStore::Preview::DayView;
    if (qstrcmp(modeField, "dMode") == 0 && qstrcmp(fillField, "dFillPage") == 0)
        return SettingsStore::Preview::RecordsView;
    throw unknownField();
}
} // namespace

QString PrintSettings::widthList(const char *field) { return SettingsStore(m_db).widths(widthsOf(field)); }

void PrintSettings::saveWidthList(const char *field, const QVector<int> &widths)
{
    SettingsStore(m_db).saveWidths(widthsOf(field), formatWidths(widths));
}

PrintSettings::Preview PrintSettings::preview(const char *modeField, const char *fillField)
{
    const SettingsStore::PreviewChoice c = SettingsStore(m_db).preview(previewOf(modeField, fillField));
    Preview p;
    p.orientation = c.mode == 2 ? 2 : 1;
    p.fill = c.fill;
    return p;
}

void PrintSettings::savePreview(const char *modeField, const char *fillField, const Preview &p)
{
    SettingsStore(m_db).savePreview(previewOf(modeField, fillField), {p.orientation == 2 ? 2 : 1, p.fill});
}

QString PrintSettings::formatWidths(const QVector<int> &widths)
{
    QStringList items;
    for (int w : widths)
        items << QString::number(w);
    return joinList(items, true);
}

QVector<int> PrintSettings::parseWidths(const QString &list)
{
    QVector<int> out;
    QStringList items = splitPlain(list, QLatin1Char('%'));
    // The list ends with "%": its last, empty item is no entry.
    if (!items.isEmpty() && items.last().trimmed().isEmpty())
        items.removeLast();
    for (const QString &item : items) {
        bool ok = false;
        const double w = item.trimmed().toDouble(&ok);
        out << (ok && w >= 0 && w <= 32767.5 ? int(std::nearbyint(w)) : -1);
    }
    return out;
}
