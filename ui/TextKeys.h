#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QtQml/qqml.h>

// The keys of the screens' texts. Display keys are handed to text views as they are and looked
// up each time the text is drawn (qsTrId in QML). Resolved strings are looked up once, on first
// use, and kept for the rest of the run; they reflect the language in effect at that moment.
// The tutorial's three text lists are built the same way from the key pattern
// "Tutorial_<page>_<suffix>".
class TextKeys : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QString commonSkip READ commonSkip CONSTANT FINAL)
    Q_PROPERTY(QString commonTitle READ commonTitle CONSTANT FINAL)
    Q_PROPERTY(QString mainErrorGoToSettings READ mainErrorGoToSettings CONSTANT FINAL)
    Q_PROPERTY(QString settingsAppUnit READ settingsAppUnit CONSTANT FINAL)
    Q_PROPERTY(QString settingsAppUnitMetric READ settingsAppUnitMetric CONSTANT FINAL)
    Q_PROPERTY(QString settingsAppUnitImperial READ settingsAppUnitImperial CONSTANT FINAL)
    Q_PROPERTY(QString settingsHelp READ settingsHelp CONSTANT FINAL)
    Q_PROPERTY(QString settingsHowToUse READ settingsHowToUse CONSTANT FINAL)
    Q_PROPERTY(QString settingsTheApp READ settingsTheApp CONSTANT FINAL)
    Q_PROPERTY(QString settingsAboutUs READ settingsAboutUs CONSTANT FINAL)
    Q_PROPERTY(QString settingsContactUs READ settingsContactUs CONSTANT FINAL)
    Q_PROPERTY(QString settingsRateTheApp READ settingsRateTheApp CONSTANT FINAL)
    Q_PROPERTY(
        QString settingsContactDefaultSubject READ settingsContactDefaultSubject CONSTANT FINAL)
    // Indexed by the page's number; each entry is a resolved text, shown through qsTrId.
    Q_PROPERTY(QStringList tutorialTitles READ tutorialTitles CONSTANT FINAL)
    Q_PROPERTY(QStringList tutorialSummaries READ tutorialSummaries CONSTANT FINAL)
    Q_PROPERTY(QStringList tutorialNextButtonTitles READ tutorialNextButtonTitles CONSTANT FINAL)

public:
    explicit TextKeys(QObject *parent = nullptr) : QObject(parent) {}

    [[nodiscard]] static const QString &commonSkip();
    [[nodiscard]] static const QString &commonTitle();
    [[nodiscard]] static const QString &mainErrorGoToSettings();
    [[nodiscard]] static const QString &settingsAppUnit();
    [[nodiscard]] static const QString &settingsAppUnitMetric();
    [[nodiscard]] static const QString &settingsAppUnitImperial();
    [[nodiscard]] static const QString &settingsHelp();
    [[nodiscard]] static const QString &settingsHowToUse();
    [[nodiscard]] static const QString &settingsTheApp();
    [[nodiscard]] static const QString &settingsAboutUs();
    [[nodiscard]] static const QString &settingsContactUs();
    [[nodiscard]] static const QString &settingsRateTheApp();
    [[nodiscard]] static const QString &settingsContactDefaultSubject();

    [[nodiscard]] static const QStringList &tutorialTitles();
    [[nodiscard]] static const QStringList &tutorialSummaries();
    [[nodiscard]] static const QStringList &tutorialNextButtonTitles();

    // "Tutorial_0_<suffix>" ... "Tutorial_4_<suffix>", looked up now, in page order.
    [[nodiscard]] static QStringList tutorialKeys(const QString &suffix);

    // Every key of the tables that the program looks up by name: the display keys, the keys of
    // the resolved strings and the tutorial keys.
    [[nodiscard]] static QStringList displayKeys();
    [[nodiscard]] static QStringList resolvedKeys();
    [[nodiscard]] static QStringList tutorialKeyNames();
};
