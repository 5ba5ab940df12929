// A dialog window class with a message map: T::IDD names the template, and the
// dialog procedure dispatches every message to T's map.
#pragma once

#include <windows.h>

class CDialogImplBase {
public:
    HWND m_hWnd = nullptr;

    virtual ~CDialogImplBase() = default;
    virtual BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                      LRESULT& lResult) = 0;
    // Called after the window's last message; the object may go away afterwards.
    virtual void OnFinalMessage(HWND /*hWnd*/) {}

protected:
    HWND CreateFromTemplate(HINSTANCE instance, UINT templateId, HWND parent);

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
};

template <class T>
class CDialogImpl : public CDialogImplBase {
public:
    // Creates the dialog modeless from T::IDD; null when that fails.
    HWND Create(HWND parent, HINSTANCE instance) { return CreateFromTemplate(instance, T::IDD, parent); }
};
