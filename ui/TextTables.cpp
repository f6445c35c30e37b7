#include "ui/TextTables.h"

#include <QCoreApplication>
#include <QTranslator>

#include <memory>
#include <vector>

namespace {

// Installed translators live until the next install() or the end of the process.
std::vector<std::unique_ptr<QTranslator>> &installed()
{
    static std::vector<std::unique_ptr<QTranslator>> translators;
    return translators;
}

std::unique_ptr<QTranslator> load(const QString &language)
{
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral(":/mirrel/i18n/mirrel_%1.qm").arg(language)))
        return nullptr;
    return translator;
}

} // namespace

QStringList TextTables::languages()
{
    return {QStringLiteral("en"), QStringLiteral("de")};
}

QString TextTables::install(const QLocale &locale)
{
    for (auto &translator : installed())
        QCoreApplication::removeTranslator(translator.get());
    installed().clear();

    QString answering;
    const QString wanted = QLocale::languageToCode(locale.language());
    for (const QString &language : {QStringLiteral("en"), wanted}) {
        if (!languages().contains(language) || language == answering)
            continue;
        if (auto translator = load(language)) {
            QCoreApplication::installTranslator(translator.get());
            installed().push_back(std::move(translator));
            answering = language;
        }
    }
    return answering;
}
