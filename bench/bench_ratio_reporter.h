// Console output of a benchmark run as usual, and the times kept so that
// main can print ours / baseline ratios measured in the same run.
#pragma once

#include <benchmark/benchmark.h>
#include <stdio.h>

#include <map>
#include <string>
#include <vector>

class CRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            m_times[r.benchmark_name()] = r.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Ratio(const std::string& ours, const std::string& base) {
        auto a = m_times.find(ours), b = m_times.find(base);
        if (a != m_times.end() && b != m_times.end() && b->second > 0) {
            printf("  %-28s / %-28s = %6.2f\n", ours.c_str(), base.c_str(), a->second / b->second);
        }
    }

private:
    std::map<std::string, double> m_times;
};
