#pragma once

#include <QStyleOptionViewItem>

#include "Common/ZVLabelDrawer.h"

// Paints a table cell as a category label: the row's background and selection as for any
// cell (background: the cell's options with its text cleared), then the label over it, as
// wide as the cell and 2 short of its edges.
void paintLabelCell(QPainter& painter, const QStyleOptionViewItem& background,
                    const LabelText& text, const QColor& back);
