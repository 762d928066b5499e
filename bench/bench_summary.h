#pragma once

// A console reporter that also keeps the median CPU time (or the single run's time) and the
// detection counters of every benchmark, and prints them as a table at the end.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <string>

namespace kestrova::barcode::bench {

struct Figures {
    double ms = 0;        // CPU time per page
    double detected = -1; // pages read correctly, -1 when not counted
    double pages = 0;     // pages in the corpus
};

inline std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

class SummaryReporter : public benchmark::ConsoleReporter {
public:
    using Table = std::map<std::string, Figures>; // by "name/args"
    explicit SummaryReporter(std::function<void(const Table&)> print) : m_print(std::move(print)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool aggregate = run.run_type == Run::RT_Aggregate;
            if (aggregate ? run.aggregate_name != "median" : run.repetitions > 1) continue;
            Figures& f = m_table[run.run_name.function_name + "/" + run.run_name.args];
            f.ms = run.GetAdjustedCPUTime();
            if (const auto d = run.counters.find("detected"); d != run.counters.end()) f.detected = d->second;
            if (const auto p = run.counters.find("pages"); p != run.counters.end()) f.pages = p->second;
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        m_print(m_table);
    }

private:
    std::function<void(const Table&)> m_print;
    Table m_table;
};

} // namespace kestrova::barcode::bench
