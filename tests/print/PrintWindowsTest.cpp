#include "../daypage/DayPageFixture.h"
#include "core/DateText.h"
#include "print/DailyPrintWindow.h"
#include "print/PrintPreviewWindow.h"
#include "print/PrintSettings.h"
#include "print/PrintWindow.h"
#include "print/RecordsWindow.h"
#include "print/TablePrint.h"
#include "print/TableQueryModel.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <QWheelEvent>

namespace {
// The day page as the program shell sets it up, with its print panel driven.
struct PrintingDayPage : DayPageFixture {
    explicit PrintingDayPage(bool onServer) : DayPageFixture(onServer) {}
    void choose(int choice)
    {
        w->showPrintOptions();
        child<QRadioButton>(qPrintable(QStringLiteral("optPrint_%1").arg(choice)))->setChecked(true);
        QTest::mouseClick(child<QPushButton>("cmdPrint"), Qt::LeftButton);
    }
    template <class T>
    T *window()
    {
        return w->findChild<T *>();
    }
    QString setup(const char *field)
    {
        return db->scalar(QStringLiteral("SELECT \"%1\" FROM \"tbl_Setup\"").arg(QLatin1String(field))).toString();
    }
};

template <class T>
void click(QWidget *in, const char *name)
{
    QTest::mouseClick(in->findChild<T *>(QLatin1String(name)), Qt::LeftButton);
}

double darkShare(const QImage &img)
{
    qint64 dark = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            dark += qGray(img.pixel(x, y)) < 64;
    return double(dark) / (img.width() * img.height());
}
} // namespace

