#pragma once
// Column widths that fill a list's client width exactly, so a list never needs a
// horizontal scroll bar and no heading is cut while there is room for it.
#include <vector>

// preferred: each column's width by the page's design; needs: the least width that shows
// each column's heading and texts whole. Every column but the first gets at least its
// need; the first takes the rest. When the first would get less than its need, the others
// give back what they have above their needs, and the first gets no less than its need.
std::vector<int> ColumnFit_Widths(const std::vector<int>& preferred, const std::vector<int>& needs, int clientWidth);
