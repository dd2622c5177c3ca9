#pragma once

// Helpers shared by the benchmarks.

#include <QString>
#include <QStringList>

#include <sys/types.h>
#include <vector>

namespace bench {

// User + system CPU time of a process (all its threads), in seconds; -1 when
// it cannot be read.
double cpuSeconds(pid_t pid);
// Resident memory of a process in KiB (VmRSS), -1 when it cannot be read.
long residentKiB(pid_t pid);
// The process of the X server behind $DISPLAY (the one listening on the
// display's socket), 0 when it cannot be found.
pid_t xServerPid();
// Monotonic time in nanoseconds (the same clock in every process).
qint64 monotonicNs();

double median(std::vector<double> values);
double percentile(std::vector<double> values, double p);

// One row of the results table: what, figure, target, verdict.
void printRow(const QString& what, const QString& figure, const QString& target,
              const QString& verdict);
QString fixed(double value, int decimals = 1);

} // namespace bench
