#include "ui/TextKeys.h"

#include "ui/ResolvedText.h"
#include "ui/tutorial/TutorialPage.h"

#include <QCoreApplication>

#include <array>

namespace {

// The display keys: the hint banner's five (chosen by the camera state), the error view's two
// messages and the photo's accessibility label.
const std::array displayKeyNames = {
    "Main_hintTakePicture",   "Main_hintConfirmCardSelectionCard",
    "Main_hintAddTarget",     "Main_hintAddTargetSelected",
    "Main_hintExport",        "Main_Error_CameraPermission",
    "Main_Error_UknownError", "Content from camera",
};

enum Resolved
{
    commonSkip,
    commonTitle,
    mainErrorGoToSettings,
    settingsAppUnit,
    settingsAppUnitMetric,
    settingsAppUnitImperial,
    settingsHelp,
    settingsHowToUse,
    settingsTheApp,
    settingsAboutUs,
    settingsContactUs,
    settingsRateTheApp,
    settingsContactDefaultSubject,
    resolvedCount
};

const std::array<ResolvedText, resolvedCount> &resolvedTexts()
{
    static const std::array<ResolvedText, resolvedCount> texts = {
        ResolvedText("Common_Skip"),
        ResolvedText("Common_Title"),
        ResolvedText("Main_Error_GoToSettings"),
        ResolvedText("Settings_App_Unit"),
        ResolvedText("Settings_App_Unit_Metric"),
        ResolvedText("Settings_App_Unit_Imperial"),
        ResolvedText("Settings_Help"),
        ResolvedText("Settings_HowToUse"),
        ResolvedText("Settings_The_App"),
        ResolvedText("Settings_About_Us"),
        ResolvedText("Settings_Contact_Us"),
        ResolvedText("Settings_Rate_the_App"),
        ResolvedText("Settings_Contact_Default_Subject"),
    };
    return texts;
}

const QString &resolved(Resolved which)
{
    return resolvedTexts()[which].text();
}

const std::array tutorialSuffixes = {"Title", "Summary", "NextButtonTitle"};

QString tutorialKey(int page, const QString &suffix)
{
    return QStringLiteral("Tutorial_%1_%2").arg(page).arg(suffix);
}

} // namespace

const QString &TextKeys::commonSkip()
{
    return resolved(Resolved::commonSkip);
}
const QString &TextKeys::commonTitle()
{
    return resolved(Resolved::commonTitle);
}
const QString &TextKeys::mainErrorGoToSettings()
{
    return resolved(Resolved::mainErrorGoToSettings);
}
const QString &TextKeys::settingsAppUnit()
{
    return resolved(Resolved::settingsAppUnit);
}
const QString &TextKeys::settingsAppUnitMetric()
{
    return resolved(Resolved::settingsAppUnitMetric);
}
const QString &TextKeys::settingsAppUnitImperial()
{
    return resolved(Resolved::settingsAppUnitImperial);
}
const QString &TextKeys::settingsHelp()
{
    return resolved(Resolved::settingsHelp);
}
const QString &TextKeys::settingsHowToUse()
{
    return resolved(Resolved::settingsHowToUse);
}
const QString &TextKeys::settingsTheApp()
{
    return resolved(Resolved::settingsTheApp);
}
const QString &TextKeys::settingsAboutUs()
{
    return resolved(Resolved::settingsAboutUs);
}
const QString &TextKeys::settingsContactUs()
{
    return resolved(Resolved::settingsContactUs);
}
const QString &TextKeys::settingsRateTheApp()
{
    return resolved(Resolved::settingsRateTheApp);
}
const QString &TextKeys::settingsContactDefaultSubject()
{
    return resolved(Resolved::settingsContactDefaultSubject);
}

QStringList TextKeys::tutorialKeys(const QString &suffix)
{
    QStringList texts;
    for (int page = TutorialPage::welcome; page <= TutorialPage::share; ++page)
        texts.append(qtTrId(tutorialKey(page, suffix).toUtf8().constData()));
    return texts;
}

const QStringList &TextKeys::tutorialTitles()
{
    static const QStringList titles = tutorialKeys(QStringLiteral("Title"));
    return titles;
}

const QStringList &TextKeys::tutorialSummaries()
{
    static const QStringList summaries = tutorialKeys(QStringLiteral("Summary"));
    return summaries;
}

const QStringList &TextKeys::tutorialNextButtonTitles()
{
    static const QStringList titles = tutorialKeys(QStringLiteral("NextButtonTitle"));
    return titles;
}

QStringList TextKeys::displayKeys()
{
    QStringList keys;
    for (const char *key : displayKeyNames)
        keys.append(QString::fromUtf8(key));
    return keys;
}

QStringList TextKeys::resolvedKeys()
{
    QStringList keys;
    for (const ResolvedText &text : resolvedTexts())
        keys.append(QString::fromUtf8(text.key()));
    return keys;
}

QStringList TextKeys::tutorialKeyNames()
{
    QStringList keys;
    for (int page = TutorialPage::welcome; page <= TutorialPage::share; ++page) {
        for (const char *suffix : tutorialSuffixes)
            keys.append(tutorialKey(page, QString::fromUtf8(suffix)));
    }
    return keys;
}
