#include "FlexGrid.h"

#include "FlexGridDelegate.h"
#include "FlexGridModel.h"
#include "FormControls.h"
#include "Twips.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

namespace {
// Height of every row: a fixed section size keeps binding 100,000 rows cheap, since
// the view never measures rows one by one.
constexpr int kRowHeightTwips = 285;
// The site's choice for every grid; see setFittedColumns.
bool fitted = false;
} // namespace

FlexGrid::FlexGrid(QWidget* parent) : QTableView(parent), m_model(new FlexGridModel(this))
{
    setModel(m_model);
    setItemDelegate(new FlexGridDelegate(this));
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    fitRowHeightToFont();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setMinimumSectionSize(0);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    // Tab goes on to the next control of the window, never from cell to cell.
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    // The right button is the windows' own business (RightButtonDown); no menu of the
    // parent comes up over a list.
    setContextMenuPolicy(Qt::PreventContextMenu);
    paintChoiceWhileDisabled();

    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { applyColumnWidths(); });
    connect(m_model, &QAbstractItemModel::columnsInserted, this, [this] { applyColumnWidths(); });
    connect(m_model, &QAbstractItemModel::headerDataChanged, this, [this] { applyColumnWidths(); });
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] { stretchLastColumn(); });
}

void FlexGrid::setShowsChoiceWhileFrameDisabled(bool show)
{
    m_showsChoiceWhileFrameDisabled = show;
    paintChoiceWhileDisabled();
}

void FlexGrid::setChoosesByKeyboard(bool chooses)
{
    m_choosesByKeyboard = chooses;
}

void FlexGrid::paintChoiceWhileDisabled()
{
    // A disabled list has nothing chosen: its current row is not painted as selected,
    // unless only its frame is disabled and the window asked to keep the choice shown.
    const bool show = m_showsChoiceWhileFrameDisabled && !testAttribute(Qt::WA_ForceDisabled);
    QPalette colours = palette();
    colours.setColor(QPalette::Disabled, QPalette::Highlight,
                     show ? colours.color(QPalette::Inactive, QPalette::Highlight)
                          : colours.color(QPalette::Disabled, QPalette::Base));
    colours.setColor(QPalette::Disabled, QPalette::HighlightedText,
                     show ? colours.color(QPalette::Inactive, QPalette::HighlightedText)
                          : colours.color(QPalette::Disabled, QPalette::Text));
    setPalette(colours);
}

FlexGrid::~FlexGrid() = default;

void FlexGrid::Clear()
{
    m_model->clearCells();
}

int FlexGrid::Rows() const
{
    return m_model->gridRows();
}

void FlexGrid::setRows(int rows)
{
    m_model->setGridRows(rows);
    keepPositionInside();
}

int FlexGrid::Cols() const
{
    return m_model->gridCols();
}

void FlexGrid::setCols(int cols)
{
    m_model->setGridCols(cols);
    keepPositionInside();
}

void FlexGrid::setFormatString(const QString& format)
{
    QStringList texts;
    QList<Qt::Alignment> alignments;
    for (const QString& entry : format.split(QLatin1Char('|'))) {
        Qt::Alignment alignment = Qt::AlignLeft;
        QString text = entry;
        if (text.startsWith(QLatin1Char('<'))) {
            text.remove(0, 1);
        } else if (text.startsWith(QLatin1Char('^'))) {
            alignment = Qt::AlignHCenter;
            text.remove(0, 1);
        } else if (text.startsWith(QLatin1Char('>'))) {
            alignment = Qt::AlignRight;
            text.remove(0, 1);
        }
        texts.append(text);
        alignments.append(alignment);
    }
    setCols(int(texts.size()));
    m_model->setHeaders(texts, alignments);
}

void FlexGrid::setColWidth(int col, int twips)
{
    if (col < 0)
        return;
    m_colWidthTwips.insert(col, std::max(twips, 0));
    applyColumnWidths();
}

int FlexGrid::ColWidth(int col) const
{
    const auto it = m_colWidthTwips.constFind(col);
    if (it != m_colWidthTwips.constEnd())
        return it.value();
    return Twips::fromPixels(columnWidth(col));
}

QString FlexGrid::TextMatrix(int row, int col) const
{
    return m_model->text(row, col);
}

void FlexGrid::setTextMatrix(int row, int col, const QString& text)
{
    m_model->setText(row, col, text);
}

