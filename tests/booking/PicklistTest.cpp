#include "booking/Picklist.h"
#include "BookingStation.h"
#include "booking/BookingWindow.h"
#include "booking/PicklistWindow.h"

#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

using namespace BookingEntry;

// The picklists of tbl_Setup2: their stored format, the editors in edit mode, and picks into a
// booking form. On both engines.
class PicklistTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<BookingStation> m_station;
    bool m_onServer;

    QString shared() const { return Database::sharedIn(m_folder->path()); }

    QString stored(const char *field)
    {
        Database db(shared());
        return db.scalar(QStringLiteral("SELECT \"%1\" FROM \"tbl_Setup2\"").arg(QLatin1String(field))).toString();
    }
    void store(const char *field, const QString &value)
    {
        Database db(shared());
        db.execute(QStringLiteral("UPDATE \"tbl_Setup2\" SET \"%1\" = ?").arg(QLatin1String(field)), {value});
    }
    QPointer<BookingWindow> openForm()
    {
        m_station->booking.claimSlot(8, 2);
        auto *form = new BookingWindow(m_station->state, m_station->booking, m_station->desk, m_station->entered(8, 2));
        if (!form->load())
            return nullptr;
        form->show();
        return form;
    }
    // A press on a booking field opens its editor in pick mode.
    PicklistWindow *pickFrom(BookingWindow *form, const char *field, PicklistKind kind)
    {
        QTest::mouseClick(form->findChild<QLineEdit *>(QLatin1String(field)), Qt::LeftButton);
        PicklistWindow *editor = m_station->desk.picklists().find(kind);
        return editor && editor->isVisible() && editor->pickMode() ? editor : nullptr;
    }
    static void press(PicklistWindow *editor, const QString &box)
    {
        QLineEdit *e = editor->findChild<QLineEdit *>(box);
        QVERIFY2(e, qPrintable(box));
        QTest::mouseClick(e, Qt::LeftButton);
    }
    static QString text(BookingWindow *form, const char *name)
    {
        return form->findChild<QLineEdit *>(QLatin1String(name))->text();
    }
    // Menu items "Menu 0" to "Menu 20", item i taking i/4 hours.
    void numberedMenu()
    {
        QStringList names, times;
        for (int i = 0; i < 21; ++i) {
            names << QStringLiteral("Menu %1").arg(i);
            times << QString::number(i / 4.0);
        }
        store("dMenu", Picklist::buildList(names));
        store("dTMenu", Picklist::buildList(times));
    }

public:
    explicit PicklistTest(bool onServer) : m_onServer(onServer) {}

