#pragma once
// The text message of the SMS action: the recipient (taken only from the contact
// chooser), the text and the delivery report; "Test" sends it at once.
#include "ActionEditorDlg.h"
#include "RcString.h"

class SMSAction;

class SmsOptionsDlg : public ActionEditorDlg {
public:
    explicit SmsOptionsDlg(SMSAction& action);

    void OnCommand(UINT id, HWND control, UINT code) override;
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    bool OnOK(UINT id, HWND control) override;

    // The recipient as shown: "name" CR LF <number>, either part only when set.
    static std::wstring RecipientText(const RcString& name, const RcString& number);

private:
    void ChooseContact();
    void SendTest();
    void ShowRecipient();

    SMSAction& action_;
    RcString name_;
    RcString number_;
};
