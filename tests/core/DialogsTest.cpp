#include "ScriptedDialogs.h"
#include "TestRegistry.h"
#include "store/AppError.h"

#include <QTest>

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void commonMessageCarriesNumberAndText()
    {
        ScriptedDialogs d;
        d.error(AppError(3021, QStringLiteral("No current record.")), QStringLiteral("Refresh Grid"));
        QCOMPARE(d.last().text, QStringLiteral("3021: Error Description No current record."));
        QCOMPARE(d.last().title, QStringLiteral("Refresh Grid"));
    }
    void untitledMessageShowsProgramTitle()
    {
        ScriptedDialogs d;
        d.answer(Dialogs::AnsYes);
        QVERIFY(d.ask(QStringLiteral("Sure?")));
        QCOMPARE(d.last().title, QStringLiteral("Torvane Network Version"));
        QCOMPARE(d.last().buttons, Dialogs::YesNo);
    }
};
TORVANE_TEST(DialogsTest)
#include "DialogsTest.moc"
