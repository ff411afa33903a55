#pragma once
#include "SharedDb.h"
#include "Station.h"
#include "core/GridView.h"
#include "daypage/DayPageWindow.h"
#include "shell/ShellWindows.h"
#include "store/Database.h"

#include <QLocale>
#include <QTest>
#include <memory>

// The day page window of one station on a fresh copy of the seed database (a file, or a database
// on the test server), showing a page far enough ahead that it is never locked. The seed office: four technicians,
// 08:00 AM to 05:00 PM in half-hour slots (rows 6 to 24, the extra row 25), lunch in rows 14 and 15, starting hours 8.
struct DayPageFixture {
    static QDate day() { return QDate(2031, 3, 3); } // a Monday
    static constexpr int LastRow = 25;
    static constexpr int LunchRow = 14;

    TestFolder folder;
    HookedDialogs dialogs;
    AppState state;
    std::unique_ptr<DayPageWindow> w;
    std::unique_ptr<Database> db; // another connection, to look at what is stored

    explicit DayPageFixture(bool onServer = false)
    {
        seedShared(folder, onServer);
        // An installed station whose server folder is this folder, as the booking window expects.
        folder.copySeed(QStringLiteral("dbn.mdb"));
        Database(folder.file(QStringLiteral("dbn.mdb")))
            .execute(QStringLiteral("UPDATE tbl_netset SET server = ?, net = 1, Main = 1"), {folder.path()});
        state.paths().setProgramFolder(folder.path());
        state.paths().setServerFolder(folder.path());
        state.setDialogs(&dialogs);
        ShellWindows::install(state);
        w.reset(qobject_cast<DayPageWindow *>(state.windows().dayPage(state)));
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        w->resize(1100, 640);
        w->show();
        w->activateWindow();
        db = std::make_unique<Database>(dbPath());
    }
    ~DayPageFixture()
    {
        w.reset();
        db.reset();
    }
    bool ready() { return QTest::qWaitForWindowActive(w.get()); }
    QString dbPath() const { return Database::sharedIn(folder.path()); }

    // Opens a date as typed into Page, Open.
    void open(const QDate &d)
    {
        // In the order of the locale's short dates, as a user types them; four-digit years.
        QString format = QLocale().dateFormat(QLocale::ShortFormat);
        if (!format.contains(QLatin1String("yyyy")))
            format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
        dialogs.answerInput(d.toString(format));
        w->openTypedDate();
    }

    GridModel &grid() { return w->page().grid(); }
    GridView *view() { return w->grid(); }
    template <class T>
    T *child(const char *name)
    {
        return w->findChild<T *>(QLatin1String(name));
    }

    QString storedField(const char *field, const QDate &d = day())
    {
        return db
            ->scalar(QStringLiteral("SELECT \"%1\" FROM \"tbl_Appt\" WHERE caldate = ?").arg(QLatin1String(field)), {d})
            .toString();
    }
    QString stored(int row, int col, const QDate &d = day())
    {
        const PageText::Cells cells = PageText::parse(storedField("Data", d));
        return row - 2 < cells.size() && col - 1 < cells.at(row - 2).size() ? cells.at(row - 2).at(col - 1) : QString();
    }
    // Written as another station would: straight into the stored page text.
    void store(int row, int col, const QString &text, const QDate &d = day())
    {
        PageText::Cells cells = PageText::parse(storedField("Data", d));
        cells[row - 2][col - 1] = text;
        db->execute(QStringLiteral("UPDATE \"tbl_Appt\" SET \"Data\" = ?, rowver = rowver + 1 WHERE caldate = ?"),
                    {PageText::join(cells), d});
    }
    qint64 storedColour(int row, int col, const QDate &d = day())
    {
        const auto list = ColorList::parse(storedField("Color", d));
        const int i = (col - 1) * (LastRow + 1 - PageModel::FirstTimeRow) + row - PageModel::FirstTimeRow;
        return i < list.size() && list.at(i) ? *list.at(i) : -1;
    }
    // A point inside a cell, for mouse events on the grid's own viewport.
    QPoint cellPoint(int row, int col)
    {
        return view()->viewport()->mapFrom(view(), view()->cellRect(row, col).center());
    }
};
