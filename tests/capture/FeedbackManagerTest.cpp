#include "capture/FeedbackManager.h"

#include <gtest/gtest.h>

namespace {

class RecordingOutput final : public FeedbackManager::Output
{
public:
    explicit RecordingOutput(std::vector<std::string> &log) : m_log(log) {}
    void prepare() override { m_log.push_back("prepare"); }
    void impactOccurred() override { m_log.push_back("impact"); }

private:
    std::vector<std::string> &m_log;
};

} // namespace

// Guards the generator's life: prepared exactly once when made (never again per tap), and
// one impact per call, on whatever output is plugged in.
TEST(FeedbackManager, prepares_once_and_passes_each_impact_on)
{
    std::vector<std::string> log;
    FeedbackManager manager(std::make_unique<RecordingOutput>(log));
    EXPECT_EQ(log, (std::vector<std::string>{"prepare"}));
    manager.impactOccurred();
    manager.impactOccurred();
    EXPECT_EQ(log, (std::vector<std::string>{"prepare", "impact", "impact"}));

    // The desktop's shared instance counts its taps.
    FeedbackManager &shared = FeedbackManager::shared();
    EXPECT_EQ(&shared, &FeedbackManager::shared());
    auto *counting = dynamic_cast<FeedbackManager::CountingOutput *>(&shared.impact());
    ASSERT_NE(counting, nullptr);
    const int before = counting->impactCount();
    shared.impactOccurred();
    EXPECT_EQ(counting->impactCount(), before + 1);
    EXPECT_EQ(counting->preparedCount(), 1);
}
