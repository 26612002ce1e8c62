#pragma once

#include <algorithm>
#include <vector>

// The middle value of a set of timings: one slow run of a busy machine does not move it.
inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
