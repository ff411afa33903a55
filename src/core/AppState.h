#pragma once
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>

class Dialogs;
class PicklistWindows;
class WindowSwitcher;

// Program-wide values of one station. Owned by the application and handed to every window, so a
// test can run two independent stations in one process.
struct AppState {
    // Where the program's own files live: dbn.mdb, the installation db.mdb, downsize, Info.doc.
    QString programFolder;

    Dialogs *dialogs = nullptr;
    WindowSwitcher *switcher = nullptr;

    QString ServerFolder;
    bool ExitAfterBackup = false;

    // Page shown and its layout.
    QDate PageDate;
    QString OpenTime;
    QString CloseTime;
    int SlotMinutes = 30;
    int TechCount = 0;
    QStringList TechSites; // index 0 empty, items from 1
    QStringList TechNames; // index 0 empty, items from 1
    int SavedRow = 0;
    int SavedCol = 0;

    // The booking being edited.
    QDate BookingDate;
    int BookingCol = 0;
    int BookingRow = 0;
    int BookingColor = 0;
    int BookingFormTop = 0;
    int BookingFormLeft = 0;
    bool BookingClosed = false;
    float OldTotalTime = 0.0f;
    // The booking form's paste buffer of 33 texts; it outlives every booking form.
    QStringList BookingClip = QStringList(QList<QString>(33));
    // Picklist editors stay loaded between bookings once shown.
    std::shared_ptr<PicklistWindows> picklists;

    // Painting spans.
    int SpanSlots = 0;
    int SpanColor = 0;
    bool SpanSlotsChosen = false;
    bool SpanColorChosen = false;
    bool ColorPicked = false;
    bool PickFromBooking = false;

    // Printing.
    QDate PrintDate;
    bool PrintFromDayPage = false;
    bool PrintNoFill = false;
    QStringList WeekTimes;
    QStringList WeekTech;
    QVector<QStringList> WeekTexts;
    QVector<QVector<int>> WeekColors;

    QString stationDbPath() const;         // dbn.mdb in the program folder
    QString installDbPath() const;         // db.mdb in the program folder
    QString sharedDbPath() const;          // db.mdb in ServerFolder
};
