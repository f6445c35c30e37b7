#pragma once

#include "core/Storage.h"

#include <QObject>
#include <QtQml/qqml.h>

// Storage::UnitSystem's values under names QML can reach (it reaches no enum value that starts
// with a small letter).
class UnitSystems : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(int metric READ metric CONSTANT FINAL)
    Q_PROPERTY(int imperial READ imperial CONSTANT FINAL)

public:
    explicit UnitSystems(QObject *parent = nullptr) : QObject(parent) {}

    [[nodiscard]] static int metric() { return int(Storage::UnitSystem::metric); }
    [[nodiscard]] static int imperial() { return int(Storage::UnitSystem::imperial); }
};
