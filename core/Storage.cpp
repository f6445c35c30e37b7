#include "core/Storage.h"

#include "core/UserDefaults.h"

#include <QLocale>

Storage::Storage(QObject *parent) : Storage(UserDefaults::standard(), parent) {}

Storage::Storage(UserDefaults &defaults, QObject *parent)
    : QObject(parent), m_defaults(defaults),
      m_isTutorialSeen(defaults.boolValue(QLatin1String(tutorialSeenKey))),
      m_unitSystem(storedUnitSystem(defaults))
{
}

Storage::UnitSystem Storage::storedUnitSystem()
{
    return storedUnitSystem(UserDefaults::standard());
}

Storage::UnitSystem Storage::storedUnitSystem(const UserDefaults &defaults)
{
    const QString key = QLatin1String(metricUnitKey);
    if (defaults.object(key).isValid())
        return defaults.boolValue(key) ? UnitSystem::metric : UnitSystem::imperial;
    return QLocale().measurementSystem() == QLocale::MetricSystem ? UnitSystem::metric
                                                                  : UnitSystem::imperial;
}

void Storage::setIsTutorialSeen(bool seen)
{
    m_isTutorialSeen = seen;
    Q_EMIT isTutorialSeenChanged(seen);
    m_defaults.setBool(QLatin1String(tutorialSeenKey), seen);
}

void Storage::setUnitSystem(UnitSystem unitSystem)
{
    m_unitSystem = unitSystem;
    Q_EMIT unitSystemChanged(unitSystem);
    m_defaults.setBool(QLatin1String(metricUnitKey), unitSystem == UnitSystem::metric);
}

void Storage::setShowSettings(bool show)
{
    m_showSettings = show;
    Q_EMIT showSettingsChanged(show);
}
