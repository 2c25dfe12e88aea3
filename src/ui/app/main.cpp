#include "platform/Environment.h"
#include "platform/InstanceLock.h"
#include "ui/app/PinletApp.h"
#include "ui/app/QuitSignals.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSessionManager>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] = R"(Usage: quillet [OPTION]

Sticky notes on the desktop. The program lives in the notification area: its
menu creates, shows, arranges and deletes notes. Notes are kept in the save
folder (default: the documents folder + /Quillet), the settings in
$XDG_CONFIG_HOME/Quillet. Only one instance runs per user; starting it again
does nothing.

Options:
  --help       show this text and exit
  --version    show the version and exit

Qt's own options (-platform, -display, ...) are accepted as well.
)";

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("quillet %s\n", QUILLET_VERSION);
            return 0;
        }
    }

    // Notes need absolute positions: XWayland rather than Wayland.
    if (const auto platform = CEnvironment::PlatformOverride(CEnvironment::Current()))
        qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(*platform));

    // One program per user; a second start ends quietly before any window exists.
    CInstanceLock instance;
    if (!instance.TryAcquire()) {
        if (instance.State() == CInstanceLock::EState::Busy)
            return 0;
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
    const int status = QApplication::exec();
    pinlet.ExitInstance();
    return status;
}
