#pragma once

#include "ui/common/Clock.h"
#include "ui/common/ModalRun.h"
#include "ui/common/SoundPort.h"

#include <QApplication>
#include <QElapsedTimer>

#include <string>
#include <vector>

class CRecordingSound : public CSoundPort {
public:
    void PlayFile(const std::string& path) override { Played.push_back(path); }
    void Beep() override { ++Beeps; }
    std::vector<std::string> Played;
    int Beeps = 0;
};

inline void Pump(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    do {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    } while (timer.elapsed() < milliseconds);
}

// Installs the seams for one test and removes them again.
class CDialogSeams {
public:
    CDialogSeams() { CSoundPort::SetDefault(&Sound); }
    ~CDialogSeams() {
        CSoundPort::SetDefault(nullptr);
        modalrun::SetHook({});
        uiclock::Set({});
    }
    CRecordingSound Sound;
};
