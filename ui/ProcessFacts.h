#pragma once

#include "core/Session.h"

#include <QObject>
#include <QtQml/qqml.h>

// The process's facts for the screens: a user-interface test run skips the tutorial.
class ProcessFacts : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(bool isUITest READ isUITest CONSTANT FINAL)
    Q_PROPERTY(bool isSimulator READ isSimulator CONSTANT FINAL)

public:
    explicit ProcessFacts(QObject *parent = nullptr) : QObject(parent) {}

    [[nodiscard]] static bool isUITest() { return Session::shared().isUITest(); }
    [[nodiscard]] static bool isSimulator() { return Session::shared().isSimulator(); }
};
