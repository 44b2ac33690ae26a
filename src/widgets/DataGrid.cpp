#include "widgets/DataGrid.h"

#include <QKeyEvent>
#include <QMetaMethod>
#include <QPainter>
#include <QStyleOptionHeader>

namespace ogx {

BandHeader::BandHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(true);
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Interactive);
    setDefaultAlignment(Qt::AlignCenter);
}

void BandHeader::setBands(const QVector<TitleBand> &bands)
{
    m_bands = bands;
    updateGeometry();
    viewport()->update();
}

const TitleBand *BandHeader::bandOf(int logicalIndex) const
{
    for (const TitleBand &b : m_bands)
        if (logicalIndex >= b.firstColumn && logicalIndex < b.firstColumn + b.columnCount)
            return &b;
    return nullptr;
}

int BandHeader::rowHeight() const
{
    return fontMetrics().height() + 8;
}

QSize BandHeader::sectionSizeFromContents(int logicalIndex) const
{
    QSize s = QHeaderView::sectionSizeFromContents(logicalIndex);
    if (!m_bands.isEmpty())
        s.setHeight(std::max(s.height(), rowHeight()) * 2);
    return s;
}

QSize BandHeader::sizeHint() const
{
    QSize s = QHeaderView::sizeHint();
    if (!m_bands.isEmpty())
        s.setHeight(std::max(s.height(), rowHeight() * 2));
    return s;
}

void BandHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    const TitleBand *band = bandOf(logicalIndex);
    if (!band) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    const int half = rect.height() / 2;
    // The band: one header cell stretched over all its columns, clipped to this section so
    // every section paints its own slice of the same picture.
    int left = rect.left();
    int right = rect.right();
    for (int c = band->firstColumn; c < band->firstColumn + band->columnCount; ++c) {
        if (isSectionHidden(c))
            continue;
        const int x = sectionViewportPosition(c);
        left = std::min(left, x);
        right = std::max(right, x + sectionSize(c) - 1);
    }
    const QRect bandRect(QPoint(left, rect.top()), QPoint(right, rect.top() + half - 1));
    painter->save();
    painter->setClipRect(QRect(rect.left(), rect.top(), rect.width(), half));
    QStyleOptionHeader opt;
    initStyleOption(&opt);
    opt.rect = bandRect;
    opt.section = logicalIndex;
    opt.text = band->title;
    opt.textAlignment = Qt::AlignCenter;
    opt.position = QStyleOptionHeader::Middle;
    style()->drawControl(QStyle::CE_Header, &opt, painter, this);
    painter->restore();

    painter->save();
    QHeaderView::paintSection(painter, QRect(rect.left(), rect.top() + half, rect.width(), rect.height() - half),
                              logicalIndex);
    painter->restore();
}

DataGrid::DataGrid(QWidget *parent) : QTableView(parent), m_header(new BandHeader(this))
{
    setHorizontalHeader(m_header);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAlternatingRowColors(true);
    setSortingEnabled(false); // the window sorts its own query
    setWordWrap(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->hide(); // the selected row is shown by its colour
    connect(m_header, &QHeaderView::sectionClicked, this, &DataGrid::titleClicked);
    connect(this, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex &index) { emit rowActivated(index.row()); });
}

void DataGrid::setTitleBands(const QVector<TitleBand> &bands)
{
    m_header->setBands(bands);
}

int DataGrid::currentRow() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() : -1;
}

void DataGrid::selectRow(int row)
{
    if (!model() || model()->rowCount() == 0)
        return;
    row = std::clamp(row, 0, model()->rowCount() - 1);
    int column = 0;
    while (column < model()->columnCount() - 1 && isColumnHidden(column))
        ++column;
    setCurrentIndex(model()->index(row, column));
    QTableView::selectRow(row);
}

void DataGrid::setColumnWidths(const QVector<int> &widths)
{
    for (int i = 0; i < widths.size(); ++i)
        setColumnWidth(i, widths[i]);
}

void DataGrid::keyPressEvent(QKeyEvent *event)
{
    static const QMetaMethod activated = QMetaMethod::fromSignal(&DataGrid::rowActivated);
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentRow() >= 0
        && isSignalConnected(activated)) {
        emit rowActivated(currentRow());
        return;
    }
    QTableView::keyPressEvent(event);
}

} // namespace ogx
