#include "ScriptedDialogs.h"
#include "TestRegistry.h"
#include "core/AppState.h"
#include "print/DrawSurface.h"
#include "print/TablePrint.h"
#include "store/AppError.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Page objects of a PDF file ("/Type /Page", not the "/Pages" tree).
int pdfPageCount(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QString text = QString::fromLatin1(f.readAll());
    return int(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?![s\\w])"))));
}
} // namespace

class PdfOutputTest : public QObject {
    Q_OBJECT
private slots:
    void threePageTableGivesThreePdfPages()
    {
        AppState state;
        ScriptedDialogs dialogs;
        state.setDialogs(&dialogs);
        TablePrint t(state.dialogs());
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("schedule.pdf"));
        auto pdf = PageSurface::pdfFile(path, QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                                          QMarginsF(6.35, 6.35, 6.35, 6.35), QPageLayout::Millimeter));

        auto font = std::make_shared<QFont>(QStringLiteral("Arial"));
        font->setPointSize(9);
        const QStringList heads{QStringLiteral("Time"), QStringLiteral("Bay 1\nAnna"), QStringLiteral("Bay 2\nBen"),
                                QStringLiteral("Bay 3\nCarl")};
        auto fill = [&](int rows) {
            t.setHasFooter(true);
            t.setRows(rows);
            t.setCols(4);
            t.setHeaderRows(1);
            t.setMarginLeft(285);
            t.setMarginTop(700);
            t.setMarginBottom(285);
            t.setCellXOffset(30);
            t.setCellYOffset(10);
            t.setMinRowHeight(275);
            t.setRepeatHeader(true);
            t.setColWidth(-1, 3000);
            t.setColWidth(0, 1400);
            t.setColAlignment(-1, 1);
            t.setMergeCol(1, true);
            t.setFontMatrix(-1, -1, font);
            t.setHeaderFont(-1, -1, font);
            t.setFooterFont(-1, font);
            t.setCellcolor(-1, -1, float(0xEEFFFF));
            for (int c = 0; c < 4; ++c)
                t.setHeaderText(0, c, heads[c]);
            for (int r = 0; r < rows; ++r) {
                t.setTextMatrix(r, 0,
                                QStringLiteral("%1:%2").arg(8 + r / 4).arg((r % 4) * 15, 2, 10, QLatin1Char('0')));
                t.setTextMatrix(r, 1, r % 8 < 3 ? QStringLiteral("Miller") : QString::number(r));
                if (r % 5 == 0) {
                    t.setTextMatrix(r, 2, QStringLiteral("Engaged"));
                    t.setCellcolor(r, 2, float(0xC0C0C0));
                }
            }
            t.setFooterText(-1, QStringLiteral("A 8  U 3"));
            t.setFooterText(0, QStringLiteral("Hours"));
        };
        fill(1);
        const int perPage = int(t.calcNumRowsPerPage(*pdf, true, false));
        QVERIFY(perPage > 10);
        fill(2 * perPage + perPage / 2);
        QCOMPARE(int(t.calcNumRowsPerPage(*pdf, true, false)), perPage);

        QList<int> breaks;
        connect(&t, &TablePrint::newPage, &t, [&](DrawSurface *s, bool &, bool &, int lastRow) {
            breaks << lastRow;
            static_cast<PageSurface *>(s)->newPage();
        });
        pdf->setCurrentY(t.marginTop());

        t.drawTable(*pdf, 0, 1);
        pdf->endDoc();

        QCOMPARE(dialogs.count(), 0);
        QCOMPARE(breaks, (QList<int>{perPage - 1, 2 * perPage - 1}));
        QCOMPARE(pdf->pageCount(), 3);
        QCOMPARE(pdfPageCount(path), 3);
        if (qEnvironmentVariableIsSet("TORVANE_KEEP_PDF"))
            QFile::copy(path, qEnvironmentVariable("TORVANE_KEEP_PDF"));
    }

    void unwritablePdfFileIsRefused()
    {
        QTemporaryDir dir;
        try {
            PageSurface::pdfFile(dir.filePath(QStringLiteral("missing/folder/x.pdf")), QPageLayout());
            QFAIL("no error");
        } catch (const AppError &e) {
            QCOMPARE(e.number(), 75);
        }
    }
};
TORVANE_TEST(PdfOutputTest)
#include "PdfOutputTest.moc"
