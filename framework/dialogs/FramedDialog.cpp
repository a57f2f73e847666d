#include "FramedDialog.h"

#include <aygshell.h>

#include "DialogFrame.h"
#include "HelpTopic.h"
#include "ScrollView.h"
#include "Translator.h"

namespace {

constexpr int kDefaultHelpTopic = 1;

std::wstring CaptionText(UINT captionStringId) {
    return captionStringId ? Translator::Instance().GetString(captionStringId) : std::wstring();
}

}  // namespace

FramedDialog::FramedDialog(UINT ownTemplateId, UINT captionStringId, UINT iconId, bool doneButton, int menuBarId,
                           bool largeFrame)
    : frame_(std::make_unique<DialogFrame>(*this, CaptionText(captionStringId), iconId, doneButton, menuBarId,
                                           largeFrame)),
      ownTemplateId_(ownTemplateId) {}

FramedDialog::~FramedDialog() = default;

INT_PTR FramedDialog::Show(HWND parent) { return frame_->RunModal(parent); }

bool FramedDialog::ShowInside(HWND host) { return frame_->CreateChild(host); }

void FramedDialog::OnSize(UINT type, int width, int height) {
    // A turned screen re-lays out a dialog that has a landscape template, as pages do.
    DialogBase::OnSize(type, width, height);
    ScrollView_UpdateRange(*this, IsScrollable(), height);
}

void FramedDialog::OnVScroll(HWND, UINT code, UINT position) { ScrollView_OnVScroll(*this, code, position); }

LRESULT FramedDialog::OnHelp(HELPINFO*, WPARAM) {
    Help_ShowTopic(kDefaultHelpTopic);
    return 1;
}

LRESULT FramedDialog::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    DialogBase::OnInitDialog(wParam, lParam);
    SHSipPreference(GetHwnd(), SIP_DOWN);
    return 0;
}

void FramedDialog::OnIconClicked(int, int) {}

bool FramedDialog::IsScrollable() { return false; }
