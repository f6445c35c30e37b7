#include "app/CommandLine.h"

#include <QDir>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

CommandLine parse(const QStringList &arguments)
{
    return CommandLine::parse(QStringList{QStringLiteral("/usr/bin/mirrel")} + arguments);
}

} // namespace

TEST(CommandLine, help_and_version_print_and_stop_without_an_application)
{
    const CommandLine help = parse({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.output.contains(QLatin1String("Usage: mirrel [options] [PHOTO]")));
    EXPECT_EQ(parse({QStringLiteral("-h")}).exitCode, 0);

    const CommandLine version = parse({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output, QStringLiteral("mirrel " MIRREL_VERSION));
}

TEST(CommandLine, mistakes_stop_with_status_2_and_a_hint)
{
    for (const QStringList &arguments :
         {QStringList{QStringLiteral("--bogus")},
          QStringList{QStringLiteral("a.jpg"), QStringLiteral("b.jpg")}}) {
        const CommandLine commandLine = parse(arguments);
        EXPECT_EQ(commandLine.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(commandLine.output.startsWith(QLatin1String("mirrel: ")));
        EXPECT_TRUE(commandLine.output.endsWith(QLatin1String("Try 'mirrel --help'.")));
    }
}

// The test runs launch the program with "isUITest" and "-key value" settings; taken for a photo
// or an unknown option, they would stop the program before its window shows.
TEST(CommandLine, launch_arguments_of_test_runs_are_not_photos_or_options)
{
    const CommandLine uiTest =
        parse({QStringLiteral("isUITest"), QStringLiteral("-isUITest"), QStringLiteral("1"),
               QStringLiteral("-IS_METRIC_UNIT"), QStringLiteral("NO")});
    EXPECT_FALSE(uiTest.shouldExit()) << uiTest.output.toStdString();
    EXPECT_TRUE(uiTest.photo.isEmpty());

    const CommandLine withPhoto = parse({QStringLiteral("-IS_METRIC_UNIT"), QStringLiteral("YES"),
                                         QStringLiteral("/p/a.jpg"), QStringLiteral("isUITest")});
    EXPECT_FALSE(withPhoto.shouldExit());
    EXPECT_EQ(withPhoto.photo, QStringLiteral("/p/a.jpg"));
}

TEST(CommandLine, a_photo_is_an_absolute_path_whether_given_relative_or_as_a_file_url)
{
    EXPECT_EQ(parse({QStringLiteral("desk.jpg")}).photo,
              QDir::current().absoluteFilePath("desk.jpg"));
    EXPECT_EQ(
        parse({QUrl::fromLocalFile(QStringLiteral("/home/u/My Photos/desk.jpg")).toString()}).photo,
        QStringLiteral("/home/u/My Photos/desk.jpg"));
    EXPECT_TRUE(parse({}).photo.isEmpty());
}
