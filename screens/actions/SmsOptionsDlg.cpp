#include "SmsOptionsDlg.h"

#include <cwchar>
#include <string>

#include "BoundFunctions.h"
#include "EditorControls.h"
#include "SMSAction.h"
#include "SmsSender.h"
#include "Translator.h"
#include "pimstore.h"
#include "resource.h"
#include "WideText.h"

namespace {
constexpr DWORD kChooserFlags = CCF_CHOOSEPROPERTYONANY | CCF_HIDENEW | CCF_NOUIONSINGLEORNOMATCH;
constexpr UINT kTestResultFlags = MB_ICONHAND;
}  // namespace

SmsOptionsDlg::SmsOptionsDlg(SMSAction& action)
    : ActionEditorDlg(IDD_SMS_OPTIONS, IDS_SMS_OPTIONS_CAPTION),
      action_(action),
      name_(action.To),
      number_(action.Number) {}

std::wstring SmsOptionsDlg::RecipientText(const RcString& name, const RcString& number) {
    std::wstring text;
    if (name.Length() > 0) text.append(L"\"").append(name.CStr()).append(L"\"\r\n");
    if (number.Length() > 0) text.append(L"<").append(number.CStr()).append(L">");
    return text;
}

LRESULT SmsOptionsDlg::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = ActionEditorDlg::OnInitDialog(wParam, lParam);
    SetDlgItemTextW(GetHwnd(), IDC_SMS_MESSAGE, action_.Message.CStr());
    ShowRecipient();
    Editor_Check(GetHwnd(), IDC_SMS_DELIVERY, action_.DeliveryNotification != 0);
    return result;
}

void SmsOptionsDlg::ShowRecipient() {
    SetDlgItemTextW(GetHwnd(), IDC_SMS_RECIPIENT, RecipientText(name_, number_).c_str());
}

void SmsOptionsDlg::ChooseContact() {
    auto choose = Bound::ChooseContact.As<ChooseContactFunction>();
    if (!choose) return;
    const CEPROPID required[] = {PIMPR_MOBILE_TELEPHONE_NUMBER};
    CHOOSECONTACT record = {};
    record.cbSize = sizeof record;
    record.dwFlags = kChooserFlags;
    record.rgpropidRequiredProperties = required;
    record.cRequiredProperties = 1;
    if (FAILED(choose(&record))) return;
    name_.SetCStr(record.bstrContactName);
    number_.SetCStr(record.bstrPropertyValueSelected);
    SysFreeString(record.bstrContactName);
    SysFreeString(record.bstrPropertyValueSelected);
    ShowRecipient();
}

void SmsOptionsDlg::SendTest() {
    // The values on screen are kept even when the editor is cancelled afterwards.
    OnOK(IDOK, nullptr);
    const int result = Sms_Send(action_.DeliveryNotification, action_.Number.CStr(), action_.Message.CStr());
    if (result >= 0) {
        ShowMessage(IDS_OK, kTestResultFlags);
        return;
    }
    wchar_t code[16] = {};
    swprintf(code, 16, L"%X", static_cast<unsigned>(result));
    ShowText(WString_FillMark(Translator::Instance().GetString(IDS_SMS_ERROR), L"%X", code), kTestResultFlags);
}

void SmsOptionsDlg::OnCommand(UINT id, HWND control, UINT code) {
    if (code == BN_CLICKED && id == IDC_SMS_CHOOSE) ChooseContact();
    else if (code == BN_CLICKED && id == IDC_SMS_TEST) SendTest();
    ActionEditorDlg::OnCommand(id, control, code);
}

bool SmsOptionsDlg::OnOK(UINT, HWND) {
    action_.To = name_;
    action_.Number = number_;
    action_.Message = ControlText(IDC_SMS_MESSAGE);
    action_.DeliveryNotification = Editor_IsChecked(GetHwnd(), IDC_SMS_DELIVERY) ? 1 : 0;
    return true;
}
