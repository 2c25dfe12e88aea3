#include "ui/app/MainFrame.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QTranslator>

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

// The letter after '&' in a menu text, upper case; 0 when there is none.
char16_t Mnemonic(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&')
            continue;
        if (text[i + 1] == u'&') {
            ++i;
            continue;
        }
        return text[i + 1].toUpper().unicode();
    }
    return 0;
}

// "A / B" for every pair of items of one menu, submenus included, that share a letter.
std::string Clashes(const QMenu* menu) {
    std::string found;
    std::map<char16_t, QString> seen;
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator())
            continue;
        if (const char16_t letter = Mnemonic(action->text())) {
            const auto [it, fresh] = seen.emplace(letter, action->text());
            if (!fresh)
                found += "  " + it->second.toStdString() + " / " + action->text().toStdString() + "\n";
        }
        if (action->menu() != nullptr)
            found += Clashes(action->menu());
    }
    return found;
}

} // namespace

// A letter shared by two items of one menu only moves the highlight between
// them: the keyboard can no longer choose either.
TEST(MainMenu, NoTwoItemsOfAMenuShareAMnemonicInEnglishOrJapanese) {
    {
        CMainFrame frame;
        EXPECT_EQ(Clashes(frame.Menu()), "");
    }
    QTranslator translator;
    ASSERT_TRUE(translator.load(QStringLiteral(":/i18n/quillet_ja.qm")));
    QCoreApplication::installTranslator(&translator);
    {
        CMainFrame frame;
        EXPECT_EQ(frame.Action(CMainFrame::kCmdSendNewMessage)->text(),
                  QStringLiteral("新しいメッセージを送る(&M)..."));
        EXPECT_EQ(Clashes(frame.Menu()), "");
    }
    QCoreApplication::removeTranslator(&translator);
}