private slots:
    void init()
    {
        m_folder = std::make_unique<TestFolder>();
        pointStationAt(*m_folder, m_onServer);
        m_station = std::make_unique<BookingStation>(*m_folder);
    }
    void cleanup()
    {
        QList<QPointer<BookingWindow>> forms;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *f = qobject_cast<BookingWindow *>(w))
                forms << f;
        qDeleteAll(forms);
        m_station.reset();
    }

    void twoEntryListSavedUnchangedGetsNineteenMoreSigns()
    {
        store("dMainten", QStringLiteral("Oil Change%Brakes%"));
        Picklist list(PicklistKind::Mainten);
        Database db(shared());
        list.load(db);
        QCOMPARE(list.text(0, 1), QStringLiteral("Brakes"));
        QCOMPARE(list.text(0, 2), QString());
        list.save(db);
        QCOMPARE(stored("dMainten"), QStringLiteral("Oil Change%Brakes%") + QString(19, QLatin1Char('%')));
        QCOMPARE(stored("dTMainten").count(QLatin1Char('%')), 21);
    }

    void percentIsRefusedInListEntries()
    {
        Picklist list(PicklistKind::Address);
        QVERIFY(!list.setText(1, 0, QStringLiteral("Stoney%Creek")));
        QVERIFY(list.setText(0, 0, QStringLiteral("100% Hamilton"))); // the default city is no list
        m_station->desk.picklists().show(m_station->state, PicklistKind::Make);
        PicklistWindow *editor = m_station->desk.picklists().find(PicklistKind::Make);
        QVERIFY(editor && !editor->pickMode());
        QLineEdit *box = editor->findChild<QLineEdit *>(QStringLiteral("txtM3"));
        box->clear();
        QTest::keyClicks(box, QStringLiteral("Ford%GM"));
        QCOMPARE(box->text(), QStringLiteral("FordGM"));
        editor->cmdSave();
        QCOMPARE(Picklist::readList(stored("dMake"), 21).at(3), QStringLiteral("FordGM"));
        QCOMPARE(stored("dMake").count(QLatin1Char('%')), 21);
    }

    void editModeSavesEveryListOfTheEditor()
    {
        PicklistWindow *editor = m_station->desk.picklists().show(m_station->state, PicklistKind::Address);
        QVERIFY(editor->findChild<QPushButton *>(QStringLiteral("cmdSave"))->isVisible());
        QVERIFY(!editor->findChild<QLineEdit *>(QStringLiteral("txtM0"))->isReadOnly());
        QSignalSpy closed(editor, &PicklistWindow::editClosed);
        QTest::keyClicks(editor->findChild<QLineEdit *>(QStringLiteral("txtDCity")), QStringLiteral("ville"));
        QTest::keyClicks(editor->findChild<QLineEdit *>(QStringLiteral("txtOProv1")), QStringLiteral("2"));
        QTest::mouseClick(editor->findChild<QPushButton *>(QStringLiteral("cmdSave")), Qt::LeftButton);
        QCOMPARE(stored("dCity"), QStringLiteral("Hamiltonville"));
        QCOMPARE(stored("dPOthers"), QStringLiteral("QC%MB2%"));
        QCOMPARE(stored("dCOthers").count(QLatin1Char('%')), 12);
        QCOMPARE(m_station->dialogs.count(), 0);
        editor->close();
        QCOMPARE(closed.count(), 1);
    }

    void editorThatCouldNotReadItsListsNeverSavesThem()
    {
        const QString before = stored("dMake");
        const QString db = shared();
        const QString away = m_folder->file(QStringLiteral("away"));
        QVERIFY(QFile::rename(db, away)); // the server folder is out of reach while the editor loads
        PicklistWindow *editor = m_station->desk.picklists().show(m_station->state, PicklistKind::Make);
        QVERIFY(QFile::rename(away, db));
        QCOMPARE(m_station->dialogs.count(), 1);
        QVERIFY(m_station->dialogs.last().text.contains(m_folder->path()));
        auto *save = editor->findChild<QPushButton *>(QStringLiteral("cmdSave"));
        QVERIFY(!save->isEnabled());
        QTest::keyClicks(editor->findChild<QLineEdit *>(QStringLiteral("txtM3")), QStringLiteral("Ford"));
        editor->cmdSave();
        QCOMPARE(stored("dMake"), before);
    }

    void menuItemsGoToTheFormInListOrder()
    {
        numberedMenu();
        QPointer<BookingWindow> form = openForm();
        PicklistWindow *editor = pickFrom(form, "txtMenu2", PicklistKind::MenuItems);
        QVERIFY(editor);
        QVERIFY(editor->findChild<QLineEdit *>(QStringLiteral("txtM7"))->isReadOnly());
        QVERIFY(!editor->findChild<QPushButton *>(QStringLiteral("cmdSave"))->isVisible());
        for (const char *box : {"txtM7", "txtM2", "txtM15"})
            press(editor, QLatin1String(box));
        QCOMPARE(editor->findChild<QLineEdit *>(QStringLiteral("txtM2"))->palette().color(QPalette::Base),
                 colorFromNumber(0xFFFFC0));
        QPointer<PicklistWindow> closing = editor;
        editor->close();
        QTRY_VERIFY(!closing);
        QCOMPARE(text(form, "txtMenu1"), QStringLiteral("Menu 2"));
        QCOMPARE(text(form, "txtMenu2"), QStringLiteral("Menu 7"));
        QCOMPARE(text(form, "txtMenu3"), QStringLiteral("Menu 15"));
        QCOMPARE(text(form, "txtMenu4"), QString());
        QCOMPARE(text(form, "txtMenu5"), QString());
        QCOMPARE(text(form, "tTime1") + "|" + text(form, "tTime2") + "|" + text(form, "tTime3") + "|"
                     + text(form, "tTime4") + "|" + text(form, "tTime5"),
                 QStringLiteral("0.5|1.75|3.75||"));
        QCOMPARE(text(form, "txtTTime"), QStringLiteral("6"));
        QVERIFY(form->flow().recordChanged() && form->flow().timeChanged());
    }

    void onlyTheFirstFiveMenuItemsAreTaken()
    {
        numberedMenu();
        QPointer<BookingWindow> form = openForm();
        PicklistWindow *editor = pickFrom(form, "txtMenu1", PicklistKind::MenuItems);
        for (int i : {20, 3, 9, 1, 12, 6, 0})
            press(editor, QStringLiteral("txtM%1").arg(i));
        press(editor, QStringLiteral("txtM3")); // a second press takes the mark off
        editor->close();
        QStringList menus;
        for (const char *name : {"txtMenu1", "txtMenu2", "txtMenu3", "txtMenu4", "txtMenu5"})
            menus << text(form, name);
        QCOMPARE(menus.join(QLatin1Char(',')), QStringLiteral("Menu 0,Menu 1,Menu 6,Menu 9,Menu 12"));
    }

    void closingWithNothingSelectedEmptiesTheMenuItems()
    {
        numberedMenu();
        QPointer<BookingWindow> form = openForm();
        form->findChild<QLineEdit *>(QStringLiteral("txtMenu4"))->setText(QStringLiteral("Old item"));
        form->findChild<QLineEdit *>(QStringLiteral("tTime4"))->setText(QStringLiteral("2"));
        PicklistWindow *editor = pickFrom(form, "txtMenu4", PicklistKind::MenuItems);
        editor->close();
        for (const char *name : {"txtMenu1", "txtMenu4", "txtMenu5", "tTime1", "tTime4", "tTime5"})
            QCOMPARE(text(form, name), QString());
        QCOMPARE(text(form, "txtTTime"), QStringLiteral("0"));
    }

    void internalJobsTakeTwo()
    {
        QPointer<BookingWindow> form = openForm();
        PicklistWindow *editor = pickFrom(form, "txtInternal1", PicklistKind::Internal);
        for (const char *box : {"txtM4", "txtM1", "txtM6"})
            press(editor, QLatin1String(box));
        editor->close();
        QCOMPARE(text(form, "txtInternal1"), QStringLiteral("New Vehicle Pre-delivery"));
        QCOMPARE(text(form, "txtInternal2"), QStringLiteral("Tow Truck Service"));
        QCOMPARE(text(form, "tTime6") + "|" + text(form, "tTime7"), QStringLiteral("1.5|1.5"));
    }

    void maintenancePickUpdatesTheTotalAtOnce()
    {
        QPointer<BookingWindow> form = openForm();
        form->findChild<QLineEdit *>(QStringLiteral("tTime8"))->setText(QStringLiteral("0.25"));
        PicklistWindow *editor = pickFrom(form, "txtMainten", PicklistKind::Mainten);
        QVERIFY(editor);
        QCOMPARE(editor->findChild<QLineEdit *>(QStringLiteral("txtTime4"))->text(), QStringLiteral("1.5"));
        press(editor, QStringLiteral("txtM4"));
        QCOMPARE(text(form, "txtMainten"), QStringLiteral("Front Brake Pads"));
        QCOMPARE(text(form, "tTime0"), QStringLiteral("1.5"));
        QCOMPARE(text(form, "txtTTime"), QStringLiteral("1.75"));
        // A single pick hides the editor and keeps it for the next pick.
        QVERIFY(!editor->isVisible());
        QCOMPARE(m_station->desk.picklists().find(PicklistKind::Mainten), editor);
    }

    // A one-job booking by keyboard alone: Tab runs name, phone, vehicle, make, job, its time,
    // drop-off, promised, comments, Save; F4 opens a field's list wholly on the form's screen,
    // Down and Enter pick, Esc closes; Alt+S saves from any field.
    void aBookingByKeyboard()
    {
        QPointer<BookingWindow> form = openForm();
        QWidget *w = form->findChild<QLineEdit *>(QStringLiteral("txtName"));
        QStringList chain;
        for (int i = 0; i < 10; ++i, w = w->nextInFocusChain()) {
            while (w->focusPolicy() == Qt::NoFocus || w->focusProxy())
                w = w->nextInFocusChain();
            chain << w->objectName();
        }
        QCOMPARE(chain.join(QLatin1Char(' ')), QStringLiteral("txtName txtPhone txtVehicle txtMake txtMainten tTime0 "
                                                              "cboDTime cboPTIme txtComments cmdSave"));

        QTest::keyClicks(form->findChild<QLineEdit *>(QStringLiteral("txtName")), QStringLiteral("Kim Ode"));
        QTest::keyClick(form->findChild<QLineEdit *>(QStringLiteral("txtVehicle")), Qt::Key_F4);
        PicklistWindow *vehicles = m_station->desk.picklists().find(PicklistKind::Vehicle);
        QVERIFY(vehicles && vehicles->isVisible());
        QTest::keyClick(vehicles->focusWidget(), Qt::Key_Escape);
        QVERIFY(!vehicles->isVisible());
        QCOMPARE(text(form, "txtVehicle"), QString());

        QTest::keyClick(form->findChild<QLineEdit *>(QStringLiteral("txtMainten")), Qt::Key_Down, Qt::AltModifier);
        PicklistWindow *jobs = m_station->desk.picklists().find(PicklistKind::Mainten);
        QVERIFY(jobs && jobs->isVisible());
        QVERIFY(form->screen()->availableGeometry().contains(jobs->frameGeometry()));
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(jobs->focusWidget(), Qt::Key_Down);
        QTest::keyClick(jobs->focusWidget(), Qt::Key_Return);
        QCOMPARE(text(form, "txtMainten"), QStringLiteral("Front Brake Pads"));
        QCOMPARE(text(form, "tTime0"), QStringLiteral("1.5"));

        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QTest::keyClick(form->findChild<QLineEdit *>(QStringLiteral("txtPhone")), Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(!form);
        QCOMPARE(m_station->storedText(8, 2), QStringLiteral("Kim Ode"));
        Database db(shared());
        QCOMPARE(db.scalar(QStringLiteral("SELECT \"bMainten\" FROM \"tbl_Job\" WHERE \"bName\" = ?"),
                           {QStringLiteral("Kim Ode")})
                     .toString(),
                 QStringLiteral("Front Brake Pads"));
    }

    void cityAndProvincePicksAndTheEditorOutlivesTheForm()
    {
        QPointer<BookingWindow> form = openForm();
        PicklistWindow *editor = pickFrom(form, "txtProv", PicklistKind::Address);
        press(editor, QStringLiteral("txtOProv1"));
        QCOMPARE(text(form, "txtProv"), QStringLiteral("MB"));
        pickFrom(form, "txtCity", PicklistKind::Address);
        press(editor, QStringLiteral("txtM1"));
        QCOMPARE(text(form, "txtCity"), QStringLiteral("Stoney Creek"));
        pickFrom(form, "txtMake", PicklistKind::Make);
        QPointer<PicklistWindow> make = m_station->desk.picklists().find(PicklistKind::Make);
        m_station->dialogs.answer(Dialogs::AnsNo); // the picked city and province are not kept
        QTest::keyClick(form->findChild<QLineEdit *>(QStringLiteral("txtName")), Qt::Key_Escape);
        QTRY_VERIFY(!form);
        QTRY_VERIFY(!make);
        QCOMPARE(m_station->desk.picklists().find(PicklistKind::Address), editor);
        // Asked for from the setup menu, the hidden pick-mode editor comes back in edit mode.
        PicklistWindow *edit = m_station->desk.picklists().show(m_station->state, PicklistKind::Address);
        QVERIFY(!edit->pickMode());
        QVERIFY(!edit->findChild<QLineEdit *>(QStringLiteral("txtM1"))->isReadOnly());
    }

    void infoReportsAMissingDocument()
    {
        PicklistWindow *editor = m_station->desk.picklists().show(m_station->state, PicklistKind::Internal);
        QFile::remove(m_folder->file(QStringLiteral("Info.doc")));
        QTest::mouseClick(editor->findChild<QPushButton *>(QStringLiteral("cmdInfo")), Qt::LeftButton);
        QCOMPARE(m_station->dialogs.last().text, QStringLiteral("File not found"));
        QCOMPARE(m_station->dialogs.last().title, QStringLiteral("Torvane Network Version"));
    }
};
class PicklistTestFile : public PicklistTest {
    Q_OBJECT
public:
    PicklistTestFile() : PicklistTest(false) {}
};
class PicklistTestPg : public PicklistTest {
    Q_OBJECT
public:
    PicklistTestPg() : PicklistTest(true) {}
};
static testreg::AddOnBothEngines<PicklistTestFile, PicklistTestPg> s_picklists("PicklistTest", "PicklistTestPg");
#include "PicklistTest.moc"
