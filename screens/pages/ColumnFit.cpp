#include "ColumnFit.h"

#include <algorithm>
#include <numeric>

std::vector<int> ColumnFit_Widths(const std::vector<int>& preferred, const std::vector<int>& needs, int clientWidth) {
    const size_t count = std::min(preferred.size(), needs.size());
    std::vector<int> widths(count, 0);
    if (count == 0) return widths;
    for (size_t column = 1; column < count; ++column) widths[column] = std::max(preferred[column], needs[column]);
    int first = clientWidth - std::accumulate(widths.begin() + 1, widths.end(), 0);
    // Short of room for the first column: the last columns give back their spare first.
    for (size_t column = count - 1; column >= 1 && first < needs[0]; --column) {
        const int spare = std::min(widths[column] - needs[column], needs[0] - first);
        widths[column] -= spare;
        first += spare;
    }
    widths[0] = std::max(first, needs[0]);
    return widths;
}
