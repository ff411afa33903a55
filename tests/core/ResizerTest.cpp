#include "core/Resizer.h"
#include "TestRegistry.h"
#include "core/Twips.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

// A window laid out at 6000 x 4000 twips inside, controls placed absolutely as the windows are.
struct Window {
    std::unique_ptr<QWidget> w{new QWidget};
    QLabel *label;
    QPushButton *button;
    QFrame *frame;
    QLineEdit *inFrame;

    Window()
    {
        w->resize(twipsToPixels(6000), twipsToPixels(4000));
        label = new QLabel(QStringLiteral("Name"), w.get());
        label->setGeometry(100, 50, 200, 30);
        QFont f = label->font();
        f.setPointSize(10);
        label->setFont(f);
        button = new QPushButton(QStringLiteral("OK"), w.get());
        button->setGeometry(300, 150, 60, 40);
        frame = new QFrame(w.get());
        frame->setGeometry(20, 100, 200, 100);
        inFrame = new QLineEdit(frame);
        inFrame->setGeometry(10, 10, 100, 20);
    }
    void show()
    {
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    void resizeTwips(int width, int height) { w->resize(twipsToPixels(width), twipsToPixels(height)); }
    QList<QRect> layout() const
    {
        return {label->geometry(), button->geometry(), frame->geometry(), inFrame->geometry()};
    }
};

class ResizerTest : public QObject {
    Q_OBJECT
private slots:
    void firstResizeRecordsAndLaterOnesScale()
    {
        Window win;
        Resizer resizer(win.w.get());
        QVERIFY(!resizer.hasRecords());
        win.show();
        QVERIFY(resizer.hasRecords());
        const QList<QRect> designed = win.layout();

        win.resizeTwips(9000, 4000); // 1.5 times as wide, as high as before
        QCOMPARE(win.label->geometry(), QRect(150, 50, 300, 30));
        QCOMPARE(win.button->geometry(), QRect(450, 150, 90, 40));
        QCOMPARE(win.frame->geometry(), QRect(30, 100, 300, 100));
        QCOMPARE(win.inFrame->geometry(), QRect(15, 10, 150, 20)); // scaled inside its frame
        QCOMPARE(win.label->font().pointSize(), 10);

        win.resizeTwips(5000, 7000);
        win.resizeTwips(6000, 4000);
        QCOMPARE(win.layout(), designed);
    }
    void fontsScaleByTheSmallerRatio()
    {
        Window win;
        Resizer resizer(win.w.get());
        resizer.resizeFonts = true;
        win.show();
        win.resizeTwips(9000, 4000);
        QCOMPARE(win.label->font().pointSizeF(), 10.0);
        win.resizeTwips(9000, 8000); // across 1.5, down 2
        QCOMPARE(win.label->font().pointSizeF(), 15.0);
        win.resizeTwips(6000, 4000);
        QCOMPARE(win.label->font().pointSizeF(), 10.0);
    }
    void twoResizersGiveTheSameLayoutAsOne()
    {
        Window one, two;
        Resizer a(one.w.get());
        Resizer b(two.w.get());
        Resizer c(two.w.get());
        one.show();
        two.show();
        for (const QSize s : {QSize(9000, 4000), QSize(7777, 5123), QSize(3000, 9000)}) {
            one.resizeTwips(s.width(), s.height());
            two.resizeTwips(s.width(), s.height());
            QCOMPARE(two.layout(), one.layout());
        }
    }
    void controlsAddedLaterAreLeftAloneUntilRebuild()
    {
        Window win;
        Resizer resizer(win.w.get());
        win.show();
        auto *late = new QPushButton(win.w.get());
        late->setGeometry(40, 40, 80, 20);
        delete win.button; // a recorded control that went away is skipped
        win.button = nullptr;
        win.resizeTwips(9000, 4000);
        QCOMPARE(late->geometry(), QRect(40, 40, 80, 20));
        QCOMPARE(win.label->geometry(), QRect(150, 50, 300, 30));

        resizer.rebuild();           // the current layout becomes the reference
        win.resizeTwips(4500, 4000); // half as wide as the new reference
        QCOMPARE(late->geometry(), QRect(20, 40, 40, 20));
        QCOMPARE(win.label->geometry(), QRect(75, 50, 150, 30));
    }
    void keepAspectMakesItTallerOnce()
    {
        Window win;
        Resizer resizer(win.w.get());
        resizer.keepAspect = true;
        const float aspect = float(twipsToPixels(4000)) / float(twipsToPixels(6000));
        QCOMPARE(resizer.aspectRatio(), aspect);
        win.show();
        const int refHeight = win.w->height();
        win.resizeTwips(9000, 4000);
        const int width = win.w->width();
        const int height = win.w->height();
        QCOMPARE(height, qRound(float(width) * aspect));
        QVERIFY(height > refHeight);
        // Every control is placed once from its recorded values for the final size.
        const float vr = float(height) / float(refHeight);
        QCOMPARE(win.label->geometry(), QRect(150, qRound(50 * vr), 300, qRound(30 * vr)));
        QCOMPARE(win.button->geometry(), QRect(450, qRound(150 * vr), 90, qRound(40 * vr)));
    }
    void layoutManagedWidgetsAreLeftToTheirLayout()
    {
        QWidget w;
        w.resize(400, 300);
        auto *panel = new QWidget(&w);
        panel->setGeometry(0, 0, 200, 100);
        auto *box = new QHBoxLayout(panel);
        auto *inLayout = new QPushButton(QStringLiteral("x"));
        box->addWidget(inLayout);
        Resizer resizer(&w);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.resize(800, 300);
        QCOMPARE(panel->geometry(), QRect(0, 0, 400, 100));
        // Where the layout puts it, not twice its recorded place.
        const QMargins margins = box->contentsMargins();
        QCOMPARE(inLayout->x(), margins.left());
        QCOMPARE(inLayout->width(), 400 - margins.left() - margins.right());
    }
};
TORVANE_TEST(ResizerTest)
#include "ResizerTest.moc"
