#pragma once

#include "core/base/Properties.h"

#include <QDialog>

class QLineEdit;

// "Network information": one entry of the access list, a network address and
// its mask. The fields hold at most as many UTF-8 bytes as the record does
// (255 and 63), never cutting a character.
class CNetInfoDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kDialogId = 144;
    static constexpr int kNetworkBytes = sizeof(NetworkInfo::Network) - 1;
    static constexpr int kMaskBytes = sizeof(NetworkInfo::Mask) - 1;

    explicit CNetInfoDlg(QWidget* parent = nullptr);

    void SetInfo(const NetworkInfo& info);
    // The record as the fields stood at OK (as set before).
    const NetworkInfo& Info() const { return m_info; }

    QLineEdit* NetworkEdit() const { return m_network; }
    QLineEdit* MaskEdit() const { return m_mask; }

    void accept() override;

private:
    NetworkInfo m_info;
    QLineEdit* m_network = nullptr;
    QLineEdit* m_mask = nullptr;
};
