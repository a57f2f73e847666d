#include "PageBase.h"

#include "ScrollView.h"

void PageBase::OnCommand(UINT id, HWND control, UINT code) {
    if (code == BN_SETFOCUS || code == EN_SETFOCUS)
        ScrollView_EnsureVisible(*this, control);
    DialogBase::OnCommand(id, control, code);
}

void PageBase::OnSize(UINT type, int width, int height) {
    DialogBase::OnSize(type, width, height);
    RECT client = {};
    GetClientRect(GetHwnd(), &client);
    ScrollView_UpdateRange(*this, IsScrollable(), client.bottom);
}

void PageBase::OnVScroll(HWND, UINT code, UINT position) { ScrollView_OnVScroll(*this, code, position); }

bool PageBase::IsScrollable() { return true; }

bool PageBase::OnPageHook() { return true; }

void PageBase::OnPageShow() {}

void PageBase::OnPageHide() {}
