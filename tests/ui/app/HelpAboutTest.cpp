#include "AppTestSupport.h"

#include "core/stream/DataFiles.h"
#include "ui/app/AboutDlg.h"
#include "ui/app/HelpKey.h"
#include "ui/common/ModalRun.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTranslator>

namespace {

std::string PageOf(const QUrl& url) {
    return url.isEmpty() ? std::string() : QFileInfo(url.toLocalFile()).fileName().toStdString();
}

bool PressF1(QWidget& widget, Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool autoRepeat = false) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, modifiers, QString(), autoRepeat);
    return QApplication::sendEvent(&widget, &press);
}

} // namespace

TEST_F(AppTest, HelpPageInTheUsersLanguage) {
    const QString bin = QString::fromStdString(m_root + "/bin");
    ASSERT_TRUE(EnsureFolder(m_root + "/bin", 0755));
    ASSERT_TRUE(EnsureFolder(m_root + "/share/quillet/help", 0755));
    WriteFileAtomically(m_root + "/share/quillet/help/index.html", "<html></html>", 0644);
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    // No Japanese page: the English one.
    EXPECT_EQ(PageOf(CPinletApp::HelpUrl(bin, japanese)), "index.html");

    WriteFileAtomically(m_root + "/share/quillet/help/index.ja.html", "<html></html>", 0644);
    EXPECT_EQ(PageOf(CPinletApp::HelpUrl(bin, japanese)), "index.ja.html");
    EXPECT_EQ(PageOf(CPinletApp::HelpUrl(bin, QLocale(QLocale::English, QLocale::UnitedStates))), "index.html");
    EXPECT_EQ(PageOf(CPinletApp::HelpUrl(bin, QLocale(QLocale::German, QLocale::Germany))), "index.html");
    EXPECT_EQ(PageOf(CPinletApp::HelpUrl(bin, QLocale::c())), "index.html");

    // The pages of the source tree lie beside this test, as beside the program
    // in the build tree: both languages are found there.
    EXPECT_EQ(PageOf(CPinletApp::HelpUrl(QString(), japanese)), "index.ja.html");
    EXPECT_EQ(PageOf(CPinletApp::HelpUrl(QString(), QLocale(QLocale::English))), "index.html");
}

TEST_F(AppTest, F1OpensHelpFromAnyWindow) {
    CPinletApp& app = Start();
    std::vector<QUrl> opened;
    app.SetUrlOpener([&](const QUrl& url) { opened.push_back(url); });

    QLineEdit edit;
    edit.show();
    EXPECT_TRUE(PressF1(edit));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened.front(), CPinletApp::HelpUrl());
    EXPECT_FALSE(opened.front().isEmpty());

    // Held down: one request, not a stream of browser windows.
    PressF1(edit, Qt::NoModifier, true);
    // Shift+F1 and other keys are left to the widget.
    PressF1(edit, Qt::ShiftModifier);
    QKeyEvent letter(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(&edit, &letter);
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_EQ(edit.text(), QStringLiteral("a"));
}

TEST_F(AppTest, HelpKeyStopsWatchingWhenDestroyed) {
    int requests = 0;
    QLineEdit edit;
    {
        CHelpKey key;
        QObject::connect(&key, &CHelpKey::Requested, [&] { ++requests; });
        PressF1(edit);
        EXPECT_EQ(requests, 1);
    }
    PressF1(edit);
    EXPECT_EQ(requests, 1);
}

TEST_F(AppTest, AboutShowsTheVersionAndLinksToHelp) {
    CPinletApp& app = Start();
    std::vector<QUrl> opened;
    app.SetUrlOpener([&](const QUrl& url) { opened.push_back(url); });
    const QString previousVersion = QCoreApplication::applicationVersion();
    QCoreApplication::setApplicationVersion(QStringLiteral("9.8.7"));

    QString title;
    QString version;
    modalrun::SetHook([&](QDialog& dialog) {
        auto* about = dynamic_cast<CAboutDlg*>(&dialog);
        if (about == nullptr)
            return 0;
        title = about->windowTitle();
        version = about->VersionLabel()->text();
        emit about->HelpLink()->linkActivated(QStringLiteral("help"));
        return 1;
    });
    EXPECT_TRUE(app.RunCommand(CMainFrame::kCmdAbout));
    modalrun::SetHook(nullptr);
    QCoreApplication::setApplicationVersion(previousVersion);

    EXPECT_EQ(title, QStringLiteral("About Quillet!"));
    EXPECT_TRUE(version.contains(QStringLiteral("9.8.7"))) << version.toStdString();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened.front(), CPinletApp::HelpUrl());

    // No version known: a question mark rather than an empty text.
    EXPECT_TRUE(CAboutDlg(QString()).VersionLabel()->text().contains(QLatin1Char('?')));

    QTranslator translator;
    ASSERT_TRUE(translator.load(QStringLiteral(":/i18n/quillet_ja.qm")));
    QCoreApplication::installTranslator(&translator);
    CAboutDlg japanese(QStringLiteral("1.0"));
    EXPECT_EQ(japanese.windowTitle(), QStringLiteral("Quillet! のバージョン情報"));
    EXPECT_EQ(japanese.VersionLabel()->text(), QStringLiteral("バージョン 1.0"));
    EXPECT_TRUE(japanese.HelpLink()->text().contains(QStringLiteral("ヘルプを開く")));
    QCoreApplication::removeTranslator(&translator);
}
