#include "DialogTestSupport.h"
#include "core/note/ColorPalette.h"
#include "ui/dialogs/ColorBtn.h"
#include "ui/dialogs/ColorBtnDlg.h"
#include "ui/dialogs/ConfirmDlg.h"
#include "ui/dialogs/FontDlg.h"
#include "ui/dialogs/GroupDlg.h"
#include "ui/dialogs/PropertyDlg.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTranslator>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

namespace {

TEST(ConfirmDlg, AnswersOkByItselfAfterItsTimeOut) {
    CDialogSeams seams;
    std::optional<bool> answer;
    QPointer<CConfirmDlg> dialog =
        CConfirmDlg::Ask(nullptr, QStringLiteral("Do you want to receive message from 10.0.0.2 ?"), 1,
                         [&answer](bool yes) { answer = yes; });
    ASSERT_FALSE(dialog.isNull());
    EXPECT_EQ(seams.Sound.Beeps, 1);
    EXPECT_TRUE(dialog->IsCounting());
    EXPECT_EQ(dialog->OkButton()->text(), QStringLiteral("OK (1)"));
    EXPECT_FALSE(answer.has_value()); // Ask returned before any answer
    Pump(1300);
    ASSERT_TRUE(answer.has_value());
    EXPECT_TRUE(*answer);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());
}

TEST(ConfirmDlg, WithoutTimeOutWaitsAndCancelOrClosingMeansNo) {
    CDialogSeams seams;
    std::optional<bool> answer;
    QPointer<CConfirmDlg> dialog =
        CConfirmDlg::Ask(nullptr, QStringLiteral("&Question"), 0, [&answer](bool yes) { answer = yes; });
    EXPECT_FALSE(dialog->IsCounting());
    EXPECT_EQ(dialog->Text(), QStringLiteral("&Question"));
    Pump(200);
    EXPECT_FALSE(answer.has_value());
    dialog->CancelButton()->click();
    ASSERT_TRUE(answer.has_value());
    EXPECT_FALSE(*answer);

    answer.reset();
    dialog = CConfirmDlg::Ask(nullptr, QStringLiteral("q"), 5, [&answer](bool yes) { answer = yes; });
    dialog->close();
    ASSERT_TRUE(answer.has_value());
    EXPECT_FALSE(*answer);

    // Hidden, it stops counting.
    CConfirmDlg kept(QStringLiteral("q"), 1);
    kept.show();
    EXPECT_TRUE(kept.IsCounting());
    kept.hide();
    EXPECT_FALSE(kept.IsCounting());
    Pump(1200);
    EXPECT_EQ(kept.result(), 0);
}

TEST(ColorBtnDlg, PlacedUnderTheButtonAndKeptOnScreen) {
    const QRect screen(0, 0, 1024, 768);
    const QSize popup(74, 119);
    EXPECT_EQ(CColorBtnDlg::Placement(QRect(100, 100, 60, 23), popup, screen), QPoint(100, 123));
    // Near the bottom: above the button.
    EXPECT_EQ(CColorBtnDlg::Placement(QRect(100, 700, 60, 23), popup, screen), QPoint(100, 700 - 119));
    // Near the right edge: moved left by the excess.
    EXPECT_EQ(CColorBtnDlg::Placement(QRect(1000, 100, 24, 23), popup, screen), QPoint(1024 - 74, 123));
}

TEST(ColorBtn, ChoosesPaletteCellsAndCustomColours) {
    CDialogSeams seams;
    CColorPalette& palette = CColorPalette::Shared();
    palette.Reset();
    CColorBtn button;
    EXPECT_EQ(button.GetColor(), 0x00FFFFFFu);

    // A cell: the button takes its colour and the cell becomes the most recent.
    modalrun::SetHook([](QDialog& dialog) {
        auto* popup = qobject_cast<CColorBtnDlg*>(&dialog);
        if (popup == nullptr)
            return int(QDialog::Rejected);
        popup->Cell(13)->click(); // 255, 0, 0
        return popup->result();
    });
    button.click();
    EXPECT_EQ(button.GetColor(), 0x000000FFu);
    EXPECT_EQ(palette.Rank(13), 1);

    // "Other", cancelled: the palette drops again; then a custom colour.
    int popups = 0;
    int choosers = 0;
    modalrun::SetHook([&](QDialog& dialog) {
        if (auto* popup = qobject_cast<CColorBtnDlg*>(&dialog)) {
            ++popups;
            popup->OtherButton()->click();
            return popup->result();
        }
        auto* chooser = qobject_cast<QColorDialog*>(&dialog);
        if (chooser == nullptr)
            return int(QDialog::Rejected);
        ++choosers;
        EXPECT_EQ(chooser->currentColor(), QColor(Qt::black));
        if (choosers == 1)
            return int(QDialog::Rejected);
        chooser->setCurrentColor(QColor(12, 34, 56));
        return int(QDialog::Accepted);
    });
    button.click();
    EXPECT_EQ(popups, 2);
    EXPECT_EQ(choosers, 2);
    EXPECT_EQ(button.GetColor(), 0x0038220Cu);
    EXPECT_EQ(palette.Color(10), 0x0038220Cu); // took cell 11, the one used longest ago
    EXPECT_EQ(palette.Rank(10), 1);

    // Clicking outside: nothing changes.
    modalrun::SetHook([](QDialog&) { return int(QDialog::Rejected); });
    button.click();
    EXPECT_EQ(button.GetColor(), 0x0038220Cu);
    palette.Reset();
}