void FlexGrid::bind(const Recordset& recordset)
{
    m_model->bind(recordset);
    keepPositionInside();
}

void FlexGrid::AddItem(const QString& text)
{
    m_model->appendRow(text.split(QLatin1Char('\t')));
}

void FlexGrid::RemoveItem(int row)
{
    // The header row and the only data row stay: a grid always keeps one data row.
    if (row < 1 || row >= Rows() || Rows() <= 2)
        return;
    m_model->removeGridRow(row);
    keepPositionInside();
}

int FlexGrid::Row() const
{
    return m_row;
}

void FlexGrid::setRow(int row)
{
    if (row < 0 || row >= Rows())
        return;
    m_row = row;
    highlightCurrentRow();
}

int FlexGrid::Col() const
{
    return m_col;
}

void FlexGrid::setCol(int col)
{
    if (col < 0 || col >= Cols())
        return;
    m_col = col;
    m_colSel = col;
}

int FlexGrid::ColSel() const
{
    return m_colSel;
}

void FlexGrid::setColSel(int col)
{
    if (col < 0 || col >= Cols())
        return;
    m_colSel = col;
}

void FlexGrid::selectWholeRow()
{
    m_col = 0;
    m_colSel = Cols() - 1;
    highlightCurrentRow();
}

void FlexGrid::layOut(const QString& formatString, int cols, std::initializer_list<int> widthsTwips)
{
    // The rows go before the cells are emptied: a list of 100,000 employees would
    // otherwise have every cell emptied first, only to be dropped.
    setRows(2);
    Clear();
    if (!formatString.isEmpty())
        setFormatString(formatString);
    setCols(cols);
    int col = 0;
    for (const int twips : widthsTwips)
        setColWidth(col++, twips);
}

bool FlexGrid::fillFrom(const std::function<Recordset()>& read, bool takeFocus)
{
    if (m_clickStamp) {
        m_refilledByClick = true;
        m_refillStamp = *m_clickStamp;
    }
    setRows(2);
    for (int col = 0; col < Cols(); ++col)
        setTextMatrix(1, col, QString());
    setEnabled(false);
    return fill(read(), takeFocus);
}

bool FlexGrid::fill(const Recordset& recordset, bool takeFocus)
{
    bool hasData = false;
    if (recordset.recordCount() > 0) {
        bind(recordset);
        if (Rows() < 2)
            setRows(2);
        hasData = (Rows() == 2 && !TextMatrix(1, 1).isEmpty()) || Rows() > 2;
    }
    if (hasData) {
        setEnabled(true);
        setRow(1);
        if (takeFocus && isVisible())
            setFocus();
    } else {
        setRows(2);
        setEnabled(false);
    }
    return hasData;
}

QRect FlexGrid::rowRect(int row) const
{
    if (row < 1 || row >= Rows())
        return {};
    const int y = rowViewportPosition(row - 1);
    int left = -1;
    int right = -1;
    for (int col = 0; col < Cols(); ++col) {
        if (isColumnHidden(col) || columnWidth(col) <= 0)
            continue;
        const int x = columnViewportPosition(col);
        if (left < 0)
            left = x;
        right = x + columnWidth(col);
    }
    if (left < 0)
        return {};
    return QRect(left, y, right - left, rowHeight(row - 1)).intersected(viewport()->rect());
}

void FlexGrid::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        // The right button only reports where it went down; the current row stays,
        // so a pop-up menu acts on the row last chosen with the left button.
        emit RightButtonDown(event->globalPosition().toPoint());
        event->accept();
        return;
    }
    // A press beside the rows chooses nothing and keeps the current row highlighted.
    if (!indexAt(event->position().toPoint()).isValid()) {
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        m_pressed = takeRowAt(event->position().toPoint());
}

void FlexGrid::mouseReleaseEvent(QMouseEvent* event)
{
    QTableView::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    m_clickedRow = m_row;
    emitClick(event->timestamp());
}

void FlexGrid::emitClick(quint64 timestamp)
{
    m_clickStamp = timestamp;
    emit Click();
    m_clickStamp.reset();
}

void FlexGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    m_pressed = false;
    // The Click of its first press read the list anew: the row under the pointer may
    // now hold someone else, so this double-click chooses nothing.
    const auto refilledByClick = [this, event] {
        return m_refilledByClick &&
               event->timestamp() - m_refillStamp <= quint64(QApplication::doubleClickInterval());
    };
    if (refilledByClick()) {
        m_refilledByClick = false;
        m_clickedRow = -1;
        return;
    }
    if (!takeRowAt(event->position().toPoint()))
        return;
    // A double-click always begins with the Click of its first press.
    if (m_clickedRow != m_row) {
        emitClick(event->timestamp());
        if (refilledByClick()) {
            m_refilledByClick = false;
            return;
        }
    }
    m_clickedRow = -1;
    emit DblClick();
}

void FlexGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (current.isValid())
        m_row = current.row() + 1;
}

void FlexGrid::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        fitRowHeightToFont();
        applyColumnWidths();
    }
    if (event->type() == QEvent::EnabledChange)
        paintChoiceWhileDisabled();
}

void FlexGrid::keyPressEvent(QKeyEvent* event)
{
    if (m_choosesByKeyboard && FormControls::isEnterKey(event)) {
        event->accept();
        if (m_row >= 1 && m_row < Rows()) {
            selectWholeRow();
            m_clickedRow = -1;
            emit DblClick();
        }
        return;
    }
    const int before = m_row;
    QTableView::keyPressEvent(event);
    if (m_choosesByKeyboard && m_row != before) {
        selectWholeRow();
        m_clickedRow = m_row;
        emit Click();
    }
}

void FlexGrid::keyboardSearch(const QString& search)
{
    emit TextTyped(search);
}

void FlexGrid::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    stretchLastColumn();
}

void FlexGrid::fitRowHeightToFont()
{
    // The header row is written in the grid's own font, like its cells.
    horizontalHeader()->setFont(font());
    verticalHeader()->setDefaultSectionSize(
        std::max(Twips::toPixels(kRowHeightTwips), fontMetrics().height() + 4));
}

void FlexGrid::applyColumnWidths()
{
    for (auto it = m_colWidthTwips.constBegin(); it != m_colWidthTwips.constEnd(); ++it) {
        if (it.key() >= Cols())
            break;
        if (it.value() == 0) {
            setColumnHidden(it.key(), true);
        } else {
            setColumnHidden(it.key(), false);
            setColumnWidth(it.key(), shownWidth(it.key(), it.value()));
        }
    }
    stretchLastColumn();
}

int FlexGrid::shownWidth(int col, int twips) const
{
    if (!fitted)
        return Twips::toPixels(twips);
    const QHeaderView* header = horizontalHeader();
    const QString text = m_model->headerData(col, Qt::Horizontal, Qt::DisplayRole).toString();
    const int margin = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    const int needed =
        text.trimmed().isEmpty() ? 0 : header->fontMetrics().horizontalAdvance(text) + margin + 2;
    return std::max(Twips::toPixels(twips), needed);
}

void FlexGrid::stretchLastColumn()
{
    if (!fitted)
        return;
    int last = -1;
    int othersWidth = 0;
    for (int col = 0; col < Cols(); ++col) {
        if (isColumnHidden(col) || columnWidth(col) <= 0)
            continue;
        if (last >= 0)
            othersWidth += columnWidth(last);
        last = col;
    }
    if (last < 0)
        return;
    const auto designed = m_colWidthTwips.constFind(last);
    const int own = designed != m_colWidthTwips.constEnd()
                        ? shownWidth(last, designed.value())
                        : horizontalHeader()->defaultSectionSize();
    setColumnWidth(last, std::max(own, viewport()->width() - othersWidth));
}

void FlexGrid::setFittedColumns(bool fittedColumns)
{
    if (fitted == fittedColumns)
        return;
    fitted = fittedColumns;
    for (QWidget* widget : QApplication::allWidgets()) {
        if (auto* grid = qobject_cast<FlexGrid*>(widget))
            grid->applyColumnWidths();
    }
}

bool FlexGrid::fittedColumns()
{
    return fitted;
}

void FlexGrid::keepPositionInside()
{
    m_row = std::min(m_row, Rows() - 1);
    m_col = std::min(m_col, Cols() - 1);
    m_colSel = std::min(m_colSel, Cols() - 1);
}

void FlexGrid::highlightCurrentRow()
{
    if (m_row < 1) {
        selectionModel()->clearSelection();
        return;
    }
    const QModelIndex index = m_model->index(m_row - 1, std::max(m_col, 0));
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
}

bool FlexGrid::takeRowAt(const QPoint& pos)
{
    const QModelIndex index = indexAt(pos);
    if (!index.isValid())
        return false;
    m_row = index.row() + 1;
    selectWholeRow();
    return true;
}
