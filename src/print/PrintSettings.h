#pragma once
#include <QString>
#include <QVector>

class Database;

// What the print windows keep in the office settings record: the column widths of the printable
// views and each preview's orientation and fill choice. Each value is written whole; the last
// station to store it wins, as with every office setting.
class PrintSettings {
public:
    explicit PrintSettings(Database &db) : m_db(db) {}

    // Width lists: "PWidth" (day view), "DWidth" (records view), "cwidth" (the day page, read only).
    QString widthList(const char *field);
    void saveWidthList(const char *field, const QVector<int> &widths);

    // Orientation 1 portrait, 2 landscape. A stored value other than 2 reads as portrait.
    struct Preview {
        int orientation = 1;
        bool fill = false;
    };
    // modeField "Printmode" or "dMode", fillField "FillPage" or "dFillPage".
    Preview preview(const char *modeField, const char *fillField);
    void savePreview(const char *modeField, const char *fillField, const Preview &p);

    // Each width as a whole number followed by "%".
    static QString formatWidths(const QVector<int> &widths);
    // The numbers of a list in order; an entry that is no number is nullopt-like: -1.
    static QVector<int> parseWidths(const QString &list);

private:
    Database &m_db;
};