TEST(FontDlg, FaceSelectionPrefersTheExactName) {
    const QStringList faces{"Arial", "DejaVu Sans", "Arial Black", "Noto Serif"};
    EXPECT_EQ(CFontDlg::FindFace(faces, QStringLiteral("arial")), 0);
    EXPECT_EQ(CFontDlg::FindFace(faces, QStringLiteral("DejaVu")), 1);
    EXPECT_EQ(CFontDlg::FindFace(faces, QStringLiteral("Ar")), 2); // search starts at the second entry
    EXPECT_EQ(CFontDlg::FindFace(faces, QStringLiteral("Noto Sans")), -1);
    EXPECT_EQ(CFontDlg::FindFace(faces, QString()), -1);
}

TEST(FontDlg, OkKeepsTheFourEffectsAndTheColours) {
    CDialogSeams seams;
    FontProperty font;
    std::memset(font.Name, 0, sizeof font.Name);
    std::strcpy(font.Name, "DejaVu Sans");
    font.Size = 11;
    font.Flags = kFontBold | kFontUnderline | kFontShadow | kFontEmboss | kFontImprint;
    font.FontColor = 0x00102030;
    font.BackgroundColor = 0x00C0D0E0;
    CFontDlg dialog(font, nullptr, {"Noto Sans", "DejaVu Sans", "DejaVu Sans", "DejaVu Sans Mono"});
    EXPECT_EQ(dialog.FaceList()->count(), 3); // names once, in enumeration order
    EXPECT_EQ(dialog.FaceList()->currentText(), QStringLiteral("DejaVu Sans"));
    EXPECT_TRUE(qobject_cast<QCheckBox*>(dialog.Control(CFontDlg::kIdBold))->isChecked());
    EXPECT_FALSE(qobject_cast<QCheckBox*>(dialog.Control(CFontDlg::kIdItalic))->isChecked());
    EXPECT_TRUE(qobject_cast<QCheckBox*>(dialog.Control(CFontDlg::kIdUnderline))->isChecked());
    EXPECT_EQ(dialog.FontColorButton()->GetColor(), 0x00102030u);
    EXPECT_EQ(dialog.BackgroundButton()->GetColor(), 0x00C0D0E0u);
    qobject_cast<QCheckBox*>(dialog.Control(CFontDlg::kIdStrikeOut))->setChecked(true);
    dialog.accept();
    EXPECT_EQ(dialog.GetFont().Flags, kFontBold | kFontUnderline | kFontStrikeOut);
    EXPECT_EQ(dialog.GetFont().Size, 11);
    EXPECT_STREQ(dialog.GetFont().Name, "DejaVu Sans");
    EXPECT_EQ(dialog.GetFont().BackgroundColor, 0x00C0D0E0u);

    // A face that is not installed stays the note's face; a size that is not a number is 0.
    std::strcpy(font.Name, "MS Sans Serif");
    CFontDlg missing(font, nullptr, {"Noto Sans", "DejaVu Sans"});
    EXPECT_EQ(missing.FaceList()->currentText(), QStringLiteral("MS Sans Serif"));
    qobject_cast<QLineEdit*>(missing.Control(CFontDlg::kIdSize))->setText(QStringLiteral("-"));
    missing.accept();
    EXPECT_STREQ(missing.GetFont().Name, "MS Sans Serif");
    EXPECT_EQ(missing.GetFont().Size, 0);
}

} // namespace

namespace {

TEST(DialogTranslation, JapaneseTextsComeFromTheTranslation) {
    QTranslator translator;
    ASSERT_TRUE(translator.load(QStringLiteral(":/i18n/quillet_ja.qm")));
    QCoreApplication::installTranslator(&translator);
    {
        CConfirmDlg confirm(QStringLiteral("q"), 0);
        EXPECT_EQ(confirm.windowTitle(), QStringLiteral("確認"));
        EXPECT_EQ(confirm.OkButton()->text(), QStringLiteral("はい"));
        EXPECT_EQ(confirm.CancelButton()->text(), QStringLiteral("いいえ"));

        CPropertyDlg property(SheetProperty{}, InformProperty{});
        EXPECT_EQ(qobject_cast<QCheckBox*>(property.Control(CPropertyDlg::kIdNotify))->text(),
                  QStringLiteral("通知する(&N)"));
        EXPECT_EQ(qobject_cast<QLabel*>(property.Control(CPropertyDlg::kMonthLabel))->text(), QStringLiteral("月"));
        EXPECT_EQ(qobject_cast<QLabel*>(property.Control(CPropertyDlg::kMinuteLabel))->text(), QStringLiteral("分"));
        EXPECT_EQ(qobject_cast<QLabel*>(property.Control(CPropertyDlg::kMinutesLabel))->text(), QStringLiteral("分後"));

        CFontDlg font(FontProperty{}, nullptr, {"A"});
        EXPECT_EQ(font.windowTitle(), QStringLiteral("フォントプロパティ"));

        CGroupDlg group({}, CGroup(), FontProperty{});
        EXPECT_EQ(group.Root()->text(0), QStringLiteral("グループ"));
        EXPECT_EQ(qobject_cast<QPushButton*>(group.Control(CGroupDlg::kIdAdd))->text(), QStringLiteral("追加(&A)"));
        EXPECT_EQ(CGroupDlg::ChangeMembersQuestion(QStringLiteral("仕事")),
                  QStringLiteral("グループ \"仕事\" に属する全てのメッセージのプロパティを変更しますか？"));
    }
    QCoreApplication::removeTranslator(&translator);
    EXPECT_EQ(CGroupDlg::ChangeMembersQuestion(QStringLiteral("Work")),
              QStringLiteral("Do you really want to change the property for all belonged messages?"));
}

} // namespace
