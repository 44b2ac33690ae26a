#pragma once
// The read-only data grid every list window uses: whole-row selection, resizable columns,
// optional title bands spanning groups of columns ("Contract de Arenda" over four
// columns), and a signal when a column title is clicked (the window re-sorts its query).

#include <QHeaderView>
#include <QTableView>
#include <QVector>

namespace ogx {

struct TitleBand {
    int firstColumn = 0;   // logical column index
    int columnCount = 1;
    QString title;
};

// Horizontal header drawing title bands above their columns.
class BandHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit BandHeader(QWidget *parent = nullptr);

    void setBands(const QVector<TitleBand> &bands);
    const QVector<TitleBand> &bands() const { return m_bands; }
    // The band over a logical column, or null.
    const TitleBand *bandOf(int logicalIndex) const;

    QSize sizeHint() const override;

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    QSize sectionSizeFromContents(int logicalIndex) const override;

private:
    int rowHeight() const;
    QVector<TitleBand> m_bands;
};

class DataGrid : public QTableView {
    Q_OBJECT
public:
    explicit DataGrid(QWidget *parent = nullptr);

    void setTitleBands(const QVector<TitleBand> &bands);
    BandHeader *bandHeader() const { return m_header; }

    // The model row of the current row, or -1.
    int currentRow() const;
    // Makes a row current and selected (clamped to the rows there are; nothing when empty).
    void selectRow(int row);
    void setColumnWidths(const QVector<int> &widths);

signals:
    // A column title was clicked (logical column index).
    void titleClicked(int column);
    // Enter or a double click on a row.
    void rowActivated(int row);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    BandHeader *m_header;
};

} // namespace ogx
