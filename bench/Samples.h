#pragma once

#include <algorithm>
#include <vector>

namespace varnook::bench {

// Figures of one measurement over several runs.
class Samples {
public:
    void add(double value) { m_values.push_back(value); }
    bool empty() const { return m_values.empty(); }
    int count() const { return int(m_values.size()); }
    double median() const { return sorted()[m_values.size() / 2]; }
    double min() const { return sorted().front(); }
    double max() const { return sorted().back(); }

private:
    std::vector<double> sorted() const {
        std::vector<double> values = m_values;
        std::sort(values.begin(), values.end());
        return values;
    }

    std::vector<double> m_values;
};

} // namespace varnook::bench
