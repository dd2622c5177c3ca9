#pragma once

// The event log of a program (an aid for automation and tests): one event a
// line, its fields separated by a tab, UTF-8, appended to the file and handed
// to the system at once, so that a test can wait on the file's content while
// the program runs.
//
// In a field a backslash, a tab, a line feed, a carriage return and any other
// control character are written escaped (\\, \t, \n, \r, \xHH); everything
// else is written as it is.

#include <QString>
#include <QStringList>

namespace classic {

// Appends to path from now on (an empty path: no log). False, with the reason,
// when the file cannot be opened; the program then runs without a log.
bool openLog(const QString& path, QString* error = nullptr);
void closeLog();
QString logPath();

void log(const QStringList& fields);
QString escapeField(const QString& text);

// A trace for finding out where keys went, apart from the log: with
// TINDREL_KEY_TRACE set to a folder, each process appends lines (milliseconds
// since it started, then the text) to "<program>-<pid>.trace" there.
bool tracing();
void trace(const QString& text);

} // namespace classic
