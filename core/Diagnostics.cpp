#include "core/Diagnostics.h"

#include <atomic>
#include <cstdio>

namespace {
std::atomic<Diagnostics::Sink> g_sink{&Diagnostics::toStandardOutput};
}

void Diagnostics::toStandardOutput(const char *line)
{
    std::fputs(line, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void Diagnostics::toStandardError(const char *line)
{
    std::fputs(line, stderr);
    std::fputc('\n', stderr);
}

void Diagnostics::write(const char *line)
{
    g_sink.load(std::memory_order_acquire)(line);
}

Diagnostics::Sink Diagnostics::setSink(Sink sink)
{
    return g_sink.exchange(sink ? sink : &toStandardOutput, std::memory_order_acq_rel);
}
