#include "setup/TemplateEditor.h"

#include "core/Colors.h"
#include "core/ListText.h"
#include "daypage/PageText.h"
#include "store/Database.h"
#include "store/SettingsStore.h"

#include <QLocale>

namespace {
// Other programs end a copied block with a line break: it is no row of its own, and pasted as one
// it would empty the cell below the block.
QString withoutLastLineBreak(QString text)
{
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    return text;
}
} // namespace

TemplateEditor::TemplateEditor(Database &db) : m_db(db), m_model(m_grid)
{
    SettingsStore settings(m_db);
    const OfficeSettings s = settings.office();
    m_location = s.location;
    const SettingsStore::Layout layout = settings.layout();
    GridBatch batch(m_grid);
    m_model.drawColumns(s.listno, splitList(s.sites), splitList(s.names), layout.cwidth);
    m_model.drawRows(s.open, s.close, s.timeslot, layout.rHeight);
    singleCellLook();
}

QString TemplateEditor::dayTitle() const { return QLocale().toString(m_day, QStringLiteral("dddd")); }

QString TemplateEditor::nextCaption() const
{
    return isLastDay() ? QStringLiteral("Finish") : QLocale().toString(m_day.addDays(1), QStringLiteral("ddd"));
}

void TemplateEditor::showDay(const QDate &d)
{
    const SettingsStore::DayTemplate t = SettingsStore(m_db).dayTemplate(OfficeSettings::weekdayNumber(d));
    m_day = d;
    GridBatch batch(m_grid);
    // Nothing of the weekday shown before stays: the whole block is emptied first.
    m_model.loadPageText(t.text.toString());
    setClosed(t.closed);
    m_shownText = m_model.pageText();
    m_shownClosed = m_closed;
    m_grid.setCurrentCell(m_row, m_col);
}

void TemplateEditor::setClosed(bool closed)
{
    m_closed = closed;
    m_model.setLook(closed);
    if (m_blockMode)
        blockLook();
    else
        singleCellLook();
}

bool TemplateEditor::changed() const { return m_closed != m_shownClosed || m_model.pageText() != m_shownText; }

QString TemplateEditor::columnWidths() const
{
    QStringList widths;
    for (int c = 0; c < m_grid.cols(); ++c)
        widths << QString::number(m_grid.colWidth(c));
    return joinList(widths, true);
}

void TemplateEditor::storeDay()
{
    const QString text = m_model.pageText();
    retryOnLock([&] {
        SettingsStore(m_db).saveDayTemplate(OfficeSettings::weekdayNumber(m_day), text, m_closed, columnWidths());
    });
    m_shownText = text;
    m_shownClosed = m_closed;
}

bool TemplateEditor::next()
{
    storeDay();
    if (isLastDay())
        return true;
    showDay(m_day.addDays(1));
    return false;
}

// ---- selection and clipboard ----

void TemplateEditor::singleCellLook()
{
    GridBatch batch(m_grid);
    m_blockMode = false;
    m_grid.setFocusRect(GridModel::FocusHeavy);
    m_grid.setBackColorSel(m_grid.backColor());
    m_grid.setForeColorSel(BlackColor);
}

void TemplateEditor::blockLook()
{
    GridBatch batch(m_grid);
    m_blockMode = true;
    m_grid.setFocusRect(GridModel::FocusNone);
    m_grid.setBackColorSel(BlockSelectColor);
    m_grid.setForeColorSel(WhiteColor);
}

void TemplateEditor::cellClicked()
{
    m_row = m_grid.row();
    m_col = m_grid.col();
    singleCellLook();
}

void TemplateEditor::blockSelected() { blockLook(); }

QString TemplateEditor::copy()
{
    m_singleCellClip = !m_blockMode;
    const QString text = m_blockMode ? m_grid.clip() : m_grid.text(m_row, m_col);
    m_grid.setCurrentCell(m_row, m_col);
    singleCellLook();
    return text;
}

QString TemplateEditor::cut()
{
    m_singleCellClip = !m_blockMode;
    QString text;
    if (m_blockMode) {
        text = m_grid.clip();
        emptyBlock(m_grid.row(), m_grid.col(), m_grid.rowSel(), m_grid.colSel());
    } else {
        text = m_grid.text(m_row, m_col);
        m_grid.setText(m_row, m_col, QString());
    }
    m_grid.setCurrentCell(m_row, m_col);
    singleCellLook();
    return text;
}

void TemplateEditor::deleteCells()
{
    if (m_blockMode)
        emptyBlock(m_grid.row(), m_grid.col(), m_grid.rowSel(), m_grid.colSel());
    else
        m_grid.setText(m_row, m_col, QString());
    m_grid.setCurrentCell(m_row, m_col);
    singleCellLook();
}

void TemplateEditor::paste(const QString &clipboard)
{
    if (m_singleCellClip)
        m_grid.setText(m_row, m_col, PageText::pastedCellText(clipboard));
    else
        m_grid.setPageText(m_row, m_col, m_model.lastRow(), m_model.lastCol(), withoutLastLineBreak(clipboard));
    m_grid.setCurrentCell(m_row, m_col);
    singleCellLook();
}

void TemplateEditor::setCellText(int r, int c, const QString &text) { m_grid.setText(r, c, PageText::cellText(text)); }

void TemplateEditor::emptyBlock(int r0, int c0, int r1, int c1)
{
    GridBatch batch(m_grid);
    // Only the template's own cells: the headings and time labels stay.
    for (int r = qMax(PageModel::TextTopRow, qMin(r0, r1)); r <= qMax(r0, r1); ++r)
        for (int c = qMax(1, qMin(c0, c1)); c <= qMax(c0, c1); ++c)
            m_grid.setText(r, c, QString());
}
