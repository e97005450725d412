#include "context/AppContext.h"
#include "server/DemoData.h"
#include "shell/mdiTALO.h"
#include "user/ConnectionSettings.h"
#include "user/EmbeddedDatabaseOpener.h"
#include "user/OdbcDatabaseOpener.h"
#include "user/clsCurrentUser.h"
#include "widgets/DesignedFonts.h"
#include "widgets/ModalRunner.h"
#include "widgets/QtMessageService.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QScreen>
#include <QStandardPaths>
#include <cstdio>
#include <optional>

#ifndef TALODESK_VERSION
#define TALODESK_VERSION "0.0.0"
#endif

namespace {

void printTo(FILE* stream, const QString& text)
{
    std::fputs(qPrintable(text), stream);
    std::fflush(stream);
}

// Reads the command line before any window exists, so --help and --version also work
// without a display. Returns the exit code when the program is to stop here.
std::optional<int> readCommandLine(const QStringList& arguments,
                                   std::optional<ConnectionSettings>& settings)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Talodesk: the staff-meal counter of the hospital food service."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Shows the program's version."));
    const QCommandLineOption data(
        QStringLiteral("data"),
        QStringLiteral("Uses the embedded store in DIR (created when missing)."),
        QStringLiteral("DIR"));
    const QCommandLineOption config(
        QStringLiteral("config"),
        QStringLiteral("Uses the SQL Server named in the configuration FILE."),
        QStringLiteral("FILE"));
    const QCommandLineOption demo(
        QStringLiteral("demo"),
        QStringLiteral("Uses a demo store, filled with demo data when it is created."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(data);
    parser.addOption(config);
    parser.addOption(demo);

    const QString usage = QStringLiteral("Usage: talodesk [--data DIR | --config FILE] [--demo]\n");
    if (!parser.parse(arguments)) {
        printTo(stderr, QStringLiteral("talodesk: %1\n").arg(parser.errorText()) + usage);
        return 1;
    }
    if (parser.isSet(help)) {
        // Without an application object yet, Qt cannot know the program's name and
        // writes a placeholder in its usage line.
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), QStringLiteral("talodesk"));
        printTo(stdout, text);
        return 0;
    }
    if (parser.isSet(version)) {
        printTo(stdout, QStringLiteral("talodesk %1\n").arg(QStringLiteral(TALODESK_VERSION)));
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        printTo(stderr, QStringLiteral("talodesk: unexpected argument '%1'\n")
                                .arg(parser.positionalArguments().constFirst()) +
                            usage);
        return 1;
    }
    if (parser.isSet(data) && parser.isSet(config)) {
        printTo(stderr,
                QStringLiteral("talodesk: --data and --config cannot be used together\n") + usage);
        return 1;
    }
    if (parser.isSet(config)) {
        if (parser.isSet(demo)) {
            printTo(stderr,
                    QStringLiteral("talodesk: --demo works only with the embedded store\n") +
                        usage);
            return 1;
        }
        QString error;
        settings = ConnectionSettings::fromConfigFile(parser.value(config), error);
        if (!settings) {
            printTo(stderr, QStringLiteral("talodesk: %1\n").arg(error));
            return 1;
        }
        return std::nullopt;
    }

    QString folder = parser.value(data);
    if (folder.isEmpty()) {
        // The per-user folder that stays on the workstation: %LOCALAPPDATA%\Talodesk on
        // Windows, ~/.local/share/Talodesk on Linux.
        const QString appData =
            QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
        folder = parser.isSet(demo) ? QDir(appData).filePath(QStringLiteral("demo")) : appData;
    }
    settings = ConnectionSettings::embedded(QDir(folder).absolutePath(), parser.isSet(demo));
    return std::nullopt;
}

std::unique_ptr<DatabaseOpener> makeOpener(const ConnectionSettings& settings)
{
    if (settings.kind() == ConnectionSettings::Kind::Odbc)
        return std::make_unique<OdbcDatabaseOpener>(settings.odbcConnectionString(),
                                                    settings.promptsForLogin());
    EmbeddedDatabaseOpener::Filler fillNewStore;
    if (settings.demo())
        fillNewStore = [](EmbeddedConnection& store) { DemoData::populate(store); };
    return std::make_unique<EmbeddedDatabaseOpener>(settings.folder(), fillNewStore);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("Talodesk"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TALODESK_VERSION));

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    std::optional<ConnectionSettings> settings;
    if (const std::optional<int> exitCode = readCommandLine(arguments, settings))
        return *exitCode;

    QApplication app(argc, argv);
    DesignedFonts::install();
    // Closing the sign-in dialog must not end the program before start-up is over.
    QApplication::setQuitOnLastWindowClosed(false);

    const std::unique_ptr<DatabaseOpener> opener = makeOpener(*settings);
    QtMessageService messages;
    ExecModalRunner modal;
    AppContext context(messages, modal);
    mdiTALO frame(context, [&]() -> std::unique_ptr<UserObject> {
        return std::make_unique<clsCurrentUser>(*opener, modal, messages);
    });
    if (!frame.Form_Load())
        return 0;

    QApplication::setQuitOnLastWindowClosed(true);
    if (const QScreen* screen = QApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        frame.resize(available.size() * 9 / 10);
        frame.move(available.center() - frame.rect().center());
    }
    frame.showMaximized();
    return QApplication::exec();
}
