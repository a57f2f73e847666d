#pragma once
// The main window's fifth tab: the product's name, version, notice and web address, the
// product picture, a link opened through the shell, mail to the maker, and a screenshot
// of the whole screen taken ten seconds after it was asked for.
#include <string>

#include "TabPage.h"

class AboutPage : public TabPage {
public:
    static constexpr wchar_t kVersion[] = L"4.3";
    static constexpr UINT_PTR kScreenshotTimer = 1001;
    static constexpr UINT kScreenshotDelayMs = 10000;
    static constexpr int kPictureId = 1;

    AboutPage();
    ~AboutPage() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    void OnCommand(UINT id, HWND control, UINT code) override;
    void OnSize(UINT type, int width, int height) override;
    LRESULT OnCtlColorStatic(HDC dc, HWND control) override;
    void OnTimer(UINT_PTR id) override;
    void OnPageShow() override;
    UINT GetLandscapeTemplateId() override;

    // The file the next screenshot goes to: the documents folder's
    // "Orvalen-ver4.3-screenshot.bmp", else the first free " <n>.bmp" after it (device path).
    static std::wstring NextScreenshotPath();
    // Captures the whole screen into that file and tells the user where it went.
    void TakeScreenshot();

private:
    void PlacePicture();

    HFONT boldFont_ = nullptr;
    HFONT linkFont_ = nullptr;
    HWND picture_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    SIZE bitmapSize_ = {};
};
