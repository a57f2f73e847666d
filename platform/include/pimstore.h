#pragma once
// The contact chooser of the device's contacts library "pimstore.dll", bound by name
// ("ChooseContact"): it shows the contacts and hands back the chosen one's name and
// the chosen value of one of the asked properties as BSTRs the caller frees.
#include <windows.h>
#include <oleauto.h>

#define PIMSTORE_LIBRARY L"pimstore.dll"
#define PIMSTORE_CHOOSE_CONTACT "ChooseContact"

// A contact's mobile telephone number.
#define PIMPR_MOBILE_TELEPHONE_NUMBER 0x1806001F

// Chooser flags: ask for a property value, hide contacts without one, show names only.
#define CCF_CHOOSEPROPERTYONANY 0x01
#define CCF_HIDENEW 0x08
#define CCF_NOUIONSINGLEORNOMATCH 0x10

typedef ULONG CEPROPID;

typedef struct ChooseContactRecord {
    UINT cbSize;
    HWND hwndOwner;
    DWORD dwFlags;
    const CEPROPID* rgpropidRequiredProperties;
    UINT cRequiredProperties;
    ULONG oidContactID;         // out
    BSTR bstrContactName;       // out
    CEPROPID propidSelected;    // out
    BSTR bstrPropertyValueSelected;  // out
    LPCWSTR lpstrTitle;
} CHOOSECONTACT;

typedef HRESULT (*ChooseContactFunction)(CHOOSECONTACT* record);

#ifdef __cplusplus
extern "C" {
#endif

// The simulated device's chooser: it "picks" the contact a test named (S_OK with the
// name and the number as a new BSTR each), or is cancelled (E_ABORT) when none is
// named. E_INVALIDARG for a record of another size or without a required property.
HRESULT Device_ChooseContact(CHOOSECONTACT* record);

// For tests: the contact the next choices pick (name null: the user cancels); the
// flags and first required property of the last call, and how many calls were made.
BOOL DeviceControl_SetContactChoice(const wchar_t* name, const wchar_t* number);
BOOL DeviceControl_GetLastContactRequest(DWORD* flags, CEPROPID* property, DWORD* calls);

#ifdef __cplusplus
}
#endif
