// Shows one top-most note and one ordinary window over it, then prints both X
// window ids; the scenario script inspects them with xprop.
#include "core/base/FieldText.h"
#include "ui/note/MessageDlg.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);

    CMessageDlg note;
    SheetProperty sheet;
    sheet.TopWindow = 1;
    sheet.Left = 100;
    sheet.Top = 100;
    sheet.Right = 400;
    sheet.Bottom = 250;
    CopyField(sheet.Title, "e2e note");
    note.SetSheet(sheet);
    note.SetWindowRect({100, 100, 400, 250});
    note.SetBody("{\\rtf1\\ansi{\\fonttbl{\\f0 Sans;}}\\f0\\fs28 Top-most \\b note\\b0\\par}", BodyFormat::Rtf);
    note.Show(ShowCommand::ShowNoActivate);

    // An ordinary window shown later and activated: it must stay below the note.
    QLabel other("an ordinary window");
    other.setGeometry(150, 150, 400, 300);
    QTimer::singleShot(500, [&] {
        other.show();
        other.activateWindow();
        other.raise();
        QTimer::singleShot(500, [&] {
            std::printf("note=%llu other=%llu\n", static_cast<unsigned long long>(note.winId()),
                        static_cast<unsigned long long>(other.winId()));
            std::fflush(stdout);
        });
    });
    return app.exec();
}
