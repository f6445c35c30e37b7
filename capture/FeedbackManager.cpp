#include "capture/FeedbackManager.h"

FeedbackManager &FeedbackManager::shared()
{
    static FeedbackManager *const instance =
        new FeedbackManager(std::make_unique<CountingOutput>());
    return *instance;
}

FeedbackManager::FeedbackManager(std::unique_ptr<Output> impact, QObject *parent)
    : QObject(parent), m_impact(impact ? std::move(impact) : std::make_unique<CountingOutput>())
{
    m_impact->prepare();
}

void FeedbackManager::impactOccurred()
{
    m_impact->impactOccurred();
}
