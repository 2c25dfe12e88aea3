// The floor of the start-up figure for a program built on Qt: COUNT empty,
// frameless tool windows of a note's size, shown without taking the focus as
// the notes are. No files, no text, no tray. What showing them costs, Qt and
// the desktop spend for every Qt program. Runs until killed.
// Usage: qt_windows COUNT
#include <QApplication>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int count = argc == 2 ? std::atoi(argv[1]) : -1;
    if (count < 0) {
        std::fputs("usage: qt_windows COUNT\n", stderr);
        return 2;
    }
    std::vector<std::unique_ptr<QWidget>> windows;
    for (int i = 0; i < count; ++i) {
        auto window = std::make_unique<QWidget>(nullptr, Qt::Tool | Qt::FramelessWindowHint);
        window->setAttribute(Qt::WA_ShowWithoutActivating);
        window->setGeometry(20 + (i % 20) * 30, 20 + (i / 20) * 90, 200, 80);
        window->show();
        windows.push_back(std::move(window));
    }
    return QApplication::exec();
}
