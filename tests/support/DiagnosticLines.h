#pragma once

#include "core/Diagnostics.h"

#include <QString>
#include <QStringList>

// Collects the diagnostic lines written while it lives.
class DiagnosticLines
{
public:
    DiagnosticLines() : m_previous(Diagnostics::setSink(&record)) { lines().clear(); }
    ~DiagnosticLines() { Diagnostics::setSink(m_previous); }
    DiagnosticLines(const DiagnosticLines &) = delete;
    DiagnosticLines &operator=(const DiagnosticLines &) = delete;

    [[nodiscard]] static QStringList &lines()
    {
        static QStringList collected;
        return collected;
    }

private:
    static void record(const char *line) { lines().append(QString::fromUtf8(line)); }
    Diagnostics::Sink m_previous;
};
