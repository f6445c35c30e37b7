#pragma once

// Single-line diagnostic messages ("Starting Capture", the calculator's failures). They go to
// standard output in the app; the command-line tool sends them to standard error so that its
// standard output stays pure JSON, and tests capture them.
namespace Diagnostics {

using Sink = void (*)(const char *line);

// Writes one line (the newline is added). Allocation-free when the sink is.
void write(const char *line);

// Replaces the sink; returns the previous one. nullptr restores standard output.
Sink setSink(Sink sink);

void toStandardOutput(const char *line);
void toStandardError(const char *line);

} // namespace Diagnostics