// On both engines: what the print windows read and keep is the server's as it is the file's.
class PrintWindowsTest : public QObject {
    Q_OBJECT
    bool m_onServer;

public:
    explicit PrintWindowsTest(bool onServer) : m_onServer(onServer) {}

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::system()); }

    void printPanelOpensTheWeekOfTheCurrentTechnician()
    {
        PrintingDayPage f(m_onServer);
        QVERIFY(f.ready());
        QVERIFY(f.child<QPushButton>("cmdPrint")->isEnabled());
        // The workshop opens on Sundays too, with a weekday's hours.
        f.db->execute(QStringLiteral("UPDATE \"tbl_Setup\" SET chk1 = 0, \"Sun\" = \"Mon\""));
        f.open(f.day().addDays(6));
        f.store(12, 3, QStringLiteral("Sunday Customer"), f.day().addDays(6));
        f.open(f.day().addDays(1));
        f.store(10, 3, QStringLiteral("Tuesday Customer"), f.day().addDays(1));
        f.open(f.day().addDays(2));
        f.choose(0);
        QCOMPARE(f.dialogs.last().text, QStringLiteral("Please go to the Monday Page to print the weekly schedule"));
        QCOMPARE(f.dialogs.last().title, QStringLiteral("Print Weekly Schedule"));
        QVERIFY(!f.window<PrintWindow>());

        f.open(f.day());
        f.store(8, 3, QStringLiteral("Monday Customer"));
        f.grid().setCurrentCell(12, 3);
        f.choose(0);
        PrintWindow *week = f.window<PrintWindow>();
        QVERIFY(week && week->isVisible());
        QCOMPARE(week->findChild<QLabel *>(QStringLiteral("lblCalDay"))->text(), QStringLiteral("Tony Russo"));
        QCOMPARE(week->grid().text(8, 1), QStringLiteral("Monday Customer"));
        QCOMPARE(week->grid().text(10, 2), QStringLiteral("Tuesday Customer"));
        QCOMPARE(week->grid().text(1, 7), QStringLiteral("Sunday"));
        QCOMPARE(week->grid().text(12, 7), QStringLiteral("Sunday Customer"));
        // Monday, Tuesday, Wednesday and Sunday have pages, 8 starting hours each for this technician.
        QCOMPARE(week->findChild<QLineEdit *>(QStringLiteral("txtS"))->text(), QStringLiteral("S  32"));
        // The day page still shows its own page, untouched.
        QCOMPARE(f.state.layout().pageDate, f.day());
        QCOMPARE(f.grid().text(10, 3), QString());
        QCOMPARE(f.grid().col(), 3);

        QApplication::setActiveWindow(week);
        QTest::keyClick(week->gridView(), Qt::Key_F11);
        PrintPreviewWindow *preview = week->findChild<PrintPreviewWindow *>();
        QVERIFY(preview && preview->isVisible());
        QCOMPARE(preview->objectName(), QStringLiteral("frmPrintWeekly"));
        QCOMPARE(preview->windowTitle(), QStringLiteral("Print Preview - Weekly Schedule"));
        QCOMPARE(preview->schedule().table().textMatrix(12 - 2, 7), QStringLiteral("Sunday Customer")); // no day rows
        QVERIFY(preview->picture().width() > preview->picture().height());                              // landscape
        QVERIFY(!preview->findChild<QPushButton *>(QStringLiteral("cmdOrientation"))->isVisible());
    }

    void dailyPreviewKeepsItsChoicesAndSavesAPdfWithoutAPrinter()
    {
        PrintingDayPage f(m_onServer);
        QVERIFY(f.ready());
        const QDate wednesday = f.day().addDays(2);
        f.open(wednesday);
        f.choose(1);
        DailyPrintWindow *daily = f.window<DailyPrintWindow>();
        QVERIFY(daily);
        QCOMPARE(daily->findChild<QLabel *>(QStringLiteral("lblCalDay"))->text(), DateText::longHeading(wednesday));
        daily->grid().setColWidth(2, 3000);
        click<QPushButton>(daily, "cmdPrint");
        PrintPreviewWindow *preview = daily->findChild<PrintPreviewWindow *>();
        QVERIFY(preview);
        QCOMPARE(preview->windowTitle(), QStringLiteral("Print Preview - Daily Schedule Summary"));
        QCOMPARE(f.setup("PWidth"), QStringLiteral("1100%2200%3000%2200%2200%"));
        QVERIFY(preview->picture().height() > preview->picture().width());
        // Scrolled in steps of 120 twips (8 pixels).
        auto *picTarget = preview->findChild<QWidget *>(QStringLiteral("picTarget"));
        auto *vsc = preview->findChild<QScrollBar *>(QStringLiteral("vscScroll"));
        QVERIFY(vsc->maximum() > 0);
        vsc->setValue(3);
        QCOMPARE(picTarget->y(), -24);
        // The wheel over the page scrolls it too, three steps a notch.
        QWheelEvent wheel(QPointF(10, 10), picTarget->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(picTarget, &wheel);
        QCOMPARE(vsc->value(), 6);

        auto *orientation = preview->findChild<QPushButton *>(QStringLiteral("cmdOrientation"));
        QCOMPARE(orientation->text(), QStringLiteral("&Portrait"));
        QTest::mouseClick(orientation, Qt::LeftButton);
        QCOMPARE(orientation->text(), QStringLiteral("&Landscape"));
        QVERIFY(preview->picture().width() > preview->picture().height());
        // Ticking the fill redraws at once.
        const QImage unfilled = preview->picture();
        preview->findChild<QCheckBox *>(QStringLiteral("chkColWidth"))->setChecked(true);
        QVERIFY(preview->picture() != unfilled);

        // No printer on this machine: the PDF is offered instead.
        const QString pdf = f.folder.file(QStringLiteral("wednesday"));
        f.dialogs.answer(Dialogs::AnsYes);
        f.dialogs.answerFile(pdf);
        click<QPushButton>(preview, "cmdPrint");
        QVERIFY(f.dialogs.shown()
                    .at(f.dialogs.count() - 3)
                    .text.startsWith(QStringLiteral("No default printer is installed.")));
        QVERIFY(f.dialogs.shown()
                    .at(f.dialogs.count() - 2)
                    .text.endsWith(QStringLiteral("Daily Schedule %1.pdf").arg(wednesday.toString(Qt::ISODate))));
        // Saying where it went.
        QCOMPARE(f.dialogs.last().text,
                 QStringLiteral("The schedule was saved as ") + QDir::toNativeSeparators(pdf + QStringLiteral(".pdf")));
        QVERIFY(QFileInfo(pdf + QStringLiteral(".pdf")).size() > 1000);

        preview->close();
        QCOMPARE(f.setup("Printmode"), QStringLiteral("2"));
        QCOMPARE(f.setup("FillPage"), QStringLiteral("1"));
        daily->close();
        f.choose(1);
        QCOMPARE(f.window<DailyPrintWindow>()->grid().colWidth(2), 3000);
    }

    void recordsViewListsTheNamedBookingsOfThePageDate()
    {
        PrintingDayPage f(m_onServer);
        QVERIFY(f.ready());
        const QString insert = QStringLiteral(
            "INSERT INTO \"tbl_Job\" (\"bDate\", \"bCol\", \"bRow\", \"bName\", \"bTime\") VALUES (?, ?, ?, ?, ?)");
        f.db->execute(insert, {f.day(), 2, 8, QStringLiteral("Zoe Second"), QStringLiteral("09:00 AM ")});
        f.db->execute(insert, {f.day(), 1, 10, QStringLiteral("Amy First"), QStringLiteral("10:00 AM ")});
        f.db->execute(insert, {f.day(), 1, 6, QString(), QStringLiteral("08:00 AM ")}); // abandoned
        f.db->execute(insert, {f.day().addDays(1), 1, 6, QStringLiteral("Next Day"), QStringLiteral("08:00 AM ")});
        f.open(f.day());
        f.choose(2);
        RecordsWindow *records = f.window<RecordsWindow>();
        QVERIFY(records);
        auto *view = records->findChild<QTableView *>(QStringLiteral("Grid1"));
        QCOMPARE(view->model()->rowCount(), 2);
        QCOMPARE(view->model()->index(0, 2).data().toString(), QStringLiteral("Amy First"));
        QCOMPARE(view->model()->index(1, 2).data().toString(), QStringLiteral("Zoe Second"));

        view->setColumnWidth(2, 200);
        QApplication::setActiveWindow(records);
        QTest::keyClick(records->gridView(), Qt::Key_F11);
        PrintPreviewWindow *preview = records->findChild<PrintPreviewWindow *>();
        QVERIFY(preview);
        QCOMPARE(preview->schedule().table().rowCount(), 2);
        QCOMPARE(preview->schedule().table().textMatrix(1, 2), QStringLiteral("Zoe Second"));
        // The details print no cell colours: the records' cells stay light.
        const QImage top = preview->picture().copy(0, 0, preview->picture().width(), 80);
        QVERIFY2(darkShare(top) < 0.15, qPrintable(QString::number(darkShare(top))));
        QCOMPARE(PrintSettings::parseWidths(f.setup("DWidth")).value(2), 3000);
    }
};
class PrintWindowsTestFile : public PrintWindowsTest {
    Q_OBJECT
public:
    PrintWindowsTestFile() : PrintWindowsTest(false) {}
};
class PrintWindowsTestPg : public PrintWindowsTest {
    Q_OBJECT
public:
    PrintWindowsTestPg() : PrintWindowsTest(true) {}
};
static testreg::AddOnBothEngines<PrintWindowsTestFile, PrintWindowsTestPg> s_print("PrintWindowsTest",
                                                                                   "PrintWindowsTestPg");
#include "PrintWindowsTest.moc"
