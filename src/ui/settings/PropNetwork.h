#pragma once

#include "core/base/Properties.h"
#include "ui/settings/PropPage.h"

#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Network": the receiving server's settings. UPnP is not offered (its field
// is left as it is).
class CPropNetwork : public CPropPage {
    Q_OBJECT

public:
    static constexpr int kIdAllowConnection = 1042;
    static constexpr int kIdAddressLabel = 1070;
    static constexpr int kIdAddress = 1050;
    static constexpr int kIdPortLabel = 1071;
    static constexpr int kIdPort = 1045;
    static constexpr int kIdAccessLimit = 1051;
    static constexpr int kIdConfirm = 1067;
    static constexpr int kIdExpireLabel = 1087;
    static constexpr int kIdExpire = 1069;
    static constexpr int kIdSecLabel = 1072;
    static constexpr int kIdAllowTransfer = 1046;
    static constexpr int kIdUserLabel = 1073;
    static constexpr int kIdUser = 1047;
    static constexpr int kIdPasswdLabel = 1074;
    static constexpr int kIdPasswd = 1048;
    static constexpr int kIdHint = 1075;
    static constexpr int kIdListenHint = 1076;

    // Byte capacities of the text fields.
    static constexpr int kMaxAddressBytes = sizeof(NetworkProperty::Address) - 1;
    static constexpr int kMaxUserBytes = sizeof(NetworkProperty::User) - 1;
    static constexpr int kMaxPasswdBytes = sizeof(NetworkProperty::Passwd) - 1;

    explicit CPropNetwork(QWidget* parent = nullptr);

    void SetProperty(const NetworkProperty& property);
    const NetworkProperty& GetProperty() const { return m_property; }

    // The handlers of the buttons, as a click runs them.
    void ClickAllowConnection();
    void ClickConfirm();
    void ClickAllowTransfer();
    void AccessLimit();

    // This computer's name as gethostname reports it (at most 128 bytes).
    static std::string HostName();

protected:
    void OnInitDialog() override;
    void OnApply() override;
    QString OnCheck() const override;

private:
    void ApplyEnabling();
    // Says where the server will listen with the address as typed.
    void ShowListenHint();

    NetworkProperty m_property;

    QCheckBox* m_allowConnection = nullptr;
    QLabel* m_addressLabel = nullptr;
    QLineEdit* m_address = nullptr;
    QLabel* m_portLabel = nullptr;
    QLineEdit* m_port = nullptr;
    QLabel* m_listenHint = nullptr;
    QPushButton* m_accessLimit = nullptr;
    QCheckBox* m_confirm = nullptr;
    QLabel* m_expireLabel = nullptr;
    QLineEdit* m_expire = nullptr;
    QLabel* m_secLabel = nullptr;
    QCheckBox* m_allowTransfer = nullptr;
    QLabel* m_userLabel = nullptr;
    QLineEdit* m_user = nullptr;
    QLabel* m_passwdLabel = nullptr;
    QLineEdit* m_passwd = nullptr;
};
