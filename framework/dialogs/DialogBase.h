#pragma once
// A dialog made from a resource template, bound to an object like any window. It
// translates its texts when it opens and, when the screen turns, moves its controls
// to the places of a second (landscape) template. Every dialog, page and dialog host
// derives from it.
#include "WindowBase.h"

class DialogBase : public WindowBase {
public:
    DialogBase() = default;
    // Deletes the owned GDI object.
    ~DialogBase() override;

    // CallWindowProcW to the replaced procedure, else 0: the dialog manager's default.
    LRESULT DefProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // WM_INITDIALOG goes to OnInitDialog; everything else to the window dispatcher.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // IDOK and IDCANCEL end the dialog when OnOK / OnCancel agree.
    void OnCommand(UINT id, HWND control, UINT code) override;
    // Re-lays out from the other template when the screen's shape changed.
    void OnSize(UINT type, int width, int height) override;

    // Translates, lays out for the screen and gives combo boxes the Tahoma font.
    // Returns DefProc's answer (0 without a replaced procedure: no focus is set).
    virtual LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam);
    // false keeps the dialog open.
    virtual bool OnCancel(UINT id, HWND control);
    virtual bool OnOK(UINT id, HWND control);
    // Zero-terminated ids whose texts the translation leaves alone; null for none.
    virtual const int* GetUntranslatedControls(WPARAM wParam, LPARAM lParam);
    virtual UINT GetLandscapeTemplateId();

    // The framework dialog procedure, with the fault guard.
    static INT_PTR CALLBACK StaticProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    // Creates the dialog of templateId modeless; true when it is bound to this object.
    // Instance null: the program's module.
    bool CreateModeless(UINT templateId, HWND parent, HINSTANCE instance);

    bool IsModal() const { return modal_; }
    UINT PortraitTemplateId() const { return portraitTemplateId_; }
    // The screen's shape: 1 narrower than high, -1 wider, 0 square.
    static int ScreenShape();

protected:
    // For hosts that run the dialog themselves (modal frames).
    void PrepareTemplates(UINT templateId, bool modal);
    void SetLandscapeTemplateId(UINT id) { landscapeTemplateId_ = id; }
    // Takes ownership of a font or brush the dialog uses.
    void SetOwnedGdiObject(HGDIOBJ object);

private:
    void ApplyLayoutForScreen();

    bool modal_ = false;
    HGDIOBJ ownedGdiObject_ = nullptr;
    int screenShape_ = 0;
    UINT portraitTemplateId_ = 0;
    UINT landscapeTemplateId_ = 0;
};

// Finds an RT_DIALOG template; null when the module has none of that id.
const DLGTEMPLATE* Dialog_FindTemplate(HINSTANCE instance, UINT templateId);
// Moves the dialog's controls to the places of another template. True when every
// control was found and moved and fewer than two items have the id 0xFFFF.
bool Dialog_ApplyTemplateLayout(HINSTANCE instance, HWND dialog, UINT templateId);
