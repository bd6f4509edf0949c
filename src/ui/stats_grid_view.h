#pragma once

#include "model/form_controls.h"

class QTableWidget;

namespace zelkon {

// The form measures in twips: 15 to a pixel on a screen of 96 dots per inch.
inline constexpr int kTwipsPerPixel = 15;
int pixels_of_twips(int twips);

// Shows the statistics grid: row 0 of the model is the header row, the
// others are the table's rows. Only cells that differ are touched.
void show_grid(QTableWidget& table, const GridControl& grid);

// Keeps width_twips at the table's width, in twips, as the window lays it
// out; the form sizes the grid's columns from it.
void report_grid_width(QTableWidget& table, int& width_twips);

}  // namespace zelkon
