#pragma once
#include "StationFixture.h"
#include "core/GridView.h"
#include "daypage/PageText.h"
#include "setup/TemplatesWindow.h"
#include "shell/MainMenuWindow.h"
#include "store/Database.h"

#include <QLineEdit>
#include <QTest>
#include <memory>

// A file-server station on the seed database (a file, or a database on the test server) with the
// template editor opened from the main menu.
// The seed office: four technicians, 08:00 AM to 05:00 PM in half-hour slots (rows 6 to 24, the
// extra row 25), LUNCH in rows 14 and 15 of the weekday templates, closed on Sundays.
struct TemplateStation : StationFixture {
    std::unique_ptr<Database> db; // another connection, to look at what is stored

    explicit TemplateStation(bool onServer)
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        if (onServer)
            installOnServer(true);
        else
            install(true);
        db = std::make_unique<Database>(sharedOpened());
    }
    ~TemplateStation() { QLocale::setDefault(QLocale::system()); }

    // Main menu entry 3.
    TemplatesWindow *openEditor()
    {
        MainMenuWindow *menu = MainMenuWindow::load(state);
        switcher.show(menu);
        menu->choose(MainMenuWindow::Templates);
        auto *w = qobject_cast<TemplatesWindow *>(switcher.current());
        if (w) {
            w->resize(1200, 700);
            if (!QTest::qWaitForWindowExposed(w))
                return nullptr;
        }
        return w;
    }

    QString setup(const QString &field)
    {
        return db->scalar(QStringLiteral("SELECT \"%1\" FROM \"tbl_Setup\"").arg(field)).toString();
    }
    QString templateCell(const QString &day, int row, int col)
    {
        const PageText::Cells cells = PageText::parse(setup(day));
        return row - 2 < cells.size() && col - 1 < cells.at(row - 2).size() ? cells.at(row - 2).at(col - 1)
                                                                            : QStringLiteral("<none>");
    }

    static QPoint cellPoint(GridView *view, int row, int col)
    {
        return view->viewport()->mapFrom(view, view->cellRect(row, col).center());
    }
    static void click(GridView *view, int row, int col, Qt::KeyboardModifiers mods = {})
    {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, mods, cellPoint(view, row, col));
    }
    // Typed on the grid: the first key opens the edit box, Enter closes it.
    static void type(TemplatesWindow *w, int row, int col, const QString &text)
    {
        click(w->grid(), row, col);
        QTest::keyClicks(w->grid(), text.left(1));
        auto *edit = w->findChild<QLineEdit *>(QStringLiteral("txtEdit"));
        QTest::keyClicks(edit, text.mid(1));
        QTest::keyClick(edit, Qt::Key_Return);
    }
};
