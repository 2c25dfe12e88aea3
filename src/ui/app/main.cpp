#include "platform/Environment.h"
#include "platform/InstanceLock.h"
#include "ui/app/CommandSender.h"
#include "ui/app/CommandService.h"
#include "ui/app/DisplayLoss.h"
#include "ui/app/PinletApp.h"
#include "ui/app/QuitSignals.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSessionManager>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char kUsage[] = R"(Usage: quillet [OPTION]

Sticky notes on the desktop. The program lives in the notification area: its
menu creates, shows, arranges and deletes notes. Notes are kept in the save
folder (default: the documents folder + /Quillet), the settings in
$XDG_CONFIG_HOME/Quillet. Only one instance runs per user; starting it again
shows and raises every note of the running one.

Options:
%s  --help       show this text and exit
  --version    show the version and exit

The commands go to the running program over the session bus; they end with
status 0 once it has taken them, 1 when no program answers.
Qt's own options (-platform, -display, ...) are accepted as well.
)";

std::string CommandOptionsHelp() {
    std::string text;
    for (const CCommandSender::Option& option : CCommandSender::kOptions) {
        std::string line = "  " + std::string(option.Name);
        line.resize(15, ' ');
        text += line + option.Help + "\n";
    }
    return text;
}

// Hands one command to the running program; the exit status of this process.
int SendCommand(int& argc, char** argv, const char* method, const char* what) {
    QCoreApplication app(argc, argv);
    CCommandSender sender([] { return CInstanceLock::IsHeld(); });
    const QString error = sender.Send(QString::fromLatin1(method));
    if (error.isEmpty())
        return 0;
    std::fprintf(stderr, "quillet: %s: %s\n", what, qPrintable(error));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    const char* command = nullptr;
    const char* commandOption = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf(kUsage, CommandOptionsHelp().c_str());
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("quillet %s\n", QUILLET_VERSION);
            return 0;
        }
        if (const char* method = CCommandSender::MethodOf(argv[i])) {
            if (command != nullptr) {
                std::fprintf(stderr, "quillet: %s and %s: one command at a time\n", commandOption, argv[i]);
                return 2;
            }
            command = method;
            commandOption = argv[i];
        }
    }
    if (command != nullptr)
        return SendCommand(argc, argv, command, commandOption);

    // Notes need absolute positions: XWayland rather than Wayland.
    if (const auto platform = CEnvironment::PlatformOverride(CEnvironment::Current()))
        qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(*platform));

    // One program per user. A second start brings the notes of the first back
    // before any window of its own exists: without a tray that is the user's
    // only way to them after "Hide all".
    CInstanceLock instance;
    if (!instance.TryAcquire()) {
        if (instance.State() == CInstanceLock::EState::Busy)
            return SendCommand(argc, argv, "ShowAll", "second start");
        // A lock that cannot be taken must not keep the user from the notes.
        std::fprintf(stderr, "quillet: cannot use the instance lock %s; running without it\n",
                     CInstanceLock::LockPath().c_str());
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillet"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quillet!"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLET_VERSION));
    // Closing a note or a dialog must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);

    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);
    QTranslator translator;
    if (translator.load(QLocale(), QStringLiteral("quillet"), QStringLiteral("_"), QStringLiteral(":/i18n")))
        QApplication::installTranslator(&translator);

    CPinletApp pinlet;
    // Installed before start-up, so that a signal during it is not lost.
    CQuitSignals quitSignals;
    QObject::connect(&quitSignals, &CQuitSignals::Received, &app, [&pinlet](int) {
        pinlet.SaveAllModified(false);
        // Not quit(): that would close, and so hide, every note first.
        QApplication::exit(0);
    });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app, [&pinlet](QSessionManager&) {
        pinlet.SaveAllModified(false);
        QTimer::singleShot(0, qApp, [] { QApplication::exit(0); });
    });

    if (!pinlet.InitInstance())
        return 1;
    // Taken only once the program can serve commands: a sender waits for it.
    CCommandService commands(pinlet);
    commands.Register();
    CDisplayLoss displayLoss([&pinlet] { pinlet.SaveAllModifiedWithoutDisplay(); });
    const int status = QApplication::exec();
    commands.Unregister();
    pinlet.ExitInstance();
    return status;
}
