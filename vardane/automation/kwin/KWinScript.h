#pragma once

// KWin, asked through its scripting (on the session bus): the order in which
// it stacks the windows, and activating one (restoring it when minimised). A
// script is loaded from a file, run, and reports back by calling this
// program on the session bus; no name is claimed for it.

#include <QList>
#include <QString>

#include <cstdint>
#include <memory>

namespace automation::kwin {

struct Window
{
    std::uint32_t pid;
    QString caption;
    QString resourceClass = {};
    bool active = false;
};

class Reports;

class Scripting
{
public:
    // nullptr when KWin is not on the session bus.
    static std::unique_ptr<Scripting> fromEnvironment();
    ~Scripting();
    Scripting(const Scripting&) = delete;
    Scripting& operator=(const Scripting&) = delete;

    // Bottom to top; empty when KWin did not answer.
    QList<Window> stackingOrder();
    // The window of the process with this caption ("caption <2>" when KWin
    // numbered it): restored if minimised and made the active one.
    bool activate(std::uint32_t pid, const QString& caption);

private:
    Scripting();
    // Runs the script's body; it ends by handing a text to report(). That
    // text, or an empty string when none came in time.
    QString run(const QString& body);

    std::unique_ptr<Reports> m_reports;
    int m_serial = 0;
};

} // namespace automation::kwin
