#include "ui/common/SoundPort.h"

#include "platform/Sound.h"

namespace {

class CPlatformSoundPort : public CSoundPort {
public:
    void PlayFile(const std::string& path) override { m_sound.PlayFile(path); }
    void Beep() override { m_sound.Beep(); }

private:
    CSound m_sound;
};

CSoundPort* g_installed = nullptr;

} // namespace

CSoundPort& CSoundPort::Default() {
    if (g_installed != nullptr)
        return *g_installed;
    // Started on first use and kept for the run: opening the sound system is slow.
    static CPlatformSoundPort platform;
    return platform;
}

void CSoundPort::SetDefault(CSoundPort* port) {
    g_installed = port;
}
