// The projection runs on every step of a corner drag and must not allocate on success.
#include "core/Calculator.h"
#include "core/CardShape.h"
#include "core/Distance.h"
#include "core/ProjectiveManager.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> g_allocations{0};
}

void *operator new(std::size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void *operator new[](std::size_t size)
{
    return operator new(size);
}
void operator delete(void *p) noexcept
{
    std::free(p);
}
void operator delete[](void *p) noexcept
{
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void *p, std::size_t) noexcept
{
    std::free(p);
}

TEST(CalculatorAllocation, projection_shape_check_and_lengths_allocate_nothing)
{
    const ProjectiveManager &manager = ProjectiveManager::shared();
    Calculator::Quadrilateral card{QPointF(100, 200), QPointF(400, 210), QPointF(420, 400),
                                   QPointF(90, 380)};
    Distance inside{QPointF(150, 260), QPointF(380, 330), 0};
    Distance beyondTheHorizon{QPointF(150, 260), QPointF(100, -3000), 0};
    double sink = 0;
    const long before = g_allocations.load();
    for (int i = 0; i < 1000; ++i) {
        card[2].rx() += 0.01;
        const auto m = manager.projectiveMatrix(card);
        sink += m ? m->m11 : 0;
        sink += CardShape::check(card) == CardShape::Fault::none;
        inside.recalculate(m.value_or(Calculator::Matrix3x3::zero()));
        beyondTheHorizon.recalculate(m.value_or(Calculator::Matrix3x3::zero()));
        sink += inside.distance + beyondTheHorizon.isMeasured();
    }
    const long after = g_allocations.load();
    EXPECT_EQ(after - before, 0);
    EXPECT_NE(sink, 0);
}
