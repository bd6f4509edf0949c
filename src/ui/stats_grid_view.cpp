#include "ui/stats_grid_view.h"

#include <QColor>
#include <QEvent>
#include <QHeaderView>
#include <QTableWidget>
#include <algorithm>

namespace zelkon {
namespace {

QColor color_of(std::uint32_t rgb) {
    return QColor::fromRgb(static_cast<QRgb>(rgb));
}

void show_cell(QTableWidget& table, int row, int col, const GridCell& cell) {
    QTableWidgetItem* item = table.item(row, col);
    if (!item) {
        item = new QTableWidgetItem;
        table.setItem(row, col, item);
    }
    QString text = QString::fromStdString(cell.text);
    if (item->text() != text) {
        item->setText(text);
    }
    QColor back = color_of(cell.back_color);
    if (item->background().color() != back) {
        item->setBackground(back);
    }
}

void show_header(QTableWidget& table, const GridControl& grid) {
    for (int col = 0; col < grid.cols(); ++col) {
        QString text = grid.rows() > 0 ? QString::fromStdString(grid.cell(0, col).text) : QString();
        QTableWidgetItem* item = table.horizontalHeaderItem(col);
        if (!item) {
            table.setHorizontalHeaderItem(col, new QTableWidgetItem(text));
        } else if (item->text() != text) {
            item->setText(text);
        }
    }
}

void show_widths(QTableWidget& table, const GridControl& grid) {
    int cols = std::min(grid.cols(), static_cast<int>(grid.col_widths.size()));
    for (int col = 0; col < cols; ++col) {
        int width = pixels_of_twips(grid.col_widths[static_cast<std::size_t>(col)]);
        if (table.columnWidth(col) != width) {
            table.setColumnWidth(col, width);
        }
    }
}

// Owned by the table, so it goes with it.
class GridWidthReporter : public QObject {
  public:
    GridWidthReporter(QTableWidget& table, int& width_twips)
        : QObject(&table), width_twips_(width_twips) {
        table.installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize) {
            width_twips_ = static_cast<QWidget*>(watched)->width() * kTwipsPerPixel;
        }
        return false;
    }

  private:
    int& width_twips_;
};

}  // namespace

int pixels_of_twips(int twips) {
    return twips <= 0 ? 0 : (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

void show_grid(QTableWidget& table, const GridControl& grid) {
    int body_rows = grid.rows() > 0 ? grid.rows() - 1 : 0;
    if (table.columnCount() != grid.cols()) {
        table.setColumnCount(grid.cols());
    }
    if (table.rowCount() != body_rows) {
        table.setRowCount(body_rows);
    }
    show_header(table, grid);
    show_widths(table, grid);
    for (int row = 0; row < body_rows; ++row) {
        for (int col = 0; col < grid.cols(); ++col) {
            show_cell(table, row, col, grid.cell(row + 1, col));
        }
    }
}

void report_grid_width(QTableWidget& table, int& width_twips) {
    new GridWidthReporter(table, width_twips);
}

}  // namespace zelkon
