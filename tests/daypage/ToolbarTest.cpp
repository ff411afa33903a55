#include "DayPageFixture.h"
#include "TestRegistry.h"
#include "core/Colors.h"
#include "core/StartDoc.h"
#include "core/Twips.h"
#include "daypage/Legend.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

namespace {
// An environment in which the desktop knows no program for any document.
class NoAssociations {
public:
    NoAssociations()
    {
        for (const char *name : Names) {
            m_saved.append(qgetenv(name));
            m_was.append(qEnvironmentVariableIsSet(name));
            qputenv(name, m_dir.path().toLocal8Bit());
        }
    }
    ~NoAssociations()
    {
        for (int i = 0; i < int(std::size(Names)); ++i) {
            if (m_was.at(i))
                qputenv(Names[i], m_saved.at(i));
            else
                qunsetenv(Names[i]);
        }
    }

private:
    static constexpr const char *Names[] = {"XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"};
    QTemporaryDir m_dir;
    QList<QByteArray> m_saved;
    QList<bool> m_was;
};
} // namespace

// The toolbar's keys, startDoc's failure texts, the colour legend and the print options panel.
class ToolbarTest : public QObject {
    Q_OBJECT
    std::unique_ptr<DayPageFixture> s;

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::system()); }
    void init()
    {
        s = std::make_unique<DayPageFixture>();
        QVERIFY(s->ready());
        s->open(DayPageFixture::day());
        s->dialogs.clear();
    }
    void cleanup() { s.reset(); }

    void startDocNamesTheShellsFailures()
    {
        QTemporaryDir dir;
        QCOMPARE(startDoc(QDir(dir.path()).filePath(QStringLiteral("Info.doc")), dir.path()), Shell::FileNotFound);
        QCOMPARE(startDoc(QDir(dir.path()).filePath(QStringLiteral("gone/Info.doc")), dir.path()), Shell::PathNotFound);
        {
            NoAssociations none;
            const QString doc = QDir(dir.path()).filePath(QStringLiteral("notes.zzqx"));
            QFile f(doc);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("notes");
            f.close();
            QCOMPARE(startDoc(doc, dir.path()), Shell::NoAssociation);
        }
        QCOMPARE(shellErrorText(2), QStringLiteral("File not found"));
        QCOMPARE(shellErrorText(31), QStringLiteral("No association for file extension"));
        QCOMPARE(shellErrorText(26), QStringLiteral("A sharing violation occurred"));
        QCOMPARE(shellErrorText(0), QStringLiteral("Unknown error"));
        QCOMPARE(shellErrorText(33), QStringLiteral("Unknown error"));
    }

    void infoButtonReportsAMissingDocumentWithTheProgramTitle()
    {
        QVERIFY(!QFile::exists(QDir(s->state.paths().serverFolder()).filePath(QStringLiteral("Info.doc"))));
        s->w->toolbarAction(QStringLiteral("xls"))->trigger();
        QCOMPARE(s->dialogs.count(), 1);
        QCOMPARE(s->dialogs.last().text, QStringLiteral("File not found"));
        QCOMPARE(s->dialogs.last().title, Dialogs::ProgramTitle);
        QCOMPARE(s->dialogs.last().buttons, Dialogs::Ok);
    }

    void durationAndColourButtonsPaintFromTheCurrentSlot()
    {
        s->grid().setCurrentCell(12, 1);
        s->w->toolbarAction(QStringLiteral("Yellow"))->trigger();
        QCOMPARE(s->w->page().spanChoice().color, 0xFFFF);
        s->w->toolbarAction(QStringLiteral("Two"))->trigger();
        QCOMPARE(s->w->page().spanChoice().cells, 4);
        for (int row : {12, 13, 16, 17})
            QCOMPARE(s->storedColour(row, 1), qint64(0xFFFF));
        for (int row : {14, 15})
            QCOMPARE(s->storedColour(row, 1), LunchColor);
        QCOMPARE(s->storedColour(18, 1), FreeSlotColor);

        const QHash<QString, int> spans{{QStringLiteral("Half"), 1},    {QStringLiteral("One"), 2},
                                        {QStringLiteral("OneHalf"), 3}, {QStringLiteral("TwoHalf"), 5},
                                        {QStringLiteral("Three"), 6},   {QStringLiteral("Four"), 8}};
        for (auto it = spans.begin(); it != spans.end(); ++it) {
            s->w->toolbarAction(it.key())->trigger();
            QCOMPARE(s->w->page().spanChoice().cells, it.value());
        }
        const QHash<QString, int> colours{{QStringLiteral("Blue"), 0xFFFFD0},
                                          {QStringLiteral("Red"), 0x8899FF},
                                          {QStringLiteral("Amber"), 0x80D0FF},
                                          {QStringLiteral("Green"), 0x80FF80}};
        for (auto it = colours.begin(); it != colours.end(); ++it) {
            s->w->toolbarAction(it.key())->trigger();
            QCOMPARE(s->w->page().spanChoice().color, it.value());
        }

        // Magenta colours the current slot alone, whatever the duration.
        s->grid().setCurrentCell(20, 3);
        s->w->toolbarAction(QStringLiteral("Magenta"))->trigger();
        QCOMPARE(s->storedColour(20, 3), qint64(0xFFB0FF));
        QCOMPARE(s->storedColour(21, 3), FreeSlotColor);
    }

    void legendCaptionsAndPlaces()
    {
        const QVector<Legend::Place> places = Legend::layout({1000, 500, 700});
        QCOMPARE(places.size(), 3);
        QCOMPARE(places.at(0).swatch, 60);
        QCOMPARE(places.at(0).caption, 360);
        QCOMPARE(places.at(1).swatch, 360 + 1000 + 165);
        QCOMPARE(places.at(1).caption, 360 + 1000 + 165 + 320);
        QCOMPARE(places.at(2).swatch, places.at(1).caption + 500 + 165);
        const QStringList three = Legend::captions(Legend::defaultCaptions(), QStringLiteral("A%B%C"));
        QCOMPARE(three.mid(0, 4), (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
                                               QStringLiteral("Complete")}));
        QCOMPARE(Legend::captions(three, QString()), three);

        // The window takes the office's captions each time it is activated.
        QCOMPARE(s->child<QLabel>("Label1_0")->text(), QStringLiteral("Customer Waiting"));
        QCOMPARE(s->child<QLabel>("Label1_7")->text(), QStringLiteral("Quote Only"));
        s->db->execute(QStringLiteral("UPDATE tbl_Setup SET Lblcolors = 'Waiting%Towed in'"));
        s->w->activatePage();
        QCOMPARE(s->child<QLabel>("Label1_0")->text(), QStringLiteral("Waiting"));
        QCOMPARE(s->child<QLabel>("Label1_1")->text(), QStringLiteral("Towed in"));
        QCOMPARE(s->child<QLabel>("Label1_2")->text(), QStringLiteral("Parts Ordered"));
        auto *caption0 = s->child<QLabel>("Label1_0");
        QCOMPARE(s->child<QLabel>("Image1_0")->x(), twipsToPixels(60));
        QCOMPARE(caption0->x(), twipsToPixels(360));
        QCOMPARE(s->child<QLabel>("Image1_1")->x(), twipsToPixels(360 + int(pixelsToTwips(caption0->width())) + 165));

        // Each sample shows a colour a booking can be painted with, in the order of the paints.
        for (int i = 0; i < Legend::Count; ++i) {
            const QByteArray name = "Image1_" + QByteArray::number(i);
            const QImage sample = s->child<QLabel>(name.constData())->pixmap().toImage();
            QCOMPARE(sample.pixelColor(8, 8), colorFromNumber(PaintColors[i].color));
        }
    }

    void printOptionsPanel()
    {
        auto *panel = s->child<QFrame>("fraPrint");
        auto *print = s->child<QPushButton>("cmdPrint");
        s->grid().setCurrentCell(11, 3);
        s->state.windows().setPrintView({}); // no print views to open
        s->w->toolbarAction(QStringLiteral("Print"))->trigger();
        QVERIFY(panel->isVisible());
        QVERIFY(s->child<QRadioButton>("optPrint_2")->isChecked());
        QVERIFY(s->child<QRadioButton>("optPrint_2")->hasFocus());
        QCOMPARE(s->child<QRadioButton>("optPrint_0")->text(), QStringLiteral("View Weekly Schedule"));
        QCOMPARE(s->child<QRadioButton>("optPrint_1")->text(), QStringLiteral("Print Daily Summary"));
        QVERIFY(!print->isEnabled());

        QList<DayPageWindow::PrintChoice> asked;
        s->state.windows().setPrintView([&](QWidget *, int c) { asked.append(DayPageWindow::PrintChoice(c)); });
        // Ctrl+P, as everywhere on the desktop.
        QVERIFY(s->ready());
        QTest::keyClick(s->view(), Qt::Key_P, Qt::ControlModifier);
        QVERIFY(panel->isVisible());
        QVERIFY(print->isEnabled());
        s->child<QRadioButton>("optPrint_0")->setChecked(true);
        QTest::mouseClick(print, Qt::LeftButton);
        QCOMPARE(asked, QList<DayPageWindow::PrintChoice>{DayPageWindow::PrintChoice::WeeklySchedule});

        QTest::mouseClick(s->child<QPushButton>("cmdClose"), Qt::LeftButton);
        QVERIFY(!panel->isVisible());
        QCOMPARE(s->grid().row(), 6);
        QCOMPARE(s->grid().col(), 1);
    }
};
TORVANE_TEST(ToolbarTest)
#include "ToolbarTest.moc"
