#pragma once
// The median of repeated runs, in milliseconds.
#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <vector>

inline double MedianMs(int runs, const std::function<void()> &f)
{
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        f();
        t.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}
