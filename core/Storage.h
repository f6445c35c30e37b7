#pragma once

#include <QObject>

class UserDefaults;

// The user's settings and the one piece of shared navigation state. Published fields notify on
// every assignment; the two persisted ones are written at once on every assignment.
class Storage : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isTutorialSeen READ isTutorialSeen WRITE setIsTutorialSeen NOTIFY
                   isTutorialSeenChanged FINAL)
    Q_PROPERTY(
        UnitSystem unitSystem READ unitSystem WRITE setUnitSystem NOTIFY unitSystemChanged FINAL)
    Q_PROPERTY(
        bool showSettings READ showSettings WRITE setShowSettings NOTIFY showSettingsChanged FINAL)

public:
    enum class UnitSystem
    {
        metric,
        imperial
    };
    Q_ENUM(UnitSystem)

    static constexpr const char *tutorialSeenKey = "Storage_isTutorialSeen";
    static constexpr const char *metricUnitKey = "IS_METRIC_UNIT";

    // Reads the settings once; writes nothing.
    explicit Storage(QObject *parent = nullptr);
    explicit Storage(UserDefaults &defaults, QObject *parent = nullptr);

    // The stored choice when there is one, else metric exactly when the locale is metric.
    // Reads the settings on every call.
    [[nodiscard]] static UnitSystem storedUnitSystem();
    [[nodiscard]] static UnitSystem storedUnitSystem(const UserDefaults &defaults);

    [[nodiscard]] bool isTutorialSeen() const { return m_isTutorialSeen; }
    void setIsTutorialSeen(bool seen);
    [[nodiscard]] UnitSystem unitSystem() const { return m_unitSystem; }
    void setUnitSystem(UnitSystem unitSystem);
    [[nodiscard]] bool showSettings() const { return m_showSettings; }
    void setShowSettings(bool show);

Q_SIGNALS:
    void isTutorialSeenChanged(bool isTutorialSeen);
    void unitSystemChanged(Storage::UnitSystem unitSystem);
    void showSettingsChanged(bool showSettings);

private:
    UserDefaults &m_defaults;
    bool m_isTutorialSeen = false;
    UnitSystem m_unitSystem = UnitSystem::metric;
    bool m_showSettings = false;
};
